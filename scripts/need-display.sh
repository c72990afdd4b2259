#!/usr/bin/env bash
# need-display.sh <program> <script>: true when a window can be asked for
# (an X or Wayland display, an SDL video driver chosen by hand, or
# VANTOREL_HEADLESS on purpose); otherwise says so and how to start the
# program, and fails, so that the run scripts never start a program that
# would wait unseen.
program=$1 script=$2
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${SDL_VIDEODRIVER:-}" ] ||
   [ -n "${VANTOREL_HEADLESS:-}" ]; then
  exit 0
fi
cat >&2 <<TEXT
No display is available: neither DISPLAY nor WAYLAND_DISPLAY is set, so the $program
cannot open its window. It is installed and built; start it in one of these ways:
  - from a terminal of a desktop session (DISPLAY is set there):  $script
  - over ssh, with X forwarding:  ssh -X <host>, then  $script
  - under a virtual X server (nothing to see, e.g. for scripts):  xvfb-run -a $script
  - with no window at all, on purpose:  VANTOREL_HEADLESS=1 $script
TEXT
exit 3
