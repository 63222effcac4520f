#include "board_process.h"

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

namespace qm {
namespace {

constexpr int WAIT_SECONDS = 60;

// The port of serve.log's "serving http://127.0.0.1:PORT/" line, or 0.
int ListeningPort() {
  static const std::regex serving(R"(serving http://127\.0\.0\.1:(\d+)/)");
  std::stringstream log;
  log << std::ifstream("serve.log").rdbuf();
  const std::string text = log.str();
  std::smatch found;
  return std::regex_search(text, found, serving) ? std::stoi(found[1]) : 0;
}

}  // namespace

bool StartBoardProcess(const std::string& program, const std::vector<std::string>& options,
                       BoardProcess* board) {
  std::vector<std::string> arguments = {program, "serve", "--listen", "127.0.0.1:0"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "serve.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int started = posix_spawn(&board->pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) {
    std::printf("cannot start %s\n", program.c_str());
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(WAIT_SECONDS);
  while (std::chrono::steady_clock::now() < deadline) {
    board->port = ListeningPort();
    if (board->port != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::printf("the board did not say where it listens within %d s\n", WAIT_SECONDS);
  return false;
}

int StopBoardProcess(const BoardProcess& board) {
  kill(board.pid, SIGTERM);
  int status = 0;
  waitpid(board.pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int64_t StoredTotal(int port) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(WAIT_SECONDS);
  auto res = client.Get("/api/results?limit=1");
  if (!res || res->status != 200) return -1;
  const nlohmann::json answer = nlohmann::json::parse(res->body, nullptr, false);
  return answer.is_object() && answer["total"].is_number_integer() ? answer["total"].get<int64_t>() : -1;
}

}  // namespace qm
