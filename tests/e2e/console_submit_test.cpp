// quillmark --submit: the upload to a real HTTP server on 127.0.0.1 that
// answers as a board would, or refuses, or is gone.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>

#include "console/submit_result.h"
#include "tests/support/result_samples.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

// A board on a free port: each path answers what the test put there.
class FakeBoard {
 public:
  FakeBoard() {
    answer("/api/results", 201,
           R"({"id":7,"url":"/results/7","duplicate":false,"speed":"1.621","averageMs":1234})");
    answer("/board/api/results", 200, R"({"id":7,"url":"results/7","duplicate":true})");
    answer("/refusing/api/results", 422, R"({"error":"not a Quillmark report: check \"MB/s\" failed"})");
    answer("/busy/api/results", 429, "Too many uploads\nfrom this address");
    answer("/odd/api/results", 201, "<html>ok</html>");
    port_ = server_.bind_to_any_port("127.0.0.1");
    // The socket listens from here on: a client may connect before the
    // accept loop runs.
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~FakeBoard() { stop(); }

  void stop() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }
  std::string contentType() {
    std::lock_guard<std::mutex> lock(mutex_);
    return contentType_;
  }

 private:
  void answer(const std::string& path, int status, const std::string& body) {
    server_.Post(path, [this, status, body](const httplib::Request& request, httplib::Response& response) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        received_ = request.body;
        contentType_ = request.get_header_value("Content-Type");
      }
      response.status = status;
      response.set_content(body, body[0] == '{' ? "application/json" : "text/plain");
    });
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::string received_, contentType_;
};

TEST(SubmitToBoard, SendsTheFileAndGivesTheAbsoluteAddress) {
  FakeBoard board;
  ASSERT_GT(board.url().size(), std::string("http://127.0.0.1:").size());
  const std::string file = SampleValidationFile(SampleReport());
  SubmitAnswer answer = SubmitToBoard(board.url(), file);
  ASSERT_TRUE(answer.accepted) << answer.problem;
  EXPECT_EQ(answer.address, board.url() + "/results/7");
  EXPECT_FALSE(answer.duplicate);
  EXPECT_EQ(board.received(), file);
  EXPECT_EQ(board.contentType(), "application/octet-stream");

  // Under a path, with a relative address and a slash at the end of the URL.
  answer = SubmitToBoard(board.url() + "/board/", file);
  ASSERT_TRUE(answer.accepted) << answer.problem;
  EXPECT_EQ(answer.address, board.url() + "/board/results/7");
  EXPECT_TRUE(answer.duplicate);
}

TEST(SubmitToBoard, SaysWhyTheBoardDidNotTakeIt) {
  FakeBoard board;
  const std::string file = SampleValidationFile(SampleReport());
  struct Case {
    std::string url;
    std::string problem;
  };
  const Case cases[] = {
      {board.url() + "/refusing",
       "did not take the result (HTTP 422): not a Quillmark report: check \"MB/s\" failed"},
      {board.url() + "/busy", "did not take the result (HTTP 429): Too many uploads"},
      {board.url() + "/missing", "did not take the result (HTTP 404)"},
      {board.url() + "/odd", "answered without the result's address"},
      {"ftp://127.0.0.1/", "not a board address"},
  };
  for (const Case& c : cases) {
    SubmitAnswer answer = SubmitToBoard(c.url, file);
    EXPECT_FALSE(answer.accepted) << c.url;
    EXPECT_NE(answer.problem.find(c.problem), std::string::npos) << c.url << ": " << answer.problem;
  }
  const std::string gone = board.url();
  board.stop();
  SubmitAnswer answer = SubmitToBoard(gone, file);
  EXPECT_FALSE(answer.accepted);
  EXPECT_EQ(answer.problem,
            "the board at " + gone +
                " cannot be reached: no connection (is the address right, and the board running?)");
}

std::string Contents(std::FILE* file) {
  std::string all(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  EXPECT_EQ(std::fread(all.data(), 1, all.size(), file), all.size());
  std::fclose(file);
  return all;
}

TEST(SubmitSavedResult, SendsTheSavedReportsValidationFile) {
  ScratchFolder folder;
  FakeBoard board;
  const std::string file = SampleValidationFile(SampleReport());
  std::ofstream("info_x.txt.verify", std::ios::binary) << file;
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_TRUE(SubmitSavedResult(board.url(), u"info_x.txt", out, err));
  EXPECT_FALSE(SubmitSavedResult(board.url() + "/refusing", u"info_x.txt", out, err));
  EXPECT_FALSE(SubmitSavedResult(board.url(), u"", out, err));  // the report could not be saved
  EXPECT_EQ(board.received(), file);
  EXPECT_EQ(Contents(out), "submitted " + board.url() + "/results/7\n");
  EXPECT_EQ(
      Contents(err),
      "quillmark: the board at " + board.url() +
          "/refusing did not take the result (HTTP 422): not a Quillmark report: check \"MB/s\" failed\n"
          "quillmark: the validation file of this run could not be saved, so nothing was sent\n");
}

TEST(ConsoleSubmitOption, AWrongAddressIsAUsageErrorBeforeAnyRun) {
  ScratchFolder folder;
  for (const char* arguments : {"--submit", "--submit board.example", "--submit http://", "--json --json"}) {
    const int status =
        std::system((std::string(QM_CONSOLE_PROGRAM) + " " + arguments + " >out.txt 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 64) << arguments;
  }
  EXPECT_FALSE(std::ifstream("tmp.tmp").good());  // nothing was run
}

}  // namespace
}  // namespace qm
