#!/usr/bin/env bash
# The engine's cycle beside the floor writer of the same shape, interleaved
# in one process, in the folder this script was called from (the drive under
# test): natively, then the Windows build under Wine. Each prints every pair,
# then the medians of elapsed and processor time with their ratios. The load
# of the machine is shown before each, since other work disturbs the figures.
# "costs" runs, under Wine, the measurements of what the Windows build might
# add to a cycle (qm_cycle_costs).
#
#   bash scripts/bench.sh [pairs] [native|win64|costs ...]   (default: 15 pairs, native win64)
set -euo pipefail
here=$PWD
repo=$(cd "$(dirname "$0")/.." && pwd)

pairs=15
runs=()
for argument in "$@"; do
  case $argument in
    native | win64 | costs) runs+=("$argument") ;;
    *[!0-9]* | "") echo "usage: bash scripts/bench.sh [pairs] [native|win64|costs ...]" >&2; exit 64 ;;
    *) pairs=$argument ;;
  esac
done
[ ${#runs[@]} -gt 0 ] || runs=(native win64)

cd "$repo"
source scripts/wine-session.sh
bash scripts/setup.sh >&2
for run in "${runs[@]}"; do
  case $run in
    native) preset=native targets=(qm_cycle_bench) ;;
    # The keep-alive spares each Wine start the start of Wine's services.
    win64) preset=win64 targets=(qm_cycle_bench qm_wine_keepalive) ;;
    costs) preset=win64 targets=(qm_cycle_costs qm_wine_keepalive) ;;
  esac
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" --target "${targets[@]}" >/dev/null
done

output=$(mktemp)
wine_running=""
trap 'rm -f "$output"; [ -z "$wine_running" ] || wine_session_stop' EXIT
for run in "${runs[@]}"; do
  printf '\n==== %s, %s pairs, in %s\n' "$run" "$pairs" "$here"
  echo "load: $(uptime)"
  case $run in
    native) (cd "$here" && "$repo/build/native/bench/qm_cycle_bench" "$pairs") ;;
    win64 | costs)
      program=$repo/build/win64/bench/qm_cycle_bench.exe
      [ "$run" = costs ] && program=$repo/build/win64/bench/qm_cycle_costs.exe
      wine_session_start "$repo/build/win64"
      wine_running=1
      # Through a file, not a pipe: Wine's helper processes would hold a pipe open.
      (cd "$here" && wine "$program" "$pairs" >"$output" 2>&1) || {
        cat "$output"
        exit 1
      }
      cat "$output"
      wine_session_stop
      wine_running=""
      ;;
  esac
done
