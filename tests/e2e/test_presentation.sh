#!/usr/bin/env bash
# The program presents only what changed of each frame; where the window
# system may have lost what the window showed, it presents the whole picture
# again. On a 1920x1080 screen with openbox, the title menu (which draws
# nothing while it waits) and a paused game must show, to the pixel, what
# they showed before, after the window was covered and uncovered, lost and
# got back its focus, was minimised and shown again, toggled to full screen
# and back, and resized; in full screen after it was covered too.
# Usage: bash test_presentation.sh <path-to-velquadro> <source-dir>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup presentation "$1" "$2" desktop
install_game "$work/game"

"$work/game/velquadro" >/dev/null 2>"$work/err.txt" &
pid=$!
pids+=("$pid")
wait_window "$work/err.txt"

same_as() {  # same_as <reference>: the window shows it again within 3 s, 0 pixels off
  local off
  for _ in $(seq 15); do
    screenshot now
    off=$(compare -metric AE "$work/$1.png" "$work/now.png" null: 2>&1 || true)
    [[ $off == 0 ]] && return 0
    sleep 0.2
  done
  echo "  $off pixels off"
  return 1
}
other=""
cover() {  # cover [WxH+X+Y]: another window over the game's (where it is, by default), then gone
  local geometry=${1:-}
  [[ -n $geometry ]] || geometry=$(xdotool getwindowgeometry --shell "$window" |
    awk -F= '/^(X|Y)=/ { p[$1] = $2 } END { printf "600x400+%d+%d", p["X"] + 100, p["Y"] + 100 }')
  xmessage -geometry "$geometry" -buttons "" "covering the game" &
  other=$!
  pids+=("$other")
  timeout 5 xdotool search --sync --name '^xmessage$' >/dev/null
  sleep 0.5
}
uncover() { stop_process "$other" && xdotool windowactivate --sync "$window" 2>/dev/null || true; }
f_until() { for _ in 1 2 3; do hold f 0.15 && within 5 window_is "$1" && return 0; done; return 1; }  # f_until <WxH>

windowed_checks() {  # windowed_checks <scene>: its picture kept through what may lose it
  screenshot "$1"
  cover
  check "$1: covered, the window shows something else" \
    bash -c "! compare -metric AE '$work/$1.png' <(import -window '$window' png:-) null: 2>/dev/null"
  uncover
  check "$1: uncovered, the whole picture again" same_as "$1"
  cover 300x80+1500+900
  xdotool windowactivate --sync "$(xdotool search --name '^xmessage$' | head -1)" 2>/dev/null || true
  uncover
  check "$1: the focus back, the whole picture" same_as "$1"
  xdotool windowminimize --sync "$window"
  sleep 0.5
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
  check "$1: minimised and shown again, the whole picture" same_as "$1"
  xdotool windowsize --sync "$window" 1000 700 2>/dev/null || true
  sleep 0.5
  xdotool windowsize --sync "$window" 800 600 2>/dev/null || true
  check "$1: resized and back, the whole picture" same_as "$1"
}
full_screen_checks() {  # full_screen_checks <scene>
  screenshot "$1"
  cover 600x400+200+200
  uncover
  check "$1: covered and uncovered, the whole picture" same_as "$1"
}

check "the title menu is shown" wait_for title
sleep 0.5
windowed_checks title
check "title: F, full screen" f_until 1920x1080
sleep 0.5
full_screen_checks title-full
check "title: F again, the window" f_until 800x600
check "title: back in the window, the whole picture" same_as title

# A paused game: the pause takes no F, so full screen comes before it.
hold Return 0.1
wait_for piece 1 1 1 2 >/dev/null || true
hold Return 0.3
check "a paused game" within 3 frozen_for 0.5
windowed_checks pause
hold Return 0.3
check "F in the game, full screen" f_until 1920x1080
hold Return 0.3
check "a paused game in full screen" within 3 frozen_for 0.5
full_screen_checks pause-full

finish_checks
