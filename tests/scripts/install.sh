#!/usr/bin/env bash
# Installed into a temporary prefix, the game runs from a folder that holds nothing of it and its
# desktop files validate. The Debian package is built, inspected and unpacked into a temporary
# root, the unpacked program runs from there, and lintian finds nothing to object to. Nothing here
# installs or removes a system package.
# Usage: install.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$2 build=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
sizes=(16 32 48 64 128 256)
printf 'vexa-replay 1\nsteps 40\n5 down left 300 300\n' >"$work/short.replay"

# Runs PROGRAM from an empty folder on the short replay: it must find its data by itself.
runs_alone() {
  local dir
  dir=$(mktemp -d -p "$work")
  (cd "$dir" && "$1" --replay "$work/short.replay" --trace t.jsonl) || return 1
  [ "$(wc -l <"$dir/t.jsonl")" = 40 ]
}

# The installed tree: the same files whether from cmake --install or the package.
check_tree() {
  local root=$1 f icon n w h alpha corners
  for f in games/vexa share/vexa/dat/vexa_head.bmp share/vexa/dat/dun.wav \
           share/applications/vexa.desktop share/metainfo/io.github.vexa_game.vexa.metainfo.xml \
           share/man/man6/vexa.6.gz share/doc/vexa/changelog.gz share/doc/vexa/copyright; do
    [ -f "$root/$f" ] || fail "not installed: $f"
  done
  [ ! -e "$root/bin" ] || fail "something installed in bin/ instead of games/: $(ls "$root/bin")"
  [ -z "$(find "$root" -type d -empty)" ] || fail "empty folders installed: $(find "$root" -type d -empty)"
  # The icon goes by the name the desktop entry asks for.
  icon=$(sed -n 's/^Icon=//p' "$root/share/applications/vexa.desktop")
  [ -n "$icon" ] || fail "the desktop entry names no icon"
  for n in "${sizes[@]}"; do
    f=$root/share/icons/hicolor/${n}x$n/apps/$icon.png
    [ -f "$f" ] || fail "no ${n}px icon"
    # Size, an alpha channel, and the four corners fully transparent.
    read -r w h alpha corners < <(convert "$f" -format \
      "%w %h %A %[fx:p{0,0}.a+p{w-1,0}.a+p{0,h-1}.a+p{w-1,h-1}.a]\n" info:)
    [ "$w x $h" = "$n x $n" ] || fail "${n}px icon is ${w}x$h"
    case $alpha in [Tt]rue|[Bb]lend) ;; *) fail "${n}px icon has no alpha channel ($alpha)";; esac
    [ "$corners" = 0 ] || fail "${n}px icon's corners are not transparent"
  done
  # The man page must be readable by man, and the changelog a valid gzip.
  man -l "$root/share/man/man6/vexa.6.gz" >/dev/null 2>&1 || fail "man cannot read vexa.6.gz"
  gzip -t "$root/share/doc/vexa/changelog.gz" || fail "changelog.gz is not a valid gzip"
}

cmake --install "$build" --prefix "$work/prefix" --strip >/dev/null || fail "cmake --install"
check_tree "$work/prefix"
runs_alone "$work/prefix/games/vexa" || fail "installed game did not run from elsewhere"
desktop-file-validate "$work/prefix/share/applications/vexa.desktop" || fail "desktop entry"
metainfo=$(appstreamcli validate --pedantic --no-net \
  "$work/prefix/share/metainfo/io.github.vexa_game.vexa.metainfo.xml" 2>&1) || fail "metainfo: $metainfo"
# It passes with infos and pedantic notes too; we want none.
! grep -qE '^[EWIP]: ' <<<"$metainfo" || fail "metainfo: $metainfo"

command -v lintian >/dev/null || fail "lintian is missing (scripts/install-deps.sh installs it)"
# A program configured for another prefix would name a data folder the package does not hold.
cpack -G DEB -B "$work/wrong" --config "$build/CPackConfig.cmake" -D CPACK_VEXA_BUILT_PREFIX=/usr/local \
  >"$work/cpack.log" 2>&1 && fail "a package was made from a build configured for /usr/local"
grep -q 'configure it with -DCMAKE_INSTALL_PREFIX=/usr' "$work/cpack.log" ||
  fail "cpack did not say why it refused a build for /usr/local: $(cat "$work/cpack.log")"
# The package is made only from a build configured for the prefix it installs to; a plain
# build for /usr/local (a user's, or CI's plain one) has had its installed tree checked above.
built_for=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
if [ "$built_for" != /usr ]; then
  echo "install: the installed tree holds together; no package from a build for $built_for" \
    "(packages come from builds configured with -DCMAKE_INSTALL_PREFIX=/usr)"
  exit 0
fi
cpack -G DEB -B "$work/pkg" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/pkg/vexa_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, got: ${debs[*]}"
deb=${debs[0]}

version=$(dpkg-deb -f "$deb" Version)
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
check_tree "$root/usr"
[ "$(zcat "$root/usr/share/doc/vexa/changelog.gz" | head -1 | sed -E 's/^vexa \(([^)]*)\).*/\1/')" = "$version" ] ||
  fail "the changelog's latest entry is not version $version"
readelf -S "$root/usr/games/vexa" | grep -qE '\.(debug_info|symtab)\b' && fail "the packaged program is not stripped"
[ "$("$root/usr/games/vexa" --version)" = "vexa $version" ] || fail "program and package versions differ"
runs_alone "$root/usr/games/vexa" || fail "the unpacked program did not run from its unpacked root"
# The data folder it was built to fall back on is the package's own.
data_dirs=$(strings "$root/usr/games/vexa" | grep -E '^/usr(/local)?/share/vexa$' | tr '\n' ' ')
[ "$data_dirs" = "/usr/share/vexa " ] || fail "the packaged program names its data folder as: $data_dirs"

# lintian prints every tag (infos and pedantic ones too) but only errors and warnings fail.
lintian --info --display-info --pedantic --fail-on error,warning "$deb" 2>&1 |
  grep -v 'running with root privileges' >"$work/lintian.txt"
status=${PIPESTATUS[0]}
cat "$work/lintian.txt"
[ "$status" = 0 ] || fail "lintian"
# lintian reports a missing hardening flag only as information; for us it is a fault. Fortify
# needs the optimiser, so a Debug build (the sanitizer one) goes without it.
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
missing=$(grep -oE '^.: vexa: hardening-[a-z-]+' "$work/lintian.txt" | sed 's/.*: //')
[ "$(cache CMAKE_BUILD_TYPE)" = Debug ] && missing=$(grep -vx hardening-no-fortify-functions <<<"$missing")
if [ "$(cache VEXA_HARDENING)" = OFF ]; then
  echo "hardening not checked: VEXA_HARDENING is off"
elif [ -n "$missing" ]; then
  fail "the program lacks hardening: $(echo $missing)"
fi
echo "checked $(basename "$deb"): $(grep -c '^[EWIPX]: ' "$work/lintian.txt") lintian tags, none an error or warning"
