#!/usr/bin/env bash
# Broken and hostile files where the game keeps its own: damaged pictures in dat/, damaged
# or odd saves, folders it may not write to, special files in place of plain ones. Every run
# must end with status 0, or 1 and one line naming the file; never with a signal, a hang or a
# sanitizer report; and a good save.dat is never lost or rewritten except by a save that works.
# Usage: hostile_files.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$(realpath "$1")
src=$(realpath "$2")
# The count of suppressed fontconfig leaks is no report; it must not pass for a second line.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"
# Matching those leaks to the suppression by symbol costs more than the rest of a run, and the
# module name matches them as well: runs go without symbols, and one that reports is played
# again with them.
asan_options=${ASAN_OPTIONS:-}
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}symbolize=0"
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"  # the run as another user reads the game's files from here
failed=0

# ---- running the game -----------------------------------------------------------------------
# Runs go two at a time, each in its own folder; their checks run once they have all ended.
runs=0 active=0 checked=0
program=$vexa
runas=()  # a command that runs the program as another user
declare -a run_dir run_checks run_replay run_program
mkdir -m 777 "$work/runs"  # the run as another user writes its trace here
# start REPLAY CHECKS: plays REPLAY (a file in $work) in the folder $dir; CHECKS is shell code,
# run later with $rec (the run's files without their suffix), $dir, $status and $trace (the
# trace's lines) set.
start() {
  runs=$((runs + 1))
  local record=$work/runs/$runs
  run_dir[runs]=$dir
  run_checks[runs]=$2
  run_replay[runs]=$1
  run_program[runs]=$program
  if [ "$active" -ge 2 ]; then
    wait -n
    active=$((active - 1))
  fi
  (
    cd "$dir" || exit
    timeout 30 "${runas[@]}" "$program" --replay "$work/$1" --trace "$record.trace" >"$record.out" 2>"$record.err"
    echo $? >"$record.status"
  ) &
  active=$((active + 1))
}

# Runs the checks of every run started so far.
finish() {
  wait
  active=0
  local n
  for ((n = checked + 1; n <= runs; n++)); do
    rec=$work/runs/$n
    dir=${run_dir[n]}
    read -r status <"$rec.status"
    trace=()
    [ -f "$rec.trace" ] && mapfile -t trace <"$rec.trace"
    label="run $n in ${dir#"$work"/}"
    warn_wanted=0 notice=0 block_wanted=0 blocks=0
    eval "${run_checks[n]}"
    [ "$notice" = "$warn_wanted" ] || complain "$notice lines about a damaged save.dat on stderr, wanted $warn_wanted"
    [ "$blocks" = "$block_wanted" ] || complain "$blocks lines about what stands in save.dat's place, wanted $block_wanted"
  done
  checked=$runs
}

complain() {
  echo "FAIL $label: $*"
  failed=1
}

# ---- checks -----------------------------------------------------------------------------------
# ended WANT [NAME]: WANT is 0, 1 or 0|1. A sanitizer report, a signal or a hang fails; status 1
# must come with exactly one line "vexa: ..." naming NAME; status 0 with nothing on stderr.
ended() {
  local want=$1 name=${2:-} err=() all=() line
  mapfile -t all <"$rec.err"
  # The one line that says a damaged save was found is counted apart (see warned).
  for line in "${all[@]}"; do
    if [[ "$line" == "vexa: save.dat could not be loaded ("?*"), so a new game begins"* ]]; then
      notice=$((notice + 1))
    elif [[ "$line" == "vexa: save.dat in $dir is "*", not a file: saves will fail"* ]]; then
      blocks=$((blocks + 1))
    else
      err+=("$line")
    fi
  done
  if [[ "${err[*]}" == *Sanitizer* || "${err[*]}" == *"runtime error:"* ]]; then
    complain "sanitizer report; played again with symbols:"
    (cd "$dir" && ASAN_OPTIONS=$asan_options timeout 30 "${run_program[n]}" --replay "$work/${run_replay[n]}") 2>&1 |
      head -n 40
  elif [ "$status" = 124 ]; then
    complain "still running after 30 s"
  elif [ "$status" -gt 128 ]; then
    complain "killed by signal $((status - 128))"
  elif [[ "|$want|" != *"|$status|"* ]]; then
    complain "status $status, wanted $want; stderr:"
    printf '%s\n' "${err[@]:0:5}"
  elif [ "$status" = 1 ] && { [ "${#err[@]}" != 1 ] || [[ "${err[0]}" != "vexa: "*"$name"* ]]; }; then
    complain "status 1 needs one line 'vexa: ...' naming $name; stderr:"
    printf '%s\n' "${err[@]:0:5}"
  elif [ "$status" = 0 ] && [ "${#err[@]}" != 0 ]; then
    complain "a run that worked wrote to stderr:"
    printf '%s\n' "${err[@]:0:5}"
  fi
}

