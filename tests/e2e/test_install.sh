#!/usr/bin/env bash
# The package as a player gets it: checked, installed, played by a player and
# by root, purged. Then the leaderboard's package, from the same build, as
# an administrator gets it: installed with apt, its unit verified, the installed
# server started as its unit starts it, the page (dist/web, of tools/web)
# submitting a game to it, purged. Needs root or sudo without a password.
# Usage: bash test_install.sh <path-to-velquadro> <source-dir>, once tools/package
# has put the packages in <source-dir>/dist (the package_build test).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup install "$1" "$2"
chmod 755 "$work" && umask 022  # the games run as another user, and make files of mode 644
as_root=() as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if [[ $(id -u) -ne 0 ]]; then
  sudo -n true 2>/dev/null || { echo "FAILED: installing the package needs root or sudo without a password"; exit 1; }
  as_root=(sudo -n) as_player=()
fi
# One install at a time on a shared machine, and never over a copy someone installed.
[[ -e /tmp/vq_install_test.lock ]] || : >/tmp/vq_install_test.lock
exec 9</tmp/vq_install_test.lock
flock -w 200 9
for p in velquadro velquadro-server; do
  ! dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q ' installed$' || { echo "FAILED: $p is installed"; exit 1; }
done
state=/var/lib/velquadro-server  # the unit's state directory, made here as systemd makes it
[[ ! -e $state ]] || { echo "FAILED: $state is there already"; exit 1; }
trap '[[ -z ${installed:-} ]] || "${as_root[@]}" dpkg --purge velquadro >/dev/null 2>&1
  [[ -z ${server_installed:-} ]] || "${as_root[@]}" dpkg --purge velquadro-server >/dev/null 2>&1
  [[ -z ${made_state:-} ]] || "${as_root[@]}" rm -rf "$state"; vq_cleanup' EXIT

version=$(cd "$source_dir" && dpkg-parsechangelog -SVersion) arch=$(dpkg --print-architecture)
deb=$source_dir/dist/velquadro_${version}_$arch.deb dsc=$source_dir/dist/velquadro_$version.dsc
server_deb=$source_dir/dist/velquadro-server_${version}_$arch.deb
check "lintian: no error or warning in $(basename "$deb"), $(stat -c %s "$deb") bytes, $(basename "$server_deb"), \
$(stat -c %s "$server_deb") bytes, and in $(basename "$dsc")" lintian --fail-on error,warning "$deb" "$server_deb" "$dsc"
installed=1 && "${as_root[@]}" dpkg -i "$deb" >/dev/null
files=$(dpkg -L velquadro)
layout='^/usr/(games/velquadro|lib/games/velquadro/(velquadro|installed|gfx|bgm\.ogg)|share/games/velquadro/(bgm\.ogg|gfx/.+\.png)|share/applications/velquadro\.desktop|share/metainfo/invalid\.velquadro\.velquadro\.metainfo\.xml|share/icons/hicolor/(32|48|64|128|256)x[0-9]+/apps/velquadro\.png|share/man/man6/velquadro\.6\.gz|share/doc/velquadro/(copyright|changelog\.gz))$'
outside=$(while read -r f; do [[ -d $f && ! -L $f || $f =~ $layout ]] || echo "$f"; done <<<"$files")
check "every file is in the layout${outside:+, not $outside}" test -z "$outside"
check "desktop-file-validate and appstreamcli validate pass" bash -c "desktop-file-validate \
  /usr/share/applications/velquadro.desktop && appstreamcli validate --no-net /usr/share/metainfo/*velquadro* >/dev/null"
