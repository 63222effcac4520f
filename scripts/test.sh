#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: native,
# native under ASan + UBSan, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh
source scripts/postgres-session.sh

jobs=$(nproc)
bash scripts/setup.sh

section() { printf '\n==== %s\n' "$*"; }

section "native"
cmake --preset native -DQM_WERROR=ON >/dev/null
cmake --build --preset native -j"$jobs"
# The board's store and API tests run against SQLite and against this
# throw-away PostgreSQL server.
trap postgres_session_stop EXIT
postgres_session_start "$PWD/build/postgres"
ctest --preset native -j"$jobs"

section "native, sanitizers"
cmake --preset sanitize -DQM_WERROR=ON >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"
postgres_session_stop
trap - EXIT

section "windows, under wine"
cmake --preset win64 -DQM_WERROR=ON >/dev/null
cmake --build --preset win64 -j"$jobs"
trap wine_session_stop EXIT
wine_session_start "$PWD/build/win64"
ctest --preset win64
wine_session_stop
trap - EXIT

for extra in scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  section "$(basename "$extra" .sh)"
  bash "$extra"
done

section "all tests passed"