records() {  # records N: a run that ended well wrote all N records
  [ "$status" != 0 ] || [ "${#trace[@]}" = "$1" ] || complain "${#trace[@]} records, wanted $1"
}

restored() {  # restored STAGE: the game came back from the save at STAGE, between battles
  local first=${trace[0]:-}
  [[ "$first" == *"\"stage\":$1,\"trainingCount\":"*",\"battleOn\":false"* && "$first" == *"ステージ$1にいます。"* ]] ||
    complain "not restored at stage $1: ${first:0:160}"
}

fresh() {  # a fresh game at stage 1, without a word about the save
  local first=${trace[0]:-}
  [[ "$first" == *'"stage":1,"trainingCount":0,"battleOn":true'* && "$first" != *にいます。* ]] ||
    complain "not a fresh game: ${first:0:160}"
}

warned() { warn_wanted=1; }  # the start said, once, that save.dat could not be loaded, and why
blocked() { block_wanted=1; }  # the start said, once, what stands where save.dat goes

aside() {  # aside FILE: the damaged save was kept as save.dat.damaged, byte for byte
  cmp -s "$dir/save.dat.damaged" "$1" || complain "save.dat.damaged does not hold ${1##*/}"
}

said() { [[ "${trace[*]}" == *"$1"* ]] || complain "the messages lack '$1'"; }
silent() { [[ "${trace[*]}" != *"$1"* ]] || complain "the messages hold '$1'"; }

holds() {  # holds FILE: save.dat is a plain file with FILE's bytes
  [ -f "$dir/save.dat" ] && [ ! -L "$dir/save.dat" ] && cmp -s "$dir/save.dat" "$1" ||
    complain "save.dat is not ${1##*/} byte for byte"
}

unwritten() {  # unwritten FILE: save.dat is no newer than FILE, which was written just after it
  [ ! "$dir/save.dat" -nt "$1" ] || complain "save.dat was written again"
}

untouched_stranger() {  # untouched_stranger KIND: save.dat.new is still what was put there
  case $1 in
    file) cmp -s "$dir/save.dat.new" "$work/player-file" ;;
    link) [ -L "$dir/save.dat.new" ] ;;
    fifo) [ -p "$dir/save.dat.new" ] ;;
    folder) [ -d "$dir/save.dat.new" ] ;;
  esac || complain "the save touched the $1 named save.dat.new"
  local n
  n=$(find "$dir" -maxdepth 1 -name 'save.dat.??????' | wc -l)
  [ "$n" = 0 ] || complain "a save left its temporary behind"
}

victim_intact() {  # the file a left-over link pointed at is as it was
  cmp -s "$work/victim-link" "$work/victim" || complain "the save wrote through a link into another file"
}

none() {  # none NAME...: the game left no such file
  local name
  for name in "$@"; do
    [ ! -e "$dir/$name" ] && [ ! -L "$dir/$name" ] || complain "the game left $name"
  done
}

