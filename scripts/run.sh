#!/usr/bin/env bash
# Sets everything up, then runs the bot on the embedded world until interrupted (Ctrl+C).
# The working folder (config.xml, logs) is run/ in the checkout unless --dir is given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p run
# Without arguments a short built-in scene of users at work plays on the embedded world.
[ $# -eq 0 ] && set -- --demo
exec build/src/terravane-nox --dir run "$@"
