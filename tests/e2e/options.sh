#!/usr/bin/env bash
# End to end: from the main menu to the game options, the dealing-speed
# slider dragged and applied; the value is in Settings.txt after
# the game ends, and sliders nobody moved keep their values.
# options.sh <runtime folder> <output folder>; 77 (skipped) without Xvfb or xdotool.
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

echo "== a first start writes the settings; tutorials are switched off for the run"
e2e_report "$out/report.txt"
e2e_first_start "$runtime" "$home"
grep -q '^Speed.Deal=' "$user/Settings.txt" && e2e_fail "the default dealing speed was written as a user value"

echo "== options: the dealing speed moved and applied"
frames="$out/frames1"
e2e_start "$runtime" "$home" "$frames"
e2e_wait_menu
e2e_click_now "$win" $(button_at 7)   # "Game Options"
e2e_wait_state $S_OPTIONS "Game Options did not open"
e2e_wait has_button 2 || e2e_fail "no Apply button"
e2e_keep_frame "$frames" "$out/options.png"
read -r width height < <(e2e_png_size "$out/options.png")
# The options frame (860 x 590) is centred with its buttons below it: the
# dealing-speed slider is row 0 (frame x 430..830).
left=$(( (width - 860) / 2 )); top=$(( (height - 645) / 2 ))
# The slider moves by its thumb: dragged from where 250 puts it (82 %)
# towards the slow end, each step taken in a frame of its own.
thumb_x=$(( left + 430 + 82 * (400 - 81) / 100 )); bar_y=$(( top + 40 + 21 ))
xdotool mousemove --window "$win" "$thumb_x" "$bar_y"; e2e_next_frames "$frames"
xdotool mousedown 1; e2e_next_frames "$frames"
xdotool mousemove --window "$win" $(( thumb_x - 60 )) "$bar_y"; e2e_next_frames "$frames"
xdotool mousemove --window "$win" $(( thumb_x - 120 )) "$bar_y"; e2e_next_frames "$frames"
xdotool mouseup 1
e2e_wait_frame_differs "$frames" "$out/options.png" || e2e_fail "the drag did not move the slider"
e2e_next_frames "$frames"
e2e_keep_frame "$frames" "$out/options-moved.png"
e2e_click_now "$win" $(button_at 2)   # "Apply"
e2e_next_frames "$frames"
e2e_click_now "$win" $(button_at 1)   # "Main Menu"
e2e_wait_state $S_MENU "\"Main Menu\" did not lead back"
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
value=$(grep '^Speed.Deal=' "$user/Settings.txt" | tr -d '\r"' | cut -d= -f2)
echo "Speed.Deal is now ${value:-unset}"
[ -n "$value" ] || e2e_fail "the moved slider was not stored in Settings.txt"
[ "$value" -gt 250 ] || e2e_fail "the dealing speed did not move towards slow ($value)"
[ "$value" -ge 100 ] && [ "$value" -le 900 ] || e2e_fail "Speed.Deal $value outside its slider's range"
grep -q '^Speed.Thinking=' "$user/Settings.txt" && e2e_fail "a slider nobody moved was stored"
echo PASS
