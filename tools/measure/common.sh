# Shared by the measurement scripts: a virtual X server, the program started
# in it, keys, screenshots read by the end-to-end tests' screen check, and the
# CPU a process uses. Source it after setting `program` and `source_dir`.
work=$(mktemp -d /tmp/vq_measure_XXXXXX)
xvfb_pid=""
pid=""
cleanup() {
  if [[ -n $pid ]]; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [[ -n $xvfb_pid ]]; then
    kill -KILL "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
export SDL_AUDIODRIVER=dummy

window=""
# wait_window: the program's window, once it exists.
wait_window() {
  window=$(timeout 10 xdotool search --sync --name '^Velquadro$' | head -1 || true)
  [[ -n $window ]] || { echo "no window" >&2; exit 1; }
}
look() {  # look <check> [arguments]: the end-to-end screen check on a screenshot
  import -window "$window" "png:$work/shot.png" 2>/dev/null || return 1
  /usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" "$1" "$work/shot.png" "$source_dir/gfx" "${@:2}"
}
wait_for() {  # wait_for <check> [arguments]: up to ~5 s
  for _ in $(seq 25); do
    look "$@" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}
hold() {  # hold <key> <seconds>
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
  sleep 0.1
}
tap_until_arrow() {  # tap_until_arrow <key> <item>: short taps move the arrow at most one row
  for _ in $(seq 20); do
    [[ $(look arrow || true) == "$2" ]] && return 0
    hold "$1" 0.06
  done
  [[ $(look arrow || true) == "$2" ]]
}
frozen_for() {  # frozen_for <seconds>: the window shows the same picture meanwhile
  local n
  import -window "$window" "png:$work/a.png" 2>/dev/null
  sleep "$1"
  import -window "$window" "png:$work/b.png" 2>/dev/null
  n=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  [[ $n == 0 ]]
}
cpu_percent() {  # cpu_percent <pid> <seconds>: share of one core meanwhile
  local hz before after start end
  hz=$(getconf CLK_TCK)
  before=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
  start=$(date +%s.%N)
  sleep "$2"
  after=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
  end=$(date +%s.%N)
  awk -v a="$before" -v b="$after" -v s="$start" -v e="$end" -v hz="$hz" \
    'BEGIN { printf "%.2f", (b - a) / hz / (e - s) * 100 }'
}
