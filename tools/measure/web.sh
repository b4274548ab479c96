#!/usr/bin/env bash
# The browser build against the native program, in one run: the sizes a
# player downloads (the .js and the .wasm gzipped, as a web host sends
# them), the time to the first title frame on
# loopback, and the CPU of a running game in the page and in the native
# program's window.
# Usage: tools/measure/web.sh <path-to-velquadro> [loads, default 5] [seconds, default 8]
set -euo pipefail
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$source_dir/tests/e2e/lib.sh"
vq_setup measure_web "$1" "$source_dir" desktop
loads=${2:-5}
seconds=${3:-8}  # an untouched game ends in some 12 s
dist=$source_dir/dist/web
"$source_dir/tools/web" build >/dev/null
[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent

# The program's two files, named by their contents (tools/web).
script=$(echo "$dist"/velquadro-*.js)
program=$(echo "$dist"/velquadro-*.wasm)
js=$(gzip -9c "$script" | wc -c)
wasm=$(gzip -9c "$program" | wc -c)
echo "$(basename "$script") $(stat -c %s "$script") B, gzipped $js B; $(basename "$program") $(stat -c %s "$program") B," \
  "gzipped $wasm B; together gzipped $((js + wasm)) B"

install_game "$work/game"
"$work/game/velquadro" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
wait_window
wait_for title
hold Return 0.1
sleep 0.5
echo "running game, native, in its 800x600 window: $(cpu_percent "$pid" "$seconds")% of one core over $seconds s"
stop_program "$pid"

node "$source_dir/tools/measure/web_page.mjs" "$dist" "$loads" "$seconds"
