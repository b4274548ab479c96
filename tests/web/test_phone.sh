#!/usr/bin/env bash
# The page on a phone and a tablet (phone_test.mjs), against the native
# program's title under Xvfb, with Play chosen and with Time attack.
# Usage: bash test_phone.sh <path-to-velquadro> <source-dir>  (after tools/web build)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
vq_setup web_phone "$1" "$2"
install_game "$work/game"
"$work/game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pids+=("$!")
wait_window "$work/err.txt"
check "the native program shows its title" wait_for title
screenshot native
check "Down moves the native title's arrow to Time attack" tap_until_arrow Down 1
screenshot native_down
stop_program "${pids[-1]}"

[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent
node "$source_dir/tests/web/phone_test.mjs" "$work" "$source_dir/dist/web" "$program"
finish_checks
