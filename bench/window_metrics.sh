#!/usr/bin/env bash
# The window game measured with standard tools under a virtual display: CPU time while
# idle and under constant mouse input, peak resident memory, and time to the first frame.
# Usage: bench/window_metrics.sh [path/to/vexa] [seconds]
set -euo pipefail
vexa=$(realpath "${1:-build/release/vexa}")
seconds=${2:-30}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

export DISPLAY=:97
Xvfb :97 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
sleep 1

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$1/stat"; }

cd "$work"
start=$(date +%s.%N)
VEXA_FIRST_FRAME_STAMP=1 SDL_AUDIODRIVER=dummy "$vexa" --mute 2>"$work/err.txt" &
pid=$!
until grep -q 'first frame' "$work/err.txt" 2>/dev/null; do sleep 0.005; done
first=$(grep 'first frame' "$work/err.txt" | head -1 | awk '{print $NF}')
echo "time to first frame: $(echo "($first - $start) * 1000" | bc -l | xargs printf '%.0f') ms"

sleep 2
c0=$(cpu_of $pid); sleep "$seconds"; c1=$(cpu_of $pid)
echo "idle CPU: $(echo "($c1 - $c0) * 100 / $seconds" | bc -l | xargs printf '%.2f') % of one core over ${seconds} s"

win=$(xdotool search --name '^V\.E\.X\.A\.$' | head -1)
c0=$(cpu_of $pid)
end=$(( $(date +%s) + seconds ))
x=100
while [ "$(date +%s)" -lt "$end" ]; do
  x=$(( (x + 37) % 560 + 20 ))
  xdotool mousemove --window "$win" $x 200
  sleep 0.01
done
c1=$(cpu_of $pid)
echo "CPU under constant mouse input: $(echo "($c1 - $c0) * 100 / $seconds" | bc -l | xargs printf '%.2f') % of one core over ${seconds} s"
echo "peak resident memory: $(awk '/VmHWM/ {printf "%.1f MB", $2/1024}' /proc/$pid/status)"
kill $pid
