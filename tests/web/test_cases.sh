#!/usr/bin/env bash
# What the page keeps and tells (page_cases.mjs), in Debian's chromium; the
# desktop's --verify checks the replays the page kept and gives the words
# the page must refuse a bad file with.
# Usage: bash test_cases.sh <path-to-velquadro> <source-dir>  (after tools/web build)
set -euo pipefail
program=$(readlink -f "$1")
source_dir=$(readlink -f "$2")
work=$(mktemp -d /tmp/vq_web_cases_XXXXXX)
trap 'rm -rf "$work"' EXIT
# puppeteer-core as the lockfile has it, never a browser of its own.
[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent
node "$source_dir/tests/web/page_cases.mjs" "$work" "$source_dir/dist/web" "$program" \
  "$source_dir/tests/replays/time_attack.vqreplay"
