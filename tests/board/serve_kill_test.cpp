// quillmark-results serve killed with SIGKILL in the middle of a burst of
// uploads: every upload it answered 201 is there when the program is
// started again on the same database, on SQLite and on PostgreSQL.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/board/raw_client.h"
#include "tests/board/served_board.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"
#include "tests/support/wait_for.h"

namespace qm {
namespace {

void EndBoard(ServedBoard* child, int signal) {
  kill(child->pid, signal);
  int status = 0;
  waitpid(child->pid, &status, 0);
  close(child->errFd);
}

// The id of a 201's JSON answer, or 0.
int64_t IdOf(const RawReply& reply) {
  const size_t at = reply.body.find("\"id\":");
  return at == std::string::npos ? 0 : std::atoll(reply.body.c_str() + at + 5);
}

void UploadsSurviveAKill(const std::string& kind) {
  TestDatabase db(kind);
  QM_NEED_DATABASE(db);
  ServedBoard board;
  ASSERT_TRUE(StartServedBoard(db.url, {"--max-uploads-per-minute", "0"}, &board)) << board.err;

  constexpr int CLIENTS = 4;
  constexpr int KILL_AFTER = 40;
  std::mutex mutex;
  std::vector<int64_t> acknowledged;
  std::atomic<int> stored{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < CLIENTS; ++c) {
    clients.emplace_back([&, c] {
      for (int n = 0; n < 2000; ++n) {
        SampleReport fields;
        fields.averageMs = 1000 + c * 100000 + n;
        const std::string file = SampleValidationFile(fields);
        const RawReply reply = AskRaw(board.port, UploadRequest(file));
        if (reply.status == 0) return;  // the board is gone
        if (reply.status != 201) continue;
        std::lock_guard<std::mutex> lock(mutex);
        acknowledged.push_back(IdOf(reply));
        ++stored;
      }
    });
  }
  const bool midway = WaitFor([&] { return stored.load() >= KILL_AFTER; }, "uploads before the kill");
  EndBoard(&board, SIGKILL);
  for (std::thread& client : clients) client.join();
  ASSERT_TRUE(midway) << board.err;

  ServedBoard again;
  ASSERT_TRUE(StartServedBoard(db.url, {"--max-uploads-per-minute", "0"}, &again)) << again.err;
  int missing = 0;
  for (int64_t id : acknowledged) {
    const RawReply found =
        AskRaw(again.port, "GET /api/results/" + std::to_string(id) + " HTTP/1.1\r\nHost: x\r\n\r\n");
    if (id == 0 || found.status != 200) ++missing;
  }
  EndBoard(&again, SIGTERM);
  EXPECT_EQ(missing, 0) << "of " << acknowledged.size() << " uploads answered 201";
}

TEST(ServeKilled, EveryAcknowledgedUploadIsKeptOnSqlite) { UploadsSurviveAKill("sqlite"); }
TEST(ServeKilled, EveryAcknowledgedUploadIsKeptOnPostgres) { UploadsSurviveAKill("postgres"); }

}  // namespace
}  // namespace qm
