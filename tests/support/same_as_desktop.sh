#!/usr/bin/env bash
# Every kept replay, run by the Linux desktop program and by another edition's (the browser
# build under node, the Windows exe under Wine), gives the same whole trace (frame checksums
# included) and leaves the same save and report.
# Usage: same_as_desktop.sh DESKTOP_VEXA OTHER_VEXA SOURCE_DIR EDITION
set -euo pipefail
desktop=$(realpath "$1") other=$(realpath "$2") src=$(realpath "$3") edition=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
shopt -s nullglob
for replay in "$src"/tests/replays/*.replay; do
  name=$(basename "$replay" .replay)
  for side in desktop other; do
    mkdir -p "$work/$name/$side"
    # Each kept replay brings its save; --dir keeps the save and report it leaves.
    (cd "$work/$name/$side" && "${!side}" --replay "$replay" --dir . --trace trace.jsonl)
  done
  for file in trace.jsonl save.dat レポート.txt; do
    d="$work/$name/desktop/$file" w="$work/$name/other/$file"
    [ -e "$d" ] && has_d=1 || has_d=0
    [ -e "$w" ] && has_w=1 || has_w=0
    if [ $has_d != $has_w ] || { [ $has_d = 1 ] && ! cmp -s "$d" "$w"; }; then
      echo "replay $name: $file differs between the desktop and the $edition"
      cmp "$d" "$w" || true
      failed=1
    fi
  done
  lines=$(wc -l <"$work/$name/other/trace.jsonl")
  echo "replay $name: $lines steps compared"
done
exit $failed
