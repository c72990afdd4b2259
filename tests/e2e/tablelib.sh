# Helpers of the end-to-end scripts that play at the card table. The report
# helpers (r, in_state, button_at, ...) are in e2elib.sh; source this after
# it with runtime, home, out, user and report set (snap_tool for snap).

# Starts ./game without writing every frame.
start_plain() { e2e_start_plain "$runtime" "$home"; }

# The game makes its window again when it sets the display mode: the window
# is looked up once the menu is up, or clicks go to one that is gone.
start_game() {
  start_plain
  e2e_wait_menu
}

# The first start makes the per-user folder; the settings of the test go in
# after. What a start leaves for the checks (moments, the report) goes.
first_start() {
  e2e_first_start "$runtime" "$home" "$@"
  rm -rf "${out:?}/moments" "$report"
}

# A click as a quick player makes it: move, press and release at once. The
# game takes every press and release in order, however close they come.
click() { e2e_click_now "$win" "$@"; }
key() { e2e_key "$win" "$@" >/dev/null 2>&1; }
to_menu() { e2e_table_to_menu; }

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
log_has() { grep -q "$1" "$user/log.txt" 2>/dev/null; }
selected_is() { [ "$(r selected 2) $(r selected 3)" = "$1 $2" ]; }  # the bid the panel put together

# snap <name>: what the window shows now, as <name>.png (the script's
# snap_tool takes it).
snap() { "$snap_tool" "$win" "$out/$1.png" || e2e_fail "no frame of the $1"; }

# moment <name>: the first frame captured at the moment
# (VANTOREL_CAPTURE_SCREENS), once both its frames are written (the first is
# then complete); keep_moment <name> <file> keeps it.
moment() { ls "$out/moments/$1"/*.png 2>/dev/null | sort | head -1; }
moment_done() { [ "$(ls "$out/moments/$1"/*.png 2>/dev/null | wc -l)" -ge 2 ]; }
keep_moment() {
  e2e_wait moment_done "$1" || e2e_fail "no frame of the $1"
  cp "$(moment "$1")" "$out/$2"
}
