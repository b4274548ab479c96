#!/usr/bin/env bash
# The package as a player gets it: built, checked, installed, played by a player
# and by root, purged. Needs root or sudo without a password.
# Usage: bash test_install.sh <path-to-velquadro> <source-dir>
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
! dpkg-query -W -f='${Status}' velquadro 2>/dev/null | grep -q ' installed$' || { echo "FAILED: velquadro is installed"; exit 1; }
trap '[[ -z ${installed:-} ]] || "${as_root[@]}" dpkg --purge velquadro >/dev/null 2>&1; vq_cleanup' EXIT

built=$(cd "$source_dir" && tools/package)  # the .deb, the .dsc and its tarball, one a line
deb=$source_dir/$(sed -n 1p <<<"$built") dsc=$source_dir/$(sed -n 2p <<<"$built")
check "lintian: no error or warning in $(basename "$deb"), $(stat -c %s "$deb") bytes, and in $(basename "$dsc")" \
  lintian --fail-on error,warning "$deb" "$dsc"
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
finish_checks
