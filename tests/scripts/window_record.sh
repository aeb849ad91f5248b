#!/usr/bin/env bash
# --record FILE never empties an earlier FILE: the recording is written beside it and renamed
# over it when the game ends (the window closed, Ctrl+C, kill, a closed terminal), so a game
# killed outright leaves the earlier file whole.
# Usage: window_record.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$1 src=$2
source "$(dirname "$0")/../support/virtual_display.sh"
need_tools Xvfb xdotool
game_signal=KILL
start_display 1280x1024

earlier=$src/tests/replays/first-battle.replay
start() {  # the game recording to rec.replay, its window id in $win
  # A job started with & ignores SIGINT unless told otherwise: Ctrl+C reaches the real game.
  env --default-signal=INT "$vexa" --mute --record rec.replay 2>err.txt &
  game=$!
  win=$(timeout 10 xdotool search --sync --name '^V\.E\.X\.A\.$' | head -1)
  [ -n "$win" ] || fail "no window: $(cat err.txt)"
  xdotool mousemove --window "$win" 300 200
}
# stop SIGNAL: sends it and waits (20 s at most) for the game to end; its exit status.
stop() {
  kill -"$1" "$game"
  local limit=$(($(date +%s) + 20))
  while kill -0 "$game" 2>/dev/null; do
    [ "$(date +%s)" -lt "$limit" ] || { kill -KILL "$game"; fail "SIG$1 did not end the game"; }
    sleep 0.05
  done
  wait "$game" 2>/dev/null
  local status=$?
  game=
  return $status
}
leftovers() { find . -maxdepth 1 -name 'rec.replay?*' | wc -l; }

# Killed outright: the earlier recording is still there, whole, while the game runs and after.
cp "$earlier" rec.replay
start
cmp -s "$earlier" rec.replay || fail "the running game changed the earlier recording ($(wc -c <rec.replay) bytes)"
stop KILL
cmp -s "$earlier" rec.replay || fail "a killed game left $(wc -c <rec.replay) bytes of the earlier recording"
rm -f rec.replay?*

# Ended by a signal the game answers: the new recording replaces the earlier one, and nothing
# is left beside it.
for signal in TERM INT HUP; do
  cp "$earlier" rec.replay
  start
  stop $signal || fail "SIG$signal: the game did not end cleanly: $(cat err.txt)"
  ! cmp -s "$earlier" rec.replay && head -1 rec.replay | grep -q '^vexa-replay 1' ||
    fail "SIG$signal: the recording did not replace the earlier file"
  [ "$(leftovers)" = 0 ] || fail "SIG$signal: files left beside the recording: $(ls)"
  "$vexa" --replay rec.replay --trace /dev/null || fail "SIG$signal: the recording does not replay"
done

# Through a link, the file it names gets the recording and the link stays.
rm rec.replay && mkdir kept && cp "$earlier" kept/r.replay && ln -s kept/r.replay rec.replay
start
stop TERM || fail "the game did not end cleanly: $(cat err.txt)"
[ -L rec.replay ] && head -1 kept/r.replay | grep -q '^vexa-replay 1' && ! cmp -s "$earlier" kept/r.replay ||
  fail "a recording through a link replaced the link, or missed the file it names"
echo "window_record: an earlier recording survives a kill; TERM, INT and HUP replace it whole"
