#!/usr/bin/env bash
# Every #include keeps to the layer table in ARCHITECTURE.md: a file may include its own
# folder and the folders its row names, nothing else; the units of one folder include each
# other without a loop; and the README shows the same table.
# Usage: layers.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$2
cd "$src" || exit 1

table() { sed -n '/^<!-- layer table/,/^<!-- end of layer table/p' "$1"; }
rules=$(table ARCHITECTURE.md)
[ -n "$rules" ] || { echo "FAIL: ARCHITECTURE.md has no layer table"; exit 1; }
if [ "$rules" != "$(table README.md)" ]; then
  echo "FAIL: the layer table in README.md differs from the one in ARCHITECTURE.md"
  exit 1
fi

# folder -> the folders it may include, each as "name/" between spaces.
declare -A may
while IFS= read -r row; do
  folder=$(sed -n 's/^| `\([a-z/]*\)\/`.*/\1/p' <<<"$row")
  [ -n "$folder" ] || continue
  allowed=$(awk -F'|' '{print $(NF-1)}' <<<"$row" | grep -o '`[a-z/]*/`' | tr -d '`' | tr '\n' ' ')
  may[$folder]=" $folder/ $allowed"
done <<<"$rules"

status=0
checked=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
  folder=$(dirname "$file")
  if [ -z "${may[$folder]+set}" ]; then
    echo "FAIL: $file is in $folder/, which the layer table does not name"
    status=1
    continue
  fi
  unit=${file%.*}
  while IFS= read -r target; do
    checked=$((checked + 1))
    other=$(dirname "$target")
    if [[ "${may[$folder]}" != *" $other/ "* ]]; then
      echo "FAIL: $file includes $target, and $folder/ may not include $other/"
      status=1
    fi
    [ "$other" = "$folder" ] && [ "${target%.*}" != "$unit" ] && echo "$unit ${target%.*}" >>"$edges"
  done < <(sed -n 's/^#include "\([a-z]*\/[^"]*\)".*/\1/p' "$file")
done < <(find lib record stage command core paint session platform \( -name '*.h' -o -name '*.cpp' \) | sort)

# tsort names the units of a loop on standard error.
if ! loop=$(tsort "$edges" 2>&1 >/dev/null) || [ -n "$loop" ]; then
  echo "FAIL: units that include each other in a loop:"
  sed -n 's/^tsort: //p' <<<"$loop" | grep -v 'input contains a loop' | sed 's/^/  /'
  status=1
fi

[ "$checked" -gt 0 ] || { echo "FAIL: no include was checked"; exit 1; }
[ $status = 0 ] && echo "layers: $checked includes, each allowed by the table, no loop between units"
exit $status
