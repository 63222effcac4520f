#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, in this
# order:
#   format       every C and C++ file as .clang-format lays it out;
#   native       the native build (console edition, quillmark-verify, the
#                results board) and its tests: unit, e2e, and the board's
#                against SQLite and a throw-away PostgreSQL server;
#   static       clang-tidy's deliberate list (.clang-tidy) over the code;
#   sanitizers   the same native tests under ASan + UBSan;
#   windows      the MinGW build, its tests under Wine in a virtual X display;
#   test.d/*.sh  the extra layers: the board in headless Chromium, the board's
#                whole stack (PostgreSQL, two board processes, nginx), a
#                console run as an ordinary user, fuzzing, the release zip.
# A failing layer stops the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh
source scripts/postgres-session.sh

jobs=$(nproc)
bash scripts/setup.sh

section() { printf '\n==== %s\n' "$*"; }

section "format"
# clang-format --dry-run --Werror names each file that differs; fix with
#   git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format -i
git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

section "native"
cmake --preset native -DQM_WERROR=ON >/dev/null
cmake --build --preset native -j"$jobs"
# The board's store and API tests run against SQLite and against this
# throw-away PostgreSQL server.
trap postgres_session_stop EXIT
postgres_session_start "$PWD/build/postgres"
ctest --preset native -j"$jobs"

section "static"
bash scripts/static-check.sh

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
