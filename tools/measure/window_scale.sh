#!/usr/bin/env bash
# CPU of a running game in the window the program opens on each screen: 1x on
# 1920x1080, 2x on 2560x1440 and 3x on 3840x2160, each with openbox managing
# it, in one run; each game is measured afresh within the 12 s an untouched
# game lasts.
# Usage: tools/measure/window_scale.sh <path-to-velquadro> [seconds, default 8] [runs, default 3]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh"
vq_setup scale "$1" "$(dirname "${BASH_SOURCE[0]}")/../.." desktop
seconds=${2:-8}
runs=${3:-3}
install_game "$work/game"
for screen in 1920x1080:800x600 2560x1440:1600x1200 3840x2160:2400x1800; do
  start_desktop "${screen%:*}"
  figures=()
  for _ in $(seq "$runs"); do
    "$work/game/velquadro" >/dev/null 2>&1 &
    pid=$!
    pids+=("$pid")
    wait_window
    window_is "${screen#*:}" || { echo "the window on ${screen%:*} is not ${screen#*:}" >&2; exit 1; }
    wait_for title || { echo "no title menu" >&2; exit 1; }
    hold Return 0.1
    sleep 0.5
    figures+=("$(cpu_percent "$pid" "$seconds")%")
    stop_program "$pid"
  done
  echo "running game, ${screen#*:} window on ${screen%:*}: ${figures[*]} of one core over $seconds s each"
done
