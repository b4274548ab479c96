#!/usr/bin/env bash
# The real program at the edges of a desktop, on virtual X servers with
# openbox: the display ending under it in every state (ten times in a running
# game) ends it within 2 s with one line and status 1; another window taking
# the focus, and minimising, pause a game until Return, and minimised it
# draws nothing and idles; SIGTERM, SIGINT and SIGHUP end every screen (menu,
# game, pause, end screen, help, a watched replay, Demo) within 1 s as closing
# the window does, and SIGKILL on the end screen loses no result; the window is as large as the screen allows in whole multiples
# of 800x600, its pixels sharp.
# Usage: bash test_desktop.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup desktop "$1" "$2" desktop
game=$work/game
install_game "$game"

pid=""
start_program() {  # start_program: on the current screen, waits for the title
  "$game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  pids+=("$pid")
  wait_window "$work/err.txt"
  wait_for title
}
to_state() {  # to_state <state>: from the title menu
  case $1 in
    game) hold Return 0.1 && wait_for piece 1 1 1 2 >/dev/null ;;
    pause) to_state game && hold Return 0.3 && within 3 frozen_for 0.5 ;;
    end) to_state game && hold Escape 0.15 && wait_for overlay ;;
    demo) tap_until_arrow Down 2 && hold Return 0.1 && within 3 changes_within 0.25 ;;
    help) hold F1 0.1 && wait_for help 0 ;;
    full) to_state game && f_until 1920x1080 ;;
    menu) true ;;
  esac
}
gone_within() {  # gone_within <seconds> <pid>: sets status; the time it took in ms in `took`
  local start=${EPOCHREALTIME/./}
  wait_exit "$2" "$1"
  took=$(((${EPOCHREALTIME/./} - start) / 1000))
  [[ $status != hang ]]
}
f_until() {  # f_until <WxH>: F until the window has that size (a press may meet the menu's tick late)
  for _ in 1 2 3; do
    hold f 0.15
    within 5 window_is "$1" && return 0
  done
  return 1
}
one_line() { [[ $(wc -l <"$1") == 1 && $(head -c 10 "$1") == velquadro: ]]; }

# --- the display ends -----------------------------------------------------------
for state in game game game game game game game game game game menu pause end demo full; do
  start_desktop 1920x1080
  start_program
  to_state "$state" || echo "could not reach $state"
  stop_process "$xvfb_pid"
  xvfb_pid=""
  gone_within 2 "$pid" || true
  check "display lost in $state: gone in ${took} ms with status 1 ($status), one line" \
    bash -c "[[ $status == 1 ]] && $(declare -f one_line); one_line '$work/err.txt'"
done
cat "$work/err.txt"

# --- focus, minimise ------------------------------------------------------------
start_desktop 1920x1080
start_program
to_state game
xmessage -geometry 300x80+1200+800 another window &
other_pid=$!
pids+=("$other_pid")
other=$(timeout 5 xdotool search --sync --name '^xmessage$' | head -1)
xdotool windowactivate --sync "$other" 2>/dev/null || true
check "another window takes the focus: the game stops" within 3 frozen_for 1
xdotool windowactivate --sync "$window" 2>/dev/null || true
check "the focus back: the game stays paused" frozen_for 1.5
hold Return 0.3
check "Return resumes it" within 2 changes_within 0.25
check "and it does not pause again" keeps_changing 1
xdotool windowminimize --sync "$window"
sleep 1  # the window manager and the program take in the minimising
hidden_cpu=$(cpu_percent "$pid" 10)
echo "minimised game: $hidden_cpu% of one core over 10 s"
check "minimised, the game uses at most 0.5% of a core ($hidden_cpu%)" below "$hidden_cpu" 0.51
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
check "shown again: the paused game's picture, not a black window" wait_for number 185 1
check "shown again: still paused" frozen_for 1
hold Return 0.3
check "Return resumes it" within 2 changes_within 0.25
hold Escape 0.15
wait_for overlay
xdotool windowminimize --sync "$window"
sleep 1
end_cpu=$(cpu_percent "$pid" 10)
check "minimised end screen: at most 0.5% of a core ($end_cpu%)" below "$end_cpu" 0.51
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
hold Return 0.1
check "the title after the end screen" wait_for title
tap_until_arrow Down 2 >/dev/null && hold Return 0.1
xdotool windowactivate --sync "$other" 2>/dev/null || true
check "the Demo goes on without the focus" within 3 keeps_changing 1
xdotool windowminimize --sync "$window"
sleep 1
demo_cpu=$(cpu_percent "$pid" 10)
check "a minimised Demo goes on drawing nothing: at most 0.5% of a core ($demo_cpu%)" below "$demo_cpu" 0.51
stop_program "$pid"
start_program
xdotool windowminimize --sync "$window"
sleep 1
menu_cpu=$(cpu_percent "$pid" 10)
check "a minimised title menu: at most 0.5% of a core ($menu_cpu%)" below "$menu_cpu" 0.51
stop_program "$pid"
stop_process "$other_pid"

