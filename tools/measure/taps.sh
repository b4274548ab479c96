#!/usr/bin/env bash
# How many short taps the real program takes, under a virtual X server: taps
# of Down in the title menu, each watched until the arrow moves (or 1 s
# passes), and taps of Left on the first piece of an untimed game, counted by
# the columns it moved.
# Usage: tools/measure/taps.sh <path-to-velquadro> [seconds per tap, default 0.02] [taps, default 12]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup measure "$1" "$(dirname "${BASH_SOURCE[0]}")/../.."
tap=${2:-0.02}
taps=${3:-12}

install_game "$work/game"
"$work/game/velquadro" >/dev/null 2>&1 &
pids+=($!)
wait_window
wait_for title
moved=0
for _ in $(seq "$taps"); do
  at=$(look arrow || true)
  hold Down "$tap"
  within 1 arrow_left "$at" && moved=$((moved + 1))
done
echo "title menu: $moved of $taps taps of Down ($tap s each) moved the arrow"

# The first piece starts in column 8 and can go 8 columns to the left; it
# falls a row every 0.6 s, so the taps come quickly.
tap_until_arrow Up 0 || { echo "Play not reached" >&2; exit 1; }
hold Return 0.1
wait_for piece 1 1 1 2
game_taps=$((taps < 8 ? taps : 8))
for _ in $(seq "$game_taps"); do
  hold Left "$tap"
  sleep 0.15
done
column=$(look piece 1 1 1 2 | cut -d' ' -f1)
echo "game: $((8 - column)) of $game_taps taps of Left ($tap s each) moved the piece"
