#!/usr/bin/env bash
# The Windows edition under Wine against the Linux desktop build, measured in one run with
# standard tools: replay steps per second (the whole game, traced), time to the window, and
# CPU while idle (for Wine, the game and its wineserver together).
# Usage: bench/windows_metrics.sh [linux vexa] [vexa.exe] [seconds] [runs]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
linux=$(realpath "${1:-build/release/vexa}")
exe=$(realpath "${2:-build/windows/vexa.exe}")
seconds=${3:-10}
runs=${4:-5}
work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
trap 'wineserver -k 2>/dev/null; kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$work/display")
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
wineserver -p

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$1/stat"; }
median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN {print b - a}'; }
linux_run() { "$linux" --mute "$@"; }
wine_run() { "$src/scripts/wine-run" "$exe" "$@"; }

replay=$src/tests/replays/whole-game.replay
steps=$(wc -l < <(cd "$work" && linux_run --replay "$replay" --trace -))
cd "$work"
for _ in $(seq "$runs"); do
  for side in linux wine; do
    t=$(now); ${side}_run --replay "$replay" --trace "$work/$side.jsonl"; since "$t" >>"$side.replay"
  done
done
cmp -s linux.jsonl wine.jsonl || { echo "the two traces differ" >&2; exit 1; }

# Starts a window game; its pid in $pid once its window is there.
window() {
  local side=$1
  t=$(now)
  SDL_AUDIODRIVER=dummy ${side}_run --dir "$work" 2>/dev/null &
  pid=$!
  xdotool search --sync --name '^V\.E\.X\.A\.$' >/dev/null
  since "$t" >>"$side.window"
  [ "$side" = wine ] && pid=$(pgrep -n -f 'vexa\.exe')
  return 0
}
close() { xdotool search --name '^V\.E\.X\.A\.$' | while read -r w; do xdotool key --window "$w" alt+F4; done
  while xdotool search --name '^V\.E\.X\.A\.$' >/dev/null; do sleep 0.05; done; wait 2>/dev/null || true; }
server=$(pgrep -n wineserver)
for side in linux wine; do
  for _ in $(seq "$runs"); do window $side; close; done
  window $side
  sleep 2
  c0=$(cpu_of "$pid"); s0=$(cpu_of "$server"); sleep "$seconds"; c1=$(cpu_of "$pid"); s1=$(cpu_of "$server")
  [ "$side" = wine ] || { s0=0; s1=0; }
  awk -v a="$c0" -v b="$c1" -v c="$s0" -v d="$s1" -v s="$seconds" 'BEGIN {print (b - a + d - c) * 100 / s}' >"$side.idle"
  close
done

for side in linux wine; do
  r=$(median <"$side.replay") w=$(median <"$side.window")
  printf '%-6s replay %4.0f steps/s (%d steps, median of %d)   window %4.0f ms   idle CPU %.2f %%\n' "$side" \
    "$(awk -v n="$steps" -v r="$r" 'BEGIN {print n / r}')" "$steps" "$runs" "$(awk -v w="$w" 'BEGIN {print w * 1000}')" \
    "$(cat "$side.idle")"
done
