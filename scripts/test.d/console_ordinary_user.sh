#!/usr/bin/env bash
# One whole run of the console edition as an ordinary user (the script
# creates one when it runs as root, as CI does), in a folder that is a bind
# mount of a tmpfs whose name holds a line feed and an escape character.
# The run must end with status 0 and show no "ERROR"; the hostile name must
# appear escaped (\n, \x1b) on the screen, in the report and in the JSON,
# and raw nowhere. The drive list leaves both tmpfs and second mounts out,
# yet quillmark-verify and the board's import take the result. Where
# mounting is not permitted the run goes on in a plain folder and the name
# checks are skipped, with a message saying so.
set -euo pipefail
cd "$(dirname "$0")/../.."

cmake --build --preset native --target quillmark quillmark-verify quillmark-results >/dev/null
user=qm_ordinary
work=$(mktemp -d /tmp/qm_ordinary.XXXXXX)
hostile="$work/a"$'\n'"b"$'\033'"c"
mounted=""
tmpfs=""
cleanup() {
  if [ -n "$mounted" ]; then umount "$hostile" || true; fi
  if [ -n "$tmpfs" ]; then umount "$work/bench" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
cp build/native/quillmark "$work/quillmark"

run_as_user() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}

if [ "$(id -u)" = 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd --no-create-home --shell /usr/sbin/nologin "$user"
else
  user=$(id -un)
  echo "console_ordinary_user: running as $user already"
fi

mkdir "$work/bench" "$hostile"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64m tmpfs "$work/bench" 2>/dev/null; then tmpfs=yes; fi
chown "$user" "$work/bench" "$hostile" 2>/dev/null || true
folder="$work/bench"
if [ "$(id -u)" = 0 ] && mount --bind "$work/bench" "$hostile" 2>/dev/null; then
  mounted=yes
  folder=$hostile
else
  echo "console_ordinary_user: mounting not permitted here; the hostile-name checks are skipped"
fi

status=0
(cd "$folder" && run_as_user "$work/quillmark" --json >"$work/json.txt" 2>"$work/screen.txt") || status=$?
fail() {
  echo "console_ordinary_user: $*" >&2
  tail -n 40 "$work/screen.txt" >&2
  exit 1
}
[ "$status" = 0 ] || fail "exit status $status, expected 0"
if grep -q ERROR "$work/screen.txt" "$work/json.txt"; then fail "the output shows ERROR"; fi
grep -q '^Memory Bank Numbers: ' "$work/screen.txt" || fail "no memory line"
grep -q '^speed [0-9]*\.[0-9][0-9][0-9]$' "$work/screen.txt" || fail "no speed line"
report=$(ls "$folder"/info_*.txt)

if [ -n "$mounted" ]; then
  shown="$work/a\\nb\\x1bc"
  grep -qF "Drive under test: $shown on " "$work/screen.txt" || fail "the screen does not show $shown"
  grep -qF "Drive test: $shown" "$report" || fail "the report does not hold $shown"
  grep -qF "\"driveUnderTest\":\"${shown//\\/\\\\}\"" "$work/json.txt" || fail "the JSON does not hold $shown"
  if grep -q $'\033' "$work/screen.txt" "$work/json.txt" "$report"; then fail "a raw escape character is shown"; fi
  echo "console_ordinary_user: the mount point shows as $shown on the screen, in the report and in the JSON"
fi
# The drive under test is not in the drive list; the result is taken all the same.
verify=build/native/quillmark-verify
"$verify" "$report.verify" >"$work/back.txt" || fail "quillmark-verify does not read the validation file back"
cmp -s "$work/back.txt" "$report" || fail "quillmark-verify reads back another report"
[ "$("$verify" "$report.verify" "$report")" = match ] || fail "quillmark-verify does not say match"
build/native/quillmark-results import --db "sqlite:$work/board.db" "$report.verify" >"$work/import.txt" ||
  fail "the board's import refused the result: $(cat "$work/import.txt")"
echo "console_ordinary_user: quillmark-verify and the board take the result of a drive the list leaves out" \
  "(tmpfs: ${tmpfs:-no}, bind mount: ${mounted:-no})"
echo "console_ordinary_user: a whole run as $user ended with status 0 and no ERROR"
