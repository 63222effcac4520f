// quillmark-results serve as a process: it logs one line per request and
// the open-file limit it took, and SIGTERM ends it with status 0 even while
// a client keeps dripping header bytes at it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "tests/board/raw_client.h"
#include "tests/board/served_board.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait_for.h"

namespace qm {
namespace {

TEST(Serve, LogsEachRequestAndEndsAtSigtermDespiteADrippingClient) {
  ScratchFolder folder;
  ServedBoard served;
  ASSERT_TRUE(StartServedBoard("sqlite:" + folder.Path().string() + "/board.db", {}, &served)) << served.err;
  EXPECT_NE(served.err.find("open files limit "), std::string::npos) << served.err;

  RawClient probe;
  ASSERT_TRUE(ConnectRaw(&probe, served.port));
  ASSERT_TRUE(SendRaw(&probe, "GET /healthz?x=1 HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
  std::string pending;
  EXPECT_EQ(ReadRawReply(&probe, &pending).status, 200);
  CloseRaw(&probe);
  EXPECT_TRUE(WaitFor(
      [&] {
        DrainErr(&served);
        return served.err.find(" 127.0.0.1 GET /healthz 200 3 ") != std::string::npos;
      },
      "the access line of GET /healthz"))
      << served.err;

  // A client that sends a header byte now and then and never finishes.
  RawClient dripping;
  ASSERT_TRUE(ConnectRaw(&dripping, served.port));
  ASSERT_TRUE(SendRaw(&dripping, "GET / HTTP/1.1\r\nHost: x\r\nX-Slow: "));
  std::atomic<bool> stop{false};
  std::thread drip([&] {
    for (int i = 0; i < 3000 && !stop; ++i) {
      if (!SendRaw(&dripping, "a")) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  ASSERT_EQ(kill(served.pid, SIGTERM), 0);
  int status = -1;
  const bool ended = WaitFor([&] { return waitpid(served.pid, &status, WNOHANG) == served.pid; },
                             "quillmark-results to end after SIGTERM");
  stop = true;
  drip.join();
  CloseRaw(&dripping);
  if (!ended) {
    kill(served.pid, SIGKILL);
    waitpid(served.pid, &status, 0);
  }
  DrainErr(&served);
  close(served.errFd);
  ASSERT_TRUE(ended) << served.err;
  ASSERT_TRUE(WIFEXITED(status)) << served.err;
  EXPECT_EQ(WEXITSTATUS(status), 0) << served.err;
  EXPECT_NE(served.err.find("the database is closed"), std::string::npos) << served.err;
}

}  // namespace
}  // namespace qm