mkdir "$work/elsewhere" && touch "$work/installed"
play() {  # play <player|root> [NAME=value...]: an untimed game ended with Escape, with only that environment; the best the title then shows in shown_best
  local as=("${as_player[@]}")
  [[ $1 == root ]] && as=("${as_root[@]}")
  (cd "$work/elsewhere" && exec "${as[@]}" env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
    "${@:2}" /usr/games/velquadro >"$work/out.txt" 2>"$work/err.txt") &
  pid=$! && pids+=("$pid")
  find_window && wait_for title && hold Return 0.1 && wait_for piece 1 1 1 2 && hold Escape 0.15 &&
    wait_for overlay && hold Return 0.1 && wait_for title || return 1
  shown_best=$(look best || true)
  stop_process "$pid"
  [[ $(cat "$work/out.txt") =~ ^You\ have\ perished$'\n'Seconds\ Played:\ [0-9]+$'\n'Final\ Score:\ 0$ ]]
}
told() { sed -n 's|^velquadro: cannot save \([^:]*\): .*|\1|p' "$work/err.txt" | xargs -rn1 basename | paste -sd' '; }  # the files stderr says were not saved
left() (  # what the home h and the folder x hold: each path with its mode and a file's text (not a replay's nor the records'), or a link's target
  cd "$work" && stdbuf -o0 find h x -mindepth 1 \( -type l -printf '%p >%l\n' -o -name '*.vqreplay' -printf '%p %m\n' \
    -o -name records.txt -printf '%p %m\n' -o -name saves.lock -printf '%p %m\n' \
    -o -type f -printf '%p %m ' -exec cat {} \; -o -printf '%p %m\n' \) | LC_ALL=C sort -k1,1 | paste -sd ' '
)
# who | environment (@ is the scratch folder) | set-up in the scratch folder | what is left in h and x | the files told not saved
while IFS='|' read -r who env setup expected not_saved; do
  rm -rf "$work/h" "$work/x" && mkdir "$work/h" "$work/x" && (cd "$work" && eval "$setup")
  chown -R 65534:65534 "$work/h" "$work/x" 2>/dev/null || true
  check "$who ${env:-without HOME} ${setup:+($setup)}: a game, only its summary" play "$who" ${env//@/$work/}
  check "... then h and x hold: ${expected:-nothing}" test "$(left)" = "$expected"
  check "... and standard error tells what was not saved: ${not_saved:-nothing} ($(told))" test "$(told)" = "$not_saved"
  kept_best=none && [[ $expected == *records.txt* ]] && kept_best=0
  check "... and the title shows the best of Play it kept: $shown_best" test "$shown_best" = "$kept_best"
done <<'CASES'
player|HOME=@h||h/.local 700 h/.local/share 700 h/.local/share/velquadro 700 h/.local/share/velquadro/best.vqreplay 644 h/.local/share/velquadro/hiscore.dat 644 0 h/.local/share/velquadro/last.vqreplay 644 h/.local/share/velquadro/records.txt 644 h/.local/share/velquadro/saves.lock 644|
player|HOME=@h XDG_DATA_HOME=@x|mkdir x/velquadro; echo 7 >x/velquadro/hiscore.dat.1.tmp; echo 8 >x/velquadro/records.txt.999999999.tmp|x/velquadro 755 x/velquadro/best.vqreplay 644 x/velquadro/hiscore.dat 644 0 x/velquadro/hiscore.dat.1.tmp 644 7 x/velquadro/last.vqreplay 644 x/velquadro/records.txt 644 x/velquadro/saves.lock 644|
root|HOME=@h XDG_DATA_HOME=data||h/.local 700 h/.local/share 700 h/.local/share/velquadro 700 h/.local/share/velquadro/best.vqreplay 644 h/.local/share/velquadro/hiscore.dat 644 0 h/.local/share/velquadro/last.vqreplay 644 h/.local/share/velquadro/records.txt 644 h/.local/share/velquadro/saves.lock 644|
player|HOME=@h XDG_DATA_HOME=@x|mkdir x/velquadro; echo -5 >x/velquadro/hiscore.dat; chmod 444 x/velquadro/hiscore.dat|x/velquadro 755 x/velquadro/hiscore.dat 444 -5 x/velquadro/last.vqreplay 644 x/velquadro/records.txt 644 x/velquadro/saves.lock 644|hiscore.dat
player|HOME=@h XDG_DATA_HOME=@x|mkdir x/velquadro; echo -5 >h/f; chmod 640 h/f; ln -s ../../h/f x/velquadro/hiscore.dat|h/f 640 0 x/velquadro 755 x/velquadro/best.vqreplay 644 x/velquadro/hiscore.dat >../../h/f x/velquadro/last.vqreplay 644 x/velquadro/records.txt 644 x/velquadro/saves.lock 644|
root|HOME=@h XDG_DATA_HOME=@x|mkdir x/velquadro; mkfifo h/p; ln -s ../../h/p x/velquadro/hiscore.dat|h/p 644 x/velquadro 755 x/velquadro/hiscore.dat >../../h/p x/velquadro/last.vqreplay 644 x/velquadro/records.txt 644 x/velquadro/saves.lock 644|hiscore.dat
player||||last.vqreplay records.txt hiscore.dat
CASES
check "nothing was written under /usr" test -z "$(find /usr/lib/games/velquadro /usr/share/games/velquadro -newer "$work/installed")"
"${as_root[@]}" dpkg --purge velquadro >/dev/null && installed=
left=$(while read -r f; do [[ $f != *velquadro* || ! -e $f && ! -L $f ]] || echo "$f"; done <<<"$files")
check "dpkg --purge leaves none of its files and folders${left:+: $left}" test -z "$left"

# The leaderboard. No systemd runs as PID 1 here (nor in CI): the unit is
# checked with systemd-analyze, and the installed server started with the
# unit's ExecStart and environment, as a user of its own in the unit's range
# of dynamic users, in the state directory made as systemd makes it, under
# the unit's umask.
server_installed=1 && "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$server_deb" >/dev/null
files=$(dpkg -L velquadro-server)
# (/lib is a link to usr/lib on Debian 12's merged /usr.)
layout='^/(lib|etc/default/velquadro-server|lib/systemd/system/velquadro-server\.service|usr/sbin/velquadro-server|usr/share/man/man8/velquadro-server\.8\.gz|usr/share/(doc/velquadro-server/(copyright|changelog\.gz)|lintian/overrides/velquadro-server))$'
outside=$(while read -r f; do [[ -d $f && ! -L $f || $f =~ $layout ]] || echo "$f"; done <<<"$files")
check "apt installs velquadro-server, every file in the layout${outside:+, not $outside}" test -z "$outside"
unit=/lib/systemd/system/velquadro-server.service
check "systemd-analyze verify finds nothing to say of the unit" \
  test -z "$(systemd-analyze verify "$unit" 2>&1)"
exposure=$(systemd-analyze security --offline=yes "$unit" 2>&1 | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
check "systemd-analyze security rates the unit's exposure $exposure of 10, at most 2" \
  awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2) }'
