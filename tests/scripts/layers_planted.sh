#!/usr/bin/env bash
# The layer check itself: on a copy of the tree it must fail on an include the table does
# not allow (paint/ reaching core/), on a loop between two units of one folder, and on a
# README whose copy of the table differs.
# Usage: layers_planted.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$2
check="$src/tests/scripts/layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

fresh_copy() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  (cd "$src" && cp -r lib record stage command core paint session platform ARCHITECTURE.md README.md "$work/tree/")
}

expect_failure() {  # what was planted, the line the check must print
  local out
  if out=$(bash "$check" none "$work/tree" none 2>&1); then
    echo "FAIL: the layer check passed with $1"
    status=1
  elif ! grep -qF -- "$2" <<<"$out"; then
    echo "FAIL: with $1 the check did not say: $2"
    echo "$out" | sed 's/^/  /'
    status=1
  fi
}

fresh_copy
sed -i '0,/^#include "/s//#include "core\/UnitMain.h"\n#include "/' "$work/tree/paint/StatusBars.cpp"
expect_failure "paint/ including core/" "paint/StatusBars.cpp includes core/UnitMain.h, and paint/ may not include core/"

fresh_copy
printf '#pragma once\n#include "session/LoopB.h"\n' >"$work/tree/session/LoopA.h"
printf '#pragma once\n#include "session/LoopA.h"\n' >"$work/tree/session/LoopB.h"
expect_failure "two session/ units including each other" "session/LoopA"

fresh_copy
sed -i 's/^| `paint\/` |.*/| `paint\/` | the frame | `core\/`, `record\/`, `lib\/` |/' "$work/tree/README.md"
expect_failure "a README table that differs" "the layer table in README.md differs"

[ $status = 0 ] && echo "layers check: fails on each planted fault"
exit $status
