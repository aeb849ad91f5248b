#!/usr/bin/env bash
# Installed into a temporary prefix, the game runs from a folder that holds nothing of it,
# and its desktop files validate. As root, the Debian package is built, installed with apt,
# run and removed again.
# Usage: install.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$2 build=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
printf 'vexa-replay 1\nsteps 40\n5 down left 300 300\n' >"$work/short.replay"

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
for f in bin/vexa share/vexa/dat/vexa_head.bmp share/vexa/dat/dun.wav share/applications/vexa.desktop \
         share/metainfo/io.github.vexa_game.vexa.metainfo.xml share/icons/hicolor/64x64/apps/vexa.png; do
  [ -e "$work/prefix/$f" ] || fail "not installed: $f"
done
mkdir "$work/elsewhere"
(cd "$work/elsewhere" && "$work/prefix/bin/vexa" --replay "$work/short.replay" --trace t.jsonl) || fail "installed game did not run"
[ "$(wc -l <"$work/elsewhere/t.jsonl")" = 40 ] || fail "installed game ran the wrong number of steps"
desktop-file-validate "$work/prefix/share/applications/vexa.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$work/prefix/share/metainfo/io.github.vexa_game.vexa.metainfo.xml" >/dev/null || fail "metainfo"

if [ "$(id -u)" != 0 ] || ! command -v apt-get >/dev/null; then echo "package check skipped: not root"; exit 0; fi
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack"
deb=$(ls "$build"/vexa_*.deb | head -1)
[ -f "$deb" ] || fail "no package built"
dpkg-query -W vexa >/dev/null 2>&1 && fail "vexa is installed already; not touching it"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null 2>&1 || fail "apt install $deb"
mkdir "$work/player"
(cd "$work/player" && /usr/bin/vexa --replay "$work/short.replay" --trace t.jsonl); status=$?
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq vexa >/dev/null 2>&1 || fail "apt remove"
[ $status = 0 ] || fail "the packaged game did not run"
[ ! -e /usr/bin/vexa ] && [ ! -e /usr/share/vexa ] || fail "removal left files behind"
echo "installed, ran and removed $(basename "$deb")"
