#!/usr/bin/env bash
# The browser build's page in Debian's chromium (page_test.mjs), against the
# native program under Xvfb: its title with Play and with Time attack chosen,
# and the end of a golden replay it watches with --replay; then what the page
# keeps and tells (page_cases.mjs), the page on a phone and a tablet
# (phone_test.mjs), and the files it fetches apart from the program on a
# line that holds them back (start_test.mjs).
# Usage: bash test_page.sh <path-to-velquadro> <source-dir>  (after tools/web build)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
vq_setup web_page "$1" "$2"
replay=$source_dir/tests/replays/time_attack.vqreplay
install_game "$work/game"
"$work/game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pids+=("$!")
wait_window "$work/err.txt"
check "the native program shows its title" wait_for title
screenshot native
check "Down moves the native title's arrow to Time attack" tap_until_arrow Down 1
screenshot native_down
stop_program "${pids[-1]}"
"$work/game/velquadro" --replay "$replay" >"$work/out.txt" 2>"$work/err.txt" &
pids+=("$!")
wait_window "$work/err.txt"
shows_end() { look overlay >/dev/null; }
check "the native program watches $(basename "$replay") to its end" within 20 shows_end
screenshot native_replay
stop_program "${pids[-1]}"

# puppeteer-core as the lockfile has it, never a browser of its own.
[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent
node "$source_dir/tests/web/page_test.mjs" "$work" "$source_dir/dist/web" "$program" "$replay" || failures=$((failures + 1))
# What the page keeps and tells, each failure made by the test.
node "$source_dir/tests/web/page_cases.mjs" "$work" "$source_dir/dist/web" "$program" "$replay" || failures=$((failures + 1))
node "$source_dir/tests/web/phone_test.mjs" "$work" "$source_dir/dist/web" "$program" || failures=$((failures + 1))
node "$source_dir/tests/web/start_test.mjs" "$source_dir/dist/web" || failures=$((failures + 1))
finish_checks
