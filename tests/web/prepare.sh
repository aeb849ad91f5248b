#!/usr/bin/env bash
# What the browser edition's tests need beside the page, made when missing, so that
# `ctest --preset web` runs on its own: the pinned npm packages (puppeteer-core; Debian's
# Chromium, nothing downloaded), or the desktop program the replays are compared with.
# Usage: prepare.sh npm SOURCE_DIR | prepare.sh desktop SOURCE_DIR DESKTOP_VEXA
set -euo pipefail
what=$1 src=$2
cd "$src"
case $what in
  npm)
    [ -f node_modules/puppeteer-core/package.json ] && exit 0
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error ;;
  desktop)
    [ -x "$3" ] && exit 0
    echo "building the desktop program the browser build is compared with ($3)"
    cmake --preset release >/dev/null
    cmake --build --preset release --target vexa ;;
  *) echo "prepare.sh: npm or desktop" >&2; exit 2 ;;
esac
