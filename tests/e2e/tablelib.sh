# Helpers of the end-to-end scripts that read the game's table report
# (VANTOREL_TABLE_REPORT). Source after e2elib.sh with runtime, home and
# report set.

# Starts ./game without writing every frame.
start_plain() {
  mkdir -p "$home"
  (cd "$runtime" && VANTOREL_DATA_HOME="$home" SDL_AUDIODRIVER=dummy exec ./game) &
  E2E_PID=$!
}

# wait_for <seconds> <command...>: true as soon as the command is. The
# limit is on the clock, not a count of tries, which a loaded machine
# stretches.
wait_for() {
  local end=$(( SECONDS + $1 ))
  shift
  while [ "$SECONDS" -lt "$end" ]; do
    "$@" && return 0
    sleep 0.05
  done
  "$@"
}

# A value of the report: r <key> [field]
r() { awk -v k="$1" -v f="${2:-2}" '$1 == k { print $f; exit }' "$report" 2>/dev/null; }
in_state() { [ "$(r state)" = "$1" ]; }
not_state() { [ -n "$(r state)" ] && [ "$(r state)" != "$1" ]; }
wait_state() { wait_for "$2" in_state "$1"; }  # wait_state <id> <seconds>
wait_state_not() { wait_for "$2" not_state "$1"; }  # wait_state_not <id> <seconds>
# The centre of the button with a command id: "x y", or nothing.
button_at() { awk -v c="$1" '$1 == "button" && $2 == c { print $3, $4; exit }' "$report" 2>/dev/null; }
