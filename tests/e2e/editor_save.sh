#!/usr/bin/env bash
# End to end: the real cardset editor opens a generated deck of each foreign
# format (single picture, REKO PC, PC-RKP, WizSolitaire) through scripted
# dialog answers, takes a PNG dropped onto the first card, gets its title,
# author and comments typed, resizes the cardset (the typed texts must
# survive it), and saves. The saved file is checked byte by byte and read
# back by the game's readers. Then the cameo dialog is opened and cancelled,
# an empty cardset is made, then one with "Start every card white with its
# index", which is saved and checked for pixels of the overlay's key hue;
# its cards are viewed at each zoom. Input is played by the window layer
# from an input script (SDL under Xvfb takes no drops from outside tools).
# Frames are kept of the main screen, each dialog, empty slots, each zoom and
# the whole deck (joker included).
# editor_save.sh <runtime folder> <editor_decks helper> <output folder>
set -uo pipefail
runtime=$(cd "$1" && pwd)
decks=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
e2e_under_xvfb 1280x900 "" "$0" "$@"
rm -rf "$out"
mkdir -p "$out/in"
out=$(cd "$out" && pwd)
"$decks" make "$out/in" || e2e_fail "could not write the decks"

title="Harbour Lights"; author="Test Author"; comments="Made under Xvfb, v1.0"
saved="$out/saved.cards"; fresh="$out/fresh.cards"
printf '%s\n' "$out/in/deck.png" "$out/in/deck.reko" "$out/in/deck.rkp" "$out/in/deck.wiz" "$saved" "$fresh" \
  > "$out/answers.txt"
# Window points of the editor's controls (its scene) and of the resize
# dialog, which is centred in the 1024 x 768 window.
clear_field() { echo "key 0x23"; for _ in $(seq 1 30); do echo "key 0x08"; done; }
type_text() { echo "type $1"; }
{
  echo "wait 1500"
  for _ in 1 2 3 4; do echo "click 127 47"; echo "wait 1200"; done   # Open...
  echo "drop 295 55 $out/in/drop.png"; echo "wait 800"
  # The texts first: resizing must leave what was typed alone.
  echo "click 125 102"; clear_field; type_text "$title"
  echo "click 125 152"; clear_field; type_text "$author"
  echo "click 125 202"; clear_field; type_text "$comments"
  echo "wait 500"
  echo "click 125 327"; echo "wait 600"                               # Resize cards...
  echo "click 530 310"; clear_field; type_text "88"
  echo "click 530 342"; clear_field; type_text "120"
  echo "wait 300"; echo "click 444 487"; echo "wait 1000"             # OK
  echo "wait 500"; echo "click 205 47"; echo "wait 1500"              # Save...
  echo "click 125 545"; echo "wait 1000"                              # Cameo settings...
  echo "click 595 587"; echo "wait 800"                               # Cancel
  echo "click 47 47"; echo "wait 800"                                 # New...: empty, 71 x 96
  echo "click 530 310"; clear_field; type_text "71"
  echo "click 530 342"; clear_field; type_text "96"
  echo "wait 300"; echo "click 444 487"; echo "wait 1000"             # OK
  echo "click 47 47"; echo "wait 800"                                 # New...: white cards
  echo "click 342 410"; echo "wait 300"                               # Start every card white...
  echo "click 444 487"; echo "wait 2000"                              # OK
  echo "click 205 47"; echo "wait 1500"                               # Save...
  echo "click 205 391"; echo "wait 1000"                              # 3x
  echo "click 125 391"; echo "wait 1000"                              # 2x
  echo "click 44 391"; echo "wait 1000"                               # 1x: the whole deck in view
  echo "close"
} > "$out/input.txt"

home="$out/home"; frames="$out/frames"
mkdir -p "$home" "$frames"
(cd "$runtime" && VANTOREL_DATA_HOME="$home" VANTOREL_FRAME_CAPTURE="$frames" SDL_AUDIODRIVER=dummy \
   VANTOREL_DIALOG_ANSWERS="$out/answers.txt" VANTOREL_INPUT_SCRIPT="$out/input.txt" \
   exec ./cardset-editor) &
E2E_PID=$!
# The input script plays each step in a frame of its own, in order; its
# pauses only space the steps. The run ends with its "close".
e2e_wait_exit; code=$?
[ "$code" -eq 0 ] || e2e_fail "exit code $code"
cp "$(e2e_newest_frame "$frames")" "$out/editor-deck-view.png"
[ -f "$saved" ] || e2e_fail "nothing saved"
"$decks" check "$saved" 88 120 0 "$title" "$author" "$comments" || e2e_fail "the saved cardset is wrong"
# A new cardset keeps the texts in the fields; its white cards hold no key.
[ -f "$fresh" ] || e2e_fail "the white cardset was not saved"
"$decks" fresh "$fresh" 71 96 "$title" "$author" "$comments" || e2e_fail "the white cardset is wrong"
"$decks" frames "$frames" "$out" || e2e_fail "a screen to keep never showed"
echo "PASS"
