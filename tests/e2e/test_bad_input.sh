#!/usr/bin/env bash
# The real program against broken files and a poor environment, under a
# virtual X server: every image it loads missing, cut short or not an image;
# the music missing or broken; no sound device; no display; a hiscore file
# that cannot be written; a game started through symbolic links from another
# directory. It must end with the right status and message, or play on, and
# never crash or hang.
# Usage: bash test_bad_input.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup bad "$1" "$2"
chmod 755 "$work"  # the read-only checks run the game as another user

# flip_times.so tells how many frames were shown.
build_flip_shim

game=$work/game
install_game "$game"

pid=""
start() {  # start [command prefix...]: the program in $game, from $work
  (cd "$work" && exec "$@" env LD_PRELOAD="$work/flip_times.so" "$game/velquadro" >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
  pids+=("$pid")
}
messages() { grep -v '^flip ' "$work/err.txt" || true; }  # standard error without the shim's lines
# Return on Play, held until the program ends (or 10 s pass).
return_on_play_until_exit() {
  find_window || true
  xdotool keydown Return
  wait_exit "$pid" 10
  xdotool keyup Return
}
# A whole untimed game: Play, M twice, a few seconds, Escape, the end screen,
# Return, back at the title; then the program is stopped.
play_a_game() {
  find_window || return 1
  wait_for title || return 1
  hold Return 0.1
  wait_for piece 1 1 1 2 || return 1
  hold m 0.15
  changes_within 1 || return 1
  hold m 0.15
  hold Escape 0.15
  wait_for overlay || return 1
  hold Return 0.1
  wait_for title || return 1
  stop_process "$pid"
}
summary_only() {  # summary_only [first line]: standard output is the line (if any) and one summary
  local text nl=$'\n' first=${1:-}
  text=$(cat "$work/out.txt"; echo x)
  text=${text%x}
  [[ $text =~ ^${first}You\ have\ perished${nl}Seconds\ Played:\ [0-9]+${nl}Final\ Score:\ [0-9]+${nl}$ ]]
}

stored_score() {  # stored_score <file>: a plain file holding one score and a newline
  [[ -f $1 ]] && grep -qxE '[0-9]+' "$1" && [[ $(wc -l <"$1") -eq 1 ]]
}

# Breaks one file of the installed game; restore_file puts it back.
break_file() {  # break_file <path under $game> <removed|truncated|text>
  case $2 in
    removed) rm -f "$game/$1" ;;
    truncated) head -c $(($(stat -c %s "$source_dir/$1") / 2)) "$source_dir/$1" >"$game/$1" ;;
    text) echo "this is not a picture" >"$game/$1" ;;
  esac
}
restore_file() { cp "$source_dir/$1" "$game/$1"; }

# --- 1. images: each one missing, and cut short or not an image ----------------
menu_images=(gfx/title.png gfx/arrow.png gfx/numbers.png gfx/best.png)
game_images=(gfx/grid.png gfx/1/bg.png gfx/1/sq1.png gfx/1/sq2.png gfx/1/sq3.png gfx/1/sq4.png
             gfx/tempo.png gfx/dead.png gfx/hud.png gfx/spark.png gfx/audvis.png
             gfx/result.png gfx/place.png gfx/newbest.png)
skin_images=()
for skin in 2 3 4 5; do
  for name in bg sq1 sq2 sq3 sq4; do skin_images+=("gfx/$skin/$name.png"); done
done
second_fault=(truncated text)
n=0
for image in "${menu_images[@]}" "${game_images[@]}" "${skin_images[@]}"; do
  for fault in removed "${second_fault[$((n % 2))]}"; do
    break_file "$image" "$fault"
    start
    kind=game
    [[ " ${menu_images[*]} " == *" $image "* ]] && kind=menu
    [[ " ${skin_images[*]} " == *" $image "* ]] && kind=skin
    if [[ $kind == menu ]]; then
      wait_exit "$pid" 10
      check "$image $fault: the program ends with status 1 (status $status) before any frame ($(flips) shown)" \
        test "$status:$(flips)" = 1:0
    else
      wait_flips 1 "$pid" || true
      return_on_play_until_exit
      check "$image $fault: Play ends the program with status 1 (status $status), title frame only ($(flips) shown)" \
        test "$status:$(flips)" = 1:1
    fi
    if [[ $kind == skin ]]; then
      check "$image $fault: \"An image file is missing\" on standard output" \
        cmp -s "$work/out.txt" <(printf 'An image file is missing\n')
    else
      check "$image $fault: nothing on standard output, the file named on standard error" \
        bash -c "[[ ! -s $work/out.txt ]] && grep -q '$image' <(grep -v '^flip ' $work/err.txt)"
    fi
    restore_file "$image"
  done
  n=$((n + 1))
done

