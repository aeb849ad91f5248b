#!/usr/bin/env bash
# A soak: the scripted player plays SOAK_STEPS battle steps (20,000 unless set) of
# purposeful play mixed with random presses and moves anywhere, through every part of
# the game: battles at every stage, thrown battles, defeat and the retry clicks,
# restarts from the save, every command, the ending. Its replay must then run in
# the real program to the same end, and under the sanitizers with no error and no leak.
# Usage: soak.sh VEXA SOURCE_DIR BUILD_DIR   (SOAK_STEPS=1000000 for the long soak)
set -euo pipefail
vexa=$1 build=$3
steps=${SOAK_STEPS:-20000} seed=${SOAK_SEED:-1}
autoplay=$build/tools/vexa_autoplay
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/played" "$work/replayed"

(cd "$work/played" && "$autoplay" "$work/soak.replay" --soak "$steps" --seed "$seed") | tee "$work/summary.txt"
"$vexa" --replay "$work/soak.replay" --dir "$work/replayed"

failed=0
fail() { echo "soak: $*"; failed=1; }
grep -q "^$steps steps, stage 10, ending yes (\([0-9]*\)/\1 lines)" "$work/summary.txt" ||
  fail "the game was not played to the end of the ending"
wins=$(sed -n 's/^wins by stage \([0-9 ]*\);.*/\1/p' "$work/summary.txt")
for stage in 1 2 3 4 5 6 7 8 9 10; do
  [ "$(echo "$wins" | cut -d' ' -f$stage)" -gt 0 ] || fail "no battle was won at stage $stage"
done
grep -Eq 'defeats [1-9][0-9]*, restarts from the save [1-9]' "$work/summary.txt" ||
  fail "no defeat, or no restart from the save"
grep -Eq 'saves [1-9][0-9]*, upgrades [1-9][0-9]*, refused upgrades [1-9]' "$work/summary.txt" ||
  fail "a command was never run"
for file in save.dat レポート.txt; do
  cmp -s "$work/played/$file" "$work/replayed/$file" || fail "the replay left a different $file"
done
exit $failed
