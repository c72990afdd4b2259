#!/usr/bin/env bash
# End to end: the real cardset editor opens on the Basic cardset with its
# controls, the zoom buttons change the card view, the new-cardset dialog
# opens over the screen and Cancel closes it, and a close request ends the
# program with exit code 0. editor.sh <runtime folder> <output folder>
# Exits 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1280x900 "xvfb-run xdotool" "$0" "$@"
# The editor presents only when something changed: after a pause the newest
# frame is complete and is the screen as it stands.
newest() { ls "$frames"/frame_*.png | sort | tail -1; }
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
frames="$out/frames"

E2E_PROGRAM=./cardset-editor e2e_start "$runtime" "$home" "$frames"
# Find the window once frames come: the one made before the mode is set goes.
e2e_wait_frames "$frames" 3 20 || e2e_fail "the editor presented no frame"
sleep 2
win=$(e2e_wait_window "Cardset Editor" 20) || e2e_fail "no editor window"
cp "$(newest)" "$out/editor-start.png"

# Clicks at the buttons' places in the editor's scene (window coordinates).
e2e_click "$win" 125 391   # "2x"
sleep 2
cp "$(newest)" "$out/editor-zoom2.png"
cmp -s "$out/editor-start.png" "$out/editor-zoom2.png" && e2e_fail "the 2x zoom changed nothing on screen"

e2e_click "$win" 47 47     # "New..."
sleep 2
cp "$(newest)" "$out/editor-new-dialog.png"
cmp -s "$out/editor-zoom2.png" "$out/editor-new-dialog.png" && e2e_fail "the new-cardset dialog did not show"

# The dialog's buttons sit at its bottom right; Escape is not a dialog key,
# so the window is closed with the dialog open: it must end as Cancel.
kill -TERM "$E2E_PID"
e2e_wait_exit 20; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after the close request"
echo "PASS"