# --- 2. the music missing or broken: a silent game, no message -----------------
for fault in removed text truncated; do
  break_file bgm.ogg "$fault"
  start
  check "bgm.ogg $fault: a whole game is played, M included" play_a_game
  check "bgm.ogg $fault: only the summary is printed" summary_only
  check "bgm.ogg $fault: nothing on standard error" test -z "$(messages)"
  restore_file bgm.ogg
done

# --- 3. no sound device: the message, then a silent game -----------------------
start env SDL_AUDIODRIVER=no_such_sound_driver
check "no sound device: a whole game is played, M included" play_a_game
check "no sound device: \"Unable to initialize audio: ...\" and the summary" \
  summary_only "Unable to initialize audio: [^"$'\n'"]+"$'\n'

# --- 4. no display: "Error: ..." and status 1, also where SDL would draw unseen --
for display in none ":987"; do
  if [[ $display == none ]]; then
    start env -u DISPLAY -u WAYLAND_DISPLAY
  else
    start env -u WAYLAND_DISPLAY DISPLAY="$display"
  fi
  wait_exit "$pid" 10
  check "display $display: the program ends with status 1 (status $status)" test "$status" = 1
  check "display $display: \"Error: ...\" on standard output" grep -q "^Error: ." "$work/out.txt"
done

# --- 5. a hiscore file that cannot be written -----------------------------------
# As a directory (also for root, who may write anywhere): read as 0, and the
# write that a score of 0 earns fails, told on standard error.
rm -rf "$game/hiscore.dat"
mkdir "$game/hiscore.dat"
start
check "hiscore.dat a directory: a whole game is played" play_a_game
check "hiscore.dat a directory: only the summary is printed" summary_only
check "hiscore.dat a directory: it is still an empty directory" \
  bash -c "[[ -d $game/hiscore.dat && -z \$(ls -A $game/hiscore.dat) ]]"
check "hiscore.dat a directory: no other file but the replays, the records and the lock is left beside the program" \
  bash -c "[[ \$(ls -A $game | sort | tr '\n' ' ') == 'best.vqreplay bgm.ogg gfx hiscore.dat last.vqreplay records.txt saves.lock velquadro ' ]]"
check "hiscore.dat a directory: one line tells it was not saved" \
  test "$(messages)" = "velquadro: cannot save hiscore.dat: Is a directory"
rm -rf "$game/hiscore.dat" "$game"/*.vqreplay "$game/records.txt"

# A pipe with nothing writing to it: the game must not wait for it.
mkfifo "$game/hiscore.dat"
start
check "hiscore.dat a pipe: a whole game is played" play_a_game
check "hiscore.dat a pipe: only the summary is printed" summary_only
check "hiscore.dat a pipe: the score replaced it with a plain file" stored_score "$game/hiscore.dat"
rm -f "$game/hiscore.dat"

# In a read-only directory, with a read-only file of -5 (a Score of 0 beats
# it): run as an ordinary user, since root ignores the permissions.
as_user=()
[[ $(id -u) -eq 0 ]] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
for file in "-5" none; do
  rm -f "$game/hiscore.dat" "$game"/*.vqreplay "$game/records.txt"
  [[ $file != none ]] && printf '%s\n' "$file" >"$game/hiscore.dat" && chmod 444 "$game/hiscore.dat"
  chmod 555 "$game"
  start "${as_user[@]}"
  check "read-only directory, hiscore.dat $file: a whole game is played" play_a_game
  check "read-only directory, hiscore.dat $file: only the summary is printed" summary_only
  check "read-only directory: no replay and no records are kept" bash -c "! ls $game | grep -q 'vqreplay\|records'"
  check "read-only directory: each file not saved is told, with the reason" test "$(messages)" = "$(printf \
    'velquadro: cannot save %s: Permission denied\n' last.vqreplay records.txt hiscore.dat)"
  if [[ $file == none ]]; then
    check "read-only directory: no hiscore.dat is made" test ! -e "$game/hiscore.dat"
  else
    check "read-only directory: hiscore.dat still holds -5" cmp -s "$game/hiscore.dat" <(printf -- '-5\n')
  fi
  chmod 755 "$game"
  rm -f "$game/hiscore.dat"
done

# --- 6. started through symbolic links from another directory ------------------
mkdir -p "$work/elsewhere"
ln -s "$game/velquadro" "$work/elsewhere/link"
ln -s ../elsewhere/link "$work/elsewhere/link_to_link"
(cd "$work/elsewhere" && exec env LD_PRELOAD="$work/flip_times.so" ./link_to_link >"$work/out.txt" 2>"$work/err.txt") &
pid=$!
pids+=("$pid")
check "through two links from another directory: a whole game is played" play_a_game
check "through two links: the summary is printed" summary_only
check "through two links: hiscore.dat is written beside the program" stored_score "$game/hiscore.dat"
check "through two links: nothing is written where it was started" test ! -e "$work/elsewhere/hiscore.dat"

finish_checks
