"""Slow clients against a server on 127.0.0.1, and a probe meanwhile.

    slow_clients.py PORT [CLIENTS] [PROBES]

Opens CLIENTS connections (default 1000) that each send the start of a
request head and then one more header byte every 2 s, never ending it.
Meanwhile PROBES (default 200) sequential GET /healthz on fresh
connections must each answer 200; their latency is printed (p50, p99,
max). Then the slow connections must be closed by the server, since a
request head has a deadline. Exit status 0 when both hold, 1 otherwise.
Only 127.0.0.1 is ever contacted.
"""
import http.client
import resource
import socket
import sys
import time

HOST = "127.0.0.1"
DRIP_SECONDS = 2.0
WAIT_SECONDS = 60.0


def open_slow(port, count):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < count + 100:
        resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, count + 1000), hard))
    slow = []
    for i in range(count):
        s = socket.create_connection((HOST, port), timeout=30)
        s.sendall(b"GET /?slow=%d HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: " % i)
        s.setblocking(False)
        slow.append(s)
    return slow


def drip(slow):
    """One byte to every slow connection; returns how many are still open."""
    alive = []
    for s in slow:
        try:
            s.send(b"a")
            # A server that gave up answers (408) or just closes: either
            # makes the socket readable.
            s.recv(1, socket.MSG_PEEK)
            s.close()
            continue
        except BlockingIOError:
            pass
        except OSError:
            s.close()
            continue
        alive.append(s)
    return alive


def probe(port):
    start = time.monotonic()
    connection = http.client.HTTPConnection(HOST, port, timeout=30)
    try:
        connection.request("GET", "/healthz")
        status = connection.getresponse().status
    finally:
        connection.close()
    return status, (time.monotonic() - start) * 1000.0


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def main():
    port = int(sys.argv[1])
    clients = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    probes = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    slow = open_slow(port, clients)
    print("slow_clients: %d connections dripping a header byte every %.0f s" % (len(slow), DRIP_SECONDS))
    times, failed = [], []
    next_drip = time.monotonic() + DRIP_SECONDS
    for _ in range(probes):
        if time.monotonic() >= next_drip:
            slow = drip(slow)
            next_drip = time.monotonic() + DRIP_SECONDS
        try:
            status, ms = probe(port)
        except OSError as error:
            failed.append(str(error))
            continue
        if status != 200:
            failed.append("status %d" % status)
        times.append(ms)
        time.sleep(0.02)
    if times:
        print("slow_clients: /healthz over %d probes: p50 %.1f ms, p99 %.1f ms, max %.1f ms; %d slow still open"
              % (len(times), percentile(times, 0.5), percentile(times, 0.99), max(times), len(slow)))
    ok = True
    if failed:
        print("slow_clients: %d of %d probes failed, first: %s" % (len(failed), probes, failed[0]))
        ok = False
    deadline = time.monotonic() + WAIT_SECONDS
    while slow and time.monotonic() < deadline:
        time.sleep(DRIP_SECONDS)
        slow = drip(slow)
    if slow:
        print("slow_clients: %d slow connections still open after %.0f s more: no deadline on the request head"
              % (len(slow), WAIT_SECONDS))
        ok = False
    else:
        print("slow_clients: the server closed every slow connection")
    for s in slow:
        s.close()
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
