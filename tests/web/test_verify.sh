#!/usr/bin/env bash
# tools/web verify plays replays with the browser build's own code under node
# and answers as the desktop's velquadro --verify does, status and lines: the
# golden replays as recorded, an edited one refused, a missing one unusable.
# Usage: bash test_verify.sh <path-to-velquadro> <source-dir>  (after tools/web build)
set -euo pipefail
native=$(readlink -f "$1")
source_dir=$(readlink -f "$2")
work=$(mktemp -d /tmp/vq_web_verify_XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$source_dir"/tests/replays/*.vqreplay "$work/"
cp "$work/time_attack.vqreplay" "$work/edited.vqreplay"
printf '\x7f' | dd of="$work/edited.vqreplay" bs=1 seek=200 conv=notrunc status=none
cd "$work"  # paths as a player gives them, relative to where the check runs

failures=0
same() {  # same <expected status> <file...>: both programs answer alike, with that status
  local want=$1 native_status=0 web_status=0
  shift
  "$native" --verify "$@" >native.txt 2>&1 || native_status=$?
  "$source_dir/tools/web" verify "$@" >web.txt 2>&1 || web_status=$?
  if [[ $native_status == "$want" && $web_status == "$want" ]] && cmp -s native.txt web.txt; then
    echo "ok: $* -> $want"
  else
    echo "FAILED: $* -> desktop $native_status, web $web_status (expected $want)"
    diff native.txt web.txt || true
    failures=$((failures + 1))
  fi
}
same 0 untimed_moves.vqreplay time_attack.vqreplay new_skin.vqreplay
same 2 edited.vqreplay
same 2 missing.vqreplay
grep -q "102 points in 26 s over 863 frames, as recorded" <("$source_dir/tools/web" verify new_skin.vqreplay) ||
  { echo "FAILED: new_skin.vqreplay is not 102 points in 26 s over 863 frames"; failures=$((failures + 1)); }
echo "web verify: $((4 - failures)) of 4 checks hold"
[[ $failures -eq 0 ]]
