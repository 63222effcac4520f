#!/usr/bin/env bash
# Installs what is missing, builds the native edition and runs the benchmark
# in the folder this script was called from (the drive under test).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/scripts/build-native.sh" quillmark
exec "$repo/build/native/quillmark" "$@"
