#!/usr/bin/env bash
# Installs what is missing, builds, and (where a display is available) starts the game from its runtime folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
build="${VQ_BUILD_DIR:-$root/build}"
"$root/scripts/need-display.sh" "game" "scripts/run-game.sh"
cd "$build/runtime"
exec ./game "$@"
