#!/usr/bin/env bash
# End to end at the card table, on the real game under Xvfb.
# table.sh <runtime folder> <output folder> <mode>
#   autoplay: the computer plays every seat at instant speed; a whole game
#             from the menu to "Game Over" in log.txt, frames of the auction,
#             a trick in the middle and the game-won screen;
#   hand:     the player bids, discards and plays a hand with keys and clicks
#             at the places the game reports (VANTOREL_TABLE_REPORT), to the
#             hand's result;
#   resume:   the player leaves in the middle of a hand and quits; the next
#             start continues the same hand with the same cards and scores.
# Frames are kept under the output folder. Exits 77 (skipped) without Xvfb or
# xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
mode=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xvfb-run xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
home="$out/home"
user="$home/VantorelQar"
report="$out/table.txt"
export VANTOREL_TABLE_REPORT="$report"
export VANTOREL_CAPTURE_SCREENS="$out/moments"

# Starts ./game without writing every frame (the moments are captured).
start_plain() {
  mkdir -p "$home"
  (cd "$runtime" && VANTOREL_DATA_HOME="$home" SDL_AUDIODRIVER=dummy exec ./game) &
  E2E_PID=$!
}

# The first start makes the per-user folder; the settings of the test go in after.
first_start() {
  start_plain
  local win
  win=$(e2e_wait_window "Vantorel Qar" 30) || e2e_fail "no game window"
  wait_state 11 30 || e2e_fail "the menu did not come up"
  e2e_key "$win" Escape
  e2e_wait_exit 20 || e2e_fail "the first start did not end"
  rm -rf "$out/moments" "$report"
  printf '%s\r\n' "$@" >> "$user/Settings.txt"
}

# A value of the report: r <key> [field]
r() { awk -v k="$1" -v f="${2:-2}" '$1 == k { print $f; exit }' "$report" 2>/dev/null; }
# The centre of the button with a command id: "x y", or nothing.
button_at() { awk -v c="$1" '$1 == "button" && $2 == c { print $3, $4; exit }' "$report" 2>/dev/null; }
# The centre of a local card that may be played (mark not 1), or of the
# card at a position: "x y", or nothing.
card_at() {
  if [ -n "${1:-}" ]; then awk -v p="$1" '$1 == "card" && $2 == p { print $3, $4; exit }' "$report" 2>/dev/null
  else awk '$1 == "card" && $5 != 1 { print $3, $4; exit }' "$report" 2>/dev/null; fi
}
bid_at() { awk -v v="$1" '$1 == "bid" && $2 == v && $5 == 1 { print $3, $4; exit }' "$report" 2>/dev/null; }
click() {
  local x=$1 y=$2
  # The game takes one button event a frame, and an idle screen is drawn
  # ten times a second: a click is given time to land.
  xdotool mousemove --window "$win" "$x" "$y" >/dev/null 2>&1
  sleep 0.25
  xdotool click 1 >/dev/null 2>&1
  sleep 0.35
}
wait_state() {  # wait_state <id> <seconds>
  local limit=$(( $2 * 20 ))
  for _ in $(seq 1 "$limit"); do
    [ "$(r state)" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}
start_game() {
  start_plain
  win=$(e2e_wait_window "Vantorel Qar" 30) || e2e_fail "no game window"
  wait_state 11 30 || e2e_fail "the menu did not come up"
  sleep 0.5
}
quit_from_menu() {
  e2e_key "$win" Escape
  # With a game in progress the question comes first: OK.
  if wait_state 5 5; then
    local p; p=$(button_at 65534)
    [ -n "$p" ] || e2e_fail "no OK button on the question"
    click $p
  fi
  e2e_wait_exit 30; local code=$?
  [ "$code" -eq 0 ] || e2e_fail "exit code $code"
}

# Plays the local seat's part until the hand's result (or a step limit):
# bids seven no-trumps when the panel offers it, else passes; discards the
# first card while it holds more than ten; plays the first card not dimmed.
# stop_trick <n>: returns 2 once trick n is reached with the player to play.
play_local() {
  local stop_trick=${1:-0} last="" same=0
  for _ in $(seq 1 3000); do
    local state status local_seat
    state=$(r state); status=$(r status); local_seat=$(r local)
    if [ "$state" = 9 ]; then return 0; fi
    case "$state" in
      3)
        if [ "$(r bidder)" = "$local_seat" ]; then
          local p
          # Seven no-trumps when it beats the high bid, else a pass.
          if p=$(bid_at 4) && [ -n "$p" ]; then click $p; fi
          if p=$(bid_at 7) && [ -n "$p" ]; then click $p; fi
          if p=$(button_at 10) && [ -n "$p" ]; then click $p; else p=$(button_at 11); [ -n "$p" ] && click $p; fi
          sleep 0.5
        fi ;;
      10)
        if [ "$(r declarer)" = "$local_seat" ]; then
          local n; n=$(r hand | tr -cd ',' | wc -c)
          if [ "$n" -ge 10 ]; then local p; p=$(card_at 1); [ -n "$p" ] && click $p; sleep 0.2; fi
        fi ;;
      7)
        if [ "$status" = 5 ] && [ "$(r toplay)" = "$local_seat" ]; then
          if [ "$stop_trick" -gt 0 ] && [ "$(r trick)" -ge "$stop_trick" ]; then return 2; fi
          local p; p=$(card_at)
          [ -n "$p" ] && click $p
          sleep 0.2
        fi ;;
    esac
    sleep 0.05
  done
  return 1
}

