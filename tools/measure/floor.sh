#!/usr/bin/env bash
# The real program against the floor of presenting whole frames (floor.c: an
# 800x600 surface rewritten and flipped every 60 ms, with the game's own SDL
# settings), each pair on the same virtual display in the same run: the title
# menu, a running untimed game and the Demo, in an 800x600 window and in full
# screen on 1920x1080, and in a 1600x1200 (2x) window on 2560x1440. Prints
# each figure, in % of one core, and its multiple of the floor.
# Usage: tools/measure/floor.sh <path-to-velquadro> [seconds, default 6] [runs, default 2]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup floor "$1" "$(dirname "${BASH_SOURCE[0]}")/../.." desktop
seconds=${2:-6}  # at most 8: an untouched game fills its board in some 12 s
runs=${3:-2}
install_game "$work/game"
# shellcheck disable=SC2046
cc -O2 -o "$work/floor" "$source_dir/tools/measure/floor.c" $(pkg-config --cflags --libs sdl)

floor_cpu() {  # floor_cpu [full] [VARIABLE=value...]: the floor's CPU over $seconds
  local pid figure
  env "${@:2}" "$work/floor" "${1:-}" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  timeout 10 xdotool search --sync --name '^Velquadro floor$' >/dev/null
  sleep 1
  figure=$(cpu_percent "$pid" "$seconds")
  stop_process "$pid"
  echo "$figure"
}
report() {  # report <what> <figure> <floor>
  awk -v w="$1" -v f="$2" -v b="$3" 'BEGIN { printf "%-34s %6.2f %% of one core, %5.2f times the floor (%.2f %%)\n", w, f, f / b, b }'
}
game_cpu() {  # game_cpu: the program's CPU over $seconds
  sleep 0.5
  cpu_percent "$pid" "$seconds"
}
fail() { echo "$1" >&2; exit 1; }
in_game() {  # in_game <arrow row>: the title's item started
  tap_until_arrow Down "$1" || tap_until_arrow Up "$1" || fail "the arrow did not reach row $1"
  hold Return 0.1
}
to_title() {  # Escape (unless the game ended by itself), then Return on the end screen
  look overlay >/dev/null || hold Escape 0.15
  wait_for overlay || fail "no end screen"
  for _ in 1 2 3; do
    hold Return 0.1
    wait_for title && return 0
  done
  fail "no title menu after the end screen"
}
full_screen() {  # full_screen <on|off>
  local size=1920x1080
  [[ $1 == on ]] || size=800x600
  for _ in 1 2 3; do hold f 0.15; within 5 window_is "$size" && return 0; done
  echo "no full screen $1" >&2
  exit 1
}

for run in $(seq "$runs"); do
  echo "run $run, $(uptime | sed 's/.*load/load/')"
  start_desktop 1920x1080
  floor=$(floor_cpu)
  "$work/game/velquadro" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_window
  wait_for title
  report "title menu, 800x600 window" "$(game_cpu)" "$floor"
  in_game 0
  report "running game, 800x600 window" "$(game_cpu)" "$floor"
  to_title
  in_game 2
  report "Demo, 800x600 window" "$(game_cpu)" "$floor"
  to_title
  full=$(floor_cpu full)
  full_screen on
  report "title menu, full screen" "$(game_cpu)" "$full"
  full_screen off
  in_game 0
  full_screen on
  report "running game, full screen" "$(game_cpu)" "$full"
  full_screen off  # the screens are read in the window
  to_title
  in_game 2
  full_screen on
  report "Demo, full screen" "$(game_cpu)" "$full"
  stop_program "$pid"

  start_desktop 2560x1440
  floor=$(floor_cpu "" SDL12COMPAT_WINDOW_SCALING=2)
  "$work/game/velquadro" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_window
  window_is 1600x1200 || { echo "the window on 2560x1440 is not 1600x1200" >&2; exit 1; }
  wait_for title
  report "title menu, 1600x1200 window" "$(game_cpu)" "$floor"
  in_game 0
  report "running game, 1600x1200 window" "$(game_cpu)" "$floor"
  to_title
  in_game 2
  report "Demo, 1600x1200 window" "$(game_cpu)" "$floor"
  stop_program "$pid"
done
