#!/usr/bin/env bash
# The command line as a player meets it, and replays checked by every program
# that checks them: velquadro --verify, velquadro-verify (the game's code and
# nothing of SDL) and, with --web, tools/web verify (the page's code under
# node) answer each file alike, line for line and status for status: the
# golden replays as recorded, an edited result refused (1), a damaged, a cut,
# a text and a missing file unusable (2), and the worst of a mixed list.
# Usage: bash test_verify.sh <path-to-velquadro> <source-dir> [--web]  (--web after tools/web build)
set -euo pipefail
native=$(readlink -f "$1")
verify=$(dirname "$native")/velquadro-verify
source_dir=$(readlink -f "$2")
web=${3:-}
work=$(mktemp -d /tmp/vq_verify_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$source_dir"/tests/replays/*.vqreplay "$work/"
cd "$work"  # paths as a player gives them, relative to where the check runs
cp time_attack.vqreplay damaged.vqreplay
printf '\x7f' | dd of=damaged.vqreplay bs=1 seek=200 conv=notrunc status=none
cp time_attack.vqreplay edited.vqreplay
printf '\x17' | dd of=edited.vqreplay bs=1 seek=31 conv=notrunc status=none  # the recorded score: 23
head -c 500 new_skin.vqreplay >cut.vqreplay
echo "hiscore 42" >text.vqreplay

failures=0 checks=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# --- the command line -------------------------------------------------------------
# answers <status> <stdout's first line or -> <stderr's first line or -> <program> <args...>
answers() {
  local want=$1 out=$2 err=$3 status=0
  shift 3
  checks=$((checks + 1))
  "$@" >out.txt 2>err.txt || status=$?
  if [[ $status == "$want" && ($out == - || $(head -1 out.txt) == "$out") && ($err == - || $(head -1 err.txt) == "$err") ]]; then
    echo "ok: ${*##*/} -> $want"
  else
    fail "$* -> $status (expected $want), out: $(head -1 out.txt), err: $(head -1 err.txt)"
  fi
}
version=$(sed -n 's/^project(Velquadro VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
answers 0 "Usage: velquadro [--replay FILE | --verify FILE... | --help | --version]" - "$native" --help
answers 0 "velquadro $version" - "$native" --version
answers 2 - "velquadro: unrecognized option '--fast'" "$native" --fast
answers 2 - "velquadro: unexpected argument 'game'" "$native" game
answers 2 - "velquadro: too many arguments for --help" "$native" --help me
answers 2 - "velquadro: --replay takes one replay file" "$native" --replay a b
answers 2 - "velquadro: --verify takes one or more replay files" "$native" --verify
answers 0 "Usage: velquadro-verify FILE..." - "$verify" --help
answers 0 "velquadro-verify $version" - "$verify" --version
answers 2 - "velquadro-verify: unrecognized option" "$verify" --fast
answers 2 - "velquadro-verify: no replay file given" "$verify"
answers 0 "new_skin.vqreplay: 102 points in 26 s over 863 frames, as recorded" - "$verify" new_skin.vqreplay
answers 1 - "velquadro: edited.vqreplay does not play to its recorded result: it reaches 22 points in 10 s over 320 frames, the file says 23 points in 10 s over 320 frames" \
  "$verify" edited.vqreplay

checks=$((checks + 1))
if ldd "$verify" | grep -qi sdl; then fail "velquadro-verify links SDL: $(ldd "$verify" | grep -i sdl)"; else echo "ok: velquadro-verify links no SDL"; fi

# --- every checker alike --------------------------------------------------------------
checkers=("$native --verify" "$verify")
[[ $web == --web ]] && checkers+=("$source_dir/tools/web verify")
same() {  # same <expected status> <file...>: every checker answers alike, with that status
  local want=$1 first="" status checker
  shift
  for checker in "${checkers[@]}"; do
    checks=$((checks + 1))
    status=0
    $checker "$@" >answer.txt 2>&1 || status=$?
    [[ -n $first ]] || cp answer.txt first.txt
    first=${first:-$checker}
    if [[ $status == "$want" ]] && cmp -s first.txt answer.txt; then
      echo "ok: ${checker##*/} $* -> $want"
    else
      fail "${checker##*/} $* -> $status (expected $want, answering as $first)"
      diff first.txt answer.txt || true
    fi
  done
}
same 0 untimed_moves.vqreplay time_attack.vqreplay new_skin.vqreplay
same 1 edited.vqreplay
same 2 damaged.vqreplay
same 2 cut.vqreplay
same 2 text.vqreplay
same 2 missing.vqreplay
same 1 time_attack.vqreplay edited.vqreplay untimed_moves.vqreplay
same 2 edited.vqreplay cut.vqreplay new_skin.vqreplay
echo "$((checks - failures)) of $checks checks hold"
[[ $failures -eq 0 ]]
