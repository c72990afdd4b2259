#!/usr/bin/env bash
# Configures (once) and builds everything with Ninja on all cores.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VQ_BUILD_DIR:-$root/build}"
type="${VQ_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
fi
cmake --build "$build" -j "$(nproc)"
