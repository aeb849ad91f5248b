#!/usr/bin/env bash
# The node replay loads the wasm beside its script: moved without it, or beside a damaged one,
# it must fail with a line naming the file, never end with status 0 as if it had replayed.
# Usage: replay_wasm.sh PAGE_DIR SOURCE_DIR
set -euo pipefail
page=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$page/vexa-replay.js" "$work/"
replay="$src/tests/replays/first-battle.replay"
check() {  # what the case is
  local status=0
  (cd "$work" && node vexa-replay.js --replay "$replay") >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 1 ] || { echo "$1: status $status, expected 1" >&2; cat "$work/err" >&2; exit 1; }
  grep -q "cannot load $work/vexa-replay.wasm" "$work/err" || { echo "$1: no line naming the wasm" >&2; cat "$work/err" >&2; exit 1; }
  [ ! -e "$work/save.dat" ] || { echo "$1: a save was written" >&2; exit 1; }
}
check "no wasm beside the script"
head -c 1000 "$page/vexa-replay.wasm" >"$work/vexa-replay.wasm"
check "a cut wasm"
# And beside its whole wasm the same copy replays.
cp "$page/vexa-replay.wasm" "$work/"
(cd "$work" && node vexa-replay.js --replay "$replay")
echo "the node replay refuses a missing or damaged wasm and runs beside a whole one"
