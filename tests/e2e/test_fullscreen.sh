#!/usr/bin/env bash
# Full screen on a 1920x1080 screen with a window manager, in the title menu and
# in a game; OpenGL only where the player's own SDL settings ask for it.
# Usage: bash test_fullscreen.sh <path-to-velquadro> <source-dir>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup fullscreen "$1" "$2" desktop
install_game "$work/game"
start() {  # start [VARIABLE=value]: the program, up to its title menu
  env "$@" "$work/game/velquadro" >/dev/null 2>&1 & pid=$!; pids+=("$pid")
  wait_window && wait_for title
}
stop() { stop_process "$pid"; within 5 bash -c "! xdotool getwindowname $window" 2>/dev/null; }
f_shows() {  # f_shows <WxH> <picture> [rows]: F until the window has that size, showing the picture
  for _ in 1 2 3; do hold f 0.15; within 5 window_is "$1" && break; done
  screenshot
  /usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" shows "$work/shot.png" "$gfx" "${@:2}" >/dev/null
}
still_rows=0-90,540-600  # the rows of a game's picture where only the skin's background is drawn

start
screenshot window
check "F in the title menu: the menu scaled to 1920x1080, between black bars" f_shows 1920x1080 "$work/window.png"
check "F again: the 800x600 window with the same picture" f_shows 800x600 "$work/window.png"
hold Return 0.1
check "Play starts a game" wait_for number 365 0
check "F in a game: the game scaled, between black bars" f_shows 1920x1080 "$gfx/1/bg.png" "$still_rows"
cpu=$(cpu_percent "$pid" 5)
check "a game in full screen uses less than 50% of a core ($cpu%)" below "$cpu" 50
check "F again: the game in its window" f_shows 800x600 "$gfx/1/bg.png" "$still_rows"
stop

while read -r expected settings; do
  got="no title menu"  # else Mesa's OpenGL libraries mapped or not
  ! start ${settings#-} || got=$(grep -q -E 'libGLX|_dri\.so' "/proc/$pid/maps" && echo opengl || echo software)
  check "with ${settings/#-/no SDL settings}: $expected ($got)" test "$got" = "$expected"
  stop
done <<'CASES'
software -
software SDL_RENDER_DRIVER=software
software SDL_FRAMEBUFFER_ACCELERATION=0
opengl SDL_RENDER_DRIVER=opengl
opengl SDL_FRAMEBUFFER_ACCELERATION=1
CASES

finish_checks
