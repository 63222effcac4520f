#!/usr/bin/env bash
# Installs what building and testing Quillmark needs on Debian. Idempotent:
# packages already present are not touched, and apt's lists are refreshed
# only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ccache googletest libssl-dev pkg-config
  clang libclang-rt-14-dev clang-format clang-tidy
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-liberation fonts-dejavu-core
  fio zip unzip python3
  libsqlite3-dev libpq-dev postgresql libcpp-httplib-dev libboost-dev nlohmann-json3-dev libcurl4-openssl-dev
  nginx openssl curl e2fsprogs mount
  chromium chromium-driver python3-selenium wrk apache2-utils
)
# The native configure adds GoogleTest from its sources even when only the
# program is built. clang-format and clang-tidy are the test command's
# format and static layers.
# Wine needs what it only recommends (GnuTLS behind its AES, the X
# libraries its display driver loads, its own fonts), so the full set comes
# with recommendations; the build alone does without them. The results
# board needs SQLite, libpq, Boost (Beast and Asio serve it; cpp-httplib's
# client tests it) and nlohmann-json to build; its
# tests a PostgreSQL server, Chromium with its driver and Selenium, its
# benchmark wrk and ab. quillmark --submit needs libcurl; the loopback stack
# (scripts/board-stack.sh) nginx, openssl for its throw-away CA, and curl;
# the board's read-only disk test an ext4 image on a loop device.
recommends=()
if [ "${1:-}" = "--build-only" ]; then
  packages=(build-essential cmake libssl-dev pkg-config googletest
            libsqlite3-dev libpq-dev libcpp-httplib-dev libboost-dev nlohmann-json3-dev libcurl4-openssl-dev)
  recommends=(--no-install-recommends)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${recommends[@]}" "${missing[@]}"
