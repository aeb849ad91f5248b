#!/usr/bin/env bash
# The real window under a virtual X display, driven by real X pointer events: walk, guard,
# be beaten, count down the retry and restart. Then the recorded game, replayed headless,
# must give the window's own trace byte for byte.
# Usage: window_e2e.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$1 src=$2
for tool in Xvfb xdotool xwininfo import; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
source "$(dirname "$0")/../support/virtual_display.sh"
work=$(mktemp -d)
game=
cleanup() { kill "$game" "$xvfb" 2>/dev/null; wait 2>/dev/null; [ -n "${KEEP:-}" ] && cp -r "$work" /tmp/e2e-kept; rm -rf "$work"; }
trap cleanup EXIT
start_xvfb 1920x1200x24 "$work"

fail() { echo "FAIL: $*"; exit 1; }
cd "$work"
# The game's save and its remembered window stay in here, away from the user's own.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
scale=${SCALE:-1}  # window pixels per game pixel; the game must see the same game pixels
# Leak checking stays on for the headless replay below; the window process loads D-Bus and
# X driver libraries that keep allocations of their own until exit.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SDL_AUDIODRIVER=dummy "$vexa" --mute --lang ja --scale "$scale" --record rec.replay --trace window.jsonl 2>err.txt &
game=$!
win=$(timeout 30 xdotool search --sync --name '^V\.E\.X\.A\.$' | head -1)
[ -n "$win" ] || fail "no window titled V.E.X.A.: $(cat err.txt)"
sleep 0.5
geometry=$(xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$geometry" = $((600 * scale))x$((450 * scale)) ] || fail "client area is $geometry at scale $scale"
move() { xdotool mousemove --window "$win" $(($1 * scale)) $(($2 * scale)); }

click() { move "$1" 300; xdotool click "$2"; sleep 0.12; }
move 500 300; sleep 0.3
click 400 1                      # a swing out of reach: a script line
move 450 300; xdotool mousedown 3; sleep 0.5; xdotool mouseup 3   # guard
# Walk into the enemy and let it beat us: the pointer stays far left, the knock-backs are undone.
for i in $(seq 200); do
  move $((5 + i % 2)) 300; sleep 0.1  # a still pointer sends no events
  grep -q '"retryClicks":10' window.jsonl && break
done
grep -q '"retryClicks":10' window.jsonl || fail "the player was never beaten"
sleep 0.3
# The trace reaches the file in blocks; on a busy machine the newest steps come a little later.
eventually() { for _ in $(seq 50); do eval "$1" && return 0; sleep 0.1; done; return 1; }
# Each click is counted before the next is made: a busy machine may run a step late, never
# lose a click.
for left in 9 8 7 6 5 4 3 2 1 0; do
  click 300 1
  eventually "grep -q '\"retryClicks\":$left,' window.jsonl" || fail "a click was not counted ($left to go)"
done
eventually "grep -q 'やり直すにはあと1回クリックしてください。' window.jsonl" || fail "the countdown did not reach 1"
eventually "tail -1 window.jsonl | grep -q '\"retryClicks\":0'" || fail "the game did not restart"

import -window "$win" shot.png 2>/dev/null || fail "no screenshot"
im=$(command -v convert-im6.q16 || command -v convert)
pixel() {
  local x=$(($1 * scale)) y=$(($2 * scale))
  "$im" shot.png -format "%[fx:int(255*p{$x,$y}.r)],%[fx:int(255*p{$x,$y}.g)],%[fx:int(255*p{$x,$y}.b)]" info:
}
[ "$(pixel 300 10)" = 255,255,255 ] || fail "the panel's top band is not white: $(pixel 300 10)"
[ "$(pixel 300 165)" = 255,255,255 ] || fail "the panel's bottom band is not white"
[ "$(pixel 370 390)" = 64,192,64 ] || fail "the player's HP bar is not green at column 370: $(pixel 370 390)"
[ "$(pixel 400 430)" = 64,64,192 ] || fail "the player's AP bar is not blue at column 400: $(pixel 400 430)"
[ "$(pixel 230 390)" = 64,192,64 ] || fail "the enemy's HP bar is not green at column 230: $(pixel 230 390)"

# The window shows only what changed since the last frame, so check that what it shows
# is whole: the screenshot, back at one pixel per game pixel, must be exactly a frame the
# game composed (the trace, complete once the game has ended, holds every frame's CRC-32,
# which gzip's trailer also carries).
shown=$("$im" shot.png -sample '600x450!' -depth 8 bgr:- | gzip -c | tail -c 8 | head -c 4 | od -An -tx4 --endian=little | tr -d ' \n')

kill -TERM $game; wait $game || fail "the game did not end cleanly: $(cat err.txt)"
grep -q "\"frame\":\"$shown\"" window.jsonl || fail "the window shows a picture the game never composed (CRC $shown)"
[ -s rec.replay ] || fail "no replay was recorded"
"$vexa" --replay rec.replay --trace replay.jsonl || fail "the recording does not replay"
cmp -s window.jsonl replay.jsonl || { diff <(cut -c1-300 window.jsonl) <(cut -c1-300 replay.jsonl) | head; fail "replay trace differs from the window's"; }

# A closed terminal (SIGHUP) keeps the recording as the window's close does; "--trace -" is
# standard output. The game starts from a save here, which the recording carries along.
mkdir -p "$XDG_DATA_HOME/vexa" && cp "$src/tests/replays/menu-and-defeat.save.dat" "$XDG_DATA_HOME/vexa/save.dat"
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SDL_AUDIODRIVER=dummy "$vexa" --mute --record hup.replay --trace - >hup.jsonl 2>hup-err.txt &
game=$!
win=$(timeout 30 xdotool search --sync --name '^V\.E\.X\.A\.$' | head -1)
[ -n "$win" ] || fail "no window for the hang-up run"
move 200 300; sleep 0.3; click 250 1; sleep 0.3
kill -HUP $game; wait $game || fail "a hang-up did not end the game cleanly: $(cat hup-err.txt)"
[ ! -e ./- ] || fail "--trace - wrote a file named '-'"
grep -q '^save [0-9a-f]\{68\}$' hup.replay || fail "the recording lacks the save it started from"
mkdir elsewhere && cd elsewhere
"$vexa" --replay ../hup.replay --trace replay.jsonl || fail "the hang-up recording does not replay"
cmp -s ../hup.jsonl replay.jsonl || fail "the hang-up recording, replayed in another folder, differs from the window's trace"
[ ! -e save.dat ] || fail "a self-contained replay wrote save.dat where it was started"
cd ..
echo "window game at scale $scale: $(wc -l <window.jsonl) steps, replayed identically"
