#!/usr/bin/env bash
# The Demo in the real program under a virtual X server: it plays by itself
# (the screen changes, pieces land, squares are marked), Escape shows the
# end-screen overlay, which waits for Return, Return goes back to the title
# screen; nothing is printed and no hiscore file is written.
# Usage: bash test_demo.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup demo "$1" "$2"
cell_count="/usr/bin/python3 $source_dir/tests/e2e/demo_screen.py cells"
game=$work/game
install_game "$game"

# Waits up to <seconds> for a screenshot with at least <cells> Board cells, of
# which at least <marked> are marked.
board_reaches() {  # board_reaches <cells> <marked> <seconds>
  local found
  for _ in $(seq $(($3 * 2))); do
    screenshot
    read -r -a found < <($cell_count "$work/shot.png" "$gfx")
    ((found[0] >= $1 && found[1] >= $2)) && return 0
    sleep 0.5
  done
  return 1
}
printed_nothing() {  # standard output empty, but for a failed audio start
  local text
  text=$(grep -v '^Unable to initialize audio: ' "$work/out.txt" || true)
  [[ -z $text ]]
}

cd "$work"
"$game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pids+=($!)
wait_window "$work/err.txt"
check "the title screen is shown" wait_for title
check "the arrow reaches Demo" tap_until_arrow Down 2
hold Return 0.1

check "the Demo plays by itself: the screen changes with no key pressed" changes_within 1
check "pieces land: eight Board cells within 20 s" board_reaches 8 0 20
check "squares are built: marked cells within 40 s" board_reaches 4 4 40
check "it goes on playing" changes_within 1

hold Escape 0.15
check "Escape shows the end-screen overlay" wait_for overlay
check "the end screen waits for Return" frozen_for 1
hold Return 0.1
check "Return goes back to the title screen" wait_for title

check "nothing was printed" printed_nothing
check "nothing was printed on standard error" test ! -s "$work/err.txt"
check "the Demo writes no hiscore file" test ! -e "$game/hiscore.dat"

finish_checks
