// The board with its SQLite database locked by another program: uploads
// are refused at once with 503 and Retry-After while pages answer, and the
// next upload after the lock is gone is stored, without a restart.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "results/http/board_server.h"
#include "results/result_store.h"
#include "tests/board/raw_client.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

RawReply Ask(int port, const std::string& request) {
  RawClient client;
  RawReply reply;
  std::string pending;
  if (ConnectRaw(&client, port) && SendRaw(&client, request)) reply = ReadRawReply(&client, &pending);
  CloseRaw(&client);
  return reply;
}

RawReply Upload(int port, const std::string& file) {
  return Ask(port, "POST /api/results HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(file.size()) +
                       "\r\n\r\n" + file);
}

TEST(Fault, ALockHeldElsewhereGets503AndPassesWithoutARestart) {
  TestDatabase db("sqlite");
  QM_NEED_DATABASE(db);
  StoreOptions options;
  options.lockWaitMs = 200;
  std::string error;
  ResultStore* store = OpenResultStore(db.url, options, &error);
  ASSERT_NE(store, nullptr) << error;
  BoardSettings settings;
  settings.logRequests = false;
  settings.maxUploadsPerMinute = 0;
  BoardServer* server = StartBoardServer(store, "127.0.0.1", 0, settings, &error);
  ASSERT_NE(server, nullptr) << error;
  const int port = BoardServerPort(server);

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.url.substr(7).c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  SampleReport fields;
  for (int n = 0; n < 3; ++n) {
    fields.averageMs = 1000 + n;
    const RawReply refused = Upload(port, SampleValidationFile(fields));
    EXPECT_EQ(refused.status, 503) << refused.body;
    EXPECT_EQ(RawHeader(refused, "Retry-After"), "1");
  }
  EXPECT_EQ(Ask(port, "GET /api/results HTTP/1.1\r\nHost: x\r\n\r\n").status, 200) << "reading goes on";
  EXPECT_EQ(Ask(port, "GET / HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  fields.averageMs = 1000;
  const RawReply stored = Upload(port, SampleValidationFile(fields));
  EXPECT_EQ(stored.status, 201) << stored.body;
  StopBoardServer(server);
  CloseResultStore(store);
}

}  // namespace
}  // namespace qm
