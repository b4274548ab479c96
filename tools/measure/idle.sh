#!/usr/bin/env bash
# CPU used by the real program while it waits: the title menu, a paused game
# and the end screen, each over the given number of seconds; and for
# comparison a running game, in its window and in full screen. Under a
# virtual 1920x1080 screen with a window manager, as on a player's desktop.
# Usage: tools/measure/idle.sh <path-to-velquadro> [seconds, default 10]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup measure "$1" "$(dirname "${BASH_SOURCE[0]}")/../.." desktop
seconds=${2:-10}

install_game "$work/game"
"$work/game/velquadro" >/dev/null 2>&1 &
pid=$!
pids+=("$pid")
wait_window
wait_for title
echo "title menu: $(cpu_percent "$pid" "$seconds")% of one core over $seconds s"
# An untouched game fills its board in some 12 s: a running game is measured
# for at most 8 s, each time in a fresh game.
running=$((seconds < 8 ? seconds : 8))
hold Return 0.1
sleep 0.5
echo "running game: $(cpu_percent "$pid" "$running")% of one core over $running s"
hold Return 0.3
within 3 frozen_for 0.5 || { echo "the game did not pause" >&2; exit 1; }
echo "paused game: $(cpu_percent "$pid" "$seconds")% of one core over $seconds s"
frozen_for 1 || { echo "the game did not stay paused" >&2; exit 1; }
hold Return 0.3
within 3 changes_within 0.25 || { echo "the game did not resume" >&2; exit 1; }
hold Escape 0.15
wait_for overlay || { echo "no end screen" >&2; exit 1; }
echo "end screen: $(cpu_percent "$pid" "$seconds")% of one core over $seconds s"
hold Return 0.1
wait_for title || { echo "no title menu after the game" >&2; exit 1; }
hold Return 0.1
sleep 0.5
hold f 0.15
within 5 window_is 1920x1080 || { echo "no full screen" >&2; exit 1; }
sleep 0.5
echo "running game, full screen: $(cpu_percent "$pid" "$running")% of one core over $running s"
