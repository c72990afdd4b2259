#!/usr/bin/env bash
# End to end at the card table, on the real game under Xvfb.
# table.sh <runtime folder> <output folder> <mode>
#   autoplay: the computer plays every seat at instant speed; a whole game
#             from the menu to "Game Over" in log.txt, frames of the auction,
#             a trick in the middle and the game-won screen; games go on
#             until the player's side has won one (with the seed below, the
#             first game), which unlocks "First Victory" with its pop-up and
#             writes the player's files;
#   hand:     the player bids, discards and plays a hand with keys and clicks
#             at the places the game reports (VANTOREL_TABLE_REPORT), to the
#             hand's result;
#   resume:   the player leaves in the middle of a hand and quits; the next
#             start continues the same hand with the same cards and scores.
# Every step waits for what the report or the log shows, with a time limit;
# nothing relies on a sleep being long enough. Frames are kept under the
# output folder. Exits 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
mode=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
source "$here/tablelib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
home="$out/home"
user="$home/VantorelQar"
report="$out/table.txt"
export VANTOREL_TABLE_REPORT="$report"
export VANTOREL_CAPTURE_SCREENS="$out/moments"
# Known deals: every start of a run deals the same, so each mode takes the
# same road from run to run.
export VANTOREL_SEED=3
started=$(date +%s)

# The hand's status while tricks are played.
STATUS_PLAYING=5

# The centre of a bidding panel tile that may be chosen: "x y", or nothing.
bid_at() { awk -v v="$1" '$1 == "bid" && $2 == v && $5 == 1 { print $3, $4; exit }' "$report" 2>/dev/null; }
# The centre of the first local card that may be played (mark not 1), or of
# the card at a position: "x y", or nothing.
card_at() {
  if [ -n "${1:-}" ]; then awk -v p="$1" '$1 == "card" && $2 == p { print $3, $4; exit }' "$report" 2>/dev/null
  else awk '$1 == "card" && $5 != 1 { print $3, $4; exit }' "$report" 2>/dev/null; fi
}
# The player is to play a card and none is on its way.
in_status_to_play() {
  in_state $S_GAME && [ "$(r status)" = $STATUS_PLAYING ] && [ "$(r toplay)" = "$(r local)" ] && [ "$(r moving)" = 0 ]
}
# ready_snapshot <file>: the hand, score, trick, seat to play and declarer of
# one report in which the player is to play.
ready_snapshot() {
  grep -E "^(hand|score|trick|toplay|declarer) " "$report" > "$1" 2>/dev/null &&
    grep -qx "toplay $(r local)" "$1" && in_status_to_play
}
hand_is_not() { [ "$(r hand)" != "$1" ]; }
hand_count() { r hand | tr ',' '\n' | grep -c .; }

quit_from_menu() { e2e_quit_from_menu; }

# The player's bid on the panel: seven no-trumps when it beats the high bid,
# else a pass. Each click waits for the panel to show it.
bid_local() {
  local p
  p=$(bid_at 4)
  if [ -n "$p" ]; then
    click $p
    e2e_wait selected_is 4 "$(r selected 3)" || e2e_fail "the no-trumps tile did not take the click"
    p=$(bid_at 7)
    if [ -n "$p" ]; then
      click $p
      e2e_wait selected_is 4 7 || e2e_fail "the seven tile did not take the click"
      e2e_wait has_button 10 || e2e_fail "no \"Place Bid\" for seven no-trumps"
      echo "bid: seven no-trumps"
      click $(button_at 10)
      e2e_wait bid_taken || e2e_fail "\"Place Bid\" did not take the click"
      return 0
    fi
  fi
  echo "bid: pass"
  click $(button_at 11)
  e2e_wait bid_taken || e2e_fail "\"Pass\" did not take the click"
}
# The panel has taken a bid: it is locked (no "Pass") or gone.
bid_taken() { ! in_state $S_BIDDING || ! has_button 11 || [ "$(r bidder)" != "$(r local)" ]; }

