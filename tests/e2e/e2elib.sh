# Shared steps of the end-to-end tests: start the real program under the
# current X display with a scratch per-user folder, wait for what each step
# needs (the game's table report, a new frame, the window, the exit), send
# keys and clicks, and collect what it left.
#
# No step waits a fixed time: each waits for a state, with a limit on the
# clock (E2E_LIMIT seconds) that only a hung program reaches, not a slow one.
# The ctest TIMEOUT of each test is larger still, so a stuck step fails with
# its own message.
E2E_LIMIT=${E2E_LIMIT:-300}

e2e_fail() {
  echo "FAIL: $*"
  exit 1
}

# e2e_skip <reason>: 77 (skipped); with CI set a check that cannot run is a
# failure, named, not a skip.
e2e_skip() {
  if [ -n "${CI:-}" ]; then
    echo "FAIL (CI is set, nothing may be skipped): $*"
    exit 1
  fi
  echo "$*: skipped"
  exit 77
}

# e2e_need_tools "<tools>": every program named is on the PATH.
e2e_need_tools() {
  local tool
  for tool in $1; do
    command -v "$tool" >/dev/null 2>&1 || e2e_skip "$tool not installed (see scripts/packages.txt)"
  done
}

# The repository's root (the scripts beside this file's folder).
e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# e2e_under_xvfb <screen WxH> "<tools>" "$0" "$@": skips when a tool is
# missing; outside a virtual X server the script starts again under one of
# its own (scripts/with-xvfb.sh: the server picks a free display itself, so
# runs side by side never share one) and this call does not return.
# xwininfo (window look-up) is always needed.
e2e_under_xvfb() {
  local screen=$1
  e2e_need_tools "Xvfb xwininfo od cmp $2"
  shift 2
  if [ -z "${E2E_UNDER_XVFB:-}" ]; then
    export E2E_UNDER_XVFB=1
    # No key auto-repeat: on a loaded machine the release of a key sent by
    # xdotool can come late enough for the server to repeat the key.
    exec "$e2e_root/scripts/with-xvfb.sh" -s "-screen 0 ${screen}x24 -ardelay 600000 -arinterval 600000" bash "$@"
  fi
}

# ---------------------------------------------------------------- waiting

# e2e_wait <command...>: true as soon as the command is, false when
# E2E_LIMIT seconds pass first. The limit is on the clock, not a count of
# tries, which a loaded machine stretches.
e2e_wait() { e2e_wait_up_to "$E2E_LIMIT" "$@"; }

# e2e_wait_up_to <seconds> <command...>: the same with a longer limit, for a
# step that is a long piece of work (a whole game played by the computer).
e2e_wait_up_to() {
  local end=$(( SECONDS + $1 ))
  shift
  while [ "$SECONDS" -lt "$end" ]; do
    "$@" && return 0
    sleep 0.05
  done
  "$@"
}

# e2e_click_card <x> <y> <hand before>: a click on a card of the player's
# hand (the script's own `click`), made once the report shows the hand ready
# for it, waiting for the hand to change.
e2e_click_card() {
  click "$1" "$2"
  e2e_wait e2e_hand_changed "$3"
}
e2e_hand_changed() { [ "$(r hand)" != "$1" ]; }

# ---------------------------------------------------------------- the game's report

# e2e_report <file>: the game's state report (VANTOREL_TABLE_REPORT) the
# next starts write there; the helpers below read it.
e2e_report() {
  report=$1
  export VANTOREL_TABLE_REPORT="$report"
}

