#!/usr/bin/env bash
# up: makes the Wine prefix when it is missing and keeps a wineserver running, so each Windows
# program the tests start comes up in a fraction of a second; down: stops that server.
set -euo pipefail
export WINEDEBUG=-all
case $1 in
  up)
    # wineboot's first run prints a few "wine:" lines even when quiet; they say nothing here.
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    # One already kept up (by an earlier run) is as good.
    wineserver -p 2>/dev/null || pgrep -x wineserver64 >/dev/null ;;
  down) wineserver -k || true ;;
esac