# ---- fixtures ---------------------------------------------------------------------------------
data=$work/dat  # the real pictures, copied; source files are never touched
cp -r "$src/dat" "$data"

# game_folder NAME [PICTURE]: sets $dir to a new folder for one run whose dat/ is the copy; with
# PICTURE, dat/ is a folder of links to the copy's files but that one, which the caller supplies.
game_folder() {
  dir=$work/$1
  if [ -z "${2:-}" ]; then
    mkdir -p "$dir" && ln -s "$data" "$dir/dat"
  else
    mkdir -p "$dir/dat" && ln -s "${others[@]}" "$dir/dat/"
  fi
}

printf 'vexa-replay 1\nsteps 1\n' >"$work/start.replay"
printf 'vexa-replay 1\nsteps 3\n0 move none 300 300\n2 down left 300 300\n2 up left 300 300\n' \
  >"$work/fight.replay"
# From the kept stage-5 save: select "save" (one right click) and run it (a left click).
printf 'vexa-replay 1\nsteps 3\n0 down right 500 300\n0 up right 500 300\n1 down left 500 300\n1 up left 500 300\n' \
  >"$work/resave.replay"
# From the kept stage-5 save: raise HP (right, right, left), then save (five rights, a left), so
# the new save differs from the old one; two steps more show the game going on.
{
  printf 'vexa-replay 1\nsteps 11\n'
  for s in 0 1 2 3 4 5 6 7 8; do
    case $s in 2 | 8) button=left ;; *) button=right ;; esac
    printf '%s down %s 500 300\n%s up %s 500 300\n' "$s" "$button" "$s" "$button"
  done
} >"$work/upgrade.replay"
# A fresh game: stage 1 won at step 154 (seed 1, found by playing against the traces), then
# "save" selected and run.
{
  printf 'vexa-replay 1\nseed 1\nsteps 160\n0 move none 0 300\n1 down right 0 300\n'
  printf '7 up right 0 300\n'
  for s in 7 9 11 13 15 34 54 74 94 114 134 154; do
    [ "$s" -gt 15 ] && printf '%s move none 0 300\n' $((s - 2))
    printf '%s down left 0 300\n%s up left 0 300\n%s move none 0 300\n' "$s" "$s" $((s + 1))
  done
  printf '156 down right 0 300\n156 up right 0 300\n158 down left 0 300\n158 up left 0 300\n'
} | sed '/^155 /d' >"$work/win.replay"

# The kept save was written by the game; reading it and saving again must give the same bytes.
kept=$work/kept.save.dat
cp "$src/tests/replays/menu-and-defeat.save.dat" "$kept"
game_folder maker
cp "$kept" "$dir/save.dat"
start resave.replay 'ended 0; records 3; restored 5; said セーブしました。; holds "$kept"; none save.dat.new'
game_folder upgrader
cp "$kept" "$dir/save.dat"
start upgrade.replay 'ended 0; records 11; restored 5; said ＨＰがアップした！; said セーブしました。
  ! cmp -s "$dir/save.dat" "$kept" || complain "the upgraded save equals the old one"'
game_folder winner
start win.replay 'ended 0; records 160; fresh; said やっつけたーっ！; said セーブしました。'
finish
[ "$failed" = 0 ] || { echo "the game cannot make its own saves; nothing else is tried"; exit 1; }
upgraded=$work/upgraded.save.dat
cp "$work/upgrader/save.dat" "$upgraded"
won=$work/won.save.dat
cp "$work/winner/save.dat" "$won"
game_folder winner-restart
cp "$won" "$dir/save.dat"
start start.replay 'ended 0; records 1; restored 1; holds "$won"'
game_folder upgraded-restart
cp "$upgraded" "$dir/save.dat"
start start.replay 'ended 0; records 1; restored 5; holds "$upgraded"'
finish

