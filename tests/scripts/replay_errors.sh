#!/usr/bin/env bash
# A malformed replay or command line: exit status 2 and one line naming the problem.
set -uo pipefail
vexa=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
expect() {  # expect STATUS PATTERN -- ARGS...
  local want=$1 pattern=$2; shift 3
  "$vexa" "$@" >out.txt 2>err.txt
  local got=$?
  local lines
  lines=$(wc -l <err.txt)
  if [ "$got" != "$want" ] || ! grep -q -- "$pattern" err.txt || [ "$lines" != 1 ]; then
    echo "vexa $*: wanted status $want and one line matching '$pattern'; got $got:"; cat err.txt
    status=1
  fi
}
printf 'vexa-replay 1\n0 move none 1 1\n0 fly none 1 1\n' >bad.replay
expect 2 'bad.replay:3:' -- --replay bad.replay
printf 'not a replay\n' >worse.replay
expect 2 'worse.replay:1:' -- --replay worse.replay
expect 2 'missing.replay' -- --replay missing.replay
expect 2 'vexa:' -- --bogus-option
expect 2 'vexa:' -- --scale 9
expect 2 'vexa:' -- --seed 5
printf 'vexa-replay 1\nsteps 3\n' >ok.replay
"$vexa" --replay ok.replay --trace t.jsonl || { echo "a good replay failed"; status=1; }
[ "$(wc -l <t.jsonl)" = 3 ] || { echo "three steps should give three records"; status=1; }
[ ! -e save.dat ] && [ ! -e "レポート.txt" ] || { echo "a replay without commands wrote files"; status=1; }
# Without dat/ anywhere: one line naming the places looked at, status 1.
mkdir -p alone/bin && cp "$vexa" alone/bin/vexa
(cd alone && ./bin/vexa --replay ../ok.replay >out.txt 2>err.txt); got=$?
if [ $got != 1 ] || [ "$(wc -l <alone/err.txt)" != 1 ] || ! grep -q 'dat' alone/err.txt; then
  echo "without dat/: wanted status 1 and one line; got $got:"; cat alone/err.txt; status=1
fi
exit $status
