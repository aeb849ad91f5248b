#!/usr/bin/env bash
# The same game at scale 2: pointer positions are divided back to game pixels, so the
# recording replays (headless, unscaled) to the window's own trace.
SCALE=2 exec bash "$(dirname "$0")/window_e2e.sh" "$@"
