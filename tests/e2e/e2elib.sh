# Shared steps of the end-to-end tests: start the real program under the
# current X display with a scratch per-user folder and frame capture, wait
# for its windows, send keys, and collect what it left.

# e2e_under_xvfb <screen WxH> "<tools>" "$0" "$@": exits 77 (skipped) when a
# tool is missing; outside a virtual X server the script starts again under
# one (xvfb-run) and this call does not return.
e2e_under_xvfb() {
  local screen=$1 tool
  for tool in $2; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool not installed: skipped"; exit 77; }
  done
  shift 2
  if [ -z "${E2E_UNDER_XVFB:-}" ]; then
    export E2E_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 ${screen}x24" bash "$@"
  fi
}

# e2e_start <runtime folder> <per-user data folder> <frame folder> [args...]
# Starts ./game there in the background; its pid is in E2E_PID.
e2e_start() {
  local runtime=$1 home=$2 frames=$3
  shift 3
  mkdir -p "$home" "$frames"
  (cd "$runtime" && VANTOREL_DATA_HOME="$home" VANTOREL_FRAME_CAPTURE="$frames" SDL_AUDIODRIVER=dummy \
     exec "${E2E_PROGRAM:-./game}" "$@") &
  E2E_PID=$!
}

# e2e_wait_window <name> <seconds>: the id of a window of that exact name.
# The game's window is made again when its display mode is set: look for it
# once frames have been presented.
e2e_wait_window() {
  local name=$1 limit=$(( $2 * 10 )) id=""
  for _ in $(seq 1 "$limit"); do
    # xwininfo, not xdotool search: the latter misses windows (message
    # boxes) that carry no class.
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"${name}\":" | awk '{print $1}' | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# e2e_wait_frames <folder> <count> <seconds>: at least that many frames presented.
e2e_wait_frames() {
  local folder=$1 count=$2 limit=$(( $3 * 10 ))
  for _ in $(seq 1 "$limit"); do
    [ "$(ls "$folder" 2>/dev/null | wc -l)" -ge "$count" ] && return 0
    sleep 0.1
  done
  return 1
}

# e2e_last_frame <folder>: the newest complete frame (the one before the newest,
# which may still be being written).
e2e_last_frame() {
  ls "$1"/frame_*.png | sort | tail -2 | head -1
}

# e2e_key <window id> <key...>
e2e_key() {
  local id=$1
  shift
  # Keys go to the focused window: events sent to a window by id are marked
  # synthetic, and SDL ignores those.
  # There is no window manager under Xvfb: the input focus is set directly.
  xdotool windowfocus --sync "$id" >/dev/null 2>&1 || true
  xdotool key "$@"
}

# e2e_click <window id> <x> <y>: a left click at a point of the window.
e2e_click() {
  # SDL takes a press where it last saw the pointer: move, let it see the
  # motion, then press.
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.3
  xdotool click 1
}

# e2e_wait_exit <seconds>: the program's exit code, or 124 when it ran on.
e2e_wait_exit() {
  local limit=$(( $1 * 10 ))
  for _ in $(seq 1 "$limit"); do
    if ! kill -0 "$E2E_PID" 2>/dev/null; then
      wait "$E2E_PID"
      return $?
    fi
    sleep 0.1
  done
  kill "$E2E_PID" 2>/dev/null || true
  return 124
}

e2e_fail() {
  echo "FAIL: $*"
  exit 1
}

# e2e_tutorial_gotit <window> <frame folder> <tutorial_frame_check> <png to keep>:
# when the newest frame shows the tutorial window, keeps it and clicks the
# window's first button ("Next" or "OK"); false when no tutorial shows.
e2e_tutorial_gotit() {
  local win=$1 frames=$2 check=$3 keep=$4 where before
  cp "$(e2e_last_frame "$frames")" "$keep"
  where=$("$check" "$keep" 2>/dev/null) || return 1
  set -- $where
  before=$(ls "$frames" | wc -l)
  xdotool mousemove --window "$win" "$2" "$3" click 1
  sleep 0.5
  e2e_wait_frames "$frames" $(( before + 3 )) 10 || true
  return 0
}

# e2e_close_tutorials <window> <frame folder> <tutorial_frame_check>: pages
# through and closes whatever tutorial the start showed.
e2e_close_tutorials() {
  local n
  sleep 2  # the window fades in
  for n in 1 2 3 4 5 6; do
    e2e_tutorial_gotit "$1" "$2" "$3" "$2/../tutorial-seen.png" || return 0
  done
}
