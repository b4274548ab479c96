#!/usr/bin/env bash
# The records in the real program under a virtual X server, as a new player
# meets them: games played into an empty folder give records.txt with their
# scores, seconds and today's date; the end screen tells the score, the place
# and a new best; the title shows the best of Play and of Time attack at the
# limit played, none at another; F1 and H show the help with the records, and
# a key brings the title back exactly; a read-only records file is left alone.
# Usage: bash test_records.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup records "$1" "$2"
game=$work/game
install_game "$game"
today=$(date +%F)

start_program() {  # start_program [command...]: the game from $work, output in out.txt and err.txt
  (cd "$work" && exec "$@" "$game/velquadro" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$! && pids+=("$pid")
  wait_window "$work/err.txt" && wait_for title
}
shows() { [[ $(look "$1" || true) == "$2" ]]; }  # shows <result|best> <finding>
first_place() { echo "score $1 place 1$( (($1 > 0)) && echo ' new best')"; }  # first_place <score>: no points, no new best
summary() { sed -n "s/^$1: //p" "$work/out.txt" | tail -1; }  # summary <Seconds Played|Final Score>
play_to_end() {  # play_to_end <seconds>: Return on the item, a few moves, Escape, the end screen
  hold Return 0.1
  for key in Left space Right Up; do sleep "$1"; hold "$key" 0.08; done
  hold Escape 0.15 && wait_for overlay
}

start_program
check "an empty folder: the title shows no best" shows best none
play_to_end 0.4
score=$(summary "Final Score")
check "the first game takes place 1, a new best if it scored: $(look result)" shows result "$(first_place "$score")"
check "records.txt keeps it with today's date" grep -qx "0 $score $(summary "Seconds Played") $today" "$game/records.txt"
# Meanwhile another copy of the game in the same folder saved a better game:
# this one, read anew, lowers neither its hiscore nor its replay.
echo $((score + 16)) >"$game/hiscore.dat" && cp "$source_dir/tests/replays/new_skin.vqreplay" "$game/best.vqreplay"
hold Return 0.1 && wait_for title
check "another copy's better hiscore and its replay stay" bash -c "[[ \$(cat '$game/hiscore.dat') == $((score + 16)) ]] &&
  cmp -s '$game/best.vqreplay' '$source_dir/tests/replays/new_skin.vqreplay'"
check "the title shows it as the best of Play" shows best "$score"
play_to_end 0.05
second=$(summary "Final Score")
expected="score $second place 2" && ((second > score)) && expected="score $second place 1 new best"
check "the second game takes its place: $(look result)" shows result "$expected"
hold Return 0.1 && wait_for title

tap_until_arrow Down 1
for _ in 1 2; do hold Left 0.06; sleep 0.2; done
hold Return 0.1
sleep 11
timed=$(summary "Final Score")
check "a Time attack of 10 s takes place 1 of its own table: $(look result)" \
  shows result "$(first_place "$timed")"
check "records.txt keeps it as a result of 10 s" grep -qx "10 $timed 10 $today" "$game/records.txt"
hold Return 0.1 && wait_for title
check "the title shows it on Time attack at 10 s" shows best "$timed"
hold Right 0.06
check "at 20 s no best is shown" within 2 shows best none
hold Left 0.06 && sleep 0.3
cat "$game/records.txt"

screenshot before_help
hold F1 0.1
check "F1 on Time attack shows the help with its records" wait_for help 10 "$timed 10 $today"
hold x 0.1
check "any key brings the title back" wait_for title
screenshot after_help
check "... exactly as it was" test "$(compare -metric AE "$work/before_help.png" "$work/after_help.png" null: 2>&1)" = 0
# A result of more digits after the newer ones, as a hand might add it: read, it comes first; the
# largest score a game can reach fits on the plaque.
echo "0 1000000318 75 2024-02-03" >>"$game/records.txt"
tap_until_arrow Up 0
check "the title reads the records again and shows their best on Play" shows best 1000000318
check "... within its plaque" wait_for title
mapfile -t untimed < <(awk '$1 == 0 { print $2, $3, $4 }' "$game/records.txt" | sort -k1,1nr -s)
hold h 0.1
check "H on Play shows the untimed records, best first: ${untimed[*]}" wait_for help 0 "${untimed[@]}"
hold Return 0.3 && sleep 1
check "Return leaves the help and starts no game" wait_for title
stop_process "$pid"

# A read-only records file, as an ordinary user: root ignores the permissions.
as_user=() && [[ $(id -u) -ne 0 ]] || as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
chmod 755 "$work" && chown -R 65534:65534 "$game" 2>/dev/null || true
printf 'velquadro records 1\n0 5 1 2020-01-01\n' >"$game/records.txt" && chmod 444 "$game/records.txt"
start_program "${as_user[@]}"
play_to_end 0.05
check "a read-only records.txt: the score is told without a place" shows result "score $(summary "Final Score")"
check "... the file is left as it was" test "$(cat "$game/records.txt")" = $'velquadro records 1\n0 5 1 2020-01-01'
hold Return 0.1
check "... and the title comes back" wait_for title
finish_checks
