#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit tests
# (all cores), then the tests under Xvfb (smoke and end-to-end, one at a
# time). Prints how long each phase took. With CI set, a test that cannot
# run for a missing program or library fails instead of being skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VQ_BUILD_DIR:-$root/build}"
declare -a phases=()
# phase <name> <command...>: runs it and notes its wall time.
phase() {
  local name=$1 start=$SECONDS code=0
  shift
  echo "== $name"
  "$@" || code=$?
  phases+=("$(printf '%-22s %5d s%s' "$name" $(( SECONDS - start )) "$([ "$code" -eq 0 ] || echo "  (failed: $code)")")")
  return "$code"
}
report() {
  echo "== phases"
  printf '  %s\n' "${phases[@]}"
}
trap report EXIT
phase install "$root/scripts/deps.sh"
phase build "$root/scripts/build.sh"
# tests <log> <ctest arguments...>: ctest with its output kept; with CI set
# a test that did not run (skipped) fails the run.
tests() {
  local log=$1 code=0
  shift
  ctest --test-dir "$build" --output-on-failure "$@" 2>&1 | tee "$log" || code=$?
  if [ -n "${CI:-}" ] && grep -q "The following tests did not run" "$log"; then
    echo "FAIL: CI is set and tests were skipped:"
    sed -n '/The following tests did not run/,/^$/p' "$log"
    code=1
  fi
  return "$code"
}
status=0
phase "unit tests" tests "$build/ctest-unit.log" -j "$(nproc)" --timeout 600 -LE xvfb || status=1
phase "e2e and smoke tests" tests "$build/ctest-xvfb.log" -L xvfb || status=1
exit "$status"
