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
e2e_under_xvfb 1280x900 "xdotool" "$0" "$@"
# The editor presents only when something changed: each click is followed
# by a frame that differs from the one before it.
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
home="$out/home"
frames="$out/frames"

E2E_PROGRAM=./cardset-editor e2e_start "$runtime" "$home" "$frames"
# Frames come once the display mode is set and the window made again.
e2e_wait_frames "$frames" 3 || e2e_fail "the editor presented no frame"
win=$(e2e_wait_only_window "Cardset Editor") || e2e_fail "no editor window"
e2e_wait e2e_newest_frame "$frames" >/dev/null || e2e_fail "no frame written whole"
cp "$(e2e_newest_frame "$frames")" "$out/editor-start.png"

# Clicks at the buttons' places in the editor's scene (window coordinates).
e2e_click_now "$win" 125 391   # "2x"
e2e_wait_frame_differs "$frames" "$out/editor-start.png" || e2e_fail "the 2x zoom changed nothing on screen"
cp "$E2E_FRAME" "$out/editor-zoom2.png"

e2e_click_now "$win" 47 47     # "New..."
e2e_wait_frame_differs "$frames" "$out/editor-zoom2.png" || e2e_fail "the new-cardset dialog did not show"
cp "$E2E_FRAME" "$out/editor-new-dialog.png"

# The dialog's buttons sit at its bottom right; Escape is not a dialog key,
# so the window is closed with the dialog open: it must end as Cancel.
kill -TERM "$E2E_PID"
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after the close request"
echo "PASS"
