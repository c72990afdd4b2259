#!/usr/bin/env bash
# End to end: the developer services of the real game, started from the
# admin console (F11) under Xvfb.
# services.sh <runtime folder> <output folder> <mode> <x_snap>
#   benchmark: "Benchmark.Start" walks the game through the about page, the
#              menu, the auction and the game board; benchmark.txt in the
#              per-user folder holds every stage's lines and
#              "Benchmark Complete"; frames of the auction and the game board;
#   recorder:  "Recorder.Start", a hand played by the computer for every seat
#              and the next one into its play, "Recorder.Save"; a fresh start,
#              "Recorder.Load" and "Recorder.Replay" give "Replay complete!"
#              with the local hand and the scores the recording left.
# Frames are kept under the output folder (taken with x_snap, so the program
# writes none of its own and runs at its own pace). Exits 77 (skipped) without Xvfb or
# xdotool.
set -uo pipefail
runtime=$(cd "$1" && pwd)
out=$2
mode=$3
snap_tool=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2elib.sh"
source "$here/tablelib.sh"
e2e_under_xvfb 1600x1000 "xdotool" "$0" "$@"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
home="$out/home"
user="$home/VantorelQar"
log="$user/log.txt"
report="$out/table.txt"
export VANTOREL_TABLE_REPORT="$report"
# Known deals make the run repeatable; the replay starts from another seed,
# so what it deals can only come from the recording.
export VANTOREL_SEED=3

# A failed step leaves no program behind.
E2E_PID=""
trap '[ -n "$E2E_PID" ] && kill "$E2E_PID" 2>/dev/null' EXIT


# The scores and the cards of the local hand (in any order).
table_now() {
  grep "^score " "$report"
  echo "hand $(r hand | tr -c '0-9' '\n' | grep . | sort -n | tr '\n' ' ')"
}
# wait_log <text> [count]: the log holds the text (count times).
log_count_at_least() { [ "$(grep -cF -- "$1" "$log" 2>/dev/null)" -ge "$2" ]; }
wait_log() { e2e_wait log_count_at_least "$1" "${2:-1}"; }
# console <instruction>: typed into the admin console, which F11 opens and
# closes again. Letters go as lower case (the service manager ignores case).
console() {
  local keys=() c i text=$1
  for (( i = 0; i < ${#text}; i++ )); do
    c=${text:i:1}
    case "$c" in
      .) keys+=(period) ;;
      ' ') keys+=(space) ;;
      *) keys+=("${c,,}") ;;
    esac
  done
  e2e_key "$win" F11
  e2e_wait console_open || e2e_fail "F11 did not open the console"
  e2e_key "$win" "${keys[@]}" Return F11
  e2e_wait console_closed || e2e_fail "F11 did not close the console"
}
quit_game() {
  to_menu
  e2e_quit_from_menu
  E2E_PID=""
}

case "$mode" in
benchmark)
  first_start
  start_game
  started=$(date +%s)
  console "Benchmark.Start"
  # A frame in the middle of each stage worth looking at.
  for stage in '1]: "About" Page' '2]: Main Menu screen' '4]: "Bidding screen"' '6]: Main game board'; do
    wait_log "ADMIN:  [$stage" || e2e_fail "stage $stage did not begin: $(tail -3 "$log")"
    # Its first measured second: the stage's screen is up.
    wait_log "    [${stage%%]*}] fps = " || e2e_fail "stage $stage was not measured"
    case "$stage" in
      1*) snap about ;; 2*) snap menu ;; 4*) snap bidding ;; 6*) snap board ;;
    esac
  done
  wait_log "ADMIN: Benchmark complete" || e2e_fail "the benchmark did not complete: $(tail -3 "$log")"
  echo "benchmark: $(( $(date +%s) - started )) s"
  quit_game
  file="$user/benchmark.txt"
  [ -s "$file" ] || e2e_fail "no benchmark.txt in the per-user folder"
  tr -d '\r' < "$file" > "$out/benchmark.txt"
  cat "$out/benchmark.txt"
  line() { sed -n "${1}p" "$out/benchmark.txt"; }
  [[ "$(line 1)" =~ ^Benchmark\ -\ initiated\ [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}$ ]] || e2e_fail "first line: $(line 1)"
  [ -n "$(line 2)" ] || e2e_fail "no system summary"
  [ "$(line 3)" = "Version Vantorel Qar Version 1.90" ] || e2e_fail "third line: $(line 3)"
  [ "$(line 4)" = "----------------" ] || e2e_fail "fourth line: $(line 4)"
  [ "$(tail -1 "$out/benchmark.txt")" = "Benchmark Complete" ] || e2e_fail "the last line is not \"Benchmark Complete\""
  # The stages in their order, each measured one with its samples and average.
  expected=$(printf '%s\n' 'Initiating benchmark stage 1 ("About" Page)' 'Initiating benchmark stage 2 (Main Menu screen)' \
    'Initiating benchmark stage 3 (Transitioning to bidding...)' 'Initiating benchmark stage 4 ("Bidding screen")' \
    'Initiating benchmark stage 5 (Transitioning to game...)' 'Initiating benchmark stage 6 (Main game board)')
  [ "$(grep '^Initiating' "$out/benchmark.txt")" = "$expected" ] || e2e_fail "the stages: $(grep '^Initiating' "$out/benchmark.txt")"
  for n in 1 2 4 6; do
    samples=$(grep -cE "^STAGE\[$n\] fps = [0-9]+\.[0-9]{4}$" "$out/benchmark.txt")
    [ "$samples" -ge 4 ] || e2e_fail "stage $n has $samples samples"
    grep -qE "^STAGE\[$n\] average FPS = [1-9][0-9]*\.[0-9]{4}$" "$out/benchmark.txt" || e2e_fail "stage $n has no average"
    # Each stage's lines sit between its own heading and the next.
    awk -v n="$n" '/^Initiating benchmark stage/ { s = $4 } /^STAGE\[/ { if (substr($0, 7, 1) != s) bad = 1 } END { exit bad }' \
      "$out/benchmark.txt" || e2e_fail "a stage's line under another stage"
  done
  [ "$(grep -c . "$out/benchmark.txt")" = $(( 4 + 6 + 1 + $(grep -c '^STAGE' "$out/benchmark.txt") )) ] ||
    e2e_fail "lines that belong to no stage"
  grep -q "Fatal error" "$log" && e2e_fail "a fatal error"
  echo "frames: $out/about.png $out/menu.png $out/bidding.png $out/board.png"
  ;;
