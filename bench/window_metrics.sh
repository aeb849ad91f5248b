#!/usr/bin/env bash
# The window game measured with standard tools under a virtual display: CPU time while
# idle and under constant mouse input, peak resident memory, and time to the first frame,
# each against its goal.
# Usage: bench/window_metrics.sh [path/to/vexa] [seconds] [launches]
#   seconds  - length of the idle and of the mouse-input measurement (default 30)
#   launches - starts timed to the first frame; the median is judged (default 7)
# CPU figures are the game process's own user + system time, so other load on the machine
# does not count against it; the wall time to the first frame does suffer from such load,
# which is why it is taken several times and shown with the CPU time the start used.
set -euo pipefail
vexa=$(realpath "${1:-build/release/vexa}")
seconds=${2:-30}
launches=${3:-7}
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "needs $tool (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

# A display number nobody else is using: Xvfb picks it and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$work/display")

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$1/stat"; }
verdict() { awk -v v="$1" -v goal="$2" 'BEGIN {print (v < goal) ? "met" : "MISSED"}'; }
percent() { awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN {print (b - a) * 100 / s}'; }
median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

cd "$work"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config  # away from the user's own save and window
# Starts the game; leaves its pid in $pid once the first frame's stamp is out.
launch() {
  rm -f err.txt
  local start
  start=$(date +%s.%N)
  VEXA_FIRST_FRAME_STAMP=1 SDL_AUDIODRIVER=dummy "$vexa" --mute 2>err.txt &
  pid=$!
  for _ in $(seq 2000); do grep -q 'first frame' err.txt 2>/dev/null && break; sleep 0.005; done
  grep -q 'first frame' err.txt || { echo "no first frame: $(cat err.txt)" >&2; exit 1; }
  # "first frame <seconds since the epoch> [cpu <ms> ms]"
  read -r _ _ stamp _ cpu _ < <(grep 'first frame' err.txt | head -1)
  echo "$(awk -v a="$start" -v b="$stamp" 'BEGIN {print (b - a) * 1000}') ${cpu:-}" >>firsts.txt
}

for _ in $(seq "$launches"); do
  launch
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
launch  # this one stays for the CPU and memory figures
wall=$(awk '{print $1}' firsts.txt | median)
best=$(awk '{print $1}' firsts.txt | sort -n | head -1)
startcpu=$(awk 'NF > 1 {print $2}' firsts.txt | median)
[ -n "$(awk 'NF > 1' firsts.txt)" ] || startcpu="?"  # a program without the CPU figure
printf 'time to first frame: %.0f ms median of %d starts (best %.0f ms, CPU used %s ms) - goal < 150 ms: %s\n' \
  "$wall" "$(wc -l <firsts.txt)" "$best" "$startcpu" "$(verdict "$wall" 150)"

sleep 2
c0=$(cpu_of $pid); sleep "$seconds"; c1=$(cpu_of $pid)
idle=$(percent "$c0" "$c1" "$seconds")
printf 'idle CPU: %.2f %% of one core over %s s - goal < 1 %%: %s\n' "$idle" "$seconds" "$(verdict "$idle" 1)"

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
busy=$(percent "$c0" "$c1" "$seconds")
printf 'CPU under constant mouse input: %.2f %% of one core over %s s - goal < 5 %%: %s\n' "$busy" "$seconds" \
  "$(verdict "$busy" 5)"
peak=$(awk '/VmHWM/ {print $2 / 1024}' /proc/$pid/status)
printf 'peak resident memory: %.1f MB - goal < 60 MB: %s\n' "$peak" "$(verdict "$peak" 60)"
# Why memory and start-up look as they do: an OpenGL driver in the process is the
# expensive way to show a picture where there is no GPU.
if grep -qE 'swrast_dri|libGLX_mesa|libLLVM' /proc/$pid/maps; then
  echo "note: an OpenGL driver is loaded in the game process"
fi
kill $pid
