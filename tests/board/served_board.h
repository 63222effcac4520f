// quillmark-results serve as a child process of a test, its standard error
// read as it comes: for the tests of the program itself (its log, how it
// ends on a signal, what survives SIGKILL).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qm {

struct ServedBoard {
  pid_t pid = -1;
  int errFd = -1;  // the program's standard error, read without blocking
  std::string err;
  int port = 0;
};

// Runs `serve --db DB --listen 127.0.0.1:0` and the options after it, and
// waits (bounded) for the line that says where it serves.
bool StartServedBoard(const std::string& db, const std::vector<std::string>& options, ServedBoard* served);

// Adds what the program has written to standard error so far to served->err.
void DrainErr(ServedBoard* served);

}  // namespace qm
