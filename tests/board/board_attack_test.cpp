// The board's server as an attacker meets it, on bare sockets to
// 127.0.0.1 with short deadlines: broken or ambiguous framing, floods,
// dripped and idle connections, pipelines, trailers, methods, the limit per
// address, who a trusted proxy may say the client is, and the metrics.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "results/http/board_server.h"
#include "results/result_store.h"
#include "tests/board/raw_client.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"
#include "tests/support/wait_for.h"

namespace qm {
namespace {

class Attack : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = std::make_unique<TestDatabase>("sqlite");
    QM_NEED_DATABASE(*db_);
    std::string error;
    store_ = OpenResultStore(db_->url, &error);
    ASSERT_NE(store_, nullptr) << error;
    settings_.logRequests = false;
    settings_.maxUploadsPerMinute = 0;
    settings_.headerTimeoutMs = 600;
    settings_.idleTimeoutMs = 300;
    settings_.bodyWindowMs = 300;
    settings_.bodyMinBytesPerSecond = 1000;
  }
  void TearDown() override {
    for (RawClient& client : clients_) CloseRaw(&client);
    StopBoardServer(server_);
    CloseResultStore(store_);
  }

  void Start() {
    std::string error;
    server_ = StartBoardServer(store_, "127.0.0.1", 0, settings_, &error);
    ASSERT_NE(server_, nullptr) << error;
  }

  RawClient* Connect() {
    clients_.emplace_back();
    ConnectRaw(&clients_.back(), BoardServerPort(server_));
    return &clients_.back();
  }

  // One request on a connection of its own, and its reply.
  RawReply Exchange(const std::string& request, RawClient** used = nullptr) {
    RawClient* client = Connect();
    if (used) *used = client;
    std::string pending;
    return SendRaw(client, request) ? ReadRawReply(client, &pending) : RawReply();
  }

  // /healthz on a fresh connection answers 200.
  bool Healthy() { return Exchange("GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n").status == 200; }

  std::unique_ptr<TestDatabase> db_;
  ResultStore* store_ = nullptr;
  BoardServer* server_ = nullptr;
  BoardSettings settings_;
  std::deque<RawClient> clients_;
};

std::string Headers(int count) {
  std::string headers;
  for (int i = 0; i < count; ++i) headers += "X-" + std::to_string(i) + ": 1\r\n";
  return headers;
}

