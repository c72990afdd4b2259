#!/usr/bin/env bash
# Opens a real window under a virtual X server, draws a frame and saves a
# screenshot: smoke-window.sh [smoke program] [output folder].
# Exits 77 (skipped) when Xvfb is not installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="${1:-$root/build/tests/smoke/smoke_window}"
out="${2:-$root/build/smoke}"
mkdir -p "$out"
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run not installed: window smoke skipped"
  exit 77
fi
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy
xvfb-run -a -s "-screen 0 1024x768x24" "$bin" "$out/smoke-window.bmp"
test -s "$out/smoke-window.bmp"
echo "screenshot: $out/smoke-window.bmp"