# Plays the local seat's part until the hand's result: bids on the panel,
# discards the first card while it holds more than ten, plays the first card
# not dimmed. stop_trick <n>: returns 2 once trick n is reached with the
# player to play. A card is clicked only when the report says the player is
# to play and no card is on its way, and the click must be taken.
discards=0 played=0
play_local() {
  discards=0 played=0
  local stop_trick=${1:-0} end=$(( SECONDS + 2 * E2E_LIMIT ))
  while [ "$SECONDS" -lt "$end" ]; do
    local state local_seat hand p
    state=$(r state); local_seat=$(r local); hand=$(r hand)
    case "$state" in
      $S_HANDWIN) return 0 ;;
      $S_BIDDING)
        if [ "$(r bidder)" = "$local_seat" ] && has_button 11; then bid_local; continue; fi ;;
      $S_KITTY)
        if [ "$(r declarer)" = "$local_seat" ] && [ "$(r prompt)" = Discard ] && [ "$(hand_count)" -gt 10 ]; then
          p=$(card_at 1)
          if [ -n "$p" ]; then
            e2e_click_card $p "$hand" || e2e_fail "the discard click was not taken"
            discards=$(( discards + 1 ))
            continue
          fi
        fi ;;
      $S_GAME)
        if in_status_to_play; then
          if [ "$stop_trick" -gt 0 ] && [ "$(r trick)" -ge "$stop_trick" ]; then return 2; fi
          p=$(card_at)
          if [ -n "$p" ]; then
            e2e_click_card $p "$hand" || e2e_fail "the card click was not taken"
            played=$(( played + 1 ))
            continue
          fi
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
  key Return   # "Start New Game" has the focus without a game
  e2e_wait_up_to $(( 2 * E2E_LIMIT )) log_has "Game Over! Winning Team = " || e2e_fail "no \"Game Over\" in log.txt"
  echo "first game over after $(( $(date +%s) - started )) s: $(grep -o 'Winning Team = [0-9]' "$user/log.txt" | head -1)"
  keep_moment auction auction.png
  keep_moment midtrick midtrick.png
  keep_moment gamewon gamewon.png
  # AutoPlay plays the player's seat too, and its wins count: games go on
  # by themselves until the player's side has won one.
  e2e_wait_up_to $(( 3 * E2E_LIMIT )) log_has "Achievement unlocked: First Victory" ||
    e2e_fail "no first win in $(grep -c 'Game Over' "$user/log.txt") games"
  echo "games to the first win: $(grep -c 'Game Over' "$user/log.txt")"
  grep -q "Fatal error" "$user/log.txt" && e2e_fail "a fatal error"
  keep_moment achievement-1 firstwin.png
  to_menu
  quit_from_menu
  grep -qE '^1,1,"[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8}"' "$user/Player.userdata" ||
    e2e_fail "the first win is not in Player.userdata: $(cat "$user/Player.userdata" 2>/dev/null)"
  won=$(awk -F= '$1 == "games_won" { print $2 }' "$user/Player.statistics" 2>/dev/null | tr -d '\r')
  [ "${won:-0}" -ge 1 ] || e2e_fail "no game won in Player.statistics"
  echo "frames: $out/auction.png $out/midtrick.png $out/gamewon.png $out/firstwin.png"
  ;;
hand)
  first_start 'Debug.InstantPlay="true"' 'Gameplay.Discardwarning="false"'
  start_game
  key Return
  declared=0
  for hand in 1 2 3 4 5 6 7 8; do
    e2e_wait not_state $S_MENU || e2e_fail "no game"
    play_local || e2e_fail "hand $hand did not reach its result (state $(r state))"
    if [ "$(r declarer)" = "$(r local)" ]; then declared=1; fi
    echo "hand $hand: declarer $(r declarer), $discards discards and $played cards played by clicks, score $(r score 2) $(r score 3)"
    [ "$declared" = 1 ] && break
    # Continue to the next hand.
    e2e_wait has_button 1 || e2e_fail "no Continue on the hand's result"
    click $(button_at 1)
    e2e_wait not_state $S_HANDWIN || e2e_fail "Continue did not lead on"
  done
  [ "$declared" = 1 ] || e2e_fail "the player never won an auction"
  [ "$discards" = 3 ] || e2e_fail "the declarer discarded $discards cards, not 3"
  [ "$played" = 10 ] || e2e_fail "the player played $played cards, not 10"
  log_has "Fatal error" && e2e_fail "a fatal error"
  keep_moment handwon handwon.png
  to_menu
  quit_from_menu
  echo "frame: $out/handwon.png"
  ;;
resume)
  first_start 'Debug.InstantPlay="true"' 'Gameplay.Discardwarning="false"'
  start_game
  key Return
  e2e_wait not_state $S_MENU || e2e_fail "no game"
  play_local 3; rc=$?
  [ "$rc" = 2 ] || e2e_fail "the third trick was not reached (state $(r state))"
  # The report is read a line at a time: the hand left is taken from one
  # whole report that shows the player to play.
  e2e_wait ready_snapshot "$out/before.txt" || e2e_fail "no report of the hand left"
  to_menu
  quit_from_menu
  [ -s "$user/Savedgame.txt" ] || e2e_fail "no saved game"
  rm -rf "$report" "$out/moments"   # the frames of the second start only
  start_game
  key Return   # "Continue Game" has the focus with a game in progress
  e2e_wait in_state $S_GAME || e2e_fail "Continue Game did not lead to the table"
  e2e_wait ready_snapshot "$out/after.txt" || e2e_fail "the table taken up again does not wait for the player"
  diff "$out/before.txt" "$out/after.txt" || e2e_fail "the hand taken up again is not the one left"
  # The player goes on with the hand: a card played by a click.
  hand=$(r hand)
  click $(card_at)
  e2e_wait hand_is_not "$hand" || e2e_fail "the hand taken up again does not take the player's card"
  f=$(moment playing); [ -n "$f" ] || f=$(moment midtrick)
  [ -n "$f" ] && cp "$f" "$out/resumed.png"
  to_menu
  quit_from_menu
  echo "frame: $out/resumed.png"
  ;;
*) e2e_fail "unknown mode $mode" ;;
esac
echo "ok in $(( $(date +%s) - started )) s"
