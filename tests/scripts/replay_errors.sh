#!/usr/bin/env bash
# A malformed replay or command line: exit status 2 and one line naming the problem.
set -uo pipefail
vexa=$1 src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# A folder of its own for the replays' temporary folders, which other tests running beside
# this one make too.
mkdir -p "$work/tmp" && export TMPDIR=$work/tmp
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
expect 2 'missing.replay:0: cannot open the replay (No such file or directory)' -- --replay missing.replay
mkdir -p folder.replay
expect 2 'folder.replay:0: is a folder' -- --replay folder.replay
expect 2 'vexa:' -- --bogus-option
expect 2 'vexa:' -- --scale 9
expect 2 'vexa:' -- --seed 5
printf 'vexa-replay 1\nsteps 3\n' >ok.replay
# Numbers on the command line are decimal digits, as in the file; anything else names the option.
for bad in 0x1F +5 ' 5' -0 -1 5x 4294967296 '' 1e3; do
  expect 2 'vexa: --seed' -- --replay ok.replay --seed "$bad"
done
for bad in 0x10 +5 ' 5' -0 -1 9223372036854775808 99999999999999999999999; do
  expect 2 'vexa: --steps' -- --replay ok.replay --steps "$bad"
done
first_random() { "$vexa" --replay ok.replay --steps 1 --trace - "$@" | sed 's/.*"random":\([0-9]*\).*/\1/'; }
[ "$(first_random --seed 010)" = "$(first_random --seed 10)" ] || { echo "--seed 010 is not seed 10"; status=1; }
[ "$(first_random --seed 09)" = "$(first_random --seed 9)" ] || { echo "--seed 09 is not seed 9"; status=1; }
[ "$("$vexa" --replay ok.replay --steps 010 --trace - | wc -l)" = 10 ] || { echo "--steps 010 is not 10 steps"; status=1; }
# A step beyond 64 bits waits past the run's end: the run plays its steps and succeeds.
printf 'vexa-replay 1\nsteps 2\n0 move none 1 1\n99999999999999999999999 down left 5 5\n' >far.replay
"$vexa" --replay far.replay --trace far.jsonl 2>err.txt && [ "$(wc -l <far.jsonl)" = 2 ] ||
  { echo "a step beyond 64 bits was refused:"; cat err.txt; status=1; }
"$vexa" --replay ok.replay --trace t.jsonl || { echo "a good replay failed"; status=1; }
[ "$(wc -l <t.jsonl)" = 3 ] || { echo "three steps should give three records"; status=1; }
[ ! -e save.dat ] && [ ! -e "レポート.txt" ] || { echo "a replay without commands wrote files"; status=1; }
# Relative paths mean the folder the game was started in, whatever --dir says.
mkdir -p sub
"$vexa" --replay ok.replay --dir runs/a --trace sub/t.jsonl --frames sub/frames 2>err.txt ||
  { echo "--dir made the replay's own paths relative to it:"; cat err.txt; status=1; }
[ "$(wc -l <sub/t.jsonl)" = 3 ] && [ -f sub/frames/frame-000002.png ] && [ -d runs/a ] ||
  { echo "with --dir, the trace, the frames or the folder went elsewhere"; status=1; }
# A replay with a save line never touches the save of the folder it was started from: without
# --dir it runs in a folder of its own; with --dir the save is put there first.
kept=$(od -An -tx1 -v "$src/tests/replays/menu-and-defeat.save.dat" | tr -d ' \n')
{ printf 'vexa-replay 1\nsave %s\nsteps 14\n' "$kept"
  printf '1 down right 300 300\n1 up right 300 300\n3 down left 300 300\n3 up left 300 300\n'; } >saving.replay
printf 'the player'"'"'s own\n' >save.dat
"$vexa" --replay saving.replay --trace s.jsonl 2>err.txt || { echo "a replay with a save failed:"; cat err.txt; status=1; }
grep -q 'ステージ5にいます。' s.jsonl && grep -q 'セーブしました。' s.jsonl ||
  { echo "the replay did not start from its own save, or did not save"; status=1; }
[ "$(cat save.dat)" = "the player's own" ] && [ ! -e レポート.txt ] ||
  { echo "a self-contained replay touched the starting folder"; status=1; }
