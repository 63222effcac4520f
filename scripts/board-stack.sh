#!/usr/bin/env bash
# The board as deploy/ runs it, on loopback, for tests and for trying it out:
#   bash scripts/board-stack.sh start DIR [PORT]   (PORT defaults to 8443)
#   bash scripts/board-stack.sh stop DIR
# start brings up, all inside DIR:
#   - a PostgreSQL server (as scripts/postgres-session.sh makes one);
#   - two board processes on 127.0.0.1:PORT+2 and PORT+3, each started from
#     the ExecStart line of deploy/systemd/quillmark-results@.service;
#   - nginx with deploy/nginx/quillmark-results.conf on https://127.0.0.1:PORT
#     (certificate from a throw-away CA, DIR/tls/ca.pem: give it to clients
#     as CURL_CA_BUNDLE or SSL_CERT_FILE) and plain http://127.0.0.1:PORT+1.
# QM_UPLOADS_PER_MINUTE sets the upload cap per client address (default
# 60; 0 turns it off, as load tests need). start stops what it started when
# a step fails; stop ends everything, whatever state start left. Logs stay
# in DIR.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/postgres-session.sh"

UNIT=$repo/deploy/systemd/quillmark-results@.service
SITE=$repo/deploy/nginx/quillmark-results.conf
BOARD=$repo/build/native/quillmark-results
WAIT_SECONDS=30

usage() {
  echo "usage: bash scripts/board-stack.sh start DIR [PORT] | stop DIR" >&2
  exit 64
}

fail() {
  echo "board-stack: $*" >&2
  exit 1
}

