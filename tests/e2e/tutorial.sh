#!/usr/bin/env bash
# End to end: the first start shows the welcome tutorial over the main menu;
# its button pages through and closes it, the menu is whole again, and the
# pages seen are saved; the next start does not show the welcome tutorial.
# tutorial.sh <runtime folder> <tutorial_frame_check> <menu_frame_check> <output folder>
# Exits 77 (skipped) without Xvfb or xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
check=$2
menucheck=$3
out=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"
e2e_report "$out/report.txt"

echo "== first start: the welcome tutorial"
e2e_start "$runtime" "$home" "$out/frames1"
e2e_wait_menu
# Each page as it shows, judged on its frame, then its button.
for page in 1 2 3; do
  e2e_wait eval '[ "$(tutorial_page)" = "welcome $page" ]' ||
    e2e_fail "not the welcome tutorial's page $page: $(tutorial_page)"
  e2e_wait tutorial_whole || e2e_fail "page $page did not fade in"
  e2e_keep_frame "$out/frames1" "$out/welcome$page.png"
  "$check" "$out/welcome$page.png" >/dev/null || e2e_fail "no tutorial window on page $page (see $out/welcome$page.png)"
  e2e_tutorial_next "welcome $page"
done
[ -z "$(tutorial_page)" ] || e2e_fail "a tutorial still shows after the welcome: $(tutorial_page)"
e2e_keep_frame "$out/frames1" "$out/menu-after.png"
"$menucheck" "$out/menu-after.png" >/dev/null || e2e_fail "the menu is not whole after the tutorial (see $out/menu-after.png)"
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code after Escape"
grep -q 'Tutorials.Welcome="3"' "$user/Settings.txt" || e2e_fail "the pages seen are not in Settings.txt"
grep -q 'Testing IsPageViewed("welcome",Page=1 result=false' "$user/log.txt" || e2e_fail "welcome not asked for"

echo "== second start: no welcome"
rm -f "$user/log.txt"
e2e_start "$runtime" "$home" "$out/frames2"
e2e_wait_menu "on the second start"
case "$(tutorial_page)" in welcome*) e2e_fail "the welcome tutorial on the second start" ;; esac
e2e_keep_frame "$out/frames2" "$out/second.png"
grep -q 'Testing IsPageViewed("welcome",Page=1 result=true' "$user/log.txt" || e2e_fail "welcome not known as seen"
grep -q 'TutorialService.GetPage("welcome",1)' "$user/log.txt" && e2e_fail "welcome shown again"
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code on the second start"
grep -q "WARNING:" "$user/log.txt" && e2e_fail "a warning: $(grep WARNING: "$user/log.txt")"
rm -rf "$out/frames1" "$out/frames2"
echo "tutorial screenshots: $out/welcome1.png $out/welcome2.png $out/welcome3.png $out/menu-after.png $out/second.png"
