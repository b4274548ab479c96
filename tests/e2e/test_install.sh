#!/usr/bin/env bash
# The Debian package as a player gets it: tools/package builds it, lintian finds
# no error or warning, dpkg installs it, the desktop entry and the metainfo pass
# their validators; /usr/games/velquadro, started from another directory,
# plays untimed games and keeps the hiscore in the player's data folder (also
# as root, never under /usr), leaves a read-only hiscore file alone and writes
# a linked one through; dpkg --purge leaves nothing behind.
# It installs the package, so it needs root or sudo without a password.
# Usage: bash test_install.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
vq_setup install "$1" "$2"
chmod 755 "$work"  # the games run as another user

as_root=() as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if [[ $(id -u) -ne 0 ]]; then
  sudo -n true 2>/dev/null || { echo "FAILED: installing the package needs root or sudo without a password"; exit 1; }
  as_root=(sudo -n) as_player=()
fi
# One install at a time on a shared machine, and never over a copy someone installed.
lock=/tmp/vq_install_test.lock
[[ -e $lock ]] || : >"$lock"
exec 9<"$lock"
flock -w 200 9
if dpkg-query -W -f='${Status}' velquadro 2>/dev/null | grep -q ' installed$'; then
  echo "FAILED: velquadro is installed on this machine; remove it before running this test"
  exit 1
fi
trap '[[ -z ${installed:-} ]] || "${as_root[@]}" dpkg --purge velquadro >/dev/null 2>&1; vq_cleanup' EXIT

deb=$source_dir/$(cd "$source_dir" && tools/package)
check "tools/package builds $(basename "$deb") ($(stat -c %s "$deb") bytes)" test -f "$deb"
check "lintian finds no error or warning" lintian --fail-on error,warning "$deb"
installed=1
"${as_root[@]}" dpkg -i "$deb" >/dev/null
files=$(dpkg -L velquadro)
allowed='^/usr/(games/velquadro|lib/games/velquadro/(velquadro|installed|gfx|bgm\.ogg)|share/games/velquadro/(bgm\.ogg|gfx/.+\.png)|share/applications/velquadro\.desktop|share/metainfo/invalid\.velquadro\.velquadro\.metainfo\.xml|share/icons/hicolor/(32x32|48x48|64x64|128x128|256x256)/apps/velquadro\.png|share/man/man6/velquadro\.6\.gz|share/doc/velquadro/(copyright|changelog\.gz))$'
outside=$(while read -r f; do [[ -d $f && ! -L $f ]] || [[ $f =~ $allowed ]] || echo "$f"; done <<<"$files")
check "every file of the package is in the layout${outside:+: not $outside}" test -z "$outside"
check "icons at 5 sizes" test "$(ls /usr/share/icons/hicolor/*/apps/velquadro.png | wc -l)" = 5
check "the launcher is a relative link" test "$(readlink /usr/games/velquadro)" = ../lib/games/velquadro/velquadro
check "desktop-file-validate passes" desktop-file-validate /usr/share/applications/velquadro.desktop
check "appstreamcli validate passes" appstreamcli validate --no-net /usr/share/metainfo/invalid.velquadro.velquadro.metainfo.xml
touch "$work/installed"

# An untimed game ended with Escape, as the player (or root) with only the
# given environment, started from a directory of its own.
mkdir -p "$work/elsewhere"
play() {  # play <player|root> [NAME=value...]
  local as=("${as_player[@]}")
  [[ $1 == root ]] && as=("${as_root[@]}")
  (cd "$work/elsewhere" && exec "${as[@]}" env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
    "${@:2}" /usr/games/velquadro >"$work/out.txt" 2>"$work/err.txt") &
  pid=$!
  pids+=("$pid")
  find_window && wait_for title && hold Return 0.1 && wait_for piece 1 1 1 2 && hold Escape 0.15 &&
    wait_for overlay && hold Return 0.1 && wait_for title || return 1
  stop_process "$pid"
  [[ $(cat "$work/out.txt") =~ ^You\ have\ perished$'\n'Seconds\ Played:\ [0-9]+$'\n'Final\ Score:\ 0$ &&
     ! -s $work/err.txt ]]
}
home() {  # home <name> [folder]: a fresh home of the player's, with the folder in it
  rm -rf "${work:?}/$1"
  mkdir -p "$work/$1/${2:-}"
}
own() { [[ $(id -u) -ne 0 ]] || chown -R 65534:65534 "$work"/[hx]?; }
data=.local/share/velquadro
says() { test "$(cat "$1")" = "$2"; }  # says <file> <text>

home h1 && own
check "as a player, the game prints only its summary" play player HOME="$work/h1"
check "the hiscore 0 in ~/$data" says "$work/h1/$data/hiscore.dat" 0
check "the folders made for it have mode 700" test "$(stat -c %a "$work"/h1/{.local,.local/share,$data} | sort -u)" = 700
home h2 && home x2 && own
check "with XDG_DATA_HOME set, a game is played" play player HOME="$work/h2" XDG_DATA_HOME="$work/x2"
check "the hiscore 0 in \$XDG_DATA_HOME/velquadro, none in the home" \
  test "$(cat "$work/x2/velquadro/hiscore.dat"):$(ls -A "$work/h2")" = 0:
home h3
check "as root, with XDG_DATA_HOME not absolute, a game is played" play root HOME="$work/h3" XDG_DATA_HOME=data
check "the hiscore 0 in ~/$data" says "$work/h3/$data/hiscore.dat" 0
home h4 "$data" && printf -- '-5\n' >"$work/h4/$data/hiscore.dat" && chmod 444 "$work/h4/$data/hiscore.dat" && own
check "with a read-only hiscore file of -5, a game is played" play player HOME="$work/h4"
check "the file keeps -5 and mode 444, alone in its folder" \
  test "$(cat "$work/h4/$data/hiscore.dat"):$(stat -c %a "$work/h4/$data/hiscore.dat"):$(ls -A "$work/h4/$data")" = -5:444:hiscore.dat
home h5 "$data" && printf -- '-5\n' >"$work/h5/real.dat" && chmod 640 "$work/h5/real.dat" && own
ln -s ../../../real.dat "$work/h5/$data/hiscore.dat"
check "with hiscore.dat a link to a file of -5, a game is played" play player HOME="$work/h5"
check "the link is kept and its target holds 0 with mode 640" \
  test "$(readlink "$work/h5/$data/hiscore.dat"):$(cat "$work/h5/real.dat"):$(stat -c %a "$work/h5/real.dat")" = ../../../real.dat:0:640
check "without HOME, a game is played" play player
check "nothing was written under /usr" \
  test "$(find /usr/lib/games/velquadro /usr/share/games/velquadro -newer "$work/installed" | wc -l)" = 0

"${as_root[@]}" dpkg --purge velquadro >/dev/null
installed=
left=$(while read -r f; do [[ -d $f && ! -L $f || ! -e $f && ! -L $f ]] || echo "$f"; done <<<"$files")
check "dpkg --purge leaves none of its files${left:+: $left}" test -z "$left"
check "nor its folders" test ! -e /usr/lib/games/velquadro -a ! -e /usr/share/games/velquadro -a ! -e /usr/share/doc/velquadro
finish_checks
