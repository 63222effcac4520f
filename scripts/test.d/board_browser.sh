#!/usr/bin/env bash
# The board's pages in headless Chromium (Selenium from /usr/bin/python3):
# upload through /submit, the result page, the leaderboard, the search, two
# results picked and compared, and every page at 375 and 1280 px wide with
# no sideways scrolling. Screenshots land in build/e2e-artifacts/: board-*.png
# and PAGE-WIDTH.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake --build --preset native -j"$(nproc)" --target quillmark-results make_board_file
/usr/bin/python3 tests/board/board_browser.py build/native
