// The console edition's arguments: --help and --version answer and write
// nothing; anything else is a usage error before anything runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/program_run.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

// Runs the console edition in the folder "start", so that what it writes
// there can be told from the test's own files.
ProgramRun RunConsoleIn(const std::string& arguments) {
  return RunProgram(std::string("(cd start && ") + QM_CONSOLE_PROGRAM, arguments + ")");
}

TEST(ConsoleEditionExit, HelpVersionAndNothingElse) {
  ScratchFolder folder;
  fs::create_directory("start");
  const ProgramRun version = RunConsoleIn("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Quillmark V2.08 - Orvanta\n");
  const ProgramRun help = RunConsoleIn("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: quillmark"), std::string::npos);
  for (const char* wrong : {"--start", "extra words", "--help --version"}) {
    const ProgramRun refused = RunConsoleIn(wrong);
    EXPECT_EQ(refused.status, 64) << wrong;
    EXPECT_NE(refused.err.find("Usage: quillmark"), std::string::npos) << wrong;
  }
  EXPECT_TRUE(fs::is_empty("start"));
}

}  // namespace
}  // namespace qm