# The unit's ExecStart with its substitutions made: the port for %i, the
# database for ${QM_RESULTS_DB}, and the built program for the installed
# one. Anything else to substitute would be started wrong, so it stops here.
board_command() {
  local port=$1 db=$2 line
  line=$(grep '^ExecStart=' "$UNIT") || fail "no ExecStart line in $UNIT"
  [ "$(printf '%s\n' "$line" | wc -l)" = 1 ] || fail "more than one ExecStart line in $UNIT"
  line=${line#ExecStart=}
  line=${line//%i/$port}
  line=${line//'${QM_RESULTS_DB}'/$db}
  case "$line" in
    *%* | *'$'* | *\"* | *\'* | *\\*) fail "ExecStart in $UNIT has more to substitute than %i and \${QM_RESULTS_DB}: $line" ;;
  esac
  read -ra words <<<"$line"
  [ "$(basename "${words[0]}")" = quillmark-results ] || fail "ExecStart in $UNIT does not start quillmark-results"
  words[0]=$BOARD
  printf '%s\n' "${words[@]}"
}

# Waits until URL answers 200 (curl's other arguments before it).
wait_for_url() {
  local deadline=$((SECONDS + WAIT_SECONDS))
  until curl -sf -o /dev/null --max-time 5 "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

make_certificates() {
  local tls=$1
  mkdir -p "$tls"
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 \
    -subj "/CN=Quillmark throw-away CA" -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes \
    -subj "/CN=127.0.0.1" -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
  printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
    >"$tls/server.ext"
  openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
    -days 30 -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null
}

# The site, rewritten for loopback: TLS on PORT and plain http on PORT+1
# in the one server, the throw-away certificate, the stack's board ports,
# the cap of QM_UPLOADS_PER_MINUTE, and no redirecting port-80 server.
write_site() {
  local dir=$1 port=$2 first=$3 second=$4 cap=$5 out=$1/nginx/quillmark-results.conf
  sed -e "s|^\( *\)listen 443 ssl http2;|\1listen 127.0.0.1:$port ssl http2;\n\1listen 127.0.0.1:$((port + 1));|" \
    -e '/listen \[::\]/d' \
    -e "s|ssl_certificate .*;|ssl_certificate $dir/tls/server.pem;|" \
    -e "s|ssl_certificate_key .*;|ssl_certificate_key $dir/tls/server.key;|" \
    -e "s|127\.0\.0\.1:8081|127.0.0.1:$first|" -e "s|127\.0\.0\.1:8082|127.0.0.1:$second|" \
    -e '/^# Plain http/,$d' "$SITE" >"$out"
  if [ "$cap" = 0 ]; then
    sed -i -e '/limit_req zone=/d' "$out"
  else
    sed -i -e "s|rate=60r/m|rate=${cap}r/m|" -e "s|burst=59|burst=$((cap - 1))|" "$out"
  fi
  # A site changed so that a rewrite no longer applies must not give a
  # stack that quietly differs from it.
  grep -q "listen 127.0.0.1:$port ssl" "$out" || fail "could not set the TLS port in $SITE"
  grep -q "server 127.0.0.1:$second " "$out" || fail "could not set the board ports in $SITE"
  if grep -q -e '/etc/letsencrypt' -e 'listen 80' "$out"; then fail "could not rewrite $SITE for loopback"; fi
  if [ "$cap" != 0 ] && ! grep -q "rate=${cap}r/m" "$out"; then fail "could not set the upload cap in $SITE"; fi
}

write_nginx_conf() {
  local dir=$1 n=$1/nginx
  mkdir -p "$n/tmp"
  {
    # As root the workers would otherwise run as nobody, who may not reach
    # DIR; this nginx only ever listens on loopback.
    [ "$(id -u)" -eq 0 ] && echo "user root root;"
    cat <<EOF
daemon on;
worker_processes 2;
worker_rlimit_nofile 8192;
pid $n/nginx.pid;
error_log $n/error.log warn;
events {
    worker_connections 4096;
}
http {
    access_log $n/access.log;
    client_body_temp_path $n/tmp/body;
    proxy_temp_path $n/tmp/proxy;
    fastcgi_temp_path $n/tmp/fastcgi;
    uwsgi_temp_path $n/tmp/uwsgi;
    scgi_temp_path $n/tmp/scgi;
    include $n/quillmark-results.conf;
}
EOF
  } >"$n/nginx.conf"
}

start_board() {
  local dir=$1 port=$2 db=$3
  local -a command
  mapfile -t command < <(board_command "$port" "$db")
  [ ${#command[@]} -gt 0 ] || fail "no board command from $UNIT"
  echo "${command[*]}" >"$dir/board-$port.command"
  # Its own session: a Ctrl+C in the starting terminal does not reach it.
  setsid env -C "$dir" "${command[@]}" </dev/null >"$dir/board-$port.log" 2>&1 &
  echo $! >"$dir/board-$port.pid"
}

start() {
  local dir=$1 port=${2:-8443} cap=${QM_UPLOADS_PER_MINUTE:-60}
  [[ "$port" =~ ^[0-9]+$ ]] && [ "$port" -ge 1 ] && [ "$port" -le 65532 ] || fail "not a port: $port"
  [[ "$cap" =~ ^[0-9]+$ ]] || fail "QM_UPLOADS_PER_MINUTE is not a count: $cap"
  [ -x "$BOARD" ] || fail "$BOARD is not built (cmake --build --preset native --target quillmark-results)"
  for tool in nginx openssl curl; do
    command -v "$tool" >/dev/null || fail "$tool is missing (bash scripts/setup.sh installs it)"
  done
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  [ ! -e "$dir/stack.env" ] || fail "a stack runs in $dir already (bash scripts/board-stack.sh stop $dir)"
  local first=$((port + 2)) second=$((port + 3)) taken
  # Someone else's server on one of them would answer in place of ours.
  for taken in "$port" $((port + 1)) "$first" "$second"; do
    if (exec 3<>"/dev/tcp/127.0.0.1/$taken") 2>/dev/null; then fail "127.0.0.1:$taken is in use already"; fi
  done
  {
    echo "port=$port"
    echo "boards=\"$first $second\""
  } >"$dir/stack.env"
  STACK_DIR=$dir
  trap 'echo "board-stack: start failed; stopping what started" >&2; stop "$STACK_DIR"' EXIT

  postgres_session_start "$dir" >/dev/null
  {
    echo "QM_POSTGRES_DIR=$QM_POSTGRES_DIR"
    echo "QM_POSTGRES_BIN=$QM_POSTGRES_BIN"
  } >>"$dir/stack.env"
  local db=$QM_TEST_POSTGRES_URL
  # The schema is made by the first process to open the database; the
  # second starts once the first answers, so they do not race to make it.
  start_board "$dir" "$first" "$db"
  wait_for_url "http://127.0.0.1:$first/healthz" ||
    fail "board on 127.0.0.1:$first did not answer /healthz within $WAIT_SECONDS s: $(tail -n 5 "$dir/board-$first.log")"
  start_board "$dir" "$second" "$db"
  wait_for_url "http://127.0.0.1:$second/healthz" ||
    fail "board on 127.0.0.1:$second did not answer /healthz within $WAIT_SECONDS s: $(tail -n 5 "$dir/board-$second.log")"

  make_certificates "$dir/tls"
  mkdir -p "$dir/nginx"
  write_site "$dir" "$port" "$first" "$second" "$cap"
  write_nginx_conf "$dir"
  nginx -t -q -e "$dir/nginx/error.log" -c "$dir/nginx/nginx.conf" || fail "nginx refuses $dir/nginx/nginx.conf"
  nginx -e "$dir/nginx/error.log" -c "$dir/nginx/nginx.conf" || fail "nginx did not start: $(tail -n 5 "$dir/nginx/error.log")"
  wait_for_url --cacert "$dir/tls/ca.pem" "https://127.0.0.1:$port/healthz" ||
    fail "nginx did not answer https://127.0.0.1:$port/healthz within $WAIT_SECONDS s"
  trap - EXIT
  echo "board stack in $dir: https://127.0.0.1:$port/ (CA: $dir/tls/ca.pem), http://127.0.0.1:$((port + 1))/;" \
    "boards on 127.0.0.1:$first and :$second; PostgreSQL $db; uploads a minute: $cap"
}

# Sends SIGTERM to the process in PIDFILE and waits for it to end; SIGKILL
# after WAIT_SECONDS.
end_process() {
  local pidfile=$1 pid deadline
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  if [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null; then
    deadline=$((SECONDS + WAIT_SECONDS))
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      echo "board-stack: process $pid did not end within $WAIT_SECONDS s; killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
    fi
  fi
  rm -f "$pidfile"
}

stop() {
  local dir=$1 boards="" QM_POSTGRES_DIR="" QM_POSTGRES_BIN=""
  [ -f "$dir/stack.env" ] || { echo "board-stack: no stack in $dir" >&2; return 0; }
  # shellcheck disable=SC1091
  source "$dir/stack.env"
  end_process "$dir/nginx/nginx.pid"
  for board in $boards; do end_process "$dir/board-$board.pid"; done
  [ -z "$QM_POSTGRES_DIR" ] || postgres_session_stop
  rm -f "$dir/stack.env"
}

[ $# -ge 2 ] || usage
case "$1" in
  start) [ $# -le 3 ] || usage; start "$2" "${3:-8443}" ;;
  stop) [ $# -eq 2 ] || usage; stop "$2" ;;
  *) usage ;;
esac