recorder)
  first_start 'Debug.AutoPlay="true"' 'Debug.InstantPlay="true"'
  echo "== recording a hand played by the computer"
  start_game
  console "Recorder.Start"
  wait_log "ADMIN: START Game Recording!" || e2e_fail "the recorder did not start"
  # "Start New Game".
  p=$(button_at 5)
  [ -n "$p" ] || e2e_fail "no Start New Game button"
  click $p
  e2e_wait not_state $S_MENU || e2e_fail "Start New Game did not start a game"
  # The first hand scored.
  scored() { [ "$(r score) $(r score 3)" != "0 0" ]; }
  e2e_wait scored || e2e_fail "the first hand was not scored"
  # The next hand in play. After the replay the game goes on by itself, and
  # only once the cards are played can that not change the local hand (until
  # then the kitty may still come to it).
  next_in_play() { [ "$(r status)" = 5 ] && r hand | grep -q '[0-9]'; }
  e2e_wait next_in_play || e2e_fail "the next hand did not come into its play"
  to_menu
  table_now > "$out/recorded.txt"
  console "Recorder.Save"
  wait_log "ADMIN: Recorder file saved to " || e2e_fail "the recording was not saved: $(tail -3 "$log")"
  quit_game
  size=$(stat -c %s "$user/recording.dat" 2>/dev/null) || e2e_fail "no recording.dat in the per-user folder"
  grep -qF "(size $size bytes)" "$log" || e2e_fail "the saved size is not the file's $size"

  echo "== a fresh start: load and replay; the local seat waits for a player afterwards"
  sed -i '/^Debug.AutoPlay=/d' "$user/Settings.txt"
  : > "$log"
  export VANTOREL_SEED=5
  start_game
  console "Recorder.Load"
  wait_log "ADMIN: Recorder file loaded. (size $size bytes)" || e2e_fail "not loaded: $(grep 'Recorder file' "$log")"
  started=$(date +%s)
  console "Recorder.Replay"
  wait_log "ADMIN: Replaying recording of size $size bytes." || e2e_fail "the replay did not start"
  e2e_wait in_state $S_GAME || e2e_fail "the replay did not reach the table's play"
  snap replay
  e2e_wait_up_to $(( 2 * E2E_LIMIT )) log_count_at_least "ADMIN: Replay complete!" 1 ||
    e2e_fail "the replay did not complete: $(tail -3 "$log")"
  echo "replay: $(( $(date +%s) - started )) s"
  snap replayed
  table_now > "$out/replayed.txt"
  diff "$out/recorded.txt" "$out/replayed.txt" || e2e_fail "the replay did not end as the recording"
  [ "$(grep -c 'ADMIN: \[[0-9]*\] ACTION_NEWHAND cardset:' "$log")" -ge 2 ] || e2e_fail "not two deals replayed"
  grep -q "ADMIN: Dropped" "$log" && e2e_fail "an action dropped: $(grep 'ADMIN: Dropped' "$log")"
  grep -q "Fatal error" "$log" && e2e_fail "a fatal error"
  quit_game
  echo "scores and hand: $(tr '\n' ' ' < "$out/recorded.txt")"
  echo "frames: $out/replay.png $out/replayed.png"
  ;;
*) e2e_fail "unknown mode $mode" ;;
esac
echo "ok"
