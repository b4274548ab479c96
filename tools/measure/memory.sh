#!/usr/bin/env bash
# Peak resident memory of the real program on a virtual 1920x1080 screen with
# a window manager, measured by /usr/bin/time -v: once for the title menu
# alone, once for a session of an untimed game and a demo, each played for the
# given number of seconds; the kernel's high-water mark of the session's
# program after the game, before the demo, gives the title menu and a game.
# Usage: tools/measure/memory.sh <path-to-velquadro> [seconds per game, default 20]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup measure "$1" "$(dirname "${BASH_SOURCE[0]}")/../.." desktop
seconds=${2:-20}
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

install_game "$work/game"
start() {
  /usr/bin/time -v -o "$work/time.txt" "$work/game/velquadro" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_window
  wait_for title
}
peak=""
quit() {  # sets peak to the program's peak resident memory in KiB
  tap_until_arrow Up 3 || { echo "Quit not reached" >&2; exit 1; }
  xdotool keydown Return
  wait "$pid" || true
  xdotool keyup Return
  pid=""
  peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
}
play() {  # play <seconds>: keys pressed now and then, then Escape and Return
  local end=$((SECONDS + $1))
  while ((SECONDS < end)); do
    for key in Left Right Up space Down Right; do hold "$key" 0.05; done
    sleep 0.5
  done
  hold Escape 0.15
  wait_for overlay
  hold Return 0.1
  wait_for title
}

start
quit
echo "title menu alone: peak resident memory $peak KiB"
start
hold Return 0.1
play "$seconds"
game_peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$(pgrep -P "$pid")/status")
echo "title menu and an untimed game of $seconds s: peak resident memory $game_peak KiB"
tap_until_arrow Down 2 || { echo "Demo not reached" >&2; exit 1; }
hold Return 0.1
play "$seconds"
quit
echo "an untimed game and a demo of $seconds s each: peak resident memory $peak KiB"
