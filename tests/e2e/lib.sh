# Shared by the end-to-end tests and the measurement scripts in tools/measure:
# the real program installed in a scratch directory and run under a virtual X
# server, found by its window, driven with held keys, watched through
# screenshots read by game_screen.py and through the flips that the
# flip_times.c shim notes, its CPU read from /proc; at exit everything started
# is killed (with SIGKILL, as SDL turns SIGTERM into a quit event) and the
# scratch directory removed.
#
# Source it, then call vq_setup first:
#   source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#   vq_setup <name> <path-to-velquadro> <source-dir>
# which sets program, source_dir, gfx and work (/tmp/vq_<name>_XXXXXX), and
# exports DISPLAY and SDL_AUDIODRIVER=dummy. Add the id of every process you
# start to `pids`. A 4th argument "desktop" makes the screen 1920x1080 with
# openbox managing it (full screen is only scaled where a window manager runs),
# "desktop=<W>x<H>" a screen of that size; start_desktop <W>x<H> replaces the
# screen with another one later.

pids=()
xvfb_pid=""
wm_pid=""
window=""
status=""
passes=0
failures=0

vq_setup() {  # vq_setup <name> <path-to-velquadro> <source-dir> [desktop]
  program=$(readlink -f "$2")
  source_dir=$(readlink -f "$3")
  gfx=$source_dir/gfx
  work=$(mktemp -d "/tmp/vq_$1_XXXXXX")
  trap vq_cleanup EXIT
  export SDL_AUDIODRIVER=dummy
  case ${4:-} in
    desktop) start_desktop 1920x1080 ;;
    desktop=*) start_desktop "${4#desktop=}" ;;
    *) start_screen 800x600 ;;
  esac
}
start_screen() {  # start_screen <W>x<H>: a virtual screen on a free display, in place of the last one
  stop_process "$wm_pid"
  stop_process "$xvfb_pid"
  wm_pid="" xvfb_pid=""
  rm -f "$work/display" "$work/wm"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
  [[ -s $work/display ]] || { echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  export DISPLAY=":$(head -1 "$work/display")"
}
start_desktop() {  # start_desktop <W>x<H>: the same with openbox managing the windows
  start_screen "$1"
  # openbox runs its --startup command once it manages the screen.
  XDG_CACHE_HOME=$work XDG_CONFIG_HOME=$work openbox --sm-disable --startup "touch $work/wm" >/dev/null 2>&1 &
  wm_pid=$!
  within 10 test -e "$work/wm" || { echo "FAILED: openbox did not start"; exit 1; }
}
stop_process() {  # stop_process <pid>
  [[ -n $1 ]] || return 0
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
stop_program() {  # stop_program <pid>: killed, and its window gone before the next program's is looked for
  stop_process "$1"
  [[ -z $window ]] || within 5 bash -c "! xdotool getwindowname $window" 2>/dev/null || true
}
vq_cleanup() {
  local p
  for p in "${pids[@]}" $wm_pid $xvfb_pid; do stop_process "$p"; done
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}

check() {  # check <description> <command...>: counts and reports the outcome
  local what=$1
  shift
  if "$@"; then
    passes=$((passes + 1))
    echo "ok: $what"
  else
    failures=$((failures + 1))
    echo "FAILED: $what"
  fi
}
finish_checks() {  # the last command of a test: the counts, and fails if any check did
  echo "$passes passed, $failures failed"
  [[ $failures -eq 0 ]]
}

install_game() {  # install_game <dir>: the program with gfx/ and bgm.ogg, readable by all
  rm -rf "$1"
  mkdir -p "$1"
  cp "$program" "$1/velquadro"
  cp -r "$gfx" "$1/gfx"
  cp "$source_dir/bgm.ogg" "$1/bgm.ogg"
  chmod -R a+rX "$1"
}

# The window: waited for up to 10 s, and given the keyboard.
find_window() {
  window=$(timeout 10 xdotool search --sync --name '^Velquadro$' | head -1 || true)
  [[ -n $window ]] || return 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
}
wait_window() {  # wait_window [log]: find_window, or end the script showing the log
  find_window && return 0
  echo "FAILED: no window"
  [[ -z ${1:-} ]] || cat "$1"
  exit 1
}
wait_exit() {  # wait_exit <pid> <seconds>: sets status, or "hang" and kills it
  local i
  for ((i = 0; i < $2 * 20; i++)); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$1" 2>/dev/null; then
    stop_process "$1"
    status=hang
  elif wait "$1"; then
    status=0
  else
    status=$?
  fi
}

window_is() {  # window_is <width>x<height>
  [[ $(xdotool getwindowgeometry --shell "$window" 2>/dev/null | awk -F= '/^(WIDTH|HEIGHT)/ { printf $2 "x" }') == "$1x" ]]
}

hold() {  # hold <key> <seconds>
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
within() {  # within <whole seconds> <command...>: the command, again and again until it succeeds or the time is up
  local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until "$@"; do
    ((${EPOCHREALTIME/./} < end)) || return 1
  done
}
screenshot() {  # screenshot [name]: $work/<name>.png, default shot; none if it fails
  import -window "$window" "png:$work/${1:-shot}.png" 2>/dev/null || rm -f "$work/${1:-shot}.png"
}
look() {  # look <check> [arguments]: game_screen.py's check on a fresh screenshot; prints its finding
  screenshot
  [[ -f $work/shot.png ]] || { echo "no screenshot"; return 1; }
  /usr/bin/python3 "$source_dir/tests/e2e/game_screen.py" "$1" "$work/shot.png" "$gfx" "${@:2}"
}
wait_for() {  # wait_for <check> [arguments]: up to ~5 s
  for _ in $(seq 25); do
    look "$@" >/dev/null && return 0
    sleep 0.2
  done
  return 1
}
tap_until_arrow() {  # tap_until_arrow <key> <item>: short taps move the menu arrow at most one row
  local at
  for _ in $(seq 20); do
    at=$(look arrow || true)
    [[ $at == "$2" ]] && return 0
    hold "$1" 0.06
    within 1 arrow_left "$at" || true  # a tap the menu missed is tapped again
  done
  [[ $(look arrow || true) == "$2" ]]
}
arrow_left() { [[ $(look arrow || true) != "$1" ]]; }  # arrow_left <item>: the arrow is elsewhere now
changes_within() {  # changes_within <seconds>: two screenshots that far apart differ
  local n
  screenshot a
  sleep "$1"
  screenshot b
  n=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  [[ $n != 0 ]]
}
frozen_for() { ! changes_within "$1"; }  # frozen_for <seconds>: the window shows the same picture meanwhile
keeps_changing() {  # keeps_changing <whole seconds>: the picture changes in every 0.25 s of them
  local i
  for ((i = 0; i < $1 * 4; i++)); do changes_within 0.25 || return 1; done
}

# Preloaded with LD_PRELOAD="$work/flip_times.so", the shim notes every flip
# on standard error as "flip <monotonic seconds>".
build_flip_shim() {
  cc -O2 -shared -fPIC -o "$work/flip_times.so" "$source_dir/tools/measure/flip_times.c" -ldl
}
flips() { grep -c '^flip ' "$work/err.txt" 2>/dev/null || true; }  # flips noted in $work/err.txt
wait_flips() {  # wait_flips <n> <pid>: up to ~5 s, while the program runs
  for _ in $(seq 500); do
    [[ $(flips) -ge $1 ]] && return 0
    kill -0 "$2" 2>/dev/null || { [[ $(flips) -ge $1 ]]; return; }
    sleep 0.01
  done
  return 1
}

cpu_percent() {  # cpu_percent <pid> <seconds>: its share of one core meanwhile
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
below() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v < limit) }'; }  # below <value> <limit>
