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
e2e_under_xvfb 1600x1000 "xvfb-run xdotool python3" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
home="$out/home"
user="$home/VantorelQar"

# A first run makes the per-user folder (a new version empties it).
e2e_start "$runtime" "$home" "$out/frames0"
e2e_wait_frames "$out/frames0" 5 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
e2e_key "$win" Escape
e2e_wait_exit 20 || e2e_fail "the first run did not end"

printf '1,1,"2026-03-14 20:15:00"\r\n4,1,"2026-04-02 21:40:10"\r\n5,1,"2026-05-23 18:05:45"\r\n2,3,"1899-12-30 00:00:00"\r\n15,37,"1899-12-30 00:00:00"\r\n' \
  > "$user/Player.userdata"
printf 'games_won=3\r\ntricks_won=37\r\n' > "$user/Player.statistics"

e2e_start "$runtime" "$home" "$out/frames"
e2e_wait_frames "$out/frames" 5 20 || e2e_fail "the menu was not presented"
win=$(e2e_wait_window "Vantorel Qar" 20) || e2e_fail "no game window"
sleep 1
size=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(24); print(*struct.unpack('>II', d[16:24]))" \
       "$(e2e_last_frame "$out/frames")")
read -r width height <<< "$size"
# The menu's "Achievements" button: column 1, row 0 of the button grid.
xdotool mousemove --window "$win" $(( width / 2 + 110 )) $(( height - 240 )) click 1
sleep 2
n=$(ls "$out/frames" | wc -l)
e2e_wait_frames "$out/frames" $(( n + 5 )) 20 || e2e_fail "no frames after the click"
cp "$(e2e_last_frame "$out/frames")" "$out/achievements.png"
# The third tile of the list (a locked one after the three unlocked).
left=$(( (width - 750) / 2 )); top=$(( (height - 500) / 2 ))
xdotool mousemove --window "$win" $(( left + 15 + 100 )) $(( top + 45 + 6 + 3 * 54 + 24 )) click 1
sleep 1
n=$(ls "$out/frames" | wc -l)
e2e_wait_frames "$out/frames" $(( n + 5 )) 20 || e2e_fail "no frames after the tile click"
cp "$(e2e_last_frame "$out/frames")" "$out/achievements-chosen.png"
e2e_key "$win" Escape
sleep 1
e2e_key "$win" Escape
e2e_wait_exit 20; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
grep -q "WARNING:" "$user/log.txt" && e2e_fail "a warning: $(grep WARNING: "$user/log.txt")"
grep -q "achievement criteria established" "$user/log.txt" || e2e_fail "the achievements were not loaded"
for line in '1,1,"2026-03-14 20:15:00"' '4,1,"2026-04-02 21:40:10"' '5,1,"2026-05-23 18:05:45"'; do
  grep -qF "$line" "$user/Player.userdata" || e2e_fail "the unlock $line was lost"
done
cmp -s "$out/achievements.png" "$out/achievements-chosen.png" && e2e_fail "choosing a tile changed nothing"
rm -rf "$out/frames0" "$out/frames"
echo "achievements screenshots: $out/achievements.png $out/achievements-chosen.png"
