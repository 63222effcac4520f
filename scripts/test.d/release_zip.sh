#!/usr/bin/env bash
# Packs the zip for Windows users from the Windows build (after test.sh has
# built it) and checks that it holds exactly the folder Quillmark with the
# two programs and the README.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build --preset win64 --target release_zip >/dev/null
zip=$(ls build/win64/Quillmark-*-win64.zip)
listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
expected="Quillmark/ Quillmark/README.txt Quillmark/quillmark-verify.exe Quillmark/quillmark.exe "
if [ "$listed" != "$expected" ]; then
  echo "$zip holds: $listed" >&2
  echo "expected:  $expected" >&2
  exit 1
fi
echo "$zip: $listed"
