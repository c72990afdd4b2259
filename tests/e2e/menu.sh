#!/usr/bin/env bash
# End to end: the real game starts on its main menu, Escape ends it with its
# files written; a broken cardset setting warns once and still reaches the
# menu; without the interface textures the fatal text shows and the program
# exits non-zero. Tutorials a start shows are closed before the menu is judged.
# menu.sh <runtime folder> <menu_frame_check> <output folder> <tutorial_frame_check>
# Exits 77 (skipped) without Xvfb or xdotool; every step waits for what the
# game's report or a new frame shows.
set -uo pipefail
runtime=$(cd "$1" && pwd)
check=$2
out=$3
tutorialcheck=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"
e2e_report "$out/report.txt"

echo "== the menu, then Escape"
e2e_start "$runtime" "$home" "$out/frames1"
e2e_wait_menu
e2e_close_tutorials "$win" "$out/frames1" "$tutorialcheck"
e2e_keep_frame "$out/frames1" "$out/menu.png"
"$check" "$out/menu.png" || e2e_fail "the menu frame is not right (see $out/menu.png)"
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after Escape"
for f in Version.txt Settings.txt log.txt; do
  [ -s "$user/$f" ] || e2e_fail "$f not written in the per-user folder"
done
grep -q "WARNING:" "$user/log.txt" && e2e_fail "a warning on a clean start"

echo "== a cardset setting that names nothing"
printf 'Video.Cardface="Missing.cards"\r\n' >> "$user/Settings.txt"
rm -f "$user/log.txt"
e2e_start "$runtime" "$home" "$out/frames2"
box=$(e2e_wait_window "Vantorel Qar - Warning") || e2e_fail "no warning shown"
e2e_key "$box" Return
e2e_wait_menu "after the warning"
e2e_close_tutorials "$win" "$out/frames2" "$tutorialcheck"
[ "$(grep -c "WARNING:" "$user/log.txt")" -eq 1 ] || e2e_fail "not exactly one warning: $(grep WARNING: "$user/log.txt")"
e2e_keep_frame "$out/frames2" "$out/menu-fallback-cards.png"
"$check" "$out/menu-fallback-cards.png" || e2e_fail "the menu after the warning is not right"
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after the warning run"

echo "== no interface textures"
bare="$out/bare-runtime"
mkdir -p "$bare/Assets"
for entry in "$runtime"/*; do
  [ "$(basename "$entry")" = Assets ] || ln -s "$entry" "$bare/"
done
for entry in "$runtime"/Assets/*; do
  [ "$(basename "$entry")" = Misc ] || ln -s "$entry" "$bare/Assets/"
done
mkdir -p "$bare/Assets/Misc"
for entry in "$runtime"/Assets/Misc/*; do
  [ "$(basename "$entry")" = Textures.ice ] || ln -s "$entry" "$bare/Assets/Misc/"
done
e2e_start "$bare" "$out/home3" "$out/frames3"
box=$(e2e_wait_window "Vantorel Qar - Fatal Error") || e2e_fail "no fatal error shown"
e2e_key "$box" Return
e2e_wait_exit; code=$?
[ "$code" -ne 0 ] && [ "$code" -ne 124 ] || e2e_fail "exit code $code without Textures.ice"
grep -qF 'Fatal error: Expected texture "1" in icedata; not found, terminating application.' \
  "$out/home3/VantorelQar/log.txt" || e2e_fail "not the fatal text of a missing texture archive"
rm -rf "$out/frames1" "$out/frames2" "$out/frames3" "$bare"
echo "menu screenshots: $out/menu.png $out/menu-fallback-cards.png"
