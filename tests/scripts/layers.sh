#!/usr/bin/env bash
# Every #include points down the layers (ARCHITECTURE.md):
#   lib < record < stage < command < core < paint < session < platform < the program entry
# A file may include its own folder and any folder below it, never one above.
# Usage: layers.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$2
cd "$src" || exit 1
rank() {
  case $1 in
    lib) echo 0 ;; record) echo 1 ;; stage) echo 2 ;; command) echo 3 ;; core) echo 4 ;;
    paint) echo 5 ;; session) echo 6 ;; platform) echo 7 ;; *) echo 99 ;;
  esac
}
status=0
checked=0
while IFS= read -r file; do
  folder=${file%%/*}
  own=$(rank "$folder")
  [ "$file" = core/main.cpp ] && own=8  # the program entry sits on top of everything
  while IFS= read -r target; do
    other=$(rank "${target%%/*}")
    [ "$other" = 99 ] && continue  # not one of the game's folders
    checked=$((checked + 1))
    if [ "$other" -gt "$own" ]; then
      echo "FAIL: $file includes $target, a layer above its own"
      status=1
    fi
  done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done < <(find lib record stage command core paint session platform -name '*.h' -o -name '*.cpp' | sort)
[ "$checked" -gt 0 ] || { echo "FAIL: no include was checked"; exit 1; }
[ $status = 0 ] && echo "layers: $checked includes, all pointing down"
exit $status
