#!/usr/bin/env bash
# The end-to-end tests on a busy machine: installs and builds if needed,
# then runs them (ctest -L e2e) three times in a row while stress-ng keeps
# a CPU load of twice the core count. Prints each run's wall time; exits
# non-zero when any run is red. stress-ci.sh [runs] [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VQ_BUILD_DIR:-$root/build}"
runs=${1:-3}
shift || true
"$root/scripts/deps.sh"
# Built if needed: everything on a first run, else what the end-to-end tests
# start (the programs, their assets and the frame checks).
if [ -f "$build/build.ninja" ]; then
  cmake --build "$build" -j "$(nproc)" --target game cardset-editor assets menu_frame_check tutorial_frame_check \
    editor_decks x_snap
else
  "$root/scripts/build.sh"
fi
command -v stress-ng >/dev/null 2>&1 || { echo "stress-ng not installed (scripts/packages.txt)"; exit 1; }
workers=$(( 2 * $(nproc) ))
stress-ng --cpu "$workers" --timeout 0 --quiet &
load=$!
stop_load() {
  kill -TERM "$load" 2>/dev/null || true
  wait "$load" 2>/dev/null || true
}
trap stop_load EXIT
echo "load: stress-ng --cpu $workers (pid $load)"
red=0
declare -a times=()
for (( run = 1; run <= runs; run++ )); do
  log="$build/stress-ci-$run.log"
  start=$SECONDS
  code=0
  ctest --test-dir "$build" --output-on-failure -L e2e "$@" > "$log" 2>&1 || code=$?
  took=$(( SECONDS - start ))
  if [ "$code" -eq 0 ]; then verdict=green; else verdict=red; red=1; fi
  times+=("run $run: ${took} s, $verdict (load average $(cut -d' ' -f1-3 /proc/loadavg))")
  echo "${times[-1]}"
  [ "$code" -eq 0 ] || grep -E "Failed|Timeout|\*\*\*|FAIL" "$log" | head -20
done
echo "== stress runs (log: $build/stress-ci-<n>.log)"
printf '  %s\n' "${times[@]}"
exit "$red"