# ---- 1. pictures ------------------------------------------------------------------------------
# The pictures a headless start reads; the others (the window's icon) must not stop a replay.
read_at_start=" vexa_body.bmp vexa_face.bmp vexa_face2.bmp vexa_foot.bmp vexa_head.bmp vexa_slash.bmp "
# Changed bytes: OFFSET XOR WANT. WANT 1: the header no longer describes the data (refused);
# 0: still a picture, just a different one; 0|1: the game may take either view.
# D is the first pixel byte, M the middle one, E the last.
flips=(
  "0 0x01 1"    "1 0xff 1"                       # signature
  "2 0xff 0|1"  "5 0x80 0|1"  "6 0xff 0|1"       # file size, reserved
  "10 0x04 1"   "10 0x80 0|1" "13 0x80 1"        # pixel data offset: into the header, past the end
  "14 0x01 1"   "14 0xff 1"                      # header size
  "18 0x01 1"   "18 0x60 0|1" "21 0x80 1"        # width: wider than the data, narrower, negative
  "22 0x01 1"   "22 0x10 0|1" "25 0x80 1"        # height: taller, shorter or taller, huge top-down
  "26 0x01 1"                                    # planes
  "28 0x01 1"   "28 0x08 0|1" "28 0x38 1"        # depth: 25 bits, 16 bits, 32 bits
  "30 0x01 1"   "30 0x02 1"   "30 0x03 1"  "30 0x80 1"  # compression: RLE8, RLE4, masks, unknown
  "34 0x80 0|1" "37 0x80 0|1"                    # image size
  "38 0x80 0|1" "41 0x80 0|1"                    # density
  "46 0x01 0|1" "46 0xff 0|1" "50 0xff 0|1"      # colours used and important
  "D 0xff 0"    "M 0x01 0"    "E 0xff 0"         # pixels
)

