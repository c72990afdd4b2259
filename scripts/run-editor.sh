#!/usr/bin/env bash
# Installs what is missing, builds, and starts the cardset editor from its runtime folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
build="${VQ_BUILD_DIR:-$root/build}"
cd "$build/runtime"
exec ./cardset-editor "$@"
