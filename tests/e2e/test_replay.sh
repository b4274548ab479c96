#!/usr/bin/env bash
# Replays in the real program under a virtual X server: a game played with
# moves, turns, drops and a pause is kept as last.vqreplay, --verify finds in
# it the score and seconds the summary printed, and watching it (R on the title
# menu, --replay from another folder) ends on the very picture the game ended
# on, but for the place and new best that only the game itself tells; Escape
# ends a watch early; a replay that is missing or no replay is told
# in one line and watches nothing.
# Usage: bash test_replay.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup replay "$1" "$2"
game=$work/game
install_game "$game"

pid=""
start_program() {  # start_program [arguments]: from $work, output in out.txt and err.txt
  (cd "$work" && exec "$game/velquadro" "$@" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
  pids+=("$pid")
  wait_window "$work/err.txt"
}
same_picture() { [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) == 0 ]]; }
# The game's end screen tells its place in the records and a new best, which
# belong to when it was played: a watch tells the score alone. Everything but
# the new-best banner and the place (its label and number) must be the same.
same_but_place() {  # same_but_place <game's end> <watch's end>
  local covered=(-fill black -draw "rectangle 250,4 549,61" -draw "rectangle 425,66 624,123")
  convert "$1" "${covered[@]}" "$work/a_covered.png" && convert "$2" "${covered[@]}" "$work/b_covered.png" &&
    same_picture "$work/a_covered.png" "$work/b_covered.png"
}

# --- a game, watched from the title menu ----------------------------------------
start_program
wait_for title
check "R before any game was played watches nothing" bash -c "
  $(declare -f hold); hold r 0.1; sleep 1; grep -q 'last.vqreplay cannot be read' '$work/err.txt'"
check "the title stays" wait_for title
hold Return 0.1
sleep 1
for key in Left Left Up space Right Down Control_L; do hold "$key" 0.08; sleep 0.25; done
hold Return 0.3  # a pause of some 1.5 s
sleep 1.2
hold Return 0.3
sleep 0.6
hold Escape 0.15
check "the game ends on its overlay" wait_for overlay
screenshot game_end
summary=$(tr '\n' ' ' <"$work/out.txt")
seconds=$(sed -n 's/^Seconds Played: //p' "$work/out.txt")
score=$(sed -n 's/^Final Score: //p' "$work/out.txt")
check "the summary was printed ($summary)" test -n "$seconds" -a -n "$score"
check "the game is kept as last.vqreplay" test -s "$game/last.vqreplay"
verified=$("$game/velquadro" --verify "$game/last.vqreplay" || true)
echo "$verified"
check "--verify finds the summary's $score points in $seconds s" \
  grep -q ": $score points in $seconds s over [0-9]* frames, as recorded$" <<<"$verified"
frames=$(sed -n 's/.* over \([0-9]*\) frames.*/\1/p' <<<"$verified")
bytes=$(stat -c %s "$game/last.vqreplay")
echo "the replay of $frames frames takes $bytes bytes"
check "a replay takes under 4 bytes a frame" test "$bytes" -lt $((39 + 4 * frames))
hold Return 0.1
check "Return goes back to the title" wait_for title

hold r 0.1
check "R watches the last game: it plays" within 3 changes_within 0.25
check "watching ends on its overlay" wait_for overlay
screenshot watched_end
new_best="" && if ((score > 0)); then new_best=" new best"; fi
check "the game's end tells its place (and a new best if it scored), the watch's end its score only" \
  test "$(look result)" = "score $score" -a "$(/usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" result \
  "$work/game_end.png" "$gfx")" = "score $score place 1$new_best"
check "the watched game ends on the game's last picture, pixel for pixel but for the place" \
  same_but_place "$work/game_end.png" "$work/watched_end.png"
hold Return 0.1
check "Return goes back to the title" wait_for title
hold b 0.1
sleep 1.5
hold Escape 0.15
check "B watches the best game, and Escape ends it early on the overlay" within 2 look overlay
hold Return 0.1
check "back at the title" wait_for title
stop_process "$pid"

# --- --replay from another folder, and files that are no replay -------------------
cp "$game/last.vqreplay" "$work/kept.vqreplay"
start_program --replay kept.vqreplay
check "--replay ends on the game's last picture" wait_for overlay
sleep 0.5
screenshot replayed_end
check "... pixel for pixel but for the place" same_but_place "$work/game_end.png" "$work/replayed_end.png"
hold Return 0.1
wait_exit "$pid" 3
check "Return then ends the program with status 0 ($status)" test "$status" = 0

head -c 60 "$work/kept.vqreplay" >"$work/cut.vqreplay"
for bad in cut.vqreplay missing.vqreplay; do
  status=0
  (cd "$work" && "$game/velquadro" --replay "$bad" >"$work/out.txt" 2>"$work/err.txt") || status=$?
  check "--replay $bad: status 2, one line on standard error" \
    test "$status" = 2 -a "$(wc -l <"$work/err.txt")" = 1 -a ! -s "$work/out.txt"
  cat "$work/err.txt"
done

finish_checks
