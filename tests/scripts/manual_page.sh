#!/usr/bin/env bash
# The manual page and `vexa --help` list the same options with the same defaults: one
# cannot gain or lose an option, or change what an option does when not given, without
# the other.
# Usage: manual_page.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$1 src=$2
fail() { echo "FAIL: $*"; exit 1; }
page=$src/packaging/vexa.6

help=$("$vexa" --help) || fail "vexa --help"
# An option starts a word: "-h,--help", "--seed N", "Needs: --replay"; not "one-window".
options() { grep -oE '(^|[][ ,(|])--?[a-zA-Z][a-zA-Z0-9-]*' | sed -E 's/^[][ ,(|]//' | sort -u; }
in_help=$(options <<<"$help")
# roff writes a dash as \- and switches fonts with \fB...\fR; comments are not text.
in_page=$(grep -v '^\.\\"' "$page" | sed -E -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' | options)

grep -qx -- --help <<<"$in_help" || fail "found no options in vexa --help: $help"
missing=$(comm -23 <(echo "$in_help") <(echo "$in_page"))
[ -z "$missing" ] || fail "in vexa --help but not in vexa.6: $(echo $missing)"
extra=$(comm -13 <(echo "$in_help") <(echo "$in_page"))
[ -z "$extra" ] || fail "in vexa.6 but not in vexa --help: $(echo $extra)"

# "OPTION DEFAULT" for every "(default: ...)" in an option's entry, one per line.
defaults() { sed -nE 's/^([^\t]*)\t.*\(default: ([^)]*)\).*/\1 \2/p' | tr -s ' ' | sort; }
# --help: an entry is its "  --option" line and the deeper-indented lines under it.
help_entries() {
  awk '/^  -/ { if (opt) print opt "\t" text; opt = $1; sub(/,$/, "", opt); text = $0; next }
       opt && /^                    / { text = text " " $0; next }
       { if (opt) print opt "\t" text; opt = "" }
       END { if (opt) print opt "\t" text }'
}
# The page: an entry is a .TP tag line and the text up to the next paragraph macro.
page_entries() {
  grep -v '^\.\\"' "$page" | sed -E -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' |
    awk 'function flush() { if (opt) print opt "\t" text; opt = "" }
         /^\.(TP|SH|SS|PP|IP|RS)/ { flush(); tag = ($0 ~ /^\.TP/); next }
         tag { opt = $2; tag = 0; text = ""; next }
         opt { line = $0; if (line ~ /^\./) { sub(/^\.[A-Z]+ */, "", line); gsub(/"/, "", line) }; text = text " " line }
         END { flush() }'
}
help_defaults=$(help_entries <<<"$help" | defaults)
page_defaults=$(page_entries | defaults)
grep -q '^--dir ' <<<"$help_defaults" || fail "found no default for --dir in vexa --help: $help"
[ "$help_defaults" = "$page_defaults" ] ||
  fail "the defaults differ (< vexa --help, > vexa.6):"$'\n'"$(diff <(echo "$help_defaults") <(echo "$page_defaults"))"
echo "vexa --help and vexa.6 agree on $(echo $in_help), and on the defaults of $(cut -d' ' -f1 <<<"$help_defaults" | tr '\n' ' ')"
