#!/usr/bin/env bash
# The title menu of the real program in a virtual X server: the first frame,
# the arrow moved with held keys, Quit, a missing image, no video at all, and
# the CPU an idle menu uses.
# Usage: bash test_menu.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup menu "$1" "$2"
convert=/usr/bin/convert
[[ -x $convert ]] || convert=convert

# --- the program with its files, started from another directory through a link
install_game "$work/game"
mkdir -p "$work/elsewhere"
ln -s "$work/game/velquadro" "$work/elsewhere/vq"

# --- the expected screens, composed from the artwork as the menu draws it ----
strip_height=$(identify -format %h "$gfx/numbers.png")
expected_menu() {  # expected_menu <arrow-y> <out>: "30" is "0" at 535, then "3" at 520
  "$convert" "$gfx/title.png" \
    "$gfx/arrow.png" -geometry "+130+$1" -composite \
    \( "$gfx/numbers.png" -crop "20x${strip_height}+0+0" +repage \) -geometry +535+477 -composite \
    \( "$gfx/numbers.png" -crop "20x${strip_height}+60+0" +repage \) -geometry +520+477 -composite \
    -alpha off "$2"
}
for y in 430 470 510 550; do expected_menu "$y" "$work/menu_$y.png"; done

# Pixels that differ by more than 1%: the blitter and ImageMagick round alpha
# blending a little differently.
differing_pixels() {
  local n
  n=$(compare -metric AE -fuzz 1% "$work/shot.png" "$1" null: 2>&1 || true)
  awk -v n="$n" 'BEGIN { printf "%d\n", (n ~ /^[0-9.e+]+$/) ? n : 999999 }'
}
shows() { [[ $(differing_pixels "$1") -eq 0 ]]; }
shows_now() { screenshot && shows "$1"; }  # shows_now <image>: a fresh screenshot shows it
# Waits up to ~5 s for the window to show the image.
wait_for_screen() {
  for _ in $(seq 50); do
    screenshot
    shows "$1" && return 0
    sleep 0.1
  done
  return 1
}
# The arrow row on screen, or "none".
arrow_row() {
  screenshot
  for y in 430 470 510 550; do
    shows "$work/menu_$y.png" && { echo "$y"; return; }
  done
  echo none
}
# Short taps never span two 100 ms ticks, so each moves the arrow at most one
# row; tap until the arrow is at the wanted row, waiting for each tap to show.
arrow_not_at() { [[ $(arrow_row) != "$1" ]]; }
tap_until_row() {  # tap_until_row <key> <row>
  local at
  for _ in $(seq 40); do
    at=$(arrow_row)
    [[ $at == "$2" ]] && return 0
    hold "$1" 0.06
    within 1 arrow_not_at "$at" || true  # a tap the menu missed is tapped again
  done
  [[ $(arrow_row) == "$2" ]]
}

# --- 1. the menu: first frame, idle CPU, arrow, Quit --------------------------
cd "$work/elsewhere"
./vq >"$work/out.txt" 2>"$work/err.txt" &
menu_pid=$!
pids+=("$menu_pid")
wait_window "$work/err.txt"

check "first frame: title, arrow at Play, limit 30" wait_for_screen "$work/menu_430.png"

idle_cpu=$(cpu_percent "$menu_pid" 5)
echo "idle menu CPU: $idle_cpu% of one core over 5 s"
check "idle menu uses less than 20% of a core ($idle_cpu%)" below "$idle_cpu" 20
check "idle menu still shows the first frame" wait_for_screen "$work/menu_430.png"

xdotool windowfocus --sync "$window" 2>/dev/null || true
# 150 ms of Down span one or two 100 ms ticks: one step each.
hold Down 0.15
within 2 arrow_not_at 430 || true
row=$(arrow_row)
check "Down held for 150 ms moves the arrow one or two rows (at $row)" \
  bash -c "[[ $row == 470 || $row == 510 ]]"
check "taps of Up bring the arrow back to Play" tap_until_row Up 430
check "a tap of Down moves the arrow from Play to Time attack at y 470" tap_until_row Down 470
check "Up from Play wraps around to Quit" tap_until_row Up 550

taps=0
for _ in $(seq 12); do
  at=$(arrow_row)
  hold Down 0.02
  within 1 arrow_not_at "$at" && taps=$((taps + 1))
done
check "each of 12 taps of Down of 20 ms moves the arrow ($taps did)" test "$taps" = 12
check "taps of Up bring the arrow to Quit" tap_until_row Up 550

xdotool keydown Return
wait_exit "$menu_pid" 5
xdotool keyup Return
check "Quit ends the program with status 0 (status $status)" test "$status" = 0
check "the menu prints nothing on standard output" test ! -s "$work/out.txt"

# --- 2. a pad: a virtual one plugged into SDL --------------------------------
cc -shared -fPIC -o "$work/virtual_pad.so" "$source_dir/tools/pad/virtual_pad.c" -ldl -lpthread
mkfifo "$work/pad"
pad() { echo "$@" >"$work/pad"; }
# press <button> <seconds>: Start 6, Back 4, D-pad 11 to 14. The program looks
# at the virtual pad when it polls: a press must outlast a frame in a game,
# and in the menu one that outlasts a 100 ms tick may act twice.
press() { pad button "$1" 1; sleep "$2"; pad button "$1" 0; }
in_column_7() { [[ $(look piece 1 1 1 2) == "7 "* ]]; }
LD_PRELOAD="$work/virtual_pad.so" VQ_PAD_FIFO="$work/pad" "$work/game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pad_pid=$!
pids+=("$pad_pid")
wait_window "$work/err.txt"
wait_for_screen "$work/menu_430.png"
press 12 0.03
check "the pad's D-pad moves the arrow down" within 3 shows_now "$work/menu_470.png"
press 11 0.03
within 3 shows_now "$work/menu_430.png" || true
press 6 0.15
check "Start starts a game" within 5 look piece 1 1 1 2
press 13 0.15
check "the D-pad moves the piece" within 3 in_column_7
press 4 0.15
check "Back ends the game" within 5 look overlay
press 6 0.15
check "Start leaves the end screen" within 5 look title
pad axis 1 -30000; sleep 0.03; pad axis 1 0
within 3 shows_now "$work/menu_550.png" || true
press 6 0.15
wait_exit "$pad_pid" 5
check "Up and Start on Quit end the program with status 0 (status $status)" test "$status" = 0

# --- 3. a missing image -------------------------------------------------------
install_game "$work/broken"
rm "$work/broken/gfx/arrow.png"
"$work/broken/velquadro" >"$work/out_broken.txt" 2>"$work/err_broken.txt" &
broken_pid=$!
pids+=("$broken_pid")
wait_exit "$broken_pid" 10
check "a missing arrow image ends the program with status 1 (status $status)" test "$status" = 1
check "nothing is printed on standard output" test ! -s "$work/out_broken.txt"
check "standard error names the missing file" grep -q "gfx/arrow.png" "$work/err_broken.txt"

# --- 4. no display at all -------------------------------------------------------
(unset DISPLAY WAYLAND_DISPLAY; SDL_VIDEODRIVER=x11 "$work/game/velquadro" >"$work/out_novideo.txt" 2>/dev/null) &
novideo_pid=$!
pids+=("$novideo_pid")
wait_exit "$novideo_pid" 10
check "without a display the program ends with status 1 (status $status)" test "$status" = 1
check "and prints \"Error: ...\" on standard output" grep -q "^Error: ." "$work/out_novideo.txt"

finish_checks
