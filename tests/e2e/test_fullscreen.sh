#!/usr/bin/env bash
# Full screen in the real program on a 1920x1080 virtual screen with a window
# manager: F in the title menu and in a game shows the whole picture scaled to
# the screen's height between black bars, F again gives the window back with
# the same picture; the CPU of a game in full screen; and the way frames reach
# the screen, by default and when the player's own SDL settings choose it.
# Usage: bash test_fullscreen.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup fullscreen "$1" "$2" desktop
install_game "$work/game"

shows() {  # shows <screenshot name> <picture> [rows]: game_screen.py's check
  /usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" shows "$work/$1.png" "$gfx" "${@:2}" >/dev/null
}
toggle() {  # toggle <WxH>: F until the window has that size
  for _ in 1 2 3; do
    hold f 0.15
    within 5 window_is "$1" && return 0
  done
  return 1
}
window_gone() { ! xdotool getwindowname "$window" >/dev/null 2>&1; }  # after its program was killed
# The rows of a game's picture that only the skin's background covers.
still_rows=0-90,515-600

"$work/game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
pids+=("$pid")
wait_window "$work/err.txt"
wait_for title
screenshot window
check "the program opens an 800x600 window" test "$(window_size)" = 800x600

# --- 1. the title menu ----------------------------------------------------------
check "F in the title menu fills the 1920x1080 screen" toggle 1920x1080
screenshot full
check "the menu is scaled to 1080 rows, centred, with black bars at the sides" shows full "$work/window.png"
check "F again gives back the 800x600 window" toggle 800x600
screenshot back
check "with the same picture" shows back "$work/window.png"

# --- 2. a game ------------------------------------------------------------------
hold Return 0.1
check "Play starts a game" wait_for number 365 0
check "F in a game fills the screen" toggle 1920x1080
screenshot full
check "the game is scaled, centred, between black bars" shows full "$gfx/1/bg.png" "$still_rows"
cpu=$(cpu_percent "$pid" 5)
echo "running game in full screen: $cpu% of one core over 5 s"
check "a running game in full screen uses less than 50% of a core ($cpu%)" below "$cpu" 50
check "F again gives back the window" toggle 800x600
screenshot back
check "with the game in it" shows back "$gfx/1/bg.png" "$still_rows"
stop_process "$pid"
within 5 window_gone

# --- 3. how frames reach the screen -----------------------------------------------
# OpenGL (Mesa's libraries mapped) only where the player's settings ask for it.
while read -r expected settings; do
  env ${settings#-} "$work/game/velquadro" >/dev/null 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_window
  got="no title menu"
  if wait_for title; then
    got=software
    grep -q -E 'libGLX|_dri\.so' "/proc/$pid/maps" && got=opengl
  fi
  check "with ${settings/#-/no SDL settings}: $expected ($got)" test "$got" = "$expected"
  stop_process "$pid"
  within 5 window_gone
done <<'CASES'
software -
software SDL_RENDER_DRIVER=software
software SDL_FRAMEBUFFER_ACCELERATION=0
opengl SDL_RENDER_DRIVER=opengl
opengl SDL_FRAMEBUFFER_ACCELERATION=1
CASES

finish_checks
