#!/usr/bin/env bash
# The deployment whole, on loopback (scripts/board-stack.sh): PostgreSQL,
# two board processes and nginx in front.
#   1. 320 uploads from 8 clients through nginx while one board process is
#      killed with SIGKILL midway: every upload answered 200 or 201, all
#      320 stored.
#   2. quillmark --submit https://127.0.0.1:PORT/ through nginx's TLS, with
#      the stack's throw-away CA in CURL_CA_BUNDLE (a whole run, started
#      beside 1).
#   3. 1,000 slow clients against nginx, with nothing else running:
#      /healthz keeps answering (its p99 is printed), and nginx closes the
#      slow ones.
#   4. With a cap of 2 uploads a minute: 5 uploads, each with another
#      made-up X-Forwarded-For, give 2 results and 3 answers 429 with
#      Retry-After, and the made-up addresses reach no board process; nginx
#      does not pass /metrics on.
# Everything started is stopped on the way out, failed or not.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
source scripts/postgres-session.sh

bash scripts/setup.sh
cmake --build --preset native -j"$(nproc)" --target quillmark-results quillmark make_board_file >/dev/null
work=$(mktemp -d /tmp/qm-board-stack.XXXXXX)
run_pid=""
cleanup() {
  [ -z "$run_pid" ] || kill "$run_pid" 2>/dev/null || true
  [ ! -e "$work/stack/stack.env" ] || bash scripts/board-stack.sh stop "$work/stack" || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "board_stack: $*" >&2
  for log in "$work"/stack/board-*.log "$work/stack/nginx/error.log"; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}

port=$(postgres_session_free_port)
plain=http://127.0.0.1:$((port + 1))
QM_UPLOADS_PER_MINUTE=0 bash scripts/board-stack.sh start "$work/stack" "$port"

# 2, in the background: the run takes a while and sends at its end.
mkdir "$work/run"
(cd "$work/run" && CURL_CA_BUNDLE="$work/stack/tls/ca.pem" \
  "$repo/build/native/quillmark" --submit "https://127.0.0.1:$port/" >out.txt 2>err.txt) &
run_pid=$!

# 1. The files first, so the clients send as fast as they can.
mkdir "$work/files"
for i in $(seq 1 320); do
  build/native/make_board_file "$work/files/$i.verify" "Stack Drive $((i % 16))" $((1000 + i))
done
upload_client() {
  local client=$1 i
  for i in $(seq "$client" 8 320); do
    curl -s -o /dev/null -w '%{http_code}\n' --max-time 60 -H 'Content-Type: application/octet-stream' \
      --data-binary "@$work/files/$i.verify" "$plain/api/results" >>"$work/status.$client" || echo "curl-$?" >>"$work/status.$client"
  done
}
clients=()
for client in $(seq 1 8); do
  upload_client "$client" &
  clients+=($!)
done
answered() { cat "$work"/status.* 2>/dev/null | wc -l; }
deadline=$((SECONDS + 120))
until [ "$(answered)" -ge 160 ]; do
  [ $SECONDS -lt $deadline ] || fail "fewer than 160 uploads answered within 120 s"
  sleep 0.05
done
boards=$(sed -n 's/^boards="\(.*\)"$/\1/p' "$work/stack/stack.env")
victim=${boards%% *}
kill -KILL "$(cat "$work/stack/board-$victim.pid")"
echo "board_stack: board process on port $victim killed with SIGKILL after $(answered) uploads"
for pid in "${clients[@]}"; do wait "$pid"; done
statuses=$(cat "$work"/status.* | sort | uniq -c | tr -s ' ' | tr '\n' ',')
echo "board_stack: answers to the 320 uploads (count status): $statuses"
if grep -v -x -e 200 -e 201 "$work"/status.* >/dev/null; then fail "uploads answered other than 200 or 201: $statuses"; fi
total=$(curl -sf "$plain/api/results?limit=1" | sed -n 's/.*"total":\([0-9]*\).*/\1/p')
[ "$total" = 320 ] || fail "$total results stored, expected 320"
echo "board_stack: all 320 uploads stored"

# 2.
wait "$run_pid" || fail "quillmark --submit ended with status $?: $(tail -n 3 "$work/run/err.txt")"
run_pid=""
grep -q "^submitted https://127.0.0.1:$port/results/[0-9]*$" "$work/run/out.txt" ||
  fail "no submitted line from quillmark: $(tail -n 3 "$work/run/out.txt" "$work/run/err.txt")"
echo "board_stack: $(tail -n 1 "$work/run/out.txt") (through TLS, after ${SECONDS} s)"

# 3.
/usr/bin/python3 tests/board/slow_clients.py $((port + 1)) 1000 200 || fail "slow clients"

# 4. A new stack with the cap.
bash scripts/board-stack.sh stop "$work/stack"
QM_UPLOADS_PER_MINUTE=2 bash scripts/board-stack.sh start "$work/stack" "$port"
capped=""
for i in 1 2 3 4 5; do
  answer=$(curl -s -o /dev/null -D - --max-time 60 -H 'Content-Type: application/octet-stream' \
    -H "X-Forwarded-For: 203.0.113.$i" --data-binary "@$work/files/$i.verify" "$plain/api/results" | tr -d '\r')
  status=$(printf '%s\n' "$answer" | sed -n '1s/^HTTP\/[0-9.]* \([0-9]*\).*/\1/p')
  capped+="$status "
  if [ "$status" = 429 ] && ! printf '%s\n' "$answer" | grep -qi '^Retry-After: [0-9]'; then
    fail "429 without Retry-After"
  fi
done
[ "$capped" = "201 201 429 429 429 " ] || fail "with a cap of 2 a minute, 5 uploads with made-up X-Forwarded-For answered $capped"
if grep -q '203\.0\.113\.' "$work"/stack/board-*.log; then fail "a made-up X-Forwarded-For reached a board process"; fi
metrics=$(curl -s -o /dev/null -w '%{http_code}' --cacert "$work/stack/tls/ca.pem" "https://127.0.0.1:$port/metrics")
[ "$metrics" = 404 ] || fail "nginx passed /metrics on: $metrics"
echo "board_stack: the cap of 2 a minute held across both processes against made-up X-Forwarded-For: $capped"
bash scripts/board-stack.sh stop "$work/stack"
echo "board_stack: passed"
