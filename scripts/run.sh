#!/usr/bin/env bash
# Sets everything up, then opens the desktop program on the embedded world with the demo scene
# playing (users at work, watched in the window and on the world map). Without a display it runs
# the headless program instead, until interrupted (Ctrl+C). The working folder (config.xml, logs)
# is run/ in the checkout unless --dir is given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p run
# Without arguments a short built-in scene of users at work plays on the embedded world.
[ $# -eq 0 ] && set -- --demo
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/terravane --dir run "$@"
fi
echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are unset), so the headless program"
echo "run.sh: terravane-nox runs the demo instead; its activity follows. Ctrl+C stops it."
exec build/src/terravane-nox --dir run "$@"
