// The board's PostgreSQL server restarted under it: every request is
// answered meanwhile (503 while the server is away), and the first upload
// after the restart is stored: the pooled connections the restart broke are
// dropped, not handed out again. Run alone, as the restart ends every other
// test's sessions too.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "results/http/board_server.h"
#include "results/result_store.h"
#include "tests/board/raw_client.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

RawReply Upload(int port, int64_t averageMs) {
  SampleReport fields;
  fields.averageMs = averageMs;
  const std::string file = SampleValidationFile(fields);
  return AskRaw(port, UploadRequest(file));
}

// A few connections in the pool, as a board in use has.
void FillPool(int port, int64_t firstAverageMs) {
  std::thread uploaders[4];
  for (int t = 0; t < 4; ++t)
    uploaders[t] =
        std::thread([port, t, firstAverageMs] { EXPECT_EQ(Upload(port, firstAverageMs + t).status, 201); });
  for (std::thread& uploader : uploaders) uploader.join();
}

TEST(PostgresRestart, TheBoardAnswersThroughItAndStoresTheNextUpload) {
  TestDatabase db("postgres");
  QM_NEED_DATABASE(db);
  const char* restart = std::getenv("QM_TEST_POSTGRES_RESTART");
  if (restart == nullptr || *restart == '\0')
    GTEST_SKIP() << "QM_TEST_POSTGRES_RESTART is not set: no command to restart the test server with "
                    "(scripts/postgres-session.sh sets it)";
  StoreOptions options;
  options.lockWaitMs = 1000;
  std::string error;
  ResultStore* store = OpenResultStore(db.url, options, &error);
  ASSERT_NE(store, nullptr) << error;
  BoardSettings settings;
  settings.logRequests = false;
  settings.maxUploadsPerMinute = 0;
  BoardServer* server = StartBoardServer(store, "127.0.0.1", 0, settings, &error);
  ASSERT_NE(server, nullptr) << error;
  const int port = BoardServerPort(server);

  FillPool(port, 500);
  // Meanwhile a client asks on, each answer bounded by the raw client.
  std::atomic<bool> restarted{false};
  std::atomic<int> unanswered{0}, asked{0};
  std::thread client([&] {
    for (int64_t n = 0; n < 2000 && !restarted.load(); ++n) {
      const int status = Upload(port, 10000 + n).status;
      if (status != 201 && status != 503) ++unanswered;
      if (AskRaw(port, "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n").status != 200) ++unanswered;
      ++asked;
    }
  });
  const int restartStatus = std::system(restart);
  restarted.store(true);
  client.join();
  ASSERT_EQ(restartStatus, 0) << "the restart command failed: " << restart;
  EXPECT_EQ(unanswered.load(), 0) << "of " << asked.load() << " rounds while the server restarted";

  const RawReply stored = Upload(port, 1000);
  EXPECT_EQ(stored.status, 201) << stored.body;

  // Restarted while the board is quiet: its pooled connections are all
  // dead, and none may fail the next upload.
  FillPool(port, 600);
  ASSERT_EQ(std::system(restart), 0) << "the restart command failed: " << restart;
  const RawReply next = Upload(port, 1001);
  EXPECT_EQ(next.status, 201) << next.body;
  const RawReply listed = AskRaw(port, "GET /api/results?limit=1 HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(listed.status, 200) << listed.body;
  StopBoardServer(server);
  CloseResultStore(store);
}

}  // namespace
}  // namespace qm
