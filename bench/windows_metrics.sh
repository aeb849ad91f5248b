#!/usr/bin/env bash
# The Windows edition under Wine against the Linux desktop, in one run on one virtual display:
# headless replay steps per second, time to the first frame, and CPU while idle. The two
# programs take turns, so a change in the machine's load falls on both.
# Usage: bench/windows_metrics.sh [LINUX_VEXA] [VEXA_EXE] [runs] [idle seconds]
# Wine's own processes (its server, its desktop) are counted apart: on Windows their work is
# the system's, not the game's.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
linux=$(realpath "${1:-$src/build/release/vexa}")
exe=$(realpath "${2:-$src/build/windows/vexa.exe}")
runs=${3:-5}
seconds=${4:-20}
for tool in Xvfb /usr/lib/wine/wine64 wineserver; do
  command -v $tool >/dev/null || { echo "needs $tool (scripts/install-deps.sh installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
export WINEPREFIX=${WINEPREFIX:-$src/build/windows/wine-bench} WINEDEBUG=-all
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody else is using: Xvfb picks it and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$work/display")
# The prefix made once, its server kept up for the whole run, as a player's Wine has it.
[ -d "$WINEPREFIX/drive_c" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p

ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{print ($14 + $15) / t}' "/proc/$1/stat" 2>/dev/null || echo 0; }
cpu_of_all() { local sum=0 p; for p in $(pgrep -f "$1" || true); do sum=$(awk -v a="$sum" -v b="$(cpu_of "$p")" 'BEGIN {print a + b}'); done; echo "$sum"; }
median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}'; }
# Becomes the Windows program, so a background one's $! is the game's own process.
wine_run() { WINEDLLOVERRIDES="winedbg.exe=d;winealsa.drv,winepulse.drv=d;mscoree,mshtml=" exec /usr/lib/wine/wine64 "$@"; }

cd "$work"
replay=$src/tests/replays/whole-game.replay
# ---- headless replay, traced: steps per second ------------------------------------------
for _ in $(seq "$runs"); do
  for edition in linux windows; do
    rm -rf "r-$edition" && mkdir "r-$edition"
    start=$(date +%s.%N)
    if [ $edition = linux ]; then
      "$linux" --replay "$replay" --dir "r-$edition" --trace "r-$edition/t.jsonl"
    else
      (wine_run "$exe" --replay "$replay" --dir "r-$edition" --trace "r-$edition/t.jsonl" </dev/null)
    fi
    end=$(date +%s.%N)
    steps=$(wc -l <"r-$edition/t.jsonl")
    awk -v s="$steps" -v a="$start" -v b="$end" 'BEGIN {print s / (b - a)}' >>"steps-$edition.txt"
  done
done
cmp -s r-linux/t.jsonl r-windows/t.jsonl || { echo "the two editions' traces differ" >&2; exit 1; }
linux_steps=$(median <steps-linux.txt)
windows_steps=$(median <steps-windows.txt)
printf 'traced whole-game replay (%d steps): Linux %.0f, Windows under Wine %.0f steps/s (median of %d): %s of Linux\n' \
  "$steps" "$linux_steps" "$windows_steps" "$runs" "$(ratio "$windows_steps" "$linux_steps")"

# ---- the window: first frame, then idle CPU -----------------------------------------------
# Starts an edition's window; leaves its pid in $pid once the first frame's stamp is out.
launch() {
  rm -f err.txt
  local start stamp
  start=$(date +%s.%N)
  if [ "$1" = linux ]; then
    XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config VEXA_FIRST_FRAME_STAMP=1 SDL_AUDIODRIVER=dummy \
      "$linux" --mute --dir "$work" 2>err.txt >/dev/null </dev/null &
  else
    VEXA_FIRST_FRAME_STAMP=1 wine_run "$exe" --mute --dir 'Z:\tmp' 2>err.txt >/dev/null </dev/null &
  fi
  pid=$!
  for _ in $(seq 4000); do grep -q 'first frame' err.txt 2>/dev/null && break; sleep 0.005; done
  grep -q 'first frame' err.txt || { echo "$1: no first frame: $(cat err.txt)" >&2; exit 1; }
  read -r _ _ stamp _ < <(grep 'first frame' err.txt | head -1)
  awk -v a="$start" -v b="$stamp" 'BEGIN {print (b - a) * 1000}' >>"first-$1.txt"
}
stop() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; }
for _ in $(seq "$runs"); do
  for edition in linux windows; do launch $edition; stop; done
done
# What Wine alone adds to a start: the exe started to print its version and end.
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  (wine_run "$exe" --version >/dev/null 2>&1 </dev/null)
  awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {print (b - a) * 1000}' >>version-windows.txt
done
printf 'first frame: Linux %.0f ms, Windows under Wine %.0f ms, of which %.0f ms start any exe (--version) (median of %d starts)\n' \
  "$(median <first-linux.txt)" "$(median <first-windows.txt)" "$(median <version-windows.txt)" "$runs"

for edition in linux windows; do
  launch $edition
  sleep 2
  c0=$(cpu_of $pid) s0=$(cpu_of_all wineserver) d0=$(cpu_of_all explorer.exe)
  sleep "$seconds"
  c1=$(cpu_of $pid) s1=$(cpu_of_all wineserver) d1=$(cpu_of_all explorer.exe)
  stop
  game=$(awk -v a="$c0" -v b="$c1" -v s="$seconds" 'BEGIN {printf "%.2f", (b - a) * 100 / s}')
  if [ $edition = linux ]; then
    printf 'idle CPU over %s s, %% of one core: Linux %s' "$seconds" "$game"
  else
    wine=$(awk -v a="$s0" -v b="$s1" -v c="$d0" -v d="$d1" -v s="$seconds" 'BEGIN {printf "%.2f", (b - a + d - c) * 100 / s}')
    printf ', Windows under Wine %s (and Wine'"'"'s server and desktop %s)\n' "$game" "$wine"
  fi
done
