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

# start_xvfb WxHxD FOLDER    an X server on a display number it picks itself (no two tests
#                           running side by side can take the same one), waited for until it
#                           says it is ready; sets `xvfb` and DISPLAY
start_xvfb() {
  local said="$2/xvfb-display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$said" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 600); do [ -s "$said" ] && break; kill -0 "$xvfb" 2>/dev/null || break; sleep 0.05; done
  [ -s "$said" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=":$(head -1 "$said")"
}

start_display() {
  work=$(mktemp -d)
  game=
  trap cleanup EXIT
  start_xvfb "$1x24" "$work"
  export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
  export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" SDL_AUDIODRIVER=dummy
  cd "$work" || exit 1
}

fail() { echo "FAIL: $*"; exit 1; }