[ -z "$(find "${TMPDIR:-/tmp}" -maxdepth 1 -name 'vexa-replay-*' -newer saving.replay 2>/dev/null)" ] ||
  { echo "the replay's own folder was left behind"; status=1; }
"$vexa" --replay saving.replay --dir there --trace s2.jsonl || status=1
cmp -s s.jsonl s2.jsonl && [ -f there/レポート.txt ] && [ "$(od -An -tx1 -v there/save.dat | tr -d ' \n')" = "$kept" ] ||
  { echo "with --dir, the replay's save, report or trace differ"; status=1; }
printf 'vexa-replay 1\nsave none\nsteps 1\n' >none.replay
mkdir -p clean && cp save.dat clean/save.dat
"$vexa" --replay none.replay --dir clean 2>err.txt && [ ! -e clean/save.dat ] ||
  { echo "'save none' with --dir did not start without a save"; status=1; }
# The player's save in that folder is kept, and said to be, never thrown away.
cmp -s save.dat clean/save.dat.replaced && grep -q 'kept as save.dat.replaced$' err.txt ||
  { echo "'save none' with --dir lost the save that was there:"; ls clean; cat err.txt; status=1; }
"$vexa" --replay saving.replay --dir clean 2>err.txt && cp save.dat clean/save.dat &&
  "$vexa" --replay saving.replay --dir clean 2>>err.txt && cmp -s save.dat clean/save.dat.replaced.1 ||
  { echo "a replay's save did not keep the one it replaced as save.dat.replaced.1:"; ls clean; cat err.txt; status=1; }
mkdir -p blocked/save.dat
expect 1 'save.dat' -- --replay saving.replay --dir blocked
# A save folder that cannot be used is said with its real cause, before anything runs.
printf 'x' >a-file
expect 1 'cannot use the folder .*a-file/sub for the save: Not a directory' -- --replay ok.replay --dir a-file/sub
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  mkdir -m 555 locked && chmod 755 "$work" && cp "$vexa" "$work/vexa-copy" && ln -s "$src/dat" dat
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work" "$work/vexa-copy" --replay ok.replay \
    --dir locked/saves >out.txt 2>err.txt
  grep -q 'cannot use the folder .*locked/saves for the save: Permission denied' err.txt ||
    { echo "a folder that may not be made did not say 'Permission denied':"; cat err.txt; status=1; }
  setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work" "$work/vexa-copy" --replay ok.replay \
    --dir locked >out.txt 2>err.txt
  grep -q 'save folder .*locked cannot be written (Permission denied): saves will fail' err.txt ||
    { echo "a read-only save folder was not said at start:"; cat err.txt; status=1; }
  rm dat
fi
# The window game refuses, before any window, a trace or a recording it cannot write, with the
# system's reason and the status of any failure but a usage error; so does a replay.
expect 1 'cannot write the trace /nonexistent/t.jsonl: No such file or directory' -- --trace /nonexistent/t.jsonl
expect 1 'cannot write the replay /nonexistent/r.replay: No such file or directory' -- --record /nonexistent/r.replay
expect 1 'cannot write the trace /nonexistent/t.jsonl: No such file or directory' -- --replay saving.replay --trace /nonexistent/t.jsonl
expect 1 'cannot write the trace /dev/full: No space left on device' -- --replay saving.replay --trace /dev/full
expect 1 'cannot write the frames in .*a-file/f: Not a directory' -- --replay saving.replay --frames a-file/f
expect 2 'vexa: --replay needs a FILE' -- --replay
# A line has a limit: a file without line breaks is refused there, not read whole.
expect 2 'zero:1: a line longer than 4096 bytes' -- --replay /dev/zero
# Without dat/ anywhere: one line naming the places looked at, status 1.
mkdir -p alone/bin && cp "$vexa" alone/bin/vexa
(cd alone && ./bin/vexa --replay ../ok.replay >out.txt 2>err.txt); got=$?
if [ $got != 1 ] || [ "$(wc -l <alone/err.txt)" != 1 ] || ! grep -q 'dat' alone/err.txt; then
  echo "without dat/: wanted status 1 and one line; got $got:"; cat alone/err.txt; status=1
fi
exit $status
