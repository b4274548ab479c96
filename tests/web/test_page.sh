#!/usr/bin/env bash
# The browser build's page in Debian's chromium (page_test.mjs), against the
# native program's title under Xvfb.
# Usage: bash test_page.sh <path-to-velquadro> <source-dir>  (after tools/web build)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
vq_setup web_page "$1" "$2"
install_game "$work/game"
"$work/game/velquadro" >"$work/out.txt" 2>"$work/err.txt" &
pids+=("$!")
wait_window "$work/err.txt"
check "the native program shows its title" wait_for title
screenshot native
stop_program "${pids[-1]}"

# puppeteer-core as the lockfile has it, never a browser of its own.
cd "$source_dir/tests/web"
[[ -d node_modules/puppeteer-core ]] || npm ci --no-audit --no-fund --silent
node page_test.mjs "$work/native.png" "$source_dir/dist/web"
