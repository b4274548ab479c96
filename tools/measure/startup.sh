#!/usr/bin/env bash
# Start-up times of the real program on a virtual 1920x1080 screen with a
# window manager: from process start to the first title frame, and from
# pressing Return on Play to the first game frame. A preloaded shim (flip_times.c) stamps every flip with the
# monotonic clock; the script stamps the start and the key press with the same
# clock. Prints one line per run and the medians.
# Usage: tools/measure/startup.sh <path-to-velquadro> [runs, default 10]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup measure "$1" "$(dirname "${BASH_SOURCE[0]}")/../.." desktop
runs=${2:-10}
build_flip_shim

now() { /usr/bin/python3 -c 'import time; print("%.6f" % time.monotonic())'; }
nth_flip() { grep '^flip ' "$work/err.txt" | sed -n "$1p" | cut -d' ' -f2; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'; }

title_times=()
game_times=()
for run in $(seq "$runs"); do
  # The clock is read just before the program starts and just before the key
  # is sent; starting xdotool itself (a few ms) is counted against the game.
  start=$(now)
  LD_PRELOAD="$work/flip_times.so" "$program" >/dev/null 2>"$work/err.txt" &
  pid=$!
  pids+=("$pid")
  wait_flips 1 "$pid" || true
  title=$(nth_flip 1)
  sleep 0.3
  wait_window
  press=$(now)
  xdotool keydown Return
  wait_flips 2 "$pid" || true
  xdotool keyup Return
  game=$(nth_flip 2)
  stop_process "$pid"
  t=$(ms "$start" "$title")
  g=$(ms "$press" "$game")
  echo "run $run: first title frame after $t ms, first game frame $g ms after Return"
  title_times+=("$t")
  game_times+=("$g")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "start-up: first title frame $(median "${title_times[@]}") ms after process start, first game frame $(median "${game_times[@]}") ms after Return (medians of $runs runs)"
