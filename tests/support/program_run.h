// Running one of the programs from a test, in the current folder, and the
// small files around it.
#pragma once

#include <string>

namespace qm {

struct ProgramRun {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// program + " " + arguments through the shell; standard error goes by way of
// the file err.txt in the current folder.
ProgramRun RunProgram(const std::string& program, const std::string& arguments);

void WriteFile(const std::string& name, const std::string& bytes);
std::string ReadFile(const std::string& name);

}  // namespace qm
