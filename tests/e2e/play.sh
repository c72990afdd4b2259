#!/usr/bin/env bash
# End to end, as a new player meets the game at one window size.
# play.sh <runtime folder> <output folder> <x_snap> <mode>
#   1024x768, 1280x800: a hand bid, discarded and played by clicks at the
#       places the table report gives, then the About screen left by its
#       "Continue" and the achievements list scrolled by the wheel; then a
#       game played by the computer to the game won. Frames of the menu,
#       the auction with the bidding panel, the kitty, a trick in the middle,
#       the hand's result, the game won, the About screen and the scrolled
#       achievements are kept under the output folder. At the auction and
#       whenever the player is to play, the report's boxes are checked: the
#       top player's name and the bidding panel must not lie over a card of
#       the top hand.
#   deals: two starts, each from a fresh per-user folder and without a
#       seed, deal different first hands.
# Every step waits for what the report or a frame shows, with a limit on the
# clock. Exits 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
snap_tool=$3
mode=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
source "$here/tablelib.sh"
# The windowed game is 1024 x 768 on a larger screen; 1280 x 800 fills a
# screen of that size as a full-screen window.
case "$mode" in
  1280x800) screen=1280x800 display="Fullscreen Window" ;;
  *) screen=1280x1024 display="Windowed" ;;
esac
e2e_under_xvfb "$screen" "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
report="$out/table.txt"
export VANTOREL_TABLE_REPORT="$report"

E2E_PID=""
trap '[ -n "$E2E_PID" ] && kill "$E2E_PID" 2>/dev/null' EXIT

# snap_next <name>: the next frame the window shows that differs from the one
# now (the report can run a frame ahead of the window); the panel's moving
# border changes every frame.
snap_next() {
  snap "$1"
  cp "$out/$1.png" "$out/$1.before.png"
  frame_moved() { snap "$1"; ! cmp -s "$out/$1.png" "$out/$1.before.png"; }
  e2e_wait frame_moved "$1" || e2e_fail "no new frame of the $1"
  rm -f "$out/$1.before.png"
}
changed() { [ "$(r "$1")" != "$2" ]; }  # changed <key> <value before>
# A bidding tile that may be chosen, or the first card that may be played.
tile_at() { awk -v v="$1" '$1 == "bid" && $2 == v && $5 == 1 { print $3, $4; exit }' "$report" 2>/dev/null; }
playable_card() { awk '$1 == "card" && $5 != 1 { print $3, $4; exit }' "$report" 2>/dev/null; }
to_play() { in_state $S_GAME && [ "$(r status)" = 5 ] && [ "$(r toplay)" = "$(r local)" ] && [ "$(r moving)" = 0 ]; }
panel_shown() { grep -q "^box panel " "$report" 2>/dev/null; }

