#!/usr/bin/env bash
# End to end: a player with three achievements unlocked opens the
# achievements screen from the main menu, picks a tile, goes back and quits;
# the screen is captured for people to look at, and the unlocks are kept. achievements.sh <runtime folder> <output folder>
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
# A first run makes the per-user folder (a new version empties it).
e2e_start_plain "$runtime" "$home"
e2e_wait_menu "on the first start"
e2e_close_tutorials_by_report
e2e_quit_from_menu

printf '1,1,"2026-03-14 20:15:00"\r\n4,1,"2026-04-02 21:40:10"\r\n5,1,"2026-05-23 18:05:45"\r\n2,3,"1899-12-30 00:00:00"\r\n15,37,"1899-12-30 00:00:00"\r\n' \
  > "$user/Player.userdata"
printf 'games_won=3\r\ntricks_won=37\r\n' > "$user/Player.statistics"
printf 'Tutorial.Enabled="false"\r\n' >> "$user/Settings.txt"

e2e_start "$runtime" "$home" "$out/frames"
e2e_wait_menu
e2e_keep_frame "$out/frames" "$out/menu.png"
read -r width height < <(e2e_png_size "$out/menu.png")
e2e_click_now "$win" $(button_at 6)   # "Achievements"
e2e_wait_state $S_ACHIEVEMENTS "the Achievements button did not open the screen"
e2e_wait has_button 998 || e2e_fail "no Main Menu button on the achievements screen"
e2e_keep_frame "$out/frames" "$out/achievements.png"
# The third tile of the list (a locked one after the three unlocked).
left=$(( (width - 750) / 2 )); top=$(( (height - 500) / 2 ))
e2e_click_now "$win" $(( left + 15 + 100 )) $(( top + 45 + 6 + 3 * 54 + 24 ))
e2e_wait_frame_differs "$out/frames" "$out/achievements.png" || e2e_fail "choosing a tile changed nothing"
cp "$E2E_FRAME" "$out/achievements-chosen.png"
e2e_back_to_menu
e2e_key "$win" Escape
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
grep -q "WARNING:" "$user/log.txt" && e2e_fail "a warning: $(grep WARNING: "$user/log.txt")"
grep -q "achievement criteria established" "$user/log.txt" || e2e_fail "the achievements were not loaded"
for line in '1,1,"2026-03-14 20:15:00"' '4,1,"2026-04-02 21:40:10"' '5,1,"2026-05-23 18:05:45"'; do
  grep -qF "$line" "$user/Player.userdata" || e2e_fail "the unlock $line was lost"
done
rm -rf "$out/frames"
echo "achievements screenshots: $out/achievements.png $out/achievements-chosen.png"
