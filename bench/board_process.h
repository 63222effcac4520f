// A quillmark-results board as its own process, for the benchmarks that
// measure it from outside: started on a free port of 127.0.0.1, asked how
// many results it holds, and stopped as an operator stops it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct BoardProcess {
  pid_t pid = 0;
  int port = 0;
};

// Runs `PROGRAM serve --listen 127.0.0.1:0` and the options after it, its
// log in serve.log in the current folder, and waits for the line that says
// where it listens. false (said on stdout) when it did not start.
bool StartBoardProcess(const std::string& program, const std::vector<std::string>& options,
                       BoardProcess* board);

// SIGTERM, then its exit status (-1 when it did not exit by itself).
int StopBoardProcess(const BoardProcess& board);

// The board's total of results, from /api/results; -1 when unread.
int64_t StoredTotal(int port);

}  // namespace qm
