#!/usr/bin/env bash
# The picture stays whole however the window is sized, under a bare X server (no window
# manager to help): shrunk below one frame, the window grows back to it; F11 and Alt+Enter
# lay the frame out for the window's real size, checked on the screen's own pixels.
# Usage: window_fit.sh VEXA SOURCE_DIR BUILD_DIR
set -uo pipefail
vexa=$1
source "$(dirname "$0")/../support/virtual_display.sh"
need_tools Xvfb xdotool xwininfo xprop import
start_display 1920x1200
im=$(command -v convert-im6.q16 || command -v convert)

# until SECONDS COMMAND...: waits for COMMAND to hold, polling; false when it never does.
until_true() {
  local limit=$(($(date +%s) + $1)); shift
  until "$@"; do
    [ "$(date +%s)" -lt "$limit" ] || return 1
    sleep 0.05
  done
}
size() { xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
size_is() { [ "$(size)" = "$1" ]; }
# screen X,Y... : the screen's pixels as R,G,B, one line each, from one screenshot of it
screen() {
  import -window root shot.png 2>/dev/null || return 1
  local p format=
  for p in "$@"; do format+="%[fx:int(255*p{$p}.r)],%[fx:int(255*p{$p}.g)],%[fx:int(255*p{$p}.b)]\n"; done
  "$im" shot.png -format "$format" info:
}
# The frame at scale S with its top left at X,Y on the screen: its four corner pixels (white:
# the panel above, the floor below) and the black just outside each of its four edges.
frame_at() {
  local s=$1 x=$2 y=$3 r=$(($2 + 600 * $1 - 1)) b=$(($3 + 450 * $1 - 1))
  [ "$(screen "$x,$y" "$r,$y" "$x,$b" "$r,$b" "$((x - 1)),$((y + 20))" "$((r + 1)),$((y + 20))" \
       "$((x + 20)),$((y - 1))" "$((x + 20)),$((b + 1))" | tr '\n' ' ')" = \
    "255,255,255 255,255,255 255,255,255 255,255,255 0,0,0 0,0,0 0,0,0 0,0,0 " ]
}

"$vexa" --mute --scale 1 2>err.txt &
game=$!
win=$(timeout 10 xdotool search --sync --name '^V\.E\.X\.A\.$' | head -1)
[ -n "$win" ] || fail "no window: $(cat err.txt)"
until_true 30 frame_at 1 660 375 || fail "the first frame is not whole in the middle of the screen: $(screen 960,385)"

# The window manager is told the minimum; without one, the game itself grows the window back.
xprop -id "$win" WM_NORMAL_HINTS | grep -q 'minimum size: 600 by 450' ||
  fail "no minimum size for the window manager: $(xprop -id "$win" WM_NORMAL_HINTS)"
xdotool windowsize "$win" 300 200
until_true 30 size_is 600x450 || fail "shrunk to 300 x 200, the window stays $(size)"
xdotool windowsize "$win" 800 300
until_true 30 size_is 800x450 || fail "shrunk to 800 x 300, the window is $(size), not 800x450"
x=$(xwininfo -id "$win" | awk '/Absolute upper-left X:/ {print $4}')
y=$(xwininfo -id "$win" | awk '/Absolute upper-left Y:/ {print $4}')
until_true 30 frame_at 1 $((x + 100)) "$y" || fail "the grown-back window does not show the whole frame"

# F11: the window covers the screen, and the frame is laid out for it (scale 2, centred).
xdotool key --window "$win" F11
until_true 30 frame_at 2 360 150 || fail "after F11 the frame is not whole at scale 2 in the screen's middle ($(size))"
# Alt+Enter: back to a window holding one whole frame at its scale.
xdotool key --window "$win" alt+Return
until_true 30 size_is 600x450 || fail "leaving full screen left the window $(size)"
until_true 30 frame_at 1 660 375 || fail "after leaving full screen the frame is not whole"
kill -TERM "$game"; wait "$game" || fail "the game did not end cleanly: $(cat err.txt)"; game=
echo "window_fit: minimum size held, F11 and Alt+Enter show the whole frame"