# --- signals --------------------------------------------------------------------
# Every screen ends on each signal as on a closed window: a game (paused or on
# its end screen too) prints its summary and keeps its hiscore first.
start_watch() {  # a replay watched from the command line, once its frames run
  "$game/velquadro" --replay "$source_dir/tests/replays/new_skin.vqreplay" >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  pids+=("$pid")
  wait_window "$work/err.txt"
  within 3 changes_within 0.25
}
for signal in TERM INT HUP; do
  for state in menu game pause end help watch demo; do
    rm -f "$game"/{hiscore.dat,records.txt,last.vqreplay,best.vqreplay}
    if [[ $state == watch ]]; then
      start_watch || echo "could not reach $state"
    else
      start_program
      to_state "$state" || echo "could not reach $state"
    fi
    kill -s "$signal" "$pid"
    gone_within 1 "$pid" || true
    check "SIG$signal in the $state: gone in ${took} ms with status 0 ($status)" test "$status" = 0
    if [[ $state == game || $state == pause || $state == end ]]; then
      check "SIG$signal in the $state: its summary, and hiscore.dat" \
        bash -c "grep -q '^Final Score: 0$' '$work/out.txt' && [[ \$(cat '$game/hiscore.dat') == 0 ]]"
    fi
  done
done

# A program killed on its end screen has kept everything before it showed.
rm -f "$game"/{hiscore.dat,records.txt,last.vqreplay,best.vqreplay}
start_program
to_state end
kill -s KILL "$pid"
wait_exit "$pid" 2
check "SIGKILL on the end screen: hiscore.dat, records.txt and the best replay, the last game's, were kept" \
  bash -c "[[ \$(cat '$game/hiscore.dat') == 0 ]] && grep -q '^0 0 ' '$game/records.txt' &&
    cmp -s '$game/best.vqreplay' '$game/last.vqreplay'"

# --- the window's size ------------------------------------------------------------
for screen in 3840x2160:2400x1800:3 2560x1440:1600x1200:2 1920x1080:800x600:1; do
  IFS=: read -r size expected scale <<<"$screen"
  start_desktop "$size"
  start_program
  check "on $size the window is $expected" window_is "$expected"
  screenshot
  check "... showing the title enlarged $scale times with sharp pixels" \
    /usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" sharp "$work/shot.png" "$gfx" "$scale"
  [[ $scale == 3 ]] || { stop_program "$pid"; continue; }
  check "F on $size: full screen" f_until "$size"
  check "F again: the $expected window" f_until "$expected"
  check "... sharp as before" bash -c "sleep 0.5; $(declare -f screenshot); window=$window work=$work screenshot;
    /usr/bin/python3 '$source_dir/tests/e2e/game_screen.py' sharp '$work/shot.png' '$gfx' 3"
  stop_program "$pid"
done
start_desktop 3840x2160
SDL12COMPAT_WINDOW_SCALING=1 "$game/velquadro" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
wait_window
check "the player's own SDL12COMPAT_WINDOW_SCALING=1 wins: 800x600 on 3840x2160" window_is 800x600
stop_program "$pid"

finish_checks
