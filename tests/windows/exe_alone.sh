#!/usr/bin/env bash
# vexa.exe copied alone into an empty folder plays: it unpacks the files it carries into the
# player's local application data, and puts back one that was damaged there.
# Usage: exe_alone.sh VEXA_EXE SOURCE_DIR
set -euo pipefail
exe=$(realpath "$1") src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/vexa.exe"
kept="$src/tests/replays/first-battle.trace.jsonl"
play() { (cd "$work" && "$src/scripts/wine-run" ./vexa.exe --replay "$src/tests/replays/first-battle.replay" --trace "$work/trace.jsonl"); }

play
cmp "$work/trace.jsonl" "$kept" || { echo "FAIL: the exe alone played another game"; exit 1; }
local_app=$(cd "$work" && "$src/scripts/wine-run" cmd /c echo %LOCALAPPDATA% | tr -d '\r')
unpacked=$(WINEDEBUG=-all winepath -u "$local_app" 2>/dev/null)/vexa
version=$(ls "$unpacked" | head -1)
picture="$unpacked/$version/dat/vexa_head.bmp"
[ -f "$picture" ] && [ -f "$unpacked/$version/dat/タ2.wav" ] ||
  { echo "FAIL: no unpacked files under $unpacked/$version"; exit 1; }
# Carried packed, unpacked to the very bytes of the game's own files.
for file in "$unpacked/$version"/dat/*; do
  cmp "$file" "$src/dat/$(basename "$file")" || { echo "FAIL: $file unpacked to other bytes"; exit 1; }
done
cmp "$unpacked/$version/glyphs.bin" "$(dirname "$exe")/glyphs.bin" ||
  { echo "FAIL: the glyph file unpacked to other bytes"; exit 1; }
printf 'damaged' >"$picture"
play
cmp "$work/trace.jsonl" "$kept" || { echo "FAIL: a damaged unpacked picture changed the game"; exit 1; }
cmp "$picture" "$src/dat/vexa_head.bmp" || { echo "FAIL: the damaged picture was not put back"; exit 1; }
echo "the exe alone plays, from files it unpacked into $unpacked/$version"
