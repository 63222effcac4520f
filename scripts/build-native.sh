#!/usr/bin/env bash
# Installs what building needs and builds the named native targets, quietly.
# What the installing and building say goes to standard error, so that the
# standard output of the program started afterwards is its own alone
# (quillmark --json writes JSON there).
#   bash scripts/build-native.sh TARGET...
set -euo pipefail
cd "$(dirname "$0")/.."
{
  bash scripts/setup.sh --build-only
  cmake --preset native >/dev/null
  cmake --build --preset native -j"$(nproc)" --target "$@" >/dev/null
} >&2
