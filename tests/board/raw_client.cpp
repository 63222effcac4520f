#include "tests/board/raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/wait_for.h"

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;

// Reads what is there, waiting until the bound. 0: closed; -1: error or
// nothing before the bound.
ssize_t ReadSome(int fd, std::string* into, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return -1;
    pollfd waiting{fd, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(left));
    if (ready < 0) return -1;
    if (ready == 0) continue;
    char buffer[16384];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) into->append(buffer, static_cast<size_t>(n));
    return n < 0 ? (errno == ECONNRESET ? 0 : -1) : n;
  }
}

Clock::time_point Bound() { return Clock::now() + std::chrono::milliseconds(WAIT_BOUND_MS); }

// A chunked body from the start of text: its data and how many bytes it
// took, or npos while it is not whole.
size_t Dechunk(const std::string& text, std::string* body) {
  size_t at = 0;
  body->clear();
  for (;;) {
    const size_t lineEnd = text.find("\r\n", at);
    if (lineEnd == std::string::npos) return std::string::npos;
    const size_t size = std::strtoul(text.substr(at, lineEnd - at).c_str(), nullptr, 16);
    at = lineEnd + 2;
    if (size == 0) {
      const size_t end = text.find("\r\n", at);
      return end == std::string::npos ? std::string::npos : end + 2;
    }
    if (text.size() < at + size + 2) return std::string::npos;
    body->append(text, at, size);
    at += size + 2;
  }
}

}  // namespace

bool ConnectRaw(RawClient* client, int port) {
  client->fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (client->fd < 0 || connect(client->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::fprintf(stderr, "cannot connect to 127.0.0.1:%d: %s\n", port, std::strerror(errno));
    return false;
  }
  const int one = 1;
  setsockopt(client->fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return true;
}

void CloseRaw(RawClient* client) {
  if (client->fd >= 0) close(client->fd);
  client->fd = -1;
}

bool SendRaw(RawClient* client, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(client->fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

RawReply ReadRawReply(RawClient* client, std::string* pending) {
  RawReply reply;
  const auto deadline = Bound();
  for (;;) {
    const size_t headEnd = pending->find("\r\n\r\n");
    if (headEnd != std::string::npos) {
      reply.head = pending->substr(0, headEnd + 2);
      const std::string rest = pending->substr(headEnd + 4);
      const std::string length = RawHeader(reply, "Content-Length");
      size_t used = std::string::npos;
      if (!length.empty()) {
        const size_t size = std::strtoul(length.c_str(), nullptr, 10);
        if (rest.size() >= size) {
          reply.body = rest.substr(0, size);
          used = size;
        }
      } else if (strcasecmp(RawHeader(reply, "Transfer-Encoding").c_str(), "chunked") == 0) {
        used = Dechunk(rest, &reply.body);
      } else {
        used = 0;
      }
      if (used != std::string::npos) {
        reply.status = std::atoi(reply.head.c_str() + 9);
        *pending = rest.substr(used);
        return reply;
      }
    }
    if (ReadSome(client->fd, pending, deadline) <= 0) {
      std::fprintf(stderr, "no whole reply came; got %zu bytes\n", pending->size());
      return reply;
    }
  }
}

std::string RawHeader(const RawReply& reply, const std::string& name) {
  size_t at = reply.head.find("\r\n");
  while (at != std::string::npos && at + 2 < reply.head.size()) {
    const size_t end = reply.head.find("\r\n", at + 2);
    const std::string line = reply.head.substr(at + 2, end - at - 2);
    const size_t colon = line.find(':');
    if (colon != std::string::npos && strncasecmp(line.c_str(), name.c_str(), name.size()) == 0 &&
        colon == name.size()) {
      size_t start = colon + 1;
      while (start < line.size() && line[start] == ' ') ++start;
      return line.substr(start);
    }
    at = end;
  }
  return std::string();
}

bool WaitClosed(RawClient* client, std::string* rest) {
  std::string bytes;
  const auto deadline = Bound();
  for (;;) {
    const ssize_t n = ReadSome(client->fd, &bytes, deadline);
    if (n == 0) {
      if (rest) *rest = bytes;
      return true;
    }
    if (n < 0) {
      std::fprintf(stderr, "gave up waiting for the server to close the connection\n");
      return false;
    }
  }
}

RawReply AskRaw(int port, const std::string& request) {
  RawClient client;
  RawReply reply;
  std::string pending;
  if (ConnectRaw(&client, port) && SendRaw(&client, request)) reply = ReadRawReply(&client, &pending);
  CloseRaw(&client);
  return reply;
}

std::string UploadRequest(const std::string& file) {
  return "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(file.size()) +
         "\r\n\r\n" + file;
}

}  // namespace qm
