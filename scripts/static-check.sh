#!/usr/bin/env bash
# clang-tidy with the project's short, deliberate list of checks (.clang-tidy)
# over the code of every folder, on the native build's compile commands
# (build/native/compile_commands.json, made by `cmake --preset native`).
# A finding fails. Left out: the Windows-only files, which the native
# build does not compile, and the tests, whose GoogleTest macros the bugprone
# checks do not read well.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/native/compile_commands.json ] || cmake --preset native >/dev/null
mapfile -t files < <(git ls-files '*.cpp' | grep -E '^(platform|engine|drives|inventory|export|layout|console|tools|results|bench)/' |
                     grep -v -E '^platform/win32/|_win32\.cpp$')
run-clang-tidy -p build/native -j "$(nproc)" -quiet "${files[@]}" >build/static-check.log 2>&1 || true
if grep -E '(warning|error): ' build/static-check.log; then
  echo "clang-tidy: the findings above (whole log in build/static-check.log)" >&2
  exit 1
fi
echo "clang-tidy: ${#files[@]} files, no findings"
