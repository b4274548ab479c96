#!/usr/bin/env bash
# Start-up times of the real program under a virtual X server: from process
# start to the first title frame, and from pressing Return on Play to the
# first game frame. A preloaded shim (flip_times.c) stamps every flip with the
# monotonic clock; the script stamps the start and the key press with the same
# clock. Prints one line per run and the medians.
# Usage: tools/measure/startup.sh <path-to-velquadro> [runs, default 10]
set -euo pipefail
program=$(readlink -f "$1")
runs=${2:-10}
source_dir=$(readlink -f "$(dirname "$0")/../..")
source "$source_dir/tools/measure/common.sh"
cc -O2 -shared -fPIC -o "$work/flip_times.so" "$source_dir/tools/measure/flip_times.c" -ldl

now() { /usr/bin/python3 -c 'import time; print("%.6f" % time.monotonic())'; }
flips() { grep -c '^flip' "$work/err" 2>/dev/null || true; }
nth_flip() { grep '^flip' "$work/err" | sed -n "$1p" | cut -d' ' -f2; }
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f\n", (b - a) * 1000 }'; }

title_times=()
game_times=()
for run in $(seq "$runs"); do
  rm -f "$work/hiscore.dat"
  # The clock is read just before the program starts and just before the key
  # is sent; starting xdotool itself (a few ms) is counted against the game.
  start=$(now)
  LD_PRELOAD="$work/flip_times.so" "$program" >/dev/null 2>"$work/err" &
  pid=$!
  for _ in $(seq 500); do [[ $(flips) -ge 1 ]] && break; sleep 0.01; done
  title=$(nth_flip 1)
  sleep 0.3
  window=$(xdotool search --name '^Velquadro$' | head -1)
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  press=$(now)
  xdotool keydown Return
  for _ in $(seq 500); do [[ $(flips) -ge 2 ]] && break; sleep 0.01; done
  xdotool keyup Return
  game=$(nth_flip 2)
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  t=$(ms "$start" "$title")
  g=$(ms "$press" "$game")
  echo "run $run: first title frame after $t ms, first game frame $g ms after Return"
  title_times+=("$t")
  game_times+=("$g")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "start-up: first title frame $(median "${title_times[@]}") ms after process start, first game frame $(median "${game_times[@]}") ms after Return (medians of $runs runs)"
