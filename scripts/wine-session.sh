# Sourced by the test scripts: a private Wine prefix and a virtual X display
# for the Windows tests, with one long-lived Wine process so that each test
# does not pay for Wine's start-up.
#   wine_session_start BUILD_DIR   sets WINEPREFIX, WINEDEBUG, DISPLAY
#   wine_session_stop

wine_session_start() {
  local build_dir=$1
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts

  local display_file
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1920x1440x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  QM_XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$display_file")"
  rm -f "$display_file"

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # No window manager here: Wine draws frames itself and closes windows fast.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
  fi

  QM_KEEPALIVE_PID=""
  if [ -f "$build_dir/tests/support/qm_wine_keepalive.exe" ]; then
    wine "$build_dir/tests/support/qm_wine_keepalive.exe" </dev/null >/dev/null 2>&1 &
    QM_KEEPALIVE_PID=$!
    # Let Wine's services come up under the keep-alive, not under a test
    # whose output pipes they would then hold open.
    for _ in $(seq 200); do pgrep -f 'explorer.exe' >/dev/null && break; sleep 0.1; done
    wine_session_wait_ready
  fi
}

# The session is ready when a Windows program starts, runs and exits 0
# through it; the first tests would otherwise race Wine's own start-up and
# fail without a word. Bounded; a session that never gets ready says so.
wine_session_wait_ready() {
  local tries
  for tries in $(seq 30); do
    timeout 60 wine cmd /c exit 0 </dev/null >/dev/null 2>&1 && return 0
    sleep 1
  done
  echo "wine-session: Wine does not run a program after $tries tries" >&2
  return 0
}

wine_session_stop() {
  [ -n "${QM_KEEPALIVE_PID:-}" ] && kill "$QM_KEEPALIVE_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -n "${QM_XVFB_PID:-}" ] && kill "$QM_XVFB_PID" 2>/dev/null || true
  QM_KEEPALIVE_PID=""
  QM_XVFB_PID=""
}
