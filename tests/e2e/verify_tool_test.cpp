// quillmark-verify itself, on files the programs wrote: it reads back what
// Quillmark writes and calls anything else "not one Quillmark writes".
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/report_fixtures.h"
#include "tests/support/result_samples.h"
#include "tests/support/scratch_folder.h"

namespace qm {
namespace {

ProgramRun RunTool(const std::string& arguments) { return RunProgram(QM_VERIFY_TOOL, arguments); }

void Write(const std::string& name, const std::string& bytes) { WriteFile(name, bytes); }
std::string Read(const std::string& name) { return ReadFile(name); }

TEST(VerifyTool, ReadsBackWhatQuillmarkWrites) {
  ScratchFolder folder;
  const std::string windows = SampleReportBytes(SampleReport());
  std::vector<std::string> reports = {windows};
  for (const std::string& written : {console_verify(), windows_verify()}) {
    Write("written.verify", written);
    ProgramRun shown = RunTool("written.verify");
    ASSERT_EQ(shown.status, 0) << shown.err;
    reports.push_back(shown.out);
  }
  for (const std::string& report : reports) {
    Write("r.txt", report);
    Write("r.txt.verify", ValidationFileOf(report));
    ProgramRun shown = RunTool("r.txt.verify");
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, report);
    EXPECT_EQ(RunTool("r.txt.verify -o back.txt").status, 0);
    EXPECT_EQ(Read("back.txt"), report);
    ProgramRun match = RunTool("r.txt.verify r.txt");
    EXPECT_EQ(match.status, 0);
    EXPECT_EQ(match.out, "match\n");
  }
  // Compare mode says "match" for exactly the file's bytes, whatever they
  // say: a report of a UNC folder, or one the check would refuse.
  SampleReport unc;
  unc.driveUnderTest = u"\\\\s";
  SampleReport impossible;
  impossible.averageMs = 3;
  for (const std::string& report : {SampleReportBytes(unc), SampleReportBytes(impossible)}) {
    Write("r.txt", report);
    Write("r.txt.verify", ValidationFileOf(report));
    ProgramRun match = RunTool("r.txt.verify r.txt");
    EXPECT_EQ(match.status, 0) << match.err;
    EXPECT_EQ(match.out, "match\n");
  }
  EXPECT_EQ(RunTool("r.txt.verify").status, 2);  // the impossible one, read out
  // The empty report's file is one the program writes too (".txt.verify").
  Write("empty.verify", std::string("\x00\x10\x00\x00", 4));
  EXPECT_EQ(RunTool("empty.verify").status, 0);
  EXPECT_EQ(RunTool("empty.verify r.txt").status, 1);
  Write("other.txt", windows);
  EXPECT_EQ(RunTool("r.txt.verify other.txt").status, 1);
}

TEST(VerifyTool, RefusesWhatQuillmarkDoesNotWrite) {
  ScratchFolder folder;
  const std::string report = SampleReportBytes(SampleReport());
  Write("r.txt", report);
  std::string speed = report;
  speed.replace(speed.find("MB/s: 1.621"), 11, "MB/s: 9.621");
  struct Case {
    const char* what;
    std::string file;
    const char* reason;
  };
  const Case cases[] = {
      // A full last block and any key: no padding to tell it apart before.
      {"noise of the right size", std::string(4096, '\x5a') + std::string("\x00\x10\x00\x00", 4),
       "check \"UTF-8 text\" failed"},
      {"a text that is not a report", ValidationFileOf("Hello\r\n"), "check \"title record\" failed"},
      {"a forged speed", ValidationFileOf(speed), "check \"MB/s\" failed"},
      {"cut", ValidationFileOf(report).substr(1), "its size is not 4096 x N + 4 bytes"},
  };
  for (const Case& c : cases) {
    Write("bad.verify", c.file);
    // Comparing asks only whether the file holds the report's bytes.
    const bool decrypts = c.file.size() % 4096 == 4;
    if (decrypts) {
      EXPECT_EQ(RunTool("bad.verify r.txt").status, 1) << c.what;
    }
    for (const char* arguments : {"bad.verify", "bad.verify r.txt", "bad.verify -o out.txt"}) {
      if (decrypts && std::string(arguments) == "bad.verify r.txt") continue;
      ProgramRun run = RunTool(arguments);
      EXPECT_EQ(run.status, 2) << c.what << ", " << arguments;
      EXPECT_EQ(run.out, "") << c.what;
      EXPECT_NE(run.err.find("bad.verify is not one Quillmark writes: "), std::string::npos) << run.err;
      EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.what << ": " << run.err;
    }
  }
  EXPECT_EQ(RunTool("missing.verify").status, 2);
  Write("good.verify", ValidationFileOf(report));
  EXPECT_EQ(RunTool("good.verify missing.txt").status, 2);
  EXPECT_EQ(RunTool("").status, 3);
}

TEST(VerifyTool, HelpAndVersionAnswerOnStandardOutput) {
  ScratchFolder folder;
  const ProgramRun help = RunTool("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: quillmark-verify FILE.verify", 0), 0u) << help.out;
  const ProgramRun version = RunTool("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "quillmark-verify V2.08\n");
  // Only alone are they answers; with a file they are wrong arguments.
  EXPECT_EQ(RunTool("--help x.verify").status, 3);
}

}  // namespace
}  // namespace qm
