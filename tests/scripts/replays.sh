#!/usr/bin/env bash
# Every kept replay gives its kept trace, byte for byte. A replay NAME.replay may come
# with NAME.save.dat, the "save.dat" it starts from.
# Usage: replays.sh VEXA SOURCE_DIR BUILD_DIR   (UPDATE=1 rewrites the kept traces)
set -euo pipefail
vexa=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
shopt -s nullglob
for replay in "$src"/tests/replays/*.replay; do
  name=$(basename "$replay" .replay)
  run="$work/$name"
  mkdir -p "$run"
  [ -f "$src/tests/replays/$name.save.dat" ] && cp "$src/tests/replays/$name.save.dat" "$run/save.dat"
  (cd "$run" && "$vexa" --replay "$replay" --trace "$run/trace.jsonl")
  if [ "${UPDATE:-0}" = 1 ]; then
    cp "$run/trace.jsonl" "$src/tests/replays/$name.trace.jsonl"
  elif ! cmp -s "$run/trace.jsonl" "$src/tests/replays/$name.trace.jsonl"; then
    echo "replay $name: the trace differs from the kept one:"
    diff <(head -c 4000 "$src/tests/replays/$name.trace.jsonl") <(head -c 4000 "$run/trace.jsonl") | head -20 || true
    failed=1
  fi
done
exit $failed
