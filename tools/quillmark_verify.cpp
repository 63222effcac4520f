// quillmark-verify: reads a validation file back.
//
//   quillmark-verify FILE.verify               the report, to standard output
//   quillmark-verify FILE.verify -o REPORT     the report, into the file REPORT
//   quillmark-verify FILE.verify REPORT        does FILE.verify hold REPORT?
//   quillmark-verify --help | --version
//
// Exit status: 0 done (or match, help, version), 1 mismatch, 2 the validation file (or the
// report to compare) cannot be read or is not one Quillmark writes, 3 usage
// or the output cannot be written.
//
// A file is one Quillmark writes when it decrypts with the program's key to
// a report that passes the board's report check, or to the empty report
// (the program encrypts an empty ".txt" when no report was saved). The
// compare mode asks only that the file decrypts: it says "match" whenever
// the file holds exactly the given report's bytes.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/program_identity.h"
#include "export/report_check.h"
#include "export/whole_file.h"
#include "platform/standard_output.h"
#include "platform/text.h"

namespace qm {
namespace {

constexpr int EXIT_MATCH = 0;
constexpr int EXIT_MISMATCH = 1;
constexpr int EXIT_MALFORMED = 2;
constexpr int EXIT_USAGE = 3;

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stderr);
  std::fflush(stderr);
}

constexpr char USAGE[] =
    "usage: quillmark-verify FILE.verify [-o REPORT]   writes the report held in FILE.verify\n"
    "       quillmark-verify FILE.verify REPORT        says whether FILE.verify holds REPORT\n"
    "       quillmark-verify --help | --version\n";

constexpr char HELP[] =
    "\n"
    "Reads a Quillmark validation file (info_<stamp>.txt.verify) back into the\n"
    "report it was made from, and checks that it is one Quillmark writes.\n"
    "Exit status: 0 done or match, 1 mismatch, 2 a file that cannot be read or\n"
    "is not one Quillmark writes, 3 wrong arguments or an output file that\n"
    "cannot be written.\n";

int Usage() {
  std::fputs(USAGE, stderr);
  return EXIT_USAGE;
}

// --help and --version answer on standard output; nothing else is read.
int Answer(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 ? EXIT_MATCH : EXIT_USAGE;
}

int Run(const std::vector<Text>& args) {
  if (args.size() == 1 && args[0] == u"--help") return Answer(std::string(USAGE) + HELP);
  if (args.size() == 1 && args[0] == u"--version")
    return Answer("quillmark-verify " + Utf8(PROGRAM_VERSION) + "\n");
  for (const Text& arg : args)
    if (arg == u"--help" || arg == u"--version") return Usage();
  if (args.size() != 1 && args.size() != 2 && !(args.size() == 3 && args[1] == u"-o")) return Usage();
  std::string file;
  if (!ReadWholeFile(args[0], &file)) {
    Say("cannot read " + Utf8(args[0]));
    return EXIT_MALFORMED;
  }
  std::string report;
  ReportFields fields;
  const ValidationVerdict check = CheckValidationFile(file, &report, &fields);
  // Comparing asks only whether the file holds the given bytes; what those
  // bytes say is the check's business when the report is read out.
  // A file over the size cap is not decrypted at all.
  const bool decrypted = check.file == ValidationCheck::Valid && check.report != ReportCheck::Size;
  const bool comparing = args.size() == 2;
  const bool emptyReport = decrypted && report.empty();
  if (!check.passed() && !emptyReport && !(comparing && decrypted)) {
    Say(Utf8(args[0]) + " is not one Quillmark writes: " + check.reason);
    return EXIT_MALFORMED;
  }
  if (args.size() == 1) return WriteStandardOutput(report.data(), report.size()) ? EXIT_MATCH : EXIT_USAGE;
  if (args.size() == 3) {
    if (WriteWholeFile(args[2], OpenMode::CreateAlwaysWrite, report)) return EXIT_MATCH;
    Say("cannot write " + Utf8(args[2]));
    return EXIT_USAGE;
  }
  std::string given;
  if (!ReadWholeFile(args[1], &given)) {
    Say("cannot read " + Utf8(args[1]));
    return EXIT_MALFORMED;
  }
  const bool match = given == report;
  std::string verdict = match ? "match" : "mismatch";
  std::fputs((verdict + "\n").c_str(), stdout);
  return match ? EXIT_MATCH : EXIT_MISMATCH;
}

}  // namespace
}  // namespace qm

// Arguments arrive as UTF-16 on Windows (wmain, linked with -municode) and
// as UTF-8 elsewhere, so that any file name survives.
#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<qm::Text> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return qm::Run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<qm::Text> args;
  for (int i = 1; i < argc; ++i) args.push_back(qm::FromUtf8(argv[i]));
  return qm::Run(args);
}
#endif
