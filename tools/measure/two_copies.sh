#!/usr/bin/env bash
# Two copies of the game in one folder, each on a virtual X server of its own,
# end a game of Play at the same moment, again and again, with every fsync
# slowed by 30 ms: counts the pairs whose two results both stay in
# records.txt. Then one copy sits on its end screen while the other saves a
# higher hiscore: the first one's Return must not lower it.
#   tools/measure/two_copies.sh [build/velquadro] [pairs, default 10]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
source "$source_dir/tests/e2e/lib.sh"
vq_setup two_copies "${1:-$source_dir/build/velquadro}" "$source_dir"
pairs=${2:-10}
game=$work/game
install_game "$game"
cc -O2 -shared -fPIC -o "$work/slow_fsync.so" "$source_dir/tools/measure/slow_fsync.c" -ldl

displays=()
for copy in a b; do
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display_$copy" 2>/dev/null &
  pids+=("$!")
  for _ in $(seq 100); do [[ -s $work/display_$copy ]] && break; sleep 0.1; done
  displays+=(":$(head -1 "$work/display_$copy")")
done
on_both() {  # on_both <key> <seconds>: the key held on both copies' screens at once
  local d
  for d in "${displays[@]}"; do DISPLAY=$d xdotool keydown "$1"; done
  sleep "$2"
  for d in "${displays[@]}"; do DISPLAY=$d xdotool keyup "$1"; done
}
start_both() {
  local d
  copies=()
  for d in "${displays[@]}"; do
    (cd "$game" && DISPLAY=$d LD_PRELOAD="$work/slow_fsync.so" exec ./velquadro >/dev/null 2>&1) &
    copies+=("$!")
    pids+=("$!")
  done
  for d in "${displays[@]}"; do DISPLAY=$d timeout 10 xdotool search --sync --name '^Velquadro$' >/dev/null; done
  sleep 1
}

both_kept=0
for ((pair = 1; pair <= pairs; pair++)); do
  rm -f "$game"/{records.txt,hiscore.dat,*.vqreplay}
  start_both
  on_both Return 0.1
  sleep 0.6
  on_both Escape 0.15
  sleep 1.5
  kept=$(grep -c '^0 ' "$game/records.txt" || true)
  echo "pair $pair: $kept of 2 results kept"
  [[ $kept == 2 ]] && both_kept=$((both_kept + 1))
  for p in "${copies[@]}"; do stop_process "$p"; done
done
echo "two copies ending together: both results kept in $both_kept of $pairs pairs"

# The stale hiscore: copy A on its end screen at 0 points, then another copy's 16.
rm -f "$game"/{records.txt,hiscore.dat,*.vqreplay}
start_both
DISPLAY=${displays[0]} bash -c "$(declare -f hold); hold Return 0.1; sleep 0.6; hold Escape 0.15"
sleep 1
echo 16 >"$game/hiscore.dat"
DISPLAY=${displays[0]} bash -c "$(declare -f hold); hold Return 0.1"
sleep 1
echo "a stale copy's Return leaves hiscore.dat at $(cat "$game/hiscore.dat") (16 kept: $([[ $(cat "$game/hiscore.dat") == 16 ]] && echo yes || echo no))"
