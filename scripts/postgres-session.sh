# Sourced by the test scripts: a throw-away PostgreSQL server for the
# board's tests, in a temporary folder, listening on a unix socket there
# and on 127.0.0.1 at a free port.
#   postgres_session_start DIR   initdb + pg_ctl start; exports QM_TEST_POSTGRES_URL,
#                                and QM_TEST_POSTGRES_RESTART, a command that
#                                restarts the server (for the restart test)
#   postgres_session_stop        pg_ctl stop; removes the folder
# PostgreSQL refuses to run as root, so as root the server runs as the
# postgres user in a folder that user owns.

postgres_session_bin() {
  local bin
  for bin in /usr/lib/postgresql/*/bin; do
    [ -x "$bin/initdb" ] && { echo "$bin"; return 0; }
  done
  command -v initdb >/dev/null 2>&1 && { dirname "$(command -v initdb)"; return 0; }
  return 1
}

# A TCP port nobody listens on now; the server then takes it at once.
postgres_session_free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

postgres_session_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

postgres_session_start() {
  local parent=$1 bin port tries
  bin=$(postgres_session_bin) || { echo "postgres_session_start: no initdb (apt-get install postgresql)" >&2; return 1; }
  QM_POSTGRES_BIN=$bin
  if [ "$(id -u)" -eq 0 ]; then
    # The postgres user may not be able to reach a folder under the clone
    # (below /root, say), so as root the server lives under /tmp.
    QM_POSTGRES_DIR=$(mktemp -d "${TMPDIR:-/tmp}/qm-postgres.XXXXXX")
    chmod 755 "$QM_POSTGRES_DIR"
    chown postgres: "$QM_POSTGRES_DIR"
  else
    mkdir -p "$parent"
    QM_POSTGRES_DIR=$(mktemp -d "$parent/postgres.XXXXXX")
  fi
  postgres_session_as_owner "$bin/initdb" -D "$QM_POSTGRES_DIR/data" -A trust -U quillmark -E UTF8 \
    --locale=C >"$QM_POSTGRES_DIR/initdb.log" 2>&1 || {
    echo "postgres_session_start: initdb failed:" >&2
    cat "$QM_POSTGRES_DIR/initdb.log" >&2
    return 1
  }
  for tries in 1 2 3 4 5; do
    port=$(postgres_session_free_port)
    if postgres_session_as_owner "$bin/pg_ctl" -D "$QM_POSTGRES_DIR/data" -l "$QM_POSTGRES_DIR/server.log" -w -t 60 \
      -o "-k $QM_POSTGRES_DIR -p $port -c listen_addresses=127.0.0.1 -c max_connections=200" start >/dev/null; then
      export QM_TEST_POSTGRES_URL="postgresql://quillmark@127.0.0.1:$port/postgres"
      # pg_ctl restart takes the options the server was started with.
      local owner=""
      [ "$(id -u)" -eq 0 ] && owner="runuser -u postgres -- "
      export QM_TEST_POSTGRES_RESTART="${owner}$bin/pg_ctl -D $QM_POSTGRES_DIR/data -l $QM_POSTGRES_DIR/server.log -m fast -w -t 60 restart >/dev/null"
      echo "PostgreSQL for the tests: $QM_TEST_POSTGRES_URL"
      return 0
    fi
    # Someone took the port in between: another one.
  done
  echo "postgres_session_start: the server did not start:" >&2
  cat "$QM_POSTGRES_DIR/server.log" >&2
  return 1
}

postgres_session_stop() {
  if [ -n "${QM_POSTGRES_DIR:-}" ] && [ -d "$QM_POSTGRES_DIR/data" ]; then
    postgres_session_as_owner "$QM_POSTGRES_BIN/pg_ctl" -D "$QM_POSTGRES_DIR/data" -m fast -w stop >/dev/null 2>&1 || true
    rm -rf "$QM_POSTGRES_DIR"
  fi
  QM_POSTGRES_DIR=""
  unset QM_TEST_POSTGRES_URL QM_TEST_POSTGRES_RESTART
}
