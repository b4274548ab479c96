#!/usr/bin/env bash
# The Demo in the real program under a virtual X server: it plays by itself
# (the screen changes, pieces land, squares are marked), Escape shows the
# end-screen overlay, which waits for Return, Return goes back to the title
# screen; nothing is printed and no hiscore file is written.
# Usage: bash test_demo.sh <path-to-velquadro> <source-dir>
set -euo pipefail

program=$(readlink -f "$1")
source_dir=$(readlink -f "$2")
work=$(mktemp -d /tmp/vq_demo_XXXXXX)
screen_check="/usr/bin/python3 $source_dir/tests/e2e/game_screen.py"
cell_count="/usr/bin/python3 $source_dir/tests/e2e/demo_screen.py cells"

pid=""
xvfb_pid=""
cleanup() {
  [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null || true
  if [[ -n $xvfb_pid ]]; then
    kill -KILL "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
passes=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
    echo "ok: $what"
  else
    failures=$((failures + 1))
    echo "FAILED: $what"
  fi
}

# --- a virtual screen on a free display --------------------------------------
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
export SDL_AUDIODRIVER=dummy

gfx=$source_dir/gfx
game=$work/game
mkdir -p "$game"
cp "$program" "$game/velquadro"
cp -r "$gfx" "$game/gfx"
cp "$source_dir/bgm.ogg" "$game/bgm.ogg"

screenshot() {  # screenshot [name]
  import -window "$window" "png:$work/${1:-shot}.png" 2>/dev/null || rm -f "$work/${1:-shot}.png"
}
look() {  # look <check> [arguments]
  screenshot
  [[ -f $work/shot.png ]] || { echo "no screenshot"; return 1; }
  $screen_check "$1" "$work/shot.png" "$gfx" "${@:2}"
}
wait_for() {  # wait_for <check> [arguments]: up to ~5 s
  for _ in $(seq 25); do
    look "$@" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}
hold() {  # hold <key> <seconds>
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
  sleep 0.1
}
tap_until_arrow() {  # tap_until_arrow <key> <item>
  for _ in $(seq 20); do
    [[ $(look arrow || true) == "$2" ]] && return 0
    hold "$1" 0.06
  done
  [[ $(look arrow || true) == "$2" ]]
}
changes_within() {  # changes_within <seconds>: two screenshots that far apart differ
  local n
  screenshot a
  sleep "$1"
  screenshot b
  n=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  [[ $n != 0 ]]
}
frozen_for() {  # frozen_for <seconds>: the screen does not change meanwhile
  ! changes_within "$1"
}
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
pid=$!
window=$(timeout 10 xdotool search --sync --name '^Velquadro$' | head -1 || true)
[[ -n $window ]] || { echo "FAILED: no window"; cat "$work/err.txt"; exit 1; }
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

echo "$passes passed, $failures failed"
[[ $failures -eq 0 ]]
