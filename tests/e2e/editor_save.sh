#!/usr/bin/env bash
# End to end: the real cardset editor opens a generated deck of each foreign
# format (single picture, REKO PC, PC-RKP, WizSolitaire) through scripted
# dialog answers, takes a PNG dropped onto the first card, resizes the
# cardset, gets its title, author and comments typed, and saves. The saved
# file is checked byte by byte and read back by the game's readers. Input is
# played by the window layer from an input script (SDL under Xvfb takes no
# drops from outside tools). A frame of the whole deck (joker included) is kept.
# editor_save.sh <runtime folder> <editor_decks helper> <output folder>
set -uo pipefail
runtime=$(cd "$1" && pwd)
decks=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1280x900 "xvfb-run" "$0" "$@"
rm -rf "$out"
mkdir -p "$out/in"
out=$(cd "$out" && pwd)
"$decks" make "$out/in" || e2e_fail "could not write the decks"

title="Harbour Lights"; author="Test Author"; comments="Made under Xvfb, v1.0"
saved="$out/saved.cards"
printf '%s\n' "$out/in/deck.png" "$out/in/deck.reko" "$out/in/deck.rkp" "$out/in/deck.wiz" "$saved" \
  > "$out/answers.txt"
# Window points of the editor's controls (its scene) and of the resize
# dialog, which is centred in the 1024 x 768 window.
clear_field() { echo "key 0x23"; for _ in $(seq 1 30); do echo "key 0x08"; done; }
{
  echo "wait 1500"
  for _ in 1 2 3 4; do echo "click 127 47"; echo "wait 1200"; done   # Open...
  echo "drop 295 55 $out/in/drop.png"; echo "wait 800"
  echo "click 125 327"; echo "wait 600"                               # Resize cards...
  echo "click 530 310"; clear_field; echo "type 88"
  echo "click 530 342"; clear_field; echo "type 120"
  echo "wait 300"; echo "click 444 487"; echo "wait 1000"             # OK
  echo "click 125 102"; clear_field; echo "type $title"
  echo "click 125 152"; clear_field; echo "type $author"
  echo "click 125 202"; clear_field; echo "type $comments"
  echo "wait 500"; echo "click 205 47"; echo "wait 1500"              # Save...
  echo "click 44 390"; echo "wait 1000"                               # 1x: the whole deck in view
  echo "close"
} > "$out/input.txt"

home="$out/home"; frames="$out/frames"
mkdir -p "$home" "$frames"
(cd "$runtime" && VANTOREL_DATA_HOME="$home" VANTOREL_FRAME_CAPTURE="$frames" SDL_AUDIODRIVER=dummy \
   VANTOREL_DIALOG_ANSWERS="$out/answers.txt" VANTOREL_INPUT_SCRIPT="$out/input.txt" \
   exec ./cardset-editor) &
E2E_PID=$!
e2e_wait_exit 90; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
last=$(ls "$frames"/frame_*.png | sort | tail -1)
cp "$last" "$out/editor-deck-view.png"
[ -f "$saved" ] || e2e_fail "nothing saved"
"$decks" check "$saved" 88 120 0 "$title" "$author" "$comments" || e2e_fail "the saved cardset is wrong"
echo "PASS"
