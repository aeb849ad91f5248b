# Sourced by the window scripts: a bare X server of their own (no window manager) and a work
# folder that holds the game's save and remembered window, both gone when the script ends.
# need_tools TOOL...        skips the script (status 77) when a tool is missing
# start_display WxH         starts the server, points the game at it and enters the folder
# The script sets `game` to the game's process; `game_signal` (default TERM) ends it at exit.

need_tools() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
  done
}

cleanup() {
  [ -n "${game:-}" ] && kill "-${game_signal:-TERM}" "$game" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}

start_display() {
  work=$(mktemp -d)
  display=:$((150 + RANDOM % 100))
  game=
  trap cleanup EXIT
  Xvfb $display -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
  export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SDL_AUDIODRIVER=dummy
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  cd "$work" || exit 1
}

fail() { echo "FAIL: $*"; exit 1; }
