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
e2e_under_xvfb 1600x1000 "xvfb-run xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"
newest() { ls "$1"/frame_*.png | sort | tail -1; }

echo "== a first start writes the settings; tutorials are switched off for the run"
e2e_start "$runtime" "$home" "$out/frames0"
e2e_wait_frames "$out/frames0" 10 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
e2e_key "$win" Escape
e2e_wait_exit 20 || true
[ -s "$user/Settings.txt" ] || e2e_fail "no Settings.txt after the first start"
grep -q '^Speed.Deal=' "$user/Settings.txt" && e2e_fail "the default dealing speed was written as a user value"
printf 'Tutorial.Enabled="false"\r\n' >> "$user/Settings.txt"

echo "== options: the dealing speed moved and applied"
frames="$out/frames1"
e2e_start "$runtime" "$home" "$frames"
e2e_wait_frames "$frames" 15 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
sleep 1
# The client area is 1024 x 768: "Game Options" is the menu grid's column 1, row 2.
e2e_click "$win" 622 658
sleep 1.5
cp "$(newest "$frames")" "$out/options.png"
# The options frame (860 x 590) is centred with its buttons below it: the
# dealing-speed slider is row 0 (frame x 430..830), "Apply" the left button.
left=$(( (1024 - 860) / 2 )); top=$(( (768 - 645) / 2 ))
# The slider moves by its thumb: dragged from where 250 puts it (82 %)
# towards the slow end.
thumb_x=$(( left + 430 + 82 * (400 - 81) / 100 )); bar_y=$(( top + 40 + 21 ))
xdotool mousemove --window "$win" "$thumb_x" "$bar_y"; sleep 0.3
xdotool mousedown 1; sleep 0.2
xdotool mousemove --window "$win" $(( thumb_x - 60 )) "$bar_y"; sleep 0.2
xdotool mousemove --window "$win" $(( thumb_x - 120 )) "$bar_y"; sleep 0.2
xdotool mouseup 1
sleep 1
cp "$(newest "$frames")" "$out/options-moved.png"
e2e_click "$win" $(( 512 - 200 )) $(( top + 600 + 22 ))
sleep 1
e2e_click "$win" 512 $(( top + 600 + 22 ))   # "Main Menu"
sleep 1
e2e_key "$win" Escape
e2e_wait_exit 20; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
value=$(grep '^Speed.Deal=' "$user/Settings.txt" | tr -d '\r"' | cut -d= -f2)
echo "Speed.Deal is now ${value:-unset}"
[ -n "$value" ] || e2e_fail "the moved slider was not stored in Settings.txt"
[ "$value" -gt 250 ] || e2e_fail "the dealing speed did not move towards slow ($value)"
[ "$value" -ge 100 ] && [ "$value" -le 900 ] || e2e_fail "Speed.Deal $value outside its slider's range"
grep -q '^Speed.Thinking=' "$user/Settings.txt" && e2e_fail "a slider nobody moved was stored"
echo PASS