# A file's bytes as printf escapes, four characters a byte, so that changed copies are written
# without a program started for each.
escape() {  # escape FILE: sets $esc and $size
  local octal
  octal=($(od -An -to1 -v "$1"))
  printf -v esc '\\%s' "${octal[@]}"
  size=${#octal[@]}
}
cut() { printf "${esc:0:4*$2}" >"$1"; }  # cut TO LENGTH: the first LENGTH bytes
changed() {  # changed TO OFFSET XOR: every byte, the one at OFFSET changed
  local at=$2 new
  printf -v new '\\%03o' $((8#${esc:4*at+1:3} ^ $3))
  printf "${esc:0:4*at}$new${esc:4*at+4}" >"$1"
}

for picture in "$data"/*.bmp; do
  name=${picture##*/}
  others=()
  for file in "$data"/*; do [ "$file" = "$picture" ] || others+=("$file"); done
  escape "$picture"
  if [[ "$read_at_start" == *" $name "* ]]; then want=1; else want=0; fi
  for length in 0 1 14 54 $((size / 2)) $((size - 1)); do
    game_folder "pictures/$name/cut-$length" "$name"
    cut "$dir/dat/$name" "$length"
    start fight.replay "ended $want dat/$name; records 3; none save.dat save.dat.new レポート.txt"
  done
  [ "$want" = 1 ] || continue  # the cut files already show a picture the replay never opens
  offset=$((8#${esc:41:3} | 8#${esc:45:3} << 8 | 8#${esc:49:3} << 16 | 8#${esc:53:3} << 24))
  for row in "${flips[@]}"; do
    read -r at xor want <<<"$row"
    case "$at" in D) at=$offset ;; M) at=$(((offset + size) / 2)) ;; E) at=$((size - 1)) ;; esac
    game_folder "pictures/$name/flip-$at-$xor" "$name"
    changed "$dir/dat/$name" "$at" "$xor"
    start fight.replay "ended '$want' dat/$name; records 3; none save.dat save.dat.new レポート.txt"
  done
done
# Not a plain file where a picture belongs: a folder, a dangling link, a pipe nobody writes to,
# a device.
# odd_file PATH KIND: something other than a plain file where the game expects one.
odd_file() {
  case $2 in
    folder) mkdir "$1" && : >"$1/inside" ;;
    dangling) ln -s "$work/nowhere" "$1" ;;
    fifo) mkfifo "$1" ;;
    device) ln -s /dev/zero "$1" ;;
  esac
}
others=()
for file in "$data"/*; do [ "${file##*/}" = vexa_face.bmp ] || others+=("$file"); done
# The program runs away from the build's dat/, which a dat/ without a plain vexa_face.bmp would
# not hide.
mkdir -p "$work/alone/bin"
cp "$vexa" "$work/alone/bin/vexa"
program=$work/alone/bin/vexa
for kind in folder dangling fifo device; do
  game_folder "pictures/vexa_face.bmp/$kind" vexa_face.bmp
  odd_file "$dir/dat/vexa_face.bmp" "$kind"
  start fight.replay "ended 1 dat/vexa_face.bmp"
done
finish
program=$vexa

# ---- 2. save.dat ------------------------------------------------------------------------------
# Every length 0..40 of the kept save (longer ones carry its bytes again); each byte changed.
# The game starts either from the save or fresh at stage 1, and reads save.dat without writing it.
mkdir "$work/saves"
cat "$kept" "$kept" >"$work/twice"
escape "$work/twice"
for length in $(seq 0 40); do
  game_folder "saves/length-$length"
  cut "$dir/save.dat" "$length"
  before=$work/saves/length-$length.before
  cut "$before" "$length"
  if [ "$length" -ge 34 ]; then how="restored 5"; else how="fresh; warned"; fi
  start start.replay "ended 0; records 1; $how; holds '$before'; unwritten '$before'; none save.dat.new レポート.txt"
done
escape "$kept"
for ((at = 0; at < size; at++)); do
  for xor in 0xff 0x01; do
    game_folder "saves/byte-$at-$xor"
    changed "$dir/save.dat" "$at" "$xor"
    before=$work/saves/byte-$at-$xor.before
    changed "$before" "$at" "$xor"
    start start.replay "ended 0; records 1; fresh; warned; holds '$before'; unwritten '$before'; none save.dat.new save.dat.damaged レポート.txt"
  done
done
# A save over a damaged save.dat (short, a changed byte) writes the same good save as a game
# that had none, and keeps the damaged bytes aside.
game_folder saves/save-over-short
head -c 20 "$kept" >"$dir/save.dat"
head -c 20 "$kept" >"$work/short.before"
start win.replay 'ended 0; records 160; fresh; warned; said セーブしました。; holds "$won"; aside "$work/short.before"'
game_folder saves/save-over-changed
changed "$dir/save.dat" 16 0x01  # the stage
changed "$work/changed.before" 16 0x01
start win.replay 'ended 0; records 160; fresh; warned; said セーブしました。; holds "$won"; aside "$work/changed.before"'
# Whatever else lies in the folder under a name a save once used, or might, is neither in the
# save's way nor touched by it.
printf 'not the game'"'"'s\n' >"$work/victim"
cp "$work/victim" "$work/victim-link"
head -c 7 "$kept" >"$work/player-file"
for kind in file link fifo folder; do
  game_folder "saves/temp-left-$kind"
  cp "$kept" "$dir/save.dat"
  case $kind in
    file) cp "$work/player-file" "$dir/save.dat.new" ;;
    link) ln -s "$work/victim-link" "$dir/save.dat.new" ;;
    fifo) mkfifo "$dir/save.dat.new" ;;
    folder) mkdir "$dir/save.dat.new" ;;
  esac
  start upgrade.replay 'ended 0; records 11; said セーブしました。; holds "$upgraded"; untouched_stranger '$kind