options=$(sed -n 's/^VELQUADRO_SERVER_OPTIONS=//p' /etc/default/velquadro-server)
check "the configuration keeps the board in the state directory and serves 127.0.0.1:8080: $options" \
  test "$options" = "\"--data $state --listen 127.0.0.1:8080\""
# The page beside the API, as the configuration file says to serve it; on
# another port when something else serves 8080 on this shared machine.
cp -r "$source_dir/dist/web" "$work/web" && chmod -R a+rX "$work/web"
port=8080 && ! python3 -c 'import socket; socket.socket().bind(("127.0.0.1", 8080))' 2>/dev/null &&
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
more=" --web $work/web" && [[ $port == 8080 ]] || more+=" --listen 127.0.0.1:$port"
"${as_root[@]}" sed -i "s|^\(VELQUADRO_SERVER_OPTIONS=\".*\)\"|\1$more\"|" /etc/default/velquadro-server
uid=61234 && "${as_root[@]}" mkdir -m 0700 "$state" && made_state=1 && "${as_root[@]}" chown $uid:$uid "$state"
as_unit() {  # the unit's ExecStart with its EnvironmentFile's variables and no others (in a process of its own: &)
  environment_file=$(sed -n 's/^EnvironmentFile=-\{0,1\}//p' "$unit")
  set -a && source "$environment_file" && set +a
  eval "set -- $(sed -n 's/^ExecStart=//p' "$unit")"
  pass=() && for v in $(sed -n 's/^\([A-Za-z_][A-Za-z0-9_]*\)=.*/\1/p' "$environment_file"); do pass+=("$v=${!v}"); done
  cd / && umask "$(sed -n 's/^UMask=//p' "$unit")" && exec "${as_root[@]}" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    STATE_DIRECTORY="$state" "${pass[@]}" setpriv --reuid=$uid --regid=$uid --clear-groups --no-new-privs "$@"
}
as_unit >"$work/server.out" 2>"$work/server.err" &
server=$! && pids+=("$server")
check "the installed server, started as its unit starts it, serves http://127.0.0.1:$port/" \
  within 10 grep -q "^velquadro-server: serving http://127.0.0.1:$port/$" "$work/server.out"
[[ -d $source_dir/tools/browser/node_modules/puppeteer-core ]] ||
  npm ci --prefix "$source_dir/tools/browser" --no-audit --no-fund --silent
check "the page submits a game to it, lists it and watches it (tests/web/leaderboard_test.mjs)" \
  node "$source_dir/tests/web/leaderboard_test.mjs" "http://127.0.0.1:$port/" "$work/web" "$work"
check "its board is in the state directory, the unit's user's, mode 600: $(cd "$state" && stat -c '%n %u %a' * | paste -sd ' ')" \
  test "$(cd "$state" && stat -c '%n %u %a' board.sqlite)" = "board.sqlite $uid 600"
kill -TERM "$server"
wait "$server" && status=0 || status=$?
check "SIGTERM, as systemctl stop sends it, stops it cleanly (status $status)" \
  test "$status.$(tail -n 1 "$work/server.out")" = "0.velquadro-server: stopped"
"${as_root[@]}" dpkg --purge velquadro-server >/dev/null && server_installed=
left=$(while read -r f; do [[ $f != *velquadro* || ! -e $f && ! -L $f ]] || echo "$f"; done <<<"$files")
check "dpkg --purge leaves none of the server's files and folders, its configuration neither${left:+: $left}" \
  test -z "$left"
finish_checks
