#!/usr/bin/env bash
# with-xvfb.sh [-s "<Xvfb options>"] <command...>: runs the command under a
# virtual X server of its own, stops the server afterwards and exits with
# the command's code (77 when Xvfb is not installed).
# The server picks a free display itself and says which once it takes
# connections (-displayfd), and listens on no TCP port: runs side by side
# never share a server or lose theirs to another run, as they can with
# xvfb-run -a, which guesses a free display number before starting it.
set -uo pipefail
options="-screen 0 1024x768x24"
if [ "${1:-}" = -s ]; then
  options=$2
  shift 2
fi
command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb not installed (package xvfb)" >&2; exit 77; }
dir=$(mktemp -d)
server=
child=
stop() {
  [ -n "$child" ] && kill -TERM "$child" 2>/dev/null
  [ -n "$server" ] && { kill -TERM "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
  rm -rf "$dir"
}
trap stop EXIT
trap 'exit 143' TERM INT HUP
# shellcheck disable=SC2086 # the options are words for Xvfb
Xvfb -displayfd 3 -nolisten tcp $options 3>"$dir/display" 2>"$dir/server.log" &
server=$!
# Ready when it has written its display number; a limit on the clock only a
# hung server reaches.
end=$(( SECONDS + 120 ))
until [ -s "$dir/display" ] && grep -q '^[0-9]' "$dir/display"; do
  if ! kill -0 "$server" 2>/dev/null || [ "$SECONDS" -ge "$end" ]; then
    echo "Xvfb did not start:" >&2
    cat "$dir/server.log" >&2
    exit 1
  fi
  sleep 0.05
done
export DISPLAY=":$(head -1 "$dir/display")"
"$@" &
child=$!
wait "$child"
code=$?
child=
exit "$code"
