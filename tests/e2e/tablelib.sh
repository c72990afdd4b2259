# Helpers of the end-to-end scripts that play at the card table. The report
# helpers (r, in_state, button_at, ...) are in e2elib.sh; source this after
# it with runtime, home and report set.

# Starts ./game without writing every frame.
start_plain() { e2e_start_plain "$runtime" "$home"; }

# wait_for <seconds> <command...>: true as soon as the command is. The limit
# is the larger of the seconds and E2E_LIMIT: a wait is for a state, never
# a guess at how long something takes.
wait_for() {
  local limit=$1
  shift
  [ "$limit" -ge "$E2E_LIMIT" ] 2>/dev/null || limit=$E2E_LIMIT
  e2e_wait_up_to "$limit" "$@"
}
wait_state() { e2e_wait in_state "$1"; }  # wait_state <id> [seconds]
wait_state_not() { e2e_wait not_state "$1"; }  # wait_state_not <id> [seconds]
