#!/usr/bin/env bash
# Every frame of every kept replay, and of a long idle game, drawn both ways: only what
# changed, and whole. The game stops with the first pixel where they differ. The traces
# must not change either.
# Usage: frame_check.sh VEXA SOURCE_DIR BUILD_DIR
set -euo pipefail
vexa=$1 src=$2
kept=$src/tests/replays
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
export VEXA_CHECK_FRAMES=1

# An idle game: the pointer comes to rest at once and stays for two and a half minutes,
# through the enemy's attacks, the defeat and the retry countdown.
cat >"$work/idle.replay" <<'REPLAY'
vexa-replay 1
seed 4242
steps 3000
0 move none 420 300
REPLAY

shopt -s nullglob
for replay in "$kept"/*.replay "$work/idle.replay"; do
  name=$(basename "$replay" .replay)
  run="$work/$name"
  mkdir -p "$run"
  if ! (cd "$run" && "$vexa" --replay "$replay" --trace "$run/trace.jsonl" 2>"$run/err.txt"); then
    echo "replay $name: $(cat "$run/err.txt")"
    failed=1
    continue
  fi
  if [ -f "$kept/$name.trace.jsonl" ] && ! cmp -s "$kept/$name.trace.jsonl" "$run/trace.jsonl"; then
    echo "replay $name: the trace differs from the kept one when every frame is checked"
    failed=1
  fi
  if [ -f "$kept/$name.final.jsonl" ] && ! tail -n 1 "$run/trace.jsonl" | cmp -s "$kept/$name.final.jsonl" -; then
    echo "replay $name: the last record differs from the kept one when every frame is checked"
    failed=1
  fi
done
exit $failed