# A value of the report: r <key> [field]
r() { awk -v k="$1" -v f="${2:-2}" '$1 == k { print $f; exit }' "${report:-/dev/null}" 2>/dev/null; }
in_state() { [ "$(r state)" = "$1" ]; }
not_state() { [ -n "$(r state)" ] && [ "$(r state)" != "$1" ]; }
# e2e_wait_state <id> [what to say when it does not come]
e2e_wait_state() { e2e_wait in_state "$1" || e2e_fail "${2:-state $1 never came} (state $(r state))"; }
# The centre of the button with a command id: "x y", or nothing.
button_at() { awk -v c="$1" '$1 == "button" && $2 == c { print $3, $4; exit }' "${report:-/dev/null}" 2>/dev/null; }
has_button() { [ -n "$(button_at "$1")" ]; }
# The tutorial window: its page ("<id> <page>") while it shows, else nothing.
tutorial_page() { awk '$1 == "tutorial" { print $2, $3; exit }' "${report:-/dev/null}" 2>/dev/null; }
tutorial_whole() { [ "$(r tutorial 4)" = 1 ]; }
tutorial_page_is_not() { [ "$(tutorial_page)" != "$1" ]; }
console_open() { [ "$(r console 3)" = 1 ]; }  # open, its entry taking keys
console_closed() { [ -f "$report" ] && [ "$(r console)" != 1 ]; }
chat_typing() { [ "$(r chat)" = 1 ]; }
chat_lines_over() { [ "$(r chat 3)" -gt "$1" ] 2>/dev/null; }

# States of the screens, as the report gives them.
S_ABOUT=1 S_ACHIEVEMENTS=2 S_BIDDING=3 S_CONFIRM=5 S_GAME=7 S_HANDWIN=9 S_KITTY=10 S_MENU=11
S_OPTIONS=14 S_PREFERENCES=15
# Command ids: the question's OK, the tutorial's buttons.
CMD_OK=65534 CMD_TUTORIAL_GOTIT=30000 CMD_TUTORIAL_NEXT=30003

# ---------------------------------------------------------------- the program

# e2e_start <runtime folder> <per-user data folder> <frame folder> [args...]
# Starts ./game (or E2E_PROGRAM) there in the background, each presented
# frame written to the frame folder; its pid is in E2E_PID. A report left by
# an earlier start is removed first, so no wait reads it.
e2e_start() {
  local runtime=$1 home=$2 frames=$3
  shift 3
  mkdir -p "$home" "$frames"
  [ -n "${report:-}" ] && rm -f "$report"
  (cd "$runtime" && VANTOREL_DATA_HOME="$home" VANTOREL_FRAME_CAPTURE="$frames" SDL_AUDIODRIVER=dummy \
     exec "${E2E_PROGRAM:-./game}" "$@") &
  E2E_PID=$!
}

# e2e_start_plain <runtime folder> <per-user data folder>: the same without
# writing every frame (the program runs at its own pace).
e2e_start_plain() {
  mkdir -p "$2"
  [ -n "${report:-}" ] && rm -f "$report"
  (cd "$1" && VANTOREL_DATA_HOME="$2" SDL_AUDIODRIVER=dummy exec "${E2E_PROGRAM:-./game}") &
  E2E_PID=$!
}

e2e_running() { kill -0 "$E2E_PID" 2>/dev/null; }
e2e_ended() { ! e2e_running; }

# e2e_window_id <name>: the id of a window of that exact name, or false.
e2e_window_id() {
  local id
  # xwininfo, not xdotool search: the latter misses windows (message
  # boxes) that carry no class.
  id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"${1}\":" | awk '{print $1}' | head -1 || true)
  [ -n "$id" ] && echo "$id"
}
# e2e_wait_window <name>: the id of a window of that exact name, once it is
# there. The game's window is made again when its display mode is set: look
# for it once the program has shown its first screen.
e2e_wait_window() {
  local end=$(( SECONDS + E2E_LIMIT ))
  while [ "$SECONDS" -lt "$end" ]; do
    e2e_window_id "$1" && return 0
    e2e_running || return 1
    sleep 0.1
  done
  return 1
}

