// quillmark-results as a user runs it: import's lines and exit status, the
// usage, and the progress bar of a long import.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "results/import_files.h"
#include "tests/support/program_run.h"
#include "tests/support/report_fixtures.h"
#include "tests/support/result_samples.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

ProgramRun RunResults(const std::string& arguments) { return RunProgram(QM_RESULTS_PROGRAM, arguments); }

void Write(const std::string& name, const std::string& bytes) { WriteFile(name, bytes); }

TEST(ImportProgram, OneLinePerFileAndTheExitStatus) {
  ScratchFolder folder;
  SampleReport sample;
  sample.averageMs = 2000;
  Write("console.verify", console_verify());
  Write("windows.verify", windows_verify());
  Write("sample.verify", SampleValidationFile(sample));
  Write("copy.verify", console_verify());
  Write("garbage.verify", "not a validation file at all");
  std::filesystem::create_directory("folder.verify");

  ProgramRun run = RunResults(
      "import --db sqlite:board.db console.verify windows.verify sample.verify copy.verify garbage.verify "
      "missing.verify folder.verify");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "added 1 console.verify\n"
            "added 2 windows.verify\n"
            "added 3 sample.verify\n"
            "duplicate 1 copy.verify\n"
            "rejected garbage.verify: not a validation file: its size is not 4096 x N + 4 bytes\n"
            "rejected missing.verify: cannot read it: No such file or directory\n"
            "rejected folder.verify: cannot read it: not a regular file\n");
  EXPECT_EQ(run.err, "");  // no bar when standard error is not a terminal

  // Nothing rejected: exit 0; the results from before are still there.
  run = RunResults("import --db sqlite:board.db sample.verify");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "duplicate 3 sample.verify\n");
  // The default database lies in the current folder.
  run = RunResults("import -- console.verify");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "added 1 console.verify\n");
  EXPECT_TRUE(std::filesystem::exists("quillmark-results.db"));

  run = RunResults("import --db sqlite:/nonexistent-folder/board.db console.verify");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("cannot open the database sqlite:/nonexistent-folder/board.db"), std::string::npos)
      << run.err;
}

TEST(ImportProgram, TheOperatorDeletesResults) {
  ScratchFolder folder;
  Write("console.verify", console_verify());
  Write("windows.verify", windows_verify());
  ASSERT_EQ(RunResults("import --db sqlite:board.db console.verify windows.verify").status, 0);
  ProgramRun run = RunResults("delete --db sqlite:board.db 2 7");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "deleted 2\nno result 7\n");
  run = RunResults("delete --db sqlite:board.db 1");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "deleted 1\n");
  // Gone from the board: the same file is a new result, under a new id.
  run = RunResults("import --db sqlite:board.db windows.verify");
  EXPECT_EQ(run.out, "added 3 windows.verify\n");
  for (const char* wrong : {"delete", "delete --db sqlite:board.db", "delete --db sqlite:board.db x",
                            "delete 0", "delete --db"}) {
    run = RunResults(wrong);
    EXPECT_EQ(run.status, 64) << wrong;
    EXPECT_NE(run.err.find("Usage: quillmark-results"), std::string::npos) << wrong;
  }
}

// A mistyped database for a command that works on a board that is there
// is an error, and leaves no new empty board behind.
TEST(ImportProgram, DeleteAndBackupNeedABoardThatIsThere) {
  ScratchFolder folder;
  for (const char* command : {"delete --db sqlite:typo.db 1", "backup --db sqlite:typo.db copy.db"}) {
    ProgramRun run = RunResults(command);
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_NE(run.err.find("there is no database at typo.db"), std::string::npos) << command << run.err;
    EXPECT_FALSE(std::filesystem::exists("typo.db")) << command;
    EXPECT_FALSE(std::filesystem::exists("copy.db")) << command;
  }
}

TEST(ImportProgram, UsageHelpAndVersion) {
  ScratchFolder folder;
  ProgramRun help = RunResults("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: quillmark-results serve [--db DB] [--listen HOST:PORT]", 0), 0u)
      << help.out;
  ProgramRun version = RunResults("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillmark-results V2.08\n");
  for (const char* wrong :
       {"", "--bogus", "export", "import", "import --db", "import --force x.verify", "serve --listen",
        "serve --listen 8080", "serve --listen host:99999", "serve --max-uploads-per-minute -1",
        "serve --max-uploads-per-minute ten", "serve --port 80", "--help extra",
        "serve --header-deadline-ms 0", "serve --header-deadline-ms 10s", "serve --min-body-rate -5",
        "serve --min-body-rate fast", "serve --min-body-rate"}) {
    ProgramRun run = RunResults(wrong);
    EXPECT_EQ(run.status, 64) << wrong;
    EXPECT_EQ(run.out, "") << wrong;
    EXPECT_NE(run.err.find("Usage: quillmark-results"), std::string::npos) << wrong;
  }
}

TEST(ImportFiles, DrawsABarForManyFiles) {
  ScratchFolder folder;
  std::string error;
  ResultStore* store = OpenResultStore("sqlite:board.db", &error);
  ASSERT_NE(store, nullptr) << error;
  std::vector<std::string> files;
  for (int i = 0; i < 25; ++i) {
    SampleReport sample;
    sample.averageMs = 1000 + i;
    files.push_back("r" + std::to_string(i) + ".verify");
    Write(files.back(), SampleValidationFile(sample));
  }
  FILE* out = std::tmpfile();
  FILE* bar = std::tmpfile();
  ImportCounts counts = ImportFiles(store, files, out, bar);
  CloseResultStore(store);
  EXPECT_EQ(counts.added, 25);
  EXPECT_EQ(counts.rejected, 0);
  auto text = [](FILE* file) {
    std::string all(static_cast<size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    EXPECT_EQ(std::fread(all.data(), 1, all.size(), file), all.size());
    std::fclose(file);
    return all;
  };
  const std::string lines = text(out);
  const std::string drawn = text(bar);
  EXPECT_EQ(lines.rfind("added 1 r0.verify\n", 0), 0u);
  EXPECT_NE(drawn.find("] 25/25"), std::string::npos);
  EXPECT_EQ(drawn.substr(drawn.size() - 4), "\r\033[K");  // cleared at the end
}

}  // namespace
}  // namespace qm
