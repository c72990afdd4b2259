#!/usr/bin/env bash
# Opens a real window under a virtual X server, draws a frame and saves a
# screenshot: smoke-window.sh [smoke program] [output folder].
# Exits 77 (skipped) when Xvfb is not installed or no window can be opened;
# with CI set in the environment that is a failure naming what is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin="${1:-$root/build/tests/smoke/smoke_window}"
out="${2:-$root/build/smoke}"
mkdir -p "$out"
skip() {
  if [ -n "${CI:-}" ]; then
    echo "FAIL (CI is set, nothing may be skipped): $*"
    exit 1
  fi
  echo "$*: window smoke skipped"
  exit 77
}
command -v Xvfb >/dev/null 2>&1 || skip "Xvfb not installed (package xvfb)"
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy
code=0
"$root/scripts/with-xvfb.sh" -s "-screen 0 1024x768x24" "$bin" "$out/smoke-window.bmp" || code=$?
[ "$code" -eq 77 ] && skip "$(basename "$bin") could not open a window under Xvfb"
[ "$code" -eq 0 ] || exit "$code"
test -s "$out/smoke-window.bmp"
echo "screenshot: $out/smoke-window.bmp"
