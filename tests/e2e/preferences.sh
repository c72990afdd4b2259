#!/usr/bin/env bash
# End to end: from the main menu to the preferences, the cardset selector
# opened, the second cardset chosen with a click, the selector closed and
# the game left. The choice is in Settings.txt, the thumbnail cache is
# written, and a second opening decodes nothing. Frames of the screens are
# kept under the output folder.
# preferences.sh <runtime folder> <output folder>; 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xvfb-run xdotool xxd" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"

# png_size <file>: "width height" from the header.
png_size() {
  echo $(( 0x$(xxd -s 16 -l 4 -p "$1") )) $(( 0x$(xxd -s 20 -l 4 -p "$1") ))
}
click() {
  xdotool mousemove --window "$win" "$1" "$2" >/dev/null 2>&1
  sleep 0.2
  xdotool click 1 >/dev/null 2>&1
  sleep 0.8
}
# snap <name>: the newest complete frame, kept as <name>.png.
snap() {
  local before
  before=$(ls "$frames" | wc -l)
  e2e_wait_frames "$frames" $(( before + 3 )) 10 || true
  cp "$(e2e_last_frame "$frames")" "$out/$1.png"
}

echo "== a first start writes the settings; tutorials are switched off for the run"
e2e_start "$runtime" "$home" "$out/frames0"
e2e_wait_frames "$out/frames0" 10 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
e2e_key "$win" Escape
e2e_wait_exit 20 || true
[ -s "$user/Settings.txt" ] || e2e_fail "no Settings.txt after the first start"
printf 'Tutorial.Enabled="false"\r\n' >> "$user/Settings.txt"

echo "== preferences, the cardset selector, the second cardset"
frames="$out/frames1"
e2e_start "$runtime" "$home" "$frames"
e2e_wait_frames "$frames" 15 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
sleep 1
snap menu
read -r w h < <(png_size "$out/menu.png")
echo "client area ${w}x${h}"
# The menu's "Preferences": column 1, row 1 of the button grid.
click $(( w / 2 + 110 )) $(( h - 240 + 65 ))
snap preferences
# The cardset preview: the middle one of three framed tiles.
top=$(( (h - 380) / 2 )); [ "$top" -lt 28 ] && top=28
left=$(( (w - 764) / 2 ))
click $(( left + 20 + 248 + 114 )) $(( top + 45 + 40 + 94 ))
sleep 1
snap selector
# The selector sits in the panel (40 in from the window), 20 in from it and
# centred; the second tile is the second column of the first row.
pw=$(( w - 80 ))
columns=$(( (pw - 40 - 40) / 188 )); [ "$columns" -lt 1 ] && columns=1
sel_left=$(( 40 + (20 + pw - 20) / 2 - (columns * 188 + 40) / 2 ))
tile_y=$(( 40 + 40 + 8 + 94 ))
if [ "$columns" -ge 2 ]; then
  click $(( sel_left + 8 + 188 + 94 )) "$tile_y"
else
  click $(( sel_left + 8 + 94 )) $(( tile_y + 188 ))
fi
snap chosen
# "Close" at the panel's bottom centre.
click $(( w / 2 )) $(( h - 40 - 15 - 25 ))
snap closed
# The same selector again: thumbnails come from the cache.
click $(( left + 20 + 248 + 114 )) $(( top + 45 + 40 + 94 ))
sleep 1
snap selector-again
click $(( w / 2 )) $(( h - 40 - 15 - 25 ))
e2e_key "$win" Escape
sleep 0.5
e2e_key "$win" Escape
e2e_wait_exit 20; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
grep -q 'Video.Cardface="FourColour.cards"' "$user/Settings.txt" ||
  e2e_fail "the second cardset is not in Settings.txt: $(grep Cardface "$user/Settings.txt")"
[ -s "$user/Cardsets.ice" ] || e2e_fail "no thumbnail cache written"
grep -q "Saving cache to file" "$user/log.txt" || e2e_fail "the cache save is not in the log"
rm -rf "$out/frames0" "$frames"
echo "preferences screenshots: $out/menu.png $out/preferences.png $out/selector.png $out/chosen.png $out/closed.png"
