#!/usr/bin/env bash
# Repeats the Windows tests to show that they pass on a slow or busy machine
# too: builds as scripts/test.sh does, then runs the Windows unit layer N
# times (default 20) and the end-to-end layer 3 times, each round in a Wine
# session of its own, every other round (the first included) with two busy
# processes loading both cores. Prints how often each test passed, idle and
# under load. Exit status 1 when any test failed in any round.
#   bash scripts/soak.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

unit_rounds=${1:-20}
e2e_rounds=3
case $unit_rounds in '' | *[!0-9]*)
  echo "usage: $0 [N]  (N: rounds of the Windows unit layer, default 20)" >&2
  exit 64
  ;;
esac

bash scripts/setup.sh
cmake --preset win64 -DQM_WERROR=ON >/dev/null
cmake --build --preset win64 -j"$(nproc)"

log_dir=build/soak
rm -rf "$log_dir"
mkdir -p "$log_dir"
results=$log_dir/results  # one line per test and round: layer name idle|loaded passed|failed|skipped
: >"$results"

busy_pids=()
start_load() {
  for _ in 1 2; do
    (while :; do :; done) &
    busy_pids+=($!)
  done
}
stop_load() {
  for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${busy_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  busy_pids=()
}
cleanup() {
  stop_load
  wine_session_stop
}
trap cleanup EXIT

# round LAYER INDEX LABEL_ARGS...: one ctest run of the layer in a fresh
# Wine session; its per-test outcome is added to $results.
round() {
  local layer=$1 index=$2
  shift 2
  local load=idle
  if [ $((index % 2)) -eq 1 ]; then
    load=loaded
    start_load
  fi
  local out=$log_dir/$layer-$index.log
  local began=$SECONDS
  wine_session_start "$PWD/build/win64"
  ctest --preset win64 "$@" >"$out" 2>&1 || true
  wine_session_stop
  stop_load
  # "  3/97 Test  #3: Name ..........   Passed    0.12 sec", "...***Failed ..."
  local before
  before=$(wc -l <"$results")
  sed -nE 's/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: +([^ ]+) +\.*[ *]+(.*)$/\1 \2/p' "$out" |
    while read -r name outcome; do
      case $outcome in
        Passed*) outcome=passed ;;
        Skipped*) outcome=skipped ;;
        *) outcome=failed ;;
      esac
      echo "$layer $name $load $outcome"
    done >>"$results"
  local ran failed
  ran=$(($(wc -l <"$results") - before))
  failed=$(tail -n "$ran" "$results" | grep -c " failed$" || true)
  printf '%s round %d (%s): %d tests, %d failed, %d s; log %s\n' "$layer" "$index" "$load" "$ran" "$failed" \
    $((SECONDS - began)) "$out"
}

for i in $(seq 1 "$unit_rounds"); do round unit "$i" -LE e2e; done
for i in $(seq 1 "$e2e_rounds"); do round e2e "$i" -L e2e; done

# Skipped tests (no mount permission, say) count in no column.
printf '\n%-80s %8s %8s %8s\n' "test" "passed" "idle" "loaded"
for layer in unit e2e; do
  grep "^$layer " "$results" | awk '{print $2}' | sort -u | while read -r name; do
    count() { grep -c "^$layer $name $1$" "$results" || true; }
    idle_ok=$(count "idle passed")
    idle_all=$((idle_ok + $(count "idle failed")))
    load_ok=$(count "loaded passed")
    load_all=$((load_ok + $(count "loaded failed")))
    printf '%-80s %8s %8s %8s\n' "$name" "$((idle_ok + load_ok))/$((idle_all + load_all))" \
      "$idle_ok/$idle_all" "$load_ok/$load_all"
  done
done
if grep -q " failed$" "$results"; then
  printf '\nfailed at least once:\n'
  grep " failed$" "$results" | awk '{print $1 " " $2 " (" $3 ")"}' | sort | uniq -c
  exit 1
fi
echo
echo "every test passed in every round"