case "$mode" in
autoplay)
  first_start 'Debug.AutoPlay="true"' 'Debug.InstantPlay="true"'
  start_game
  e2e_key "$win" Return   # "Start New Game" has the focus without a game
  for _ in $(seq 1 3000); do
    grep -q "Game Over! Winning Team = " "$user/log.txt" 2>/dev/null && break
    sleep 0.1
  done
  grep -q "Game Over! Winning Team = " "$user/log.txt" || e2e_fail "no \"Game Over\" in log.txt"
  grep -q "Fatal error" "$user/log.txt" && e2e_fail "a fatal error"
  sleep 1
  for m in auction midtrick gamewon; do
    f=$(ls "$out/moments/$m"/*.png 2>/dev/null | sort | head -1)
    [ -n "$f" ] || e2e_fail "no frame of the $m"
    cp "$f" "$out/$m.png"
  done
  # A new game has started by itself; Escape leads back to the menu.
  e2e_key "$win" Escape
  wait_state 11 20 || e2e_fail "Escape did not lead back to the menu"
  kill "$E2E_PID" 2>/dev/null; wait "$E2E_PID" 2>/dev/null
  echo "frames: $out/auction.png $out/midtrick.png $out/gamewon.png"
  ;;
hand)
  first_start 'Debug.InstantPlay="true"' 'Gameplay.Discardwarning="false"'
  start_game
  e2e_key "$win" Return
  declared=0
  for hand in 1 2 3 4 5 6 7 8; do
    wait_state 7 30 || true
    play_local || e2e_fail "the hand did not reach its result (state $(r state))"
    grep -q "discards\|DISCARD" "$user/log.txt" || true
    if grep -q "^declarer $(r local)$" "$report"; then declared=1; fi
    cp "$(ls "$out/moments/handwon"/*.png 2>/dev/null | sort | head -1)" "$out/handwon.png" 2>/dev/null
    [ "$declared" = 1 ] && break
    e2e_key "$win" space   # Continue
    sleep 0.5
  done
  [ "$declared" = 1 ] || e2e_fail "the player never won an auction"
  [ -s "$out/handwon.png" ] || e2e_fail "no frame of the hand's result"
  e2e_key "$win" Escape
  wait_state 11 20 || e2e_fail "Escape did not lead back to the menu"
  quit_from_menu
  echo "frame: $out/handwon.png"
  ;;
resume)
  first_start 'Debug.InstantPlay="true"' 'Gameplay.Discardwarning="false"'
  start_game
  e2e_key "$win" Return
  wait_state 7 30 || e2e_fail "no game"
  play_local 3; rc=$?
  [ "$rc" = 2 ] || e2e_fail "the third trick was not reached (state $(r state))"
  sleep 0.5
  grep -E "^(hand|score|trick|toplay|declarer) " "$report" > "$out/before.txt"
  e2e_key "$win" Escape
  wait_state 11 20 || e2e_fail "Escape did not lead back to the menu"
  quit_from_menu
  [ -s "$user/Savedgame.txt" ] || e2e_fail "no saved game"
  start_game
  e2e_key "$win" Return   # "Continue Game" has the focus with a game in progress
  wait_state 7 30 || e2e_fail "Continue Game did not lead to the table"
  sleep 1
  grep -E "^(hand|score|trick|toplay|declarer) " "$report" > "$out/after.txt"
  diff "$out/before.txt" "$out/after.txt" || e2e_fail "the hand taken up again is not the one left"
  f=$(ls "$out/moments/playing"/*.png 2>/dev/null | sort | head -1)
  [ -n "$f" ] && cp "$f" "$out/resumed.png"
  e2e_key "$win" Escape
  wait_state 11 20 || e2e_fail "Escape did not lead back to the menu"
  quit_from_menu
  ;;
*) e2e_fail "unknown mode $mode" ;;
esac
echo "ok"