done
# The report cannot be written (a folder has its name; a pipe nobody reads): the save still
# counts, nothing is said about the report, and the game goes on.
for kind in folder fifo; do
  game_folder "saves/report-$kind"
  cp "$kept" "$dir/save.dat"
  case $kind in folder) mkdir "$dir/レポート.txt" ;; fifo) mkfifo "$dir/レポート.txt" ;; esac
  start upgrade.replay 'ended 0; records 11; said セーブしました。; holds "$upgraded"; none save.dat.new'
done
finish
victim_intact

# ---- 3. a folder the game may not write to -----------------------------------------------------
# Root writes through any permission, so there the game runs as nobody; a probe write must fail
# as that user before anything is concluded.
if [ "$(id -u)" = 0 ]; then
  if command -v setpriv >/dev/null; then
    runas=(env "HOME=$work/home" setpriv --reuid=65534 --regid=65534 --clear-groups)
  else
    echo "SKIPPED read-only folders: no setpriv to run as another user, and root writes anywhere"
    runas=(none)
  fi
fi
if [ "${runas[*]}" != none ]; then
  mkdir -m 777 "$work/home"  # for fontconfig's cache
  # The build folder may be closed to that user; a copy here is not.
  cp "$vexa" "$work/vexa-copy"
  program=$work/vexa-copy
  for has_save in yes no; do
    game_folder "locked-$has_save"
    [ "$has_save" = no ] || cp "$kept" "$dir/save.dat"
    chmod 555 "$dir"
    if "${runas[@]}" sh -c ': >"$1/probe"' sh "$dir" 2>/dev/null; then
      echo "SKIPPED read-only folder ($has_save save.dat): writes into it were not denied here"
      continue
    fi
    echo "read-only folder ($has_save save.dat): run as $("${runas[@]}" id -un)"
    if [ "$has_save" = yes ]; then
      start upgrade.replay 'ended 0; records 11; restored 5; said セーブ出来ませんでした。; silent セーブしました。
        holds "$kept"; none save.dat.new レポート.txt'
    else
      start fight.replay 'ended 0; records 3; fresh; none save.dat save.dat.new レポート.txt'
    fi
  done
  finish
fi
runas=()
program=$vexa

# ---- 4. dat/ that is not a folder of pictures ---------------------------------------------------
# (No dat/ anywhere is the replay_errors case.) A copy of the program away from the build's dat/.
program=$work/alone/bin/vexa
for kind in empty file dangling; do
  dir=$work/alone/dat-$kind
  mkdir "$dir"
  case $kind in
    empty) mkdir "$dir/dat"; name=dat/vexa_ ;;
    file) printf 'not a folder\n' >"$dir/dat"; name=dat ;;
    dangling) ln -s "$work/nowhere" "$dir/dat"; name=dat ;;
  esac
  start start.replay "ended 1 $name; none save.dat"
done
finish
program=$vexa

# ---- 5. save.dat that is not a plain file --------------------------------------------------------
# At start the game cannot read it: a fresh game, and one line when anything but a file or a
# link stands in its place. A save then either replaces it with a good save (a link) or says it
# could not (a folder), and leaves the folder as it was.
for kind in folder dangling fifo device; do
  game_folder "odd-save/$kind"
  odd_file "$dir/save.dat" "$kind"
  case $kind in
    device) note=warned ;;  # /dev/zero reads as a damaged save
    folder | fifo) note=blocked ;;
    *) note=: ;;
  esac
  start start.replay "ended 0; records 1; fresh; $note; none save.dat.new レポート.txt"
done
game_folder odd-save/save-folder
mkdir "$dir/save.dat" && : >"$dir/save.dat/inside"
start win.replay 'ended 0; records 160; blocked; said セーブ出来ませんでした。; none save.dat.new レポート.txt
  [ -f "$dir/save.dat/inside" ] || complain "the folder save.dat lost its file"'
game_folder odd-save/save-dangling
ln -s "$work/nowhere.dat" "$dir/save.dat"
start win.replay 'ended 0; records 160; said セーブしました。; holds "$won"; none save.dat.new'
finish

echo "hostile_files: $runs runs of the game"
exit $failed
