#!/usr/bin/env bash
# End to end: the overlays above the screens of the real game. Tab opens the
# chat and a typed line shows in it (no shared game: only here); F11 opens
# the admin console, whose typed instruction reaches the service manager.
# overlays.sh <runtime folder> <output folder>
# Exits 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"

e2e_report "$out/report.txt"
e2e_start "$runtime" "$home" "$out/frames"
e2e_wait_menu
e2e_close_tutorials_by_report

echo "== the chat"
e2e_key "$win" Tab
e2e_wait chat_typing || e2e_fail "Tab did not open the chat for typing"
lines=$(r chat 3)
e2e_key "$win" G o o d space l u c k space a l l Return
e2e_wait chat_lines_over "$lines" || e2e_fail "the typed line did not show in the chat"
e2e_keep_frame "$out/frames" "$out/chat.png"

echo "== the admin console"
e2e_key "$win" F11
e2e_wait console_open || e2e_fail "F11 did not open the admin console"
e2e_key "$win" L i s t Return
e2e_wait grep -q "Available services:" "$user/log.txt" ||
  e2e_fail "the console's instruction did not reach the service manager"
e2e_keep_frame "$out/frames" "$out/console.png"

e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after Escape"
rm -rf "$out/frames"
echo "overlay screenshots: $out/chat.png $out/console.png"
