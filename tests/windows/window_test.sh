#!/usr/bin/env bash
# vexa.exe's window under Wine on a virtual X display, driven by real X pointer and key events:
# its title and client size, pixels equal to frames the game composed while idle and while busy,
# walking, attacking and guarding, a release outside the window, F11 both ways, silence with one
# line when there is no sound device, a recording that replays to the window's own trace, and
# a save made from the window's command menu landing in %APPDATA%\vexa.
# Every wait is for something to happen (a window, a size, a trace line), never a set time.
# Usage: [SCALE=N] window_test.sh VEXA_EXE SOURCE_DIR
set -uo pipefail
exe=$1 src=$2
for tool in Xvfb xdotool xwininfo xdpyinfo import convert gzip; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -x /usr/lib/wine/wine64 ] || { echo "skipped: Wine is not installed"; exit 77; }
source "$src/tests/support/virtual_display.sh"
work=$(mktemp -d)
game= xvfb=
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && WINEDEBUG=-all wineserver -k 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  [ -n "${KEEP:-}" ] && cp -r "$work" /tmp/window-test-kept
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -s "$work/err.txt" ] && sed 's/^/  game: /' "$work/err.txt"; exit 1; }
# Polls for a condition, up to $2 seconds (20 by default): a busy machine only makes it later.
until_true() { local tries=$((${2:-20} * 20)); for _ in $(seq $tries); do eval "$1" && return 0; sleep 0.05; done; return 1; }

scale=${SCALE:-1}  # window pixels per game pixel
start_xvfb 1280x1024x24 "$work"
cd "$work"

# A prefix of the window's own: Wine's desktop process stays with the display it started on,
# and the other Windows tests' server started one with none. Its server is ended at the end.
if [ -n "${WINEPREFIX:-}" ]; then
  [ -d "$WINEPREFIX/drive_c" ] || WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  WINEDEBUG=-all wineserver -k 2>/dev/null
fi

