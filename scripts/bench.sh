#!/usr/bin/env bash
# The engine's cycle beside the floor writer of the same shape, interleaved
# in one process, in the folder this script was called from (the drive under
# test): natively, then the Windows build under Wine. Each prints every pair,
# then the medians of elapsed and processor time with their ratios. The load
# of the machine is shown before each, since other work disturbs the figures.
#
#   bash scripts/bench.sh [pairs] [native|win64 ...]   (default: 15 pairs, both)
set -euo pipefail
here=$PWD
repo=$(cd "$(dirname "$0")/.." && pwd)

pairs=15
builds=()
for argument in "$@"; do
  case $argument in
    native | win64) builds+=("$argument") ;;
    *[!0-9]* | "") echo "usage: bash scripts/bench.sh [pairs] [native|win64 ...]" >&2; exit 64 ;;
    *) pairs=$argument ;;
  esac
done
[ ${#builds[@]} -gt 0 ] || builds=(native win64)

cd "$repo"
source scripts/wine-session.sh
bash scripts/setup.sh >&2
for build in "${builds[@]}"; do
  cmake --preset "$build" >/dev/null
  targets=(qm_cycle_bench)
  # The keep-alive spares each Wine start the start of Wine's services.
  [ "$build" = win64 ] && targets+=(qm_wine_keepalive)
  cmake --build --preset "$build" -j"$(nproc)" --target "${targets[@]}" >/dev/null
done

output=$(mktemp)
wine_running=""
trap 'rm -f "$output"; [ -z "$wine_running" ] || wine_session_stop' EXIT
for build in "${builds[@]}"; do
  printf '\n==== %s, %s pairs, in %s\n' "$build" "$pairs" "$here"
  echo "load: $(uptime)"
  if [ "$build" = native ]; then
    (cd "$here" && "$repo/build/native/bench/qm_cycle_bench" "$pairs")
  else
    wine_session_start "$repo/build/win64"
    wine_running=1
    # Through a file, not a pipe: Wine's helper processes would hold a pipe open.
    (cd "$here" && wine "$repo/build/win64/bench/qm_cycle_bench.exe" "$pairs" >"$output" 2>&1) || {
      cat "$output"
      exit 1
    }
    cat "$output"
    wine_session_stop
    wine_running=""
  fi
done
