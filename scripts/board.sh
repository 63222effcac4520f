#!/usr/bin/env bash
# Installs what is missing, builds the results board and serves it on
# http://127.0.0.1:8080/ with the embedded database (quillmark-results.db in
# the folder this script was called from). Arguments go to `serve`:
#   bash scripts/board.sh --db postgresql://user@host:5432/board --listen 0.0.0.0:8080
# Ctrl+C ends it cleanly.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/scripts/build-native.sh" quillmark-results
exec "$repo/build/native/quillmark-results" serve "$@"
