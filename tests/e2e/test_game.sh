#!/usr/bin/env bash
# Play and Time attack in the real program under a virtual X server: the first
# piece and the HUD, keys after a storm of mouse motion, a pause taken and left
# with ordinary presses, Escape with its overlay and summary, the hiscore file,
# a Time attack that ends by itself, and the CPU the pause and the end screen
# use.
# Usage: bash test_game.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup game "$1" "$2"
game=$work/game
install_game "$game"

pid=""
# Starts the program and waits for its title screen.
start_program() {
  "$game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  pids+=("$pid")
  wait_window "$work/err.txt"
  wait_for title
}
piece_in_column() {  # piece_in_column <column>: the first piece, up to ~5 s
  for _ in $(seq 25); do
    [[ $(look piece 1 1 1 2 || true) == "$1 "* ]] && return 0
    sleep 0.2
  done
  return 1
}
summary_printed() {  # summary_printed <seconds-pattern> [score-pattern, default 0]: all the output so far
  local text nl=$'\n' pattern
  text=$(cat "$work/out.txt"; echo x)
  text=${text%x}
  pattern="^(Unable to initialize audio: [^${nl}]*${nl})?You have perished${nl}Seconds Played: $1${nl}Final Score: ${2:-0}${nl}\$"
  [[ $text =~ $pattern ]]
}
wait_summary() {  # wait_summary <seconds-pattern> <timeout> [score-pattern]
  for _ in $(seq $(($2 * 5))); do
    summary_printed "$1" "${3:-0}" && return 0
    sleep 0.2
  done
  return 1
}

cd "$work"

# --- 1. an untimed game without a hiscore file ---------------------------------
start_program
hold Return 0.1
check "Play draws the first piece (colours 1, 1, 1, 2) in columns 8 and 9" piece_in_column 8

# A storm of mouse motion over the window, then one press of Left: the piece
# moves one column at once, not seconds later. Taps of 20 ms, each pressed
# and let go between two frames, act as well. (An untimed game left alone
# ends in some 12 s: the piece is moved first, before it lands.)
moves=()
for i in $(seq 400); do moves+=(mousemove --window "$window" $((100 + i % 600)) $((100 + i % 400))); done
xdotool "${moves[@]}"
hold Left 0.15
check "after the mouse storm one press of Left moves the piece one column" piece_in_column 7
for _ in $(seq 6); do hold Left 0.02; sleep 0.15; done
check "six taps of Left of 20 ms move it six columns more" piece_in_column 1
check "the HUD shows level 1" wait_for number 185 1
check "the HUD shows score 0" wait_for number 305 0
check "the HUD shows hiscore 0" wait_for number 365 0

# Pause with an ordinary press, resume with another. The pause looks at
# Return on every third frame, so a press of 0.3 s always meets one.
hold Return 0.3
check "a press of Return pauses: nothing is drawn" within 3 frozen_for 0.5
pause_cpu=$(cpu_percent "$pid" 5)
echo "paused game CPU: $pause_cpu% of one core over 5 s"
check "the pause uses less than 20% of a core ($pause_cpu%)" below "$pause_cpu" 20
hold Return 0.3
check "a second press resumes the game" within 3 changes_within 0.25
check "the game does not pause again" keeps_changing 1

hold Escape 0.15
check "Escape shows the end-screen overlay" wait_for overlay
check "Escape prints the summary" wait_summary "[0-9]+" 3
end_cpu=$(cpu_percent "$pid" 5)
echo "end screen CPU: $end_cpu% of one core over 5 s"
check "the end screen uses less than 20% of a core ($end_cpu%)" below "$end_cpu" 20
check "the untimed game kept hiscore.dat with \"0\\n\" before its end screen showed" \
  cmp -s "$game/hiscore.dat" <(printf '0\n')
hold Return 0.1
check "Return goes back to the title screen" wait_for title
stop_process "$pid"

# --- 2. a stored "0x1F" --------------------------------------------------------
printf '0x1F' >"$game/hiscore.dat"
start_program
hold Return 0.1
check "a stored \"0x1F\" shows 31 in the HUD" wait_for number 365 31
hold Escape 0.15
check "the game ends with its overlay" wait_for overlay
hold Return 0.1
check "back at the title screen" wait_for title
check "a lower score leaves \"0x1F\" alone" cmp -s "$game/hiscore.dat" <(printf '0x1F')
stop_process "$pid"

# --- 3. Time attack of 10 s ------------------------------------------------------
rm -f "$game/hiscore.dat"
start_program
check "the arrow reaches Time attack" tap_until_arrow Down 1
for _ in $(seq 4); do hold Left 0.15; done  # 30 s down to the least, 10 s
hold Return 0.1
check "the HUD counts down from 10" wait_for number 245 10
# Some 330 frames run in 10 s: a square the first pieces make may already be
# swept and scored at the end of the second pass.
check "Time attack ends by itself after 10 s" wait_summary 10 16 "[0-9]+"
check "its end screen shows the overlay" wait_for overlay
hold Return 0.1
check "back at the title screen" wait_for title
check "Time attack writes no hiscore file" test ! -e "$game/hiscore.dat"
stop_process "$pid"

check "nothing was printed on standard error" test ! -s "$work/err.txt"

finish_checks
