#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each
# for a bounded time. Any crash, leak or sanitizer finding fails the script;
# the input that caused it is kept under build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${QM_FUZZ_SECONDS:-60}
build=build/fuzz

cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

mkdir -p "$build/artifacts"
for target in fuzz_device_answers; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  # A descriptor with a vendor at 40 and a product at 60 to start from.
  if [ -z "$(ls -A "$corpus")" ]; then
    python3 -c 'import sys; b = bytearray(1059); b[12] = 40; b[16] = 60; b[40:45] = b"ACME "; b[60:68] = b"  Disk 1"; sys.stdout.buffer.write(b)' >"$corpus/descriptor"
  fi
  echo "$target: ${seconds} s"
  "$build/$target" "$corpus" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 2>"$build/$target.log" ||
    {
      tail -n 60 "$build/$target.log"
      echo "$target: finding, see $build/artifacts/" >&2
      exit 1
    }
  grep -E '^(stat::number_of_executed_units|Done)' "$build/$target.log" || true
done