# e2e_wait_only_window <name>: as above once a single window has the name
# (the one made before the display mode is set is gone).
e2e_wait_only_window() {
  only_window() { [ "$(xwininfo -root -tree 2>/dev/null | grep -cF "\"${1}\":")" = 1 ]; }
  e2e_wait only_window "$1" && e2e_window_id "$1"
}

# e2e_wait_menu [what]: the game's main menu is up (the report says so) and
# its window is known (in $win).
e2e_wait_menu() {
  e2e_wait in_state $S_MENU || e2e_fail "the menu did not come up${1:+ $1} (state $(r state))"
  win=$(e2e_wait_window "Vantorel Qar") || e2e_fail "no game window${1:+ $1}"
}

# e2e_wait_exit: the program's exit code once it ends, or 124 when it runs
# on past the limit (it is then ended).
e2e_wait_exit() {
  if e2e_wait e2e_ended; then
    wait "$E2E_PID"
    return $?
  fi
  kill "$E2E_PID" 2>/dev/null || true
  return 124
}

# e2e_quit_from_menu: Escape on the menu ends the game, after the question
# (OK) when a game is in progress; the exit code must be 0.
e2e_quit_from_menu() {
  e2e_key "$win" Escape
  e2e_wait eval 'e2e_ended || has_button $CMD_OK' || e2e_fail "Escape on the menu neither ended the game nor asked"
  if e2e_running && has_button $CMD_OK; then e2e_click_now "$win" $(button_at $CMD_OK); fi
  e2e_wait_exit; local code=$?
  [ "$code" -eq 0 ] || e2e_fail "exit code $code after Escape on the menu"
}

# e2e_back_to_menu: Escape from a screen and wait for the menu.
e2e_back_to_menu() {
  e2e_key "$win" Escape
  e2e_wait in_state $S_MENU || e2e_fail "Escape did not lead back to the menu (state $(r state))"
}

# e2e_first_start <runtime> <home> [settings...]: a start that makes the
# per-user folder and ends from the menu (a tutorial shown is closed
# first); then the settings named go into Settings.txt, tutorials off.
e2e_first_start() {
  local runtime=$1 home=$2
  shift 2
  e2e_start_plain "$runtime" "$home"
  e2e_wait_menu "on the first start"
  e2e_close_tutorials_by_report
  e2e_quit_from_menu
  [ -s "$home/VantorelQar/Settings.txt" ] || e2e_fail "no Settings.txt after the first start"
  printf '%s\r\n' 'Tutorial.Enabled="false"' "$@" >> "$home/VantorelQar/Settings.txt"
}

# ---------------------------------------------------------------- input

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

# e2e_click_now <window id> <x> <y>: a left click at a point of the window,
# as a quick player makes it (move, press and release at once). The program
# takes every motion, press and release in order, however close they come.
e2e_click_now() {
  xdotool mousemove --window "$1" "$2" "$3" click 1 >/dev/null 2>&1
}
e2e_click() { e2e_click_now "$@"; }

# ---------------------------------------------------------------- frames

e2e_frame_count() { find "$1" -maxdepth 1 -name 'frame_*.png' 2>/dev/null | wc -l; }
# A PNG written to its end (frames are written in place, not renamed).
e2e_png_whole() { [ "$(tail -c 8 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "49454e44ae426082" ]; }
# e2e_newest_frame <folder>: the newest frame written whole.
e2e_newest_frame() {
  local f
  for f in $(ls "$1"/frame_*.png 2>/dev/null | sort -r | head -3); do
    e2e_png_whole "$f" && { echo "$f"; return 0; }
  done
  return 1
}
e2e_last_frame() { e2e_newest_frame "$1"; }

# e2e_wait_frames <folder> <count>: at least that many frames presented.
e2e_wait_frames() { e2e_wait eval "[ \"\$(e2e_frame_count '$1')\" -ge $2 ]"; }

# e2e_keep_frame <folder> <file>: a frame begun after this call, kept as the
# file once written whole: what the window shows now that the step waited
# for. (The frame being written at the call is not taken: it may have been
# drawn before.)
e2e_keep_frame() {
  local folder=$1 file=$2 marker before
  marker=$(mktemp)
  before=$(ls "$folder"/frame_*.png 2>/dev/null | sort | tail -1)
  fresh_frame() {
    local f
    for f in $(find "$folder" -maxdepth 1 -name 'frame_*.png' -newer "$marker" | sort -r | head -3); do
      [ "$f" != "$before" ] && e2e_png_whole "$f" && { echo "$f"; return 0; }
    done
    return 1
  }
  e2e_wait fresh_frame >/dev/null || { rm -f "$marker"; e2e_fail "no frame presented for $(basename "$file")"; }
  cp "$(fresh_frame)" "$file"
  rm -f "$marker"
}

# e2e_wait_frame_differs <folder> <file>: a frame presented after this call
# differs from the file (a program that presents only when something
# changed shows the change); the newest is kept as the file's next frame,
# in $E2E_FRAME.
e2e_wait_frame_differs() {
  local folder=$1 file=$2
  frame_differs_now() {
    E2E_FRAME=$(e2e_newest_frame "$1") && ! cmp -s "$E2E_FRAME" "$2"
  }
  e2e_wait frame_differs_now "$folder" "$file"
}

# e2e_png_size <file>: "width height" from the PNG header.
e2e_png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d %d\n", (($1 * 256 + $2) * 256 + $3) * 256 + $4, (($5 * 256 + $6) * 256 + $7) * 256 + $8 }'
}

# ---------------------------------------------------------------- tutorials

# e2e_close_tutorials_by_report: pages through and closes whatever tutorial
# shows over the screen, each button pressed once its page is whole.
e2e_close_tutorials_by_report() {
  local page n
  for n in 1 2 3 4 5 6 7 8; do
    page=$(tutorial_page)
    [ -n "$page" ] || return 0
    e2e_tutorial_next "$page"
  done
  [ -z "$(tutorial_page)" ] || e2e_fail "a tutorial is still shown: $(tutorial_page)"
}

# e2e_tutorial_next <page shown>: its "Next" (or its "OK" on the last page),
# then the next page or none.
e2e_tutorial_next() {
  local page=$1 button=$CMD_TUTORIAL_NEXT
  e2e_wait tutorial_whole || e2e_fail "the tutorial page $page did not fade in"
  has_button $button || button=$CMD_TUTORIAL_GOTIT
  e2e_wait has_button $button || e2e_fail "no button on the tutorial page $page"
  e2e_click_now "$win" $(button_at $button)
  e2e_wait tutorial_page_is_not "$page" || e2e_fail "the tutorial page $page did not take the click"
}

# e2e_close_tutorials <window> <frame folder> <tutorial_frame_check>: as
# above, and the first tutorial frame is kept (tutorial-seen.png beside the
# frame folder) and must be one tutorial_frame_check knows.
e2e_close_tutorials() {
  local frames=$2 check=$3
  if [ -n "$(tutorial_page)" ]; then
    e2e_wait tutorial_whole || e2e_fail "the tutorial did not fade in"
    e2e_keep_frame "$frames" "$frames/../tutorial-seen.png"
    "$check" "$frames/../tutorial-seen.png" >/dev/null || e2e_fail "the tutorial frame is not right"
  fi
  e2e_close_tutorials_by_report
}

# e2e_next_frames <folder> [n]: n frames (2 unless told) begun after this
# call are presented: the program has taken the input sent before it.
e2e_next_frames() {
  local folder=$1 i scratch
  scratch=$(mktemp)
  for (( i = 0; i < ${2:-2}; i++ )); do e2e_keep_frame "$folder" "$scratch"; done
  rm -f "$scratch"
}

# ---------------------------------------------------------------- the card table

# The screens that take Escape back towards the menu (the others pass by
# on their own).
escape_ready() {
  case "$(r state)" in
    "$S_GAME"|"$S_BIDDING"|"$S_KITTY"|"$S_HANDWIN"|"$S_ABOUT"|"$S_ACHIEVEMENTS"|"$S_OPTIONS"|"$S_PREFERENCES") return 0 ;;
  esac
  return 1
}
# e2e_table_to_menu: from the card table (or a screen of the menu's) back
# to the menu. Escape goes to a
# screen that takes it. Leaving, the screens under it go one by one (the
# stack's depth falls): the next Escape waits until they have. When the
# screen gives way to the next by itself (the computer plays on) before
# taking it, the next one gets it.
e2e_table_to_menu() {
  local n
  for n in $(seq 1 20); do
    e2e_wait eval 'in_state $S_MENU || escape_ready' || e2e_fail "no screen to take Escape (state $(r state))"
    in_state $S_MENU && return 0
    sent_state=$(r state) sent_depth=$(r depth)
    e2e_key "$win" Escape
    e2e_wait escape_taken_or_passed || e2e_fail "Escape was not taken in state $sent_state"
  done
  in_state $S_MENU || e2e_fail "Escape did not lead back to the menu (state $(r state))"
}
escape_taken_or_passed() {
  local depth
  in_state $S_MENU && return 0
  depth=$(r depth)
  [ -n "$depth" ] || return 1
  [ "$depth" -gt "$sent_depth" ] || { [ "$depth" -eq "$sent_depth" ] && ! in_state "$sent_state"; }
}