# No window manager: the X window Wine makes is the client area alone.
"$src/scripts/wine-run" "$exe" --lang en --scale "$scale" --dir . --trace window.jsonl --record rec.replay 2>err.txt &
game=$!
win=$(timeout 60 xdotool search --sync --name '^V\.E\.X\.A\.$' 2>/dev/null | head -1)
[ -n "$win" ] || fail "no window titled V.E.X.A."
size() { xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
client=$((600 * scale))x$((450 * scale))
until_true '[ "$(size)" = $client ]' || fail "the client area is $(size), not $client"

steps() { wc -l <window.jsonl 2>/dev/null || echo 0; }
# The trace reaches the file in blocks: a line is there some steps after it happened.
seen() { grep -q "$1" window.jsonl 2>/dev/null; }
quiet() { "$@" 2>/dev/null; }  # xdotool's remarks about Xvfb's input focus say nothing here
move() { quiet xdotool mousemove --window "$win" $(($1 * scale)) $(($2 * scale)); }
# Three screenshots of the window, each to be a frame the game composed (its CRC-32 is in
# the trace, and gzip's trailer carries the same CRC of the same bytes).
shots() {
  for i in 1 2 3; do
    import -window "$win" "$1-$i.png" 2>/dev/null || fail "no screenshot"
    convert "$1-$i.png" -sample '600x450!' -depth 8 bgr:- | gzip -c | tail -c 8 | head -c 4 | od -An -tx4 --endian=little | tr -d ' \n' >"$1-$i.crc"
  done
}

# Idle: the fighters only tremble.
until_true '[ "$(steps)" -ge 20 ]' 30 || fail "the steps did not start"
shots idle
# Busy: walk right, attack, guard.
move 500 300
until_true 'seen "\"player\":{\"x\":[1-9][0-9][0-9],"' || fail "the player did not walk toward the pointer"
quiet xdotool click 1
until_true 'seen "\"player\":{[^}]*\"attacking\":true"' || fail "a left click did not attack"
quiet xdotool mousedown 3
until_true 'seen "\"player\":{[^}]*\"guarding\":true"' || fail "the held right button did not guard"
shots busy
quiet xdotool mouseup 3
# Held inside, let go outside: the window still hears it.
move 300 300
quiet xdotool mousedown 1
quiet xdotool mousemove 3 3
quiet xdotool mouseup 1

quiet xdotool key --window "$win" F11
until_true '[ "$(size)" = 1280x1024 ]' || fail "F11 did not fill the screen: $(size)"
quiet xdotool key --window "$win" F11
until_true '[ "$(size)" = $client ]' || fail "F11 did not bring the window back: $(size)"

quiet xdotool key --window "$win" alt+F4
until_true "! kill -0 $game 2>/dev/null" 30 || fail "Alt+F4 did not close the game"
wait $game
status=$?
game=
[ $status = 0 ] || fail "the game ended with status $status"

for phase in idle busy; do
  matched=0
  for crc in $phase-*.crc; do grep -q "\"frame\":\"$(cat "$crc")\"" window.jsonl && matched=$((matched + 1)); done
  # A screenshot may catch a frame half put, but never all three: then the window is wrong.
  [ $matched -ge 1 ] || fail "no $phase screenshot is a frame the game composed"
done
[ "$(wc -l <err.txt)" = 1 ] && grep -q '^vexa: no sound device (.*); playing without sound' err.txt ||
  fail "without a sound device the game should say so in one line, and only that"
# The release outside the window came with its position outside the game's 600 x 450.
grep -Eq '^[0-9]+ up left (-[0-9]+|[0-9]+ -[0-9]+)' rec.replay || fail "the release outside the window was not seen"
"$src/scripts/wine-run" "$exe" --replay rec.replay --trace replay.jsonl 2>>replay-err.txt ||
  fail "the recording does not replay: $(cat replay-err.txt)"
cmp -s window.jsonl replay.jsonl || fail "the recording replays to another trace than the window's"

# A save made in the window lands in %APPDATA%\vexa, the same save and report bytes as the
# recording of that window writes when replayed headless. The game starts at the command
# menu, from a save of its own there.
appdata=$("$src/scripts/wine-run" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
folder=$(WINEDEBUG=-all winepath -u "$appdata" 2>/dev/null)/vexa
[ -n "$appdata" ] && [ "$folder" != /vexa ] || fail "no %APPDATA% folder in Wine"
rm -rf "$folder" && mkdir -p "$folder" && cp "$src/tests/replays/menu-and-defeat.save.dat" "$folder/save.dat"
"$src/scripts/wine-run" "$exe" --lang ja --scale "$scale" --trace saving.jsonl --record saving.replay 2>err.txt &
game=$!
win=$(timeout 60 xdotool search --sync --name '^V\.E\.X\.A\.$' 2>/dev/null | head -1)
[ -n "$win" ] || fail "no window for the game started from a save"
saw() { grep -q "$1" saving.jsonl 2>/dev/null; }
move 300 300
# Right clicks go round the menu, a left click does the chosen thing: raise HP, then save.
for choice in セーブ ＨＰ強化; do
  quiet xdotool click 3
  until_true "saw '⇒【$choice】'" || fail "a right click did not reach 【$choice】"
done
quiet xdotool click 1
until_true "saw 'ＨＰがアップした'" || fail "a left click did not raise HP"
for choice in 攻撃強化 ＡＰ強化 修行 前進 セーブ; do
  quiet xdotool click 3
  until_true "saw '⇒【$choice】'" || fail "a right click did not reach 【$choice】"
done
quiet xdotool click 1
until_true "saw 'セーブしました。'" || fail "a left click on 【セーブ】 did not save"
quiet xdotool key --window "$win" alt+F4
until_true "! kill -0 $game 2>/dev/null" 30 || fail "Alt+F4 did not close the game started from a save"
wait $game || fail "the game started from a save ended with status $?"
game=
cmp -s "$folder/save.dat" "$src/tests/replays/menu-and-defeat.save.dat" && fail "save.dat in $folder is the one it started from"
mkdir headless
(cd headless && "$src/scripts/wine-run" "$exe" --replay ../saving.replay --dir . --trace saving.jsonl) 2>>replay-err.txt ||
  fail "the saving recording does not replay: $(cat replay-err.txt)"
cmp -s saving.jsonl headless/saving.jsonl || fail "the saving recording replays to another trace than the window's"
cmp "$folder/save.dat" headless/save.dat || fail "the window's save.dat differs from its replay's"
cmp "$folder/レポート.txt" headless/レポート.txt || fail "the window's レポート.txt differs from its replay's"
echo "window under Wine at scale $scale: $(steps) steps, idle and busy frames as composed, replayed identically;" \
  "a save made in the window landed in %APPDATA%\\vexa as its replay writes it"
