#!/usr/bin/env bash
# Installs what is missing, builds the results board and serves it on
# http://127.0.0.1:8080/ with the embedded database (quillmark-results.db in
# the folder this script was called from). Arguments go to `serve`:
#   bash scripts/board.sh --db postgresql://user@host:5432/board --listen 0.0.0.0:8080
# Ctrl+C ends it cleanly.
set -euo pipefail
here=$PWD
repo=$(cd "$(dirname "$0")/.." && pwd)
(
  cd "$repo"
  bash scripts/setup.sh --build-only
  cmake --preset native >/dev/null
  cmake --build --preset native -j"$(nproc)" --target quillmark-results >/dev/null
) >&2
cd "$here"
exec "$repo/build/native/quillmark-results" serve "$@"
