#include "tests/support/program_run.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace qm {

ProgramRun RunProgram(const std::string& program, const std::string& arguments) {
  ProgramRun run;
  FILE* pipe = popen((program + " " + arguments + " 2>err.txt").c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadFile("err.txt");
  return run;
}

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& name) {
  std::ifstream file(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace qm
