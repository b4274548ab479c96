#!/usr/bin/env bash
# The real program under valgrind's memcheck in a virtual X server: the title
# menu, an untimed game with music, a demo, and Quit. SDL is asked for its
# software renderer, so that the OpenGL driver's own internals stay out of the
# report. Prints the memory errors found and, for every block lost, the first
# function of the program on its allocation stack.
# Usage: tools/measure/memcheck.sh <path-to-velquadro> [seconds per game, default 8]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup measure "$1" "$(dirname "${BASH_SOURCE[0]}")/../.."
seconds=${2:-8}

install_game "$work/game"
SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 \
  valgrind --leak-check=full --num-callers=40 --log-file="$work/memcheck.log" "$work/game/velquadro" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
wait_window
# Under valgrind everything is some twenty times slower.
slow_wait() {  # slow_wait <check>: up to a minute
  for _ in $(seq 60); do
    look "$1" >/dev/null && return 0
    sleep 1
  done
  echo "not shown: $1" >&2
  exit 1
}
slow_wait title
hold Return 0.4
sleep "$seconds"
hold m 0.4
sleep 2
hold Escape 0.4
slow_wait overlay
hold Return 0.4
slow_wait title
tap_until_arrow Down 2
hold Return 0.4
sleep "$seconds"
hold Escape 0.4
slow_wait overlay
hold Return 0.4
slow_wait title
tap_until_arrow Up 3
xdotool keydown Return
wait "$pid" || true
xdotool keyup Return
pid=""

main_pid=$(awk '/Command: .*velquadro/ { gsub("=", "", $1); print $1; exit }' "$work/memcheck.log")
log=$work/main.log
grep "^==$main_pid==" "$work/memcheck.log" >"$log"
errors=$(grep -cE 'Invalid (read|write|free)|uninitialised|Mismatched|overlap' "$log" || true)
echo "memory errors (invalid access, uninitialised values, bad frees): $errors"
grep -E 'definitely lost:|indirectly lost:|possibly lost:' "$log" | sed "s/^==$main_pid== *//"
# Each lost block, with the program's own function that led to it.
awk '/are (definitely|possibly) lost in loss record/ { record = $0; sub(/^==[0-9]+== */, "", record); want = 1; next }
     want && /vq::|main \(/ { line = $0; sub(/^.*by 0x[0-9A-F]+: /, "", line); print "  " record " <- " line; want = 0 }' "$log"
