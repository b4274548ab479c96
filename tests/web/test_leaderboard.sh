#!/usr/bin/env bash
# The page's leaderboard in Debian's chromium (leaderboard_test.mjs), with the
# page served as a static folder and by velquadro-server.
# Usage: bash test_leaderboard.sh <path-to-velquadro-server> <source-dir>  (after tools/web build)
set -euo pipefail
server=$1
source_dir=$2
work=$(mktemp -d /tmp/vq_web_leaderboard_XXXXXX)
trap 'rm -rf "$work"' EXIT
# puppeteer-core as the lockfile has it, never a browser of its own.
[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent
node "$source_dir/tests/web/leaderboard_test.mjs" "$server" "$source_dir/dist/web" "$work"