# check_boxes <moment>: the report's boxes as they stand; fails when the top
# name or the bidding panel lies over a card of the top hand.
check_boxes() {
  local found
  found=$(awk '
    $1 == "box" { n[$2]++; k = $2 n[$2]; l[k] = $3; t[k] = $4; r[k] = $5; b[k] = $6 }
    function meet(a, c) { return l[a] < r[c] && l[c] < r[a] && t[a] < b[c] && t[c] < b[a] }
    END {
      for (i = 1; i <= n["topcard"]; i++) {
        if (n["topname"] && meet("topname1", "topcard" i)) print "the top name lies over top card " i
        if (n["panel"] && meet("panel1", "topcard" i)) print "the bidding panel lies over top card " i
      }
      if (!n["topcard"]) print "no top hand in the report"
    }' "$report")
  [ -z "$found" ] || e2e_fail "$1: $found ($(grep '^box ' "$report" | tr '\n' ';'))"
  cp "$report" "$out/boxes-$1.txt"
}

# start_at_menu <home>: the game started on that per-user folder, its menu up.
start_at_menu() {
  home=$1
  user="$home/VantorelQar"
  start_plain
  e2e_wait_menu
  e2e_wait has_button 5 || e2e_fail "no Start New Game"
}
# "Start New Game", and "OK" when a game in progress asks first.
new_game() {
  click $(button_at 5)
  e2e_wait eval 'has_button $CMD_OK || ! in_state $S_MENU' || e2e_fail "Start New Game did nothing"
  if has_button $CMD_OK; then click $(button_at $CMD_OK); fi
}
quit_game() {
  to_menu
  e2e_quit_from_menu
  E2E_PID=""
}

# first_hand <home> <file>: the first hand dealt after a start without a
# seed from a fresh per-user folder, written to the file.
first_hand() {
  rm -rf "$1" "$report"
  start_at_menu "$1"
  new_game
  e2e_wait in_state $S_BIDDING || e2e_fail "no auction after Start New Game"
  r hand > "$2"
  kill "$E2E_PID" 2>/dev/null
  e2e_wait_exit >/dev/null
  E2E_PID=""
}

if [ "$mode" = deals ]; then
  unset VANTOREL_SEED
  first_hand "$out/home1" "$out/hand1.txt"
  first_hand "$out/home2" "$out/hand2.txt"
  one=$(cat "$out/hand1.txt") two=$(cat "$out/hand2.txt")
  echo "first hands: $one / $two"
  [ -n "$one" ] && [ -n "$two" ] || e2e_fail "no hand in the report"
  [ "$one" != "$two" ] || e2e_fail "two starts dealt the same first hand: $one"
  grep -q "^Random seed [0-9]" "$out/home1/VantorelQar/log.txt" || e2e_fail "the seed is not in log.txt"
  echo ok
  exit 0
fi

# Known deals for the rest: the player declares in the first hand, and the
# player's side wins the first game the computer plays.
export VANTOREL_SEED=3
home="$out/home"
user="$home/VantorelQar"
e2e_first_start "$runtime" "$home"
E2E_PID=""
# run_settings [more...]: the run's settings, put in before every start (the
# game writes back only the settings it keeps).
run_settings() {
  printf '%s\r\n' 'Tutorial.Enabled="false"' 'Debug.InstantPlay="true"' 'Gameplay.Discardwarning="false"' \
    "Video.DisplayMode=\"$display\"" "$@" >> "$user/Settings.txt"
}
rm -f "$report"
export VANTOREL_CAPTURE_SCREENS="$out/moments"

# The player's bid on the panel: seven no-trumps the first time when it
# beats the bid standing, else a pass.
bid_by_clicks() {
  if [ "$bids" = 0 ] && [ -n "$(tile_at 4)" ]; then
    click $(tile_at 4)
    e2e_wait eval '[ "$(r selected 2)" = 4 ]' || e2e_fail "the no-trumps tile did not take the click"
    if [ -n "$(tile_at 7)" ]; then
      click $(tile_at 7)
      e2e_wait selected_is 4 7 || e2e_fail "the seven tile did not take the click"
    fi
  fi
  if selected_is 4 7; then
    e2e_wait has_button 10 || e2e_fail "no \"Place Bid\" for seven no-trumps"
    click $(button_at 10)
  else
    click $(button_at 11)
  fi
  bids=$(( bids + 1 ))
  e2e_wait eval '! in_state $S_BIDDING || ! has_button 11 || [ "$(r bidder)" != "$(r local)" ]' ||
    e2e_fail "the bid did not take the click"
}

echo "== a hand by clicks"
run_settings
start_at_menu "$out/home"
snap menu
new_game
bids=0 discards=0 played=0 checked=0 kitty=0 end=$(( SECONDS + 2 * E2E_LIMIT ))
while [ "$SECONDS" -lt "$end" ] && ! in_state $S_HANDWIN; do
  state=$(r state)
  if [ "$state" = $S_BIDDING ] && [ "$(r bidder)" = "$(r local)" ] && has_button 11; then
    e2e_wait panel_shown || e2e_fail "the bidding panel did not come"
    if [ "$bids" = 0 ]; then check_boxes auction; snap_next auction; fi
    bid_by_clicks
    continue
  fi
  if [ "$state" = $S_KITTY ] && [ "$kitty" = 0 ] && [ "$(r prompt)" != Distributing ]; then
    snap kitty
    kitty=1
  fi
  if [ "$state" = $S_KITTY ] && [ "$(r declarer)" = "$(r local)" ] && [ "$(r prompt)" = Discard ]; then
    hand=$(r hand)
    e2e_click_card $(awk '$1 == "card" && $2 == 1 { print $3, $4; exit }' "$report") "$hand" ||
      e2e_fail "the discard click was not taken"
    discards=$(( discards + 1 ))
    continue
  fi
  if to_play; then
    if [ "$checked" = 0 ] && [ "$(r trick)" -ge 3 ]; then check_boxes playing; checked=1; fi
    hand=$(r hand)
    p=$(playable_card)
    if [ -n "$p" ]; then
      e2e_click_card $p "$hand" || e2e_fail "the card click was not taken"
      played=$(( played + 1 ))
    fi
    continue
  fi
  sleep 0.05
done
in_state $S_HANDWIN || e2e_fail "the hand did not reach its result (state $(r state))"
echo "bids $bids, discards $discards, cards played $played, declarer $(r declarer) (local $(r local))"
[ "$played" = 10 ] || e2e_fail "the player played $played cards by clicks, not 10"
[ "$(r declarer)" != "$(r local)" ] || [ "$discards" = 3 ] || e2e_fail "the declarer discarded $discards cards"
[ "$kitty" = 1 ] || e2e_fail "no kitty in the hand"
keep_moment midtrick midtrick.png
keep_moment handwon handresult.png

echo "== About, and the achievements by the wheel"
to_menu
click $(button_at 3)
e2e_wait in_state $S_ABOUT || e2e_fail "no About screen"
e2e_wait has_button 1 || e2e_fail "no Continue on the About screen"
snap about
click $(button_at 1)
e2e_wait in_state $S_MENU || e2e_fail "\"Continue\" did not leave the About screen"
click $(button_at 6)
e2e_wait in_state $S_ACHIEVEMENTS || e2e_fail "no achievements screen"
e2e_wait has_button 998 || e2e_fail "no Main Menu button on the achievements screen"
snap achievements
frame_differs() { snap achievements-scrolled; ! cmp -s "$out/achievements.png" "$out/achievements-scrolled.png"; }
xdotool mousemove --window "$win" $(button_at 998) >/dev/null
for _ in 1 2 3; do xdotool click 5 >/dev/null; done
e2e_wait frame_differs || e2e_fail "the wheel did not scroll the achievements"
quit_game
log_has "Fatal error" && e2e_fail "a fatal error"

echo "== a game played by the computer to the game won"
run_settings 'Debug.AutoPlay="true"'
rm -rf "$out/moments"
start_at_menu "$out/home"
new_game
e2e_wait_up_to $(( 2 * E2E_LIMIT )) log_has "Game Over! Winning Team = " || e2e_fail "no \"Game Over\" in log.txt"
keep_moment gamewon gamewon.png
quit_game
rm -rf "$out/moments"
echo "frames: $(cd "$out" && ls *.png | tr '\n' ' ')"
echo ok
