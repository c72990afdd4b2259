#!/usr/bin/env bash
# End to end: from the main menu to the preferences, the cardset selector
# opened, the second cardset chosen with a click, the selector closed and
# the game left. The choice is in Settings.txt, the thumbnail cache is
# written, and a second opening decodes nothing. Frames of the screens are
# kept under the output folder.
# Every step waits for what the game's report shows.
# preferences.sh <runtime folder> <output folder>; 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"

# Where a tile of the screen stands: "x y", or nothing; tile_loaded <command>.
tile_at() { awk -v c="$1" '$1 == "tile" && $2 == c { print $3, $4; exit }' "$report" 2>/dev/null; }
tile_loaded() { awk -v c="$1" '$1 == "tile" && $2 == c && $6 == 1 { f = 1 } END { exit !f }' "$report" 2>/dev/null; }
tile_selected() { awk -v c="$1" '$1 == "tile" && $2 == c && $5 == 2 { f = 1 } END { exit !f }' "$report" 2>/dev/null; }
PREF_CARDSET=-4 PREF_CLOSE=-6 MENU_PREFERENCES=2
# open_selector <frame name>: the cardset selector opened from its preview,
# kept once its first two thumbnails are loaded.
open_selector() {
  e2e_click_now "$win" $(tile_at $PREF_CARDSET)
  e2e_wait has_button $PREF_CLOSE || e2e_fail "the cardset selector did not open"
  e2e_wait eval 'tile_loaded 0 && tile_loaded 1' || e2e_fail "the selector's thumbnails did not load"
  e2e_keep_frame "$frames" "$out/$1.png"
}

echo "== a first start writes the settings; tutorials are switched off for the run"
e2e_report "$out/report.txt"
e2e_first_start "$runtime" "$home"

echo "== preferences, the cardset selector, the second cardset"
frames="$out/frames1"
e2e_start "$runtime" "$home" "$frames"
e2e_wait_menu
e2e_keep_frame "$frames" "$out/menu.png"
e2e_click_now "$win" $(button_at $MENU_PREFERENCES)
e2e_wait_state $S_PREFERENCES "Preferences did not open"
e2e_wait eval '[ -n "$(tile_at $PREF_CARDSET)" ]' || e2e_fail "no cardset preview"
e2e_keep_frame "$frames" "$out/preferences.png"
open_selector selector
# The second tile of the list (index 1).
e2e_click_now "$win" $(tile_at 1)
e2e_wait tile_selected 1 || e2e_fail "the second cardset did not take the click"
e2e_keep_frame "$frames" "$out/chosen.png"
e2e_click_now "$win" $(button_at $PREF_CLOSE)
e2e_wait eval '! has_button $PREF_CLOSE' || e2e_fail "Close did not close the selector"
e2e_keep_frame "$frames" "$out/closed.png"
# The same selector again: thumbnails come from the cache.
open_selector selector-again
e2e_click_now "$win" $(button_at $PREF_CLOSE)
e2e_wait eval '! has_button $PREF_CLOSE' || e2e_fail "Close did not close the selector again"
e2e_back_to_menu
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
grep -q 'Video.Cardface="FourColour.cards"' "$user/Settings.txt" ||
  e2e_fail "the second cardset is not in Settings.txt: $(grep Cardface "$user/Settings.txt")"
[ -s "$user/Cardsets.ice" ] || e2e_fail "no thumbnail cache written"
grep -q "Saving cache to file" "$user/log.txt" || e2e_fail "the cache save is not in the log"
rm -rf "$frames"
echo "preferences screenshots: $out/menu.png $out/preferences.png $out/selector.png $out/chosen.png $out/closed.png"
