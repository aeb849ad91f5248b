#!/usr/bin/env bash
# The manual page and `vexa --help` list the same options: one cannot gain or lose
# an option without the other.
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
echo "vexa --help and vexa.6 agree on $(echo $in_help)"
