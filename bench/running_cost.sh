#!/usr/bin/env bash
# What the running programs cost, each on one pinned core under Xvfb:
#   the game playing by itself (Debug.AutoPlay, normal speed, no frame
#   capture) from a fresh per-user folder: frames presented a second and its
#   share of one core, from the program's own probe (VANTOREL_MEASURE) and,
#   as a cross-check, from /proc/<pid>/stat over the same window;
#   the cardset editor sitting idle on its animated backdrop: its share of
#   one core from /proc/<pid>/stat.
# Each is run several times; the median and the spread are printed. On a
# shared machine pick a quiet core and read the medians.
# bench/running_cost.sh [build folder] [core] [seconds a window] [runs]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
core=${2:-3}
seconds=${3:-20}
runs=${4:-3}
for tool in Xvfb xdotool xwininfo; do
  command -v "$tool" >/dev/null || { echo "$tool is needed"; exit 1; }
done
if [ -z "${VQ_RUNNING_COST_XVFB:-}" ]; then
  export VQ_RUNNING_COST_XVFB=1
  exec "$root/scripts/with-xvfb.sh" -s "-screen 0 1280x1024x24" bash "$0" "$build" "$core" "$seconds" "$runs"
fi
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
ticks=$(getconf CLK_TCK)

# Processor seconds (user + system) of a process so far.
cpu_of() { awk -v t="$ticks" '{ sub(/^.*\) /, ""); print ($12 + $13) / t }' "/proc/$1/stat"; }
# The share of one core a process takes over a window of seconds.
share_over() {
  local p=$1 s=$2 c0 c1 t0 t1
  c0=$(cpu_of "$p"); t0=$(date +%s.%N)
  sleep "$s"
  c1=$(cpu_of "$p"); t1=$(date +%s.%N)
  echo "$c0 $c1 $t0 $t1" | awk '{ printf "%.1f", 100 * ($2 - $1) / ($4 - $3) }'
}
window_of() {  # window_of <name> <seconds>: the id of a top-level window so named
  local i id
  for i in $(seq 1 $(( $2 * 10 ))); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}' | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
median() { sort -n | awk '{a[NR]=$1} END {if (NR) printf "%.1f (of %d; min %.1f, max %.1f)", a[int((NR+1)/2)], NR, a[1], a[NR]}'; }

cd "$build/runtime"
fps=() probe=() proc=() editor=()
for run in $(seq 1 "$runs"); do
  home="$scratch/game$run"
  mkdir -p "$home"
  printf '%s\r\n' 'Tutorial.Enabled="false"' 'Debug.AutoPlay="true"' > "$home/Settings.txt"
  report="$scratch/report$run.txt"
  # The probe's window opens once the game has started (Return at about
  # 3 s); the /proc window lies inside it.
  settle=6
  VANTOREL_DATA_HOME="$home" SDL_AUDIODRIVER=dummy VANTOREL_TABLE_REPORT="$report" \
    VANTOREL_MEASURE="$seconds" VANTOREL_MEASURE_SETTLE="$settle" \
    taskset -c "$core" ./game > "$scratch/game$run.out" 2>&1 &
  pid=$!
  win=$(window_of "Vantorel Qar" 60) || { echo "no game window"; exit 1; }
  sleep 3
  # "Start New Game" has the focus on the menu.
  xdotool windowfocus --sync "$win" >/dev/null 2>&1 || true
  xdotool key Return
  sleep $(( settle - 2 ))
  state=$(awk '$1 == "state" { print $2 }' "$report" 2>/dev/null || true)
  proc+=("$(share_over "$pid" $(( seconds - 6 )))")
  wait "$pid" || true
  pid=""
  line=$(grep '^idle:' "$scratch/game$run.out" || true)
  [ -n "$line" ] || { echo "the game printed no figures"; cat "$scratch/game$run.out"; exit 1; }
  frames=$(echo "$line" | sed -n 's/^idle: \([0-9]*\) frames in \([0-9.]*\) s, \([0-9.]*\) %.*/\1 \2/p')
  fps+=("$(echo "$frames" | awk '{ printf "%.1f", $1 / $2 }')")
  probe+=("$(echo "$line" | sed -n 's/.*, \([0-9.]*\) % of one core/\1/p')")
  echo "game run $run: screen state $state; $line"
done

for run in $(seq 1 "$runs"); do
  home="$scratch/editor$run"
  mkdir -p "$home"
  VANTOREL_DATA_HOME="$home" SDL_AUDIODRIVER=dummy taskset -c "$core" ./cardset-editor > /dev/null 2>&1 &
  pid=$!
  window_of "Cardset Editor" 60 >/dev/null || { echo "no editor window"; exit 1; }
  sleep 5  # it has settled on its backdrop
  editor+=("$(share_over "$pid" "$seconds")")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  echo "editor run $run: ${editor[-1]} % of one core"
done

echo "game, Debug.AutoPlay, core $core, ${seconds} s windows:"
echo "  frames a second: $(printf '%s\n' "${fps[@]}" | median)"
echo "  share of a core (probe): $(printf '%s\n' "${probe[@]}" | median) %"
echo "  share of a core (/proc): $(printf '%s\n' "${proc[@]}" | median) %"
echo "editor idle, core $core, ${seconds} s windows:"
echo "  share of a core (/proc): $(printf '%s\n' "${editor[@]}" | median) %"