TEST_F(Attack, RequestsThatCannotBeTakenAreRefusedWithTheirStatus) {
  Start();
  const struct {
    const char* name;
    std::string request;
    int status;
    bool closes;
  } cases[] = {
      {"two different lengths",
       "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\nContent-Length: 5\r\n\r\nabcde", 400,
       true},
      {"the same length twice",
       "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\nContent-Length: 4\r\n\r\nabcd", 400,
       true},
      {"a signed length", "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: +4\r\n\r\nabcd", 400,
       true},
      {"a hexadecimal length", "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 0x4\r\n\r\nabcd",
       400, true},
      {"a length and chunks",
       "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"
       "4\r\nabcd\r\n0\r\n\r\n",
       400, true},
      {"chunks and a length",
       "POST /api/results HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\nContent-Length: 4\r\n\r\n"
       "4\r\nabcd\r\n0\r\n\r\n",
       400, true},
      {"101 headers", "GET /healthz HTTP/1.1\r\nHost: x\r\n" + Headers(100) + "\r\n", 431, true},
      {"20,000 headers", "GET /healthz HTTP/1.1\r\nHost: x\r\n" + Headers(20000) + "\r\n", 431, true},
      {"one header of 17 KiB",
       "GET /healthz HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(17 * 1024, 'a') + "\r\n\r\n", 431, true},
      {"an announced body over 1 MiB",
       "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999\r\n\r\n", 413, true},
      {"an unknown method", "BREW /healthz HTTP/1.1\r\nHost: x\r\n\r\n", 501, false},
      {"a method the path does not take", "PUT /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n",
       405, false},
  };
  for (const auto& c : cases) {
    RawClient* client = nullptr;
    const RawReply reply = Exchange(c.request, &client);
    EXPECT_EQ(reply.status, c.status) << c.name << "\n" << reply.head;
    if (c.closes) {
      EXPECT_TRUE(WaitClosed(client)) << c.name;
    } else {
      std::string pending;
      EXPECT_TRUE(SendRaw(client, "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"));
      EXPECT_EQ(ReadRawReply(client, &pending).status, 200) << c.name << ": the connection goes on";
    }
  }
  const RawReply put = Exchange("PUT /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(RawHeader(put, "Allow"), "GET, HEAD, POST");
  const RawReply remove = Exchange("DELETE / HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(remove.status, 405);
  EXPECT_EQ(RawHeader(remove, "Allow"), "GET, HEAD");
  EXPECT_TRUE(Healthy());
}

TEST_F(Attack, PipelinedRequestsAreAnsweredInOrder) {
  Start();
  RawClient* client = Connect();
  ASSERT_TRUE(SendRaw(client,
                      "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"
                      "GET /api/results/abc HTTP/1.1\r\nHost: x\r\n\r\n"
                      "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\n\r\njunk"
                      "GET /board.css HTTP/1.1\r\nHost: x\r\n\r\n"));
  std::string pending;
  for (int status : {200, 404, 422, 200}) EXPECT_EQ(ReadRawReply(client, &pending).status, status);
}

TEST_F(Attack, ChunkedBodiesWithTrailersAreTaken) {
  Start();
  const std::string file = SampleValidationFile(SampleReport());
  char size[16];
  std::snprintf(size, sizeof size, "%zx", file.size());
  const RawReply reply =
      Exchange("POST /api/results HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" +
               std::string(size) + "\r\n" + file + "\r\n0\r\nX-Checksum: 1\r\n\r\n");
  EXPECT_EQ(reply.status, 201) << reply.body;
}

// A header dripped byte by byte gets 408 at the header deadline and is
// closed; an idle connection is closed without a word; a body slower than
// the minimum rate gets 408. The board answers others all the while.
TEST_F(Attack, SlowAndIdleConnectionsAreEnded) {
  Start();
  RawClient* dripping = Connect();
  RawClient* idle = Connect();
  RawClient* slowBody = Connect();
  ASSERT_TRUE(SendRaw(slowBody, "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 5000\r\n\r\nab"));
  const std::string header = "GET /healthz HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(200, 'a');
  // The header never ends; dripped past the deadline, it is refused.
  size_t sent = 0;
  EXPECT_TRUE(WaitFor([&] { return sent == header.size() || !SendRaw(dripping, header.substr(sent++, 1)); },
                      "the header to be dripped"));
  std::string pending;
  EXPECT_EQ(ReadRawReply(dripping, &pending).status, 408);
  EXPECT_TRUE(WaitClosed(dripping));
  std::string rest;
  EXPECT_TRUE(WaitClosed(idle, &rest));
  EXPECT_EQ(rest, "") << "an idle connection is closed quietly";
  std::string slowPending;
  EXPECT_EQ(ReadRawReply(slowBody, &slowPending).status, 408);
  EXPECT_TRUE(Healthy());
}

// A header dripped without a pause keeps the server's reads completing one
// after another; the deadline's cancel can fall between two of them, and it
// must still end the request. Forty connections make that moment likely.
TEST_F(Attack, HeadersDrippedWithoutAPauseAreAllRefusedAtTheirDeadline) {
  settings_.maxConnectionsPerAddress = 0;
  Start();
  constexpr size_t CONNECTIONS = 120;
  std::vector<RawClient*> dripping;
  for (size_t i = 0; i < CONNECTIONS; ++i) dripping.push_back(Connect());
  const std::string header = "GET /healthz HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(8000, 'a');
  std::vector<size_t> sent(CONNECTIONS, 0);
  std::vector<bool> open(CONNECTIONS, true);
  // A byte on each connection about every millisecond, past the deadline.
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(2 * settings_.headerTimeoutMs);
  while (std::chrono::steady_clock::now() < until) {
    for (size_t i = 0; i < CONNECTIONS; ++i)
      if (open[i] && sent[i] < header.size()) open[i] = SendRaw(dripping[i], header.substr(sent[i]++, 1));
  }
  for (size_t i = 0; i < CONNECTIONS; ++i) {
    std::string pending;
    EXPECT_EQ(ReadRawReply(dripping[i], &pending).status, 408) << "connection " << i;
  }
  EXPECT_TRUE(Healthy());
}

TEST_F(Attack, ConnectionsPerAddressAreLimited) {
  settings_.maxConnectionsPerAddress = 3;
  settings_.idleTimeoutMs = settings_.headerTimeoutMs = 60000;  // the three stay open
  Start();
  std::vector<RawClient*> held;
  for (int i = 0; i < 3; ++i) {
    held.push_back(Connect());
    std::string pending;
    ASSERT_TRUE(SendRaw(held.back(), "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n"));
    ASSERT_EQ(ReadRawReply(held.back(), &pending).status, 200) << "connection " << i + 1;
  }
  RawClient* fourth = Connect();
  std::string rest;
  EXPECT_TRUE(WaitClosed(fourth, &rest)) << "the fourth connection is closed at once";
  EXPECT_EQ(rest, "");
  CloseRaw(held[0]);
  EXPECT_TRUE(WaitFor([&] { return Healthy(); }, "a connection to be taken again once one closed"));
}

// The upload cap counts the client a trusted proxy names, and ignores the
// header from anyone else.
TEST_F(Attack, OnlyTrustedProxiesNameTheClient) {
  settings_.maxUploadsPerMinute = 1;
  const struct {
    const char* name;
    std::vector<std::string> trusted;
    int secondStatus;  // the second upload, from another named client
  } cases[] = {
      {"trusted", {"127.0.0.1"}, 422},
      {"not trusted", {"10.9.9.9"}, 429},
  };
  for (const auto& c : cases) {
    settings_.trustedProxies = c.trusted;
    Start();
    const auto upload = [&](const std::string& client) {
      return Exchange("POST /api/results HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: " + client +
                      "\r\nContent-Length: 4\r\n\r\njunk")
          .status;
    };
    EXPECT_EQ(upload("203.0.113.7"), 422) << c.name;
    EXPECT_EQ(upload("203.0.113.8"), c.secondStatus) << c.name;
    EXPECT_EQ(upload("198.51.100.1, 203.0.113.7"), 429) << c.name << ": the nearest address counts";
    StopBoardServer(server_);
    server_ = nullptr;
  }
}

TEST_F(Attack, MetricsCountRequestsUploadsAndFaults) {
  Start();
  EXPECT_TRUE(Healthy());
  Exchange("POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: 4\r\n\r\njunk");
  Exchange("GET /healthz HTTP/1.1\r\nHost: x\r\n" + Headers(200) + "\r\n");
  // A request is counted once its reply is written, which the client may
  // see a moment before.
  const char* lines[] = {"quillmark_http_requests_total{route=\"/healthz\",status=\"200\"} 1",
                         "quillmark_uploads_total{outcome=\"rejected\"} 1",
                         "quillmark_faults_total{kind=\"header_limit\"} 1",
                         "quillmark_http_request_duration_seconds_bucket{le=\"+Inf\"} ",
                         "quillmark_http_connections_open ",
                         "quillmark_db_pool_in_use 0"};
  RawReply metrics;
  const bool counted = WaitFor(
      [&] {
        metrics = Exchange("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
        for (const char* line : lines)
          if (metrics.body.find(line) == std::string::npos) return false;
        return true;
      },
      "the metrics to count the three requests");
  EXPECT_TRUE(counted) << metrics.body;
  EXPECT_EQ(metrics.status, 200);
  EXPECT_NE(RawHeader(metrics, "Content-Type").find("text/plain"), std::string::npos);
}

}  // namespace
}  // namespace qm
