#!/usr/bin/env bash
# The game's start and its idle menu, measured on one core under Xvfb:
# the asset generator's run time, the time from the start of main to the
# first presented menu frame (median of five starts), the processor share
# while the menu sits idle and the resident memory there.
# bench/game_startup.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

start=$(date +%s%N)
taskset -c 0 "$build/tools/assetgen/assetgen" --source "$root/assets" --out "$scratch/assets" >/dev/null
echo "asset generator: $(( ($(date +%s%N) - start) / 1000000 )) ms on one core"

cd "$build/runtime"
firsts=()
for i in 1 2 3 4 5; do
  seconds=0.1
  [ "$i" -eq 5 ] && seconds=5
  out=$(VANTOREL_DATA_HOME="$scratch/home" SDL_AUDIODRIVER=dummy VANTOREL_MEASURE=$seconds \
        "$root/scripts/with-xvfb.sh" -s "-screen 0 1600x1000x24" taskset -c 0 ./game)
  firsts+=("$(echo "$out" | sed -n 's/^first frame: \([0-9.]*\) ms.*/\1/p')")
  [ "$i" -eq 5 ] && echo "$out" | grep -E "^(idle|memory):"
done
printf '%s\n' "${firsts[@]}" | sort -n | awk '{a[NR]=$1} END {printf "first menu frame: median %.1f ms (of %d starts; min %.1f, max %.1f)\n", a[int((NR+1)/2)], NR, a[1], a[NR]}'
