#!/usr/bin/env bash
# Every kept replay gives its kept results. A replay NAME.replay may come with
# NAME.save.dat, the "save.dat" it starts from. A short replay keeps its whole trace
# (NAME.trace.jsonl, compared byte for byte); a long one keeps the figures it must end
# on: its last trace record (NAME.final.jsonl), every step that told the player
# something (NAME.messages.txt), and the "save.dat" and report it leaves behind
# (NAME.final-save.dat, NAME.final-report.txt).
# Usage: replays.sh VEXA SOURCE_DIR BUILD_DIR   (UPDATE=1 rewrites the kept results)
set -euo pipefail
# Each replay runs in a folder of its own, so the program is named by its whole path.
vexa=$(realpath "$1") src=$2
kept=$src/tests/replays
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# "step [messages]" for every record whose messages are not empty.
messages() {
  sed -n 's/^{"step":\([0-9]*\),.*"messages":\(\[[^]]*\]\).*/\1 \2/p' "$1" | grep -v ' \[\]$' || true
}

# check NAME WHAT KEPT_FILE ACTUAL_FILE
check() {
  if [ "${UPDATE:-0}" = 1 ]; then
    cp "$4" "$3"
  elif ! cmp -s "$3" "$4"; then
    echo "replay $1: $2 differs from the kept one:"
    diff <(head -c 4000 "$3") <(head -c 4000 "$4") | head -20 || true
    failed=1
  fi
}

shopt -s nullglob
for replay in "$kept"/*.replay; do
  name=$(basename "$replay" .replay)
  run="$work/$name"
  mkdir -p "$run"
  if ! grep -q '^save ' "$replay"; then
    echo "replay $name: has no save line, so it depends on the folder it is run in"
    failed=1
  fi
  (cd "$run" && "$vexa" --replay "$replay" --dir "$run" --trace "$run/trace.jsonl")
  if [ -f "$kept/$name.final.jsonl" ]; then
    tail -n 1 "$run/trace.jsonl" >"$run/final.jsonl"
    messages "$run/trace.jsonl" >"$run/messages.txt"
    check "$name" "the last record" "$kept/$name.final.jsonl" "$run/final.jsonl"
    check "$name" "the messages" "$kept/$name.messages.txt" "$run/messages.txt"
    check "$name" "save.dat" "$kept/$name.final-save.dat" "$run/save.dat"
    check "$name" "the report" "$kept/$name.final-report.txt" "$run/レポート.txt"
    if [[ $name = whole-game* ]] && ! grep -q '"stage":10,.*"ending":true,.*"scriptNext":\([0-9]*\),"scriptCount":\1,' "$run/final.jsonl"; then
      echo "replay $name: does not end having read the whole ending"
      failed=1
    fi
  else
    check "$name" "the trace" "$kept/$name.trace.jsonl" "$run/trace.jsonl"
  fi
done
# Each kept replay brings its save, so the README's commands give one trace every time,
# run twice from one folder, and leave that folder as it was.
here="$work/here"
mkdir -p "$here"
echo "the player's own" >"$here/keep.txt"
listing() { (cd "$here" && find . | sort && find . -type f -exec cksum {} + | sort); }
before=$(listing)
for replay in "$kept"/*.replay; do
  name=$(basename "$replay" .replay)
  for n in 1 2; do
    (cd "$here" && "$vexa" --replay "$replay" --trace "$work/$name.twice.$n.jsonl")
  done
  if ! cmp -s "$work/$name.twice.1.jsonl" "$work/$name.twice.2.jsonl"; then
    echo "replay $name: two runs from one folder give different traces"
    failed=1
  fi
done
after=$(listing)
if [ "$before" != "$after" ]; then
  echo "the kept replays changed the folder they were run from:"
  diff <(echo "$before") <(echo "$after") || true
  failed=1
fi
exit $failed
