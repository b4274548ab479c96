#!/usr/bin/env bash
# The packages build reproducibly: tools/package run on two clones of the
# source folder's commit (HEAD: what is not committed is not in them), in
# folders of different depths, one after the other, under other umasks, time
# zones and locales, gives byte-identical .deb files and source packages. Both
# builds skip the unit tests (nocheck), which change nothing in the package.
# Usage: bash test_reproducible.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source_dir=$(readlink -f "$2")
work=$(mktemp -d /tmp/vq_reproducible_XXXXXX)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH

build() {  # build <folder> <umask> <TZ> <LC_ALL>: a clone of the commit, packaged in <folder>
  git clone -q "$source_dir" "$1" &&
    (cd "$1" && umask "$2" && TZ=$3 LC_ALL=$4 DEB_BUILD_OPTIONS=nocheck tools/package >/dev/null)
}
one=$work/one two=$work/a/longer/path/two
check "a build in $one" build "$one" 022 UTC C.UTF-8
check "a later build in $two, umask 002, TZ=Pacific/Kiritimati, LC_ALL=C" build "$two" 002 Pacific/Kiritimati C
files=$(ls "$one/dist" 2>/dev/null || true)
check "the first gave the game's and the server's .deb, a .dsc and a tarball: $(echo $files)" \
  test "$(wc -w <<<"$files")" = 4
for f in $files; do
  check "$f is the same byte for byte" cmp "$one/dist/$f" "$two/dist/$f"
  [[ $f != *.deb ]] || cmp -s "$one/dist/$f" "$two/dist/$f" ||  # which files differ, for whoever mends it
    diff <(dpkg-deb -I "$one/dist/$f" md5sums; dpkg-deb -c "$one/dist/$f") \
      <(dpkg-deb -I "$two/dist/$f" md5sums; dpkg-deb -c "$two/dist/$f") || true
done
finish_checks
