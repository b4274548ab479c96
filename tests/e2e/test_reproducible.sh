#!/usr/bin/env bash
# The packages build reproducibly: the packages of tools/package in
# <source-dir>/dist (the package_build test, which skips the unit tests) built
# again from their source package, unpacked in a deeper folder, under another
# umask, time zone and locale, are byte for byte the same, and so is the source
# package made again.
# Usage: bash test_reproducible.sh <path-to-velquadro> <source-dir>
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source_dir=$(readlink -f "$2")
work=$(mktemp -d /tmp/vq_reproducible_XXXXXX)
trap 'rm -rf "$work"' EXIT
unset SOURCE_DATE_EPOCH

one=$source_dir two=$work/a/longer/path
version=$(cd "$source_dir" && dpkg-parsechangelog -SVersion)
files=$(cd "$one/dist" && ls velquadro_"$version"* velquadro-server_"$version"* 2>/dev/null || true)
check "dist holds the game's and the server's .deb, a .dsc and a tarball: $(echo $files)" \
  test "$(wc -w <<<"$files")" = 4
check "its source package unpacked in $two and built again, umask 002, TZ=Pacific/Kiritimati, LC_ALL=C" \
  bash -c "mkdir -p '$work/a/longer' && dpkg-source -x '$one/dist/velquadro_$version.dsc' '$two' >/dev/null && cd '$two' &&
    umask 002 && TZ=Pacific/Kiritimati LC_ALL=C DEB_BUILD_OPTIONS=nocheck tools/package >/dev/null"
for f in $files; do
  check "$f is the same byte for byte" cmp "$one/dist/$f" "$two/dist/$f"
  [[ $f != *.deb ]] || cmp -s "$one/dist/$f" "$two/dist/$f" ||  # which files differ, for whoever mends it
    diff <(dpkg-deb -I "$one/dist/$f" md5sums; dpkg-deb -c "$one/dist/$f") \
      <(dpkg-deb -I "$two/dist/$f" md5sums; dpkg-deb -c "$two/dist/$f") || true
done
finish_checks
