#!/usr/bin/env bash
# Runs one end-to-end scenario: a fresh folder, quillmark.exe started there
# by the test driver under Wine, X screenshots on the driver's request.
#   run_scenario.sh SCENARIO QUILLMARK_EXE DRIVER_EXE WORK_DIR ARTIFACT_DIR
# Needs the Wine session of scripts/wine-session.sh (DISPLAY, WINEPREFIX).
set -uo pipefail
scenario=$1 exe=$2 driver=$3 work=$4 artifacts=$5

if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "SKIP: no Wine session (source scripts/wine-session.sh; wine_session_start BUILD_DIR)"
  exit 77
fi

folder=$work/$scenario
mkdir -p "$artifacts"
rm -f "$artifacts/$scenario"-*.png
if mountpoint -q "$folder" 2>/dev/null; then umount "$folder"; fi
rm -rf "$folder"
mkdir -p "$folder"

cleanup=()
finish() {
  for step in "${cleanup[@]}"; do eval "$step"; done
}
trap finish EXIT

case $scenario in
  startup)
    # Web pages go to a stand-in browser that logs their addresses.
    browser_log=$work/startup.browser.log
    rm -f "$browser_log"
    touch "$browser_log"
    here=$(cd "$(dirname "$0")" && pwd)
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /t REG_MULTI_SZ \
      /d "/bin/sh $here/record_browser.sh $browser_log" /f >/dev/null 2>&1
    cleanup+=("wine reg delete 'HKCU\\Software\\Wine\\WineBrowser' /v Browsers /f >/dev/null 2>&1")
    QM_E2E_BROWSER_LOG=$(winepath -w "$browser_log" 2>/dev/null)
    export QM_E2E_BROWSER_LOG
    ;;
  unwritable)
    if ! mount -t tmpfs -o ro,size=1m tmpfs "$folder" 2>/dev/null; then
      echo "SKIP: a read-only folder needs mount (root)"
      exit 77
    fi
    cleanup+=("umount '$folder'")
    ;;
  dpi144)
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
    cleanup+=("wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1")
    ;;
esac

exe_win=$(winepath -w "$exe" 2>/dev/null)
folder_win=$(winepath -w "$folder" 2>/dev/null)

# The driver asks for screenshots and keys on its standard output and waits
# for a reply line on its standard input. Sets said when it said anything.
play() {
  local pipes line driver_pid status
  pipes=$(mktemp -d)
  mkfifo "$pipes/to_driver" "$pipes/from_driver"
  wine "$driver" "$scenario" "$exe_win" "$folder_win" <"$pipes/to_driver" >"$pipes/from_driver" 2>&1 &
  driver_pid=$!
  # Opened in the order the driver opens them, so neither side blocks.
  exec {to_driver}>"$pipes/to_driver" {from_driver}<"$pipes/from_driver"
  said=0
  while IFS= read -r line <&"$from_driver"; do
    said=1
    line=${line%$'\r'}
    case $line in
      "SHOT "*)
        name=${line#SHOT }
        import -window root "$artifacts/$scenario-$name.png" 2>/dev/null
        echo "     screenshot $artifacts/$scenario-$name.png"
        echo ok >&"$to_driver"
        ;;
      "KEY "*)
        xdotool key "${line#KEY }"
        echo ok >&"$to_driver"
        ;;
      *) echo "$line" ;;
    esac
  done
  exec {from_driver}<&- {to_driver}>&-
  wait "$driver_pid"
  status=$?
  rm -rf "$pipes"
  return $status
}

play
status=$?
# A driver that failed without a word never reached its first step: Wine
# did not start it (seen, rarely, on a busy machine). Once more, with
# Wine's own errors shown; a driver that said anything is never run again.
if [ "$status" != 0 ] && [ "$said" = 0 ]; then
  echo "the driver exited with $status before its first word; once more, with Wine's errors shown"
  pkill -f 'quillmark\.exe' 2>/dev/null
  WINEDEBUG=err+all play
  status=$?
  if [ "$said" = 0 ]; then echo "the driver exited with $status before its first word"; fi
fi
exit $status
