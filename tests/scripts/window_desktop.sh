#!/usr/bin/env bash
# The window as a desktop player meets it, under a virtual X display: resized, it keeps the
# game whole at the largest whole scale, centred on black; F11 toggles full screen; scale and
# full screen come back at the next start; a scale too large for the screen is reduced with
# one line; the language follows the locale, then the last game, the option winning; an
# error before the window opens is shown in a box.
# Usage: window_desktop.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$1
source "$(dirname "$0")/../support/virtual_display.sh"
need_tools Xvfb xdotool xwininfo import
start_display 1920x1200
# A locale that is not Japanese: the game starts in English until told otherwise.
unset LC_ALL LC_MESSAGES
export LANG=C
im=$(command -v convert-im6.q16 || command -v convert)

start() {  # start ARGS...: the game, its window id in $win
  "$vexa" --mute "$@" 2>err.txt &
  game=$!
  win=$(timeout 10 xdotool search --sync --name '^V\.E\.X\.A\.$' | head -1)
  [ -n "$win" ] || fail "no window (args: $*): $(cat err.txt)"
  sleep 0.6
}
stop() {
  kill -TERM "$game"; wait "$game" || fail "the game did not end cleanly: $(cat err.txt)"; game=
}
size() { xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
pixel() {  # pixel X Y: the window's pixel as R,G,B
  import -window "$win" shot.png 2>/dev/null || fail "no screenshot"
  "$im" shot.png -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}
conf() { cat "$XDG_CONFIG_HOME/vexa/window.conf" 2>/dev/null | tr '\n' ' '; }

# Resized by hand to 1300 x 1000: the game at scale 2 (1200 x 900), centred, black around it.
start
[ "$(size)" = 600x450 ] || fail "the first window is $(size)"
xdotool windowsize "$win" 1300 1000; sleep 0.8
[ "$(size)" = 1300x1000 ] || fail "the window did not take the new size: $(size)"
[ "$(pixel 20 20)" = 0,0,0 ] || fail "no black border around the scaled game: $(pixel 20 20)"
[ "$(pixel 650 70)" = 255,255,255 ] || fail "the panel's top band is not where scale 2, centred, puts it: $(pixel 650 70)"
[ "$(pixel 790 830)" = 64,192,64 ] || fail "the player's HP bar is not where scale 2 puts it: $(pixel 790 830)"
stop
[ "$(conf)" = "scale=2 fullscreen=0 lang=en " ] || fail "the window was not remembered: $(conf)"

# The next start comes back at scale 2; F11 goes full screen, which is remembered too.
start
[ "$(size)" = 1200x900 ] || fail "the remembered scale was not used: $(size)"
xdotool key --window "$win" F11; sleep 0.5
stop
[ "$(conf)" = "scale=2 fullscreen=1 lang=en " ] || fail "F11 did not turn full screen on: $(conf)"
start
[ "$(size)" = 1920x1200 ] || fail "the remembered full screen was not used: $(size)"
xdotool key --window "$win" alt+Return; sleep 0.5
[ "$(size)" = 1200x900 ] || fail "Alt+Enter did not leave full screen for the window at scale 2: $(size)"
stop
[ "$(conf)" = "scale=2 fullscreen=0 lang=en " ] || fail "leaving full screen was not remembered: $(conf)"

# The command line wins over what was remembered; a scale larger than the screen is reduced.
start --scale 8
[ "$(size)" = 1200x900 ] || fail "--scale 8 on a 1920 x 1200 screen should give scale 2: $(size)"
grep -q 'scale 8 does not fit' err.txt && [ "$(wc -l <err.txt)" = 1 ] || fail "no one line about the reduced scale: $(cat err.txt)"
stop
start --scale 1 --fullscreen
[ "$(size)" = 1920x1200 ] || fail "--fullscreen with --scale is not full screen: $(size)"
grep -q 'fullscreen wins' err.txt || fail "--fullscreen with --scale does not say which wins: $(cat err.txt)"
stop

# The language: the remembered one wins over a Japanese locale, the option over both, and
# the recording says which the game started in.
recorded() { sed -n 's/^lang //p' rec.replay; }
LANG=ja_JP.UTF-8 start --record rec.replay
stop
[ "$(recorded)" = en ] || fail "a Japanese locale won over the remembered English: $(recorded)"
start --lang ja --record rec.replay
stop
[ "$(recorded)" = ja ] || fail "--lang ja was not used: $(recorded)"
[[ $(conf) = *" lang=ja " ]] || fail "--lang ja was not remembered: $(conf)"
start --record rec.replay
stop
[ "$(recorded)" = ja ] || fail "the remembered Japanese was not used: $(recorded)"
rm "$XDG_CONFIG_HOME/vexa/window.conf"
LC_MESSAGES=ja_JP.UTF-8 start --record rec.replay
stop
[ "$(recorded)" = ja ] || fail "a Japanese LC_MESSAGES did not give Japanese: $(recorded)"

# An error before the window opens: its line on stderr, and a box for a player without a
# terminal. A bare X server has no way to draw SDL's box (no zenity, no fonts), so the box
# call itself is caught by a stand-in library put in front of SDL's.
cat >box.c <<'C'
#include <stdio.h>
int SDL_ShowSimpleMessageBox(unsigned flags, const char* title, const char* text, void* window) {
  FILE* f = fopen("box.txt", "w");
  if (f) { fprintf(f, "%u|%s|%s|%p\n", flags, title, text, window); fclose(f); }
  return 0;
}
C
cc -shared -fPIC -o box.so box.c || fail "cannot build the stand-in box library"
LD_PRELOAD=$work/box.so ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0" \
  "$vexa" --mute --dir /proc/self/no-such-folder 2>box-err.txt
status=$?
[ "$status" = 1 ] || fail "status $status after an error before the window"
grep -q '^vexa: cannot use the folder /proc/self/no-such-folder' box-err.txt || fail "no line on stderr: $(cat box-err.txt)"
grep -q '^16|V\.E\.X\.A\.|cannot use the folder /proc/self/no-such-folder.*|(nil)$' box.txt ||
  fail "no error box before the window: $(cat box.txt 2>/dev/null)"
echo "window_desktop: resize, F11, Alt+Enter, remembered window, reduced scale, language, error box"
