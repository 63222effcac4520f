#include "tests/board/served_board.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/wait_for.h"

namespace qm {

void DrainErr(ServedBoard* served) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(served->errFd, buffer, sizeof buffer);
    if (n <= 0) return;
    served->err.append(buffer, static_cast<size_t>(n));
  }
}

bool StartServedBoard(const std::string& db, const std::vector<std::string>& options, ServedBoard* served) {
  // Made before the fork: the child of a threaded test only execs.
  std::vector<std::string> arguments = {QM_RESULTS_PROGRAM, "serve", "--db", db, "--listen", "127.0.0.1:0"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  served->pid = fork();
  if (served->pid == 0) {
    dup2(pipeFds[1], STDERR_FILENO);
    close(pipeFds[0]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  served->errFd = pipeFds[0];
  fcntl(served->errFd, F_SETFL, O_NONBLOCK);
  const std::string marker = "serving http://127.0.0.1:";
  return WaitFor(
      [&] {
        DrainErr(served);
        const size_t at = served->err.find(marker);
        if (at == std::string::npos) return false;
        served->port = std::atoi(served->err.c_str() + at + marker.size());
        return served->port > 0;
      },
      "quillmark-results to say where it serves");
}

}  // namespace qm
