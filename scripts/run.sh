#!/usr/bin/env bash
# Installs what is missing, builds the native edition and runs the benchmark
# in the folder this script was called from (the drive under test).
set -euo pipefail
here=$PWD
repo=$(cd "$(dirname "$0")/.." && pwd)
# What the installing and building say goes to standard error: standard
# output is the benchmark's alone (quillmark --json writes JSON there).
(
  cd "$repo"
  bash scripts/setup.sh --build-only
  cmake --preset native >/dev/null
  cmake --build --preset native -j"$(nproc)" --target quillmark >/dev/null
) >&2
cd "$here"
exec "$repo/build/native/quillmark" "$@"
