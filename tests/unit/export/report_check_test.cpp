// The check of a decrypted report: real reports of both editions pass with
// their fields; every broken variant fails with the check it breaks; no
// bytes make it crash.
#include <gtest/gtest.h>

#include <functional>

#include "engine/shortest_cycle.h"
#include "export/report_check.h"
#include "export/validation_check.h"
#include "tests/support/report_fixtures.h"
#include "tests/support/result_samples.h"

namespace qm {
namespace {

std::string Decrypted(const std::string& file) {
  std::string report;
  EXPECT_EQ(DecryptValidation(file, &report), ValidationCheck::Valid);
  return report;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(ReportCheck, ConsoleEditionReportGivesItsFields) {
  ReportFields fields;
  ASSERT_EQ(CheckReport(Decrypted(console_verify()), &fields), ReportCheck::Passed);
  EXPECT_EQ(fields.edition, "Linux");
  EXPECT_EQ(fields.processor, "Intel(R) Xeon(R) Processor");
  EXPECT_EQ(fields.board, "");
  EXPECT_EQ(fields.totalMemory, "");  // the machine reports no memory modules
  EXPECT_EQ(fields.osName, "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(fields.osBuild, "6.18.44-fc-v1478");
  EXPECT_EQ(fields.driveUnderTest, "/");
  EXPECT_EQ(fields.driveCapacity, "251.972");
  EXPECT_EQ(fields.driveModel, "");
  EXPECT_EQ(fields.averageMs, 720);
  EXPECT_EQ(fields.speedText, "2.778");
}

TEST(ReportCheck, WindowsProgramReportUnderWineGivesItsFields) {
  ReportFields fields;
  ASSERT_EQ(CheckReport(Decrypted(windows_verify()), &fields), ReportCheck::Passed);
  EXPECT_EQ(fields.edition, "Windows");
  EXPECT_EQ(fields.processor, "Intel(R) Xeon(R) Processor");
  EXPECT_EQ(fields.board, "Intel Corporation Base Board");
  EXPECT_EQ(fields.graphics, "NVIDIA GeForce GTX 470");
  EXPECT_EQ(fields.totalMemory, "23.540 GiB");  // one module of 25276133376 bytes
  EXPECT_EQ(fields.osName, "Microsoft Windows 7 Professional");
  EXPECT_EQ(fields.osBuild, "7601");
  EXPECT_EQ(fields.driveUnderTest, "Z:\\");  // Wine's drive of the Linux root
  EXPECT_EQ(fields.driveCapacity, "251.972");
  EXPECT_EQ(fields.driveModel, "");
  EXPECT_EQ(fields.averageMs, 1088);
  EXPECT_EQ(fields.speedText, "1.838");
}

TEST(ReportCheck, WindowsFormReportGivesItsFields) {
  SampleReport sample;
  ReportFields fields;
  ASSERT_EQ(CheckReport(SampleReportBytes(sample), &fields), ReportCheck::Passed);
  EXPECT_EQ(fields.edition, "Windows");
  EXPECT_EQ(fields.processor, "AMD Ryzen 7 5800X 8-Core Processor");
  EXPECT_EQ(fields.board, "ASUSTeK COMPUTER INC. PRIME X570-P");
  EXPECT_EQ(fields.graphics, "NVIDIA GeForce RTX 3070");
  EXPECT_EQ(fields.totalMemory, "32.000 GiB");
  EXPECT_EQ(fields.osName, "Microsoft Windows 10 Pro");
  EXPECT_EQ(fields.osBuild, "19045");
  EXPECT_EQ(fields.driveUnderTest, "C:\\");
  EXPECT_EQ(fields.driveCapacity, "931.511");  // single precision first, as the drive list shows it
  EXPECT_EQ(fields.driveModel, "Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(fields.averageMs, 1234);
  EXPECT_EQ(fields.speedText, "1.621");

  sample.windows = false;
  sample.memoryModules.clear();
  ASSERT_EQ(CheckReport(SampleReportBytes(sample), &fields), ReportCheck::Passed);
  EXPECT_EQ(fields.edition, "Linux");
  EXPECT_EQ(fields.driveUnderTest, "/");
  EXPECT_EQ(fields.driveModel, "Samsung SSD 970 EVO Plus 1TB");
  EXPECT_EQ(fields.totalMemory, "");
}

// Every drive under test the programs can name, whether the drive list
// names it (its capacity and model are taken) or leaves it out (network,
// optical and RAM drives, UNC folders, tmpfs, bind mounts: both stay empty).
TEST(ReportCheck, EveryDriveUnderTestTheProgramsWriteIsTaken) {
  struct Case {
    bool windows;
    Text drive;
    const char* edition;
    const char* capacity;
    const char* model;
  };
  const Case cases[] = {
      {true, u"C:\\", "Windows", "931.511", "Samsung SSD 970 EVO Plus 1TB"},
      {true, u"c:\\", "Windows", "931.511", "Samsung SSD 970 EVO Plus 1TB"},
      {true, u"E:\\", "Windows", "14.910", "SanDisk Ultra"},
      {true, u"D:\\", "Windows", "---", ""},  // listed, type unknown
      {true, u"F:\\", "Windows", "", ""},     // a network, optical or RAM drive
      {true, u"\\\\s", "Windows", "", ""},    // \\server\share
      {true, u"\\\\\u00e9", "Windows", "", ""},
      {true, u"\\\\?", "Windows", "", ""},  // \\?\C:\...
      {false, u"/", "Linux", "931.511", "Samsung SSD 970 EVO Plus 1TB"},
      {false, u"/boot/efi", "Linux", "0.511", "Samsung SSD 970 EVO Plus 1TB"},
      {false, u"/tmp", "Linux", "", ""},
      {false, u"/srv/bench folder/\u00e9t\u00e9", "Linux", "", ""},
      {false, u"C:\\", "Windows", "", ""},  // a Linux list never names a letter
  };
  for (const Case& c : cases) {
    SampleReport sample;
    sample.windows = c.windows;
    sample.driveUnderTest = c.drive;
    ReportFields fields;
    ASSERT_EQ(CheckReport(SampleReportBytes(sample), &fields), ReportCheck::Passed) << Utf8(c.drive);
    EXPECT_EQ(fields.edition, c.edition) << Utf8(c.drive);
    EXPECT_EQ(fields.driveUnderTest, Utf8(c.drive));
    EXPECT_EQ(fields.driveCapacity, c.capacity) << Utf8(c.drive);
    EXPECT_EQ(fields.driveModel, c.model) << Utf8(c.drive);
  }
  // The programs' own files, their drive left out of the list.
  for (const std::string& report :
       {Replaced(Decrypted(windows_verify()), "Z:\n251.972\n\n---\r\r", ""),
        Replaced(Decrypted(console_verify()), "/\n251.972\n\n---\r\r\r\n", "\r\n")}) {
    ReportFields fields;
    ASSERT_EQ(CheckReport(report, &fields), ReportCheck::Passed);
    EXPECT_EQ(fields.driveCapacity, "");
    EXPECT_EQ(fields.driveModel, "");
  }
}

// The floor comes from the cycle's own pauses; the bounds from what real
// machines give. Both name what they refuse.
TEST(ReportCheck, RefusesWhatNoRunCanGive) {
  const std::string longModel(200000, 'M');
  struct Case {
    const char* what;
    SampleReport sample;
    ReportCheck check;
    std::string detail;
  };
  auto with = [](auto change) {
    SampleReport sample;
    change(sample);
    return sample;
  };
  const Case cases[] = {
      {"average 1 ms", with([](SampleReport& s) { s.averageMs = 1; }), ReportCheck::ShortestCycle,
       "average 1 ms is below the 83 ms that a cycle's own pauses take"},
      {"average 50 ms", with([](SampleReport& s) { s.averageMs = 50; }), ReportCheck::ShortestCycle,
       "average 50 ms is below the 83 ms that a cycle's own pauses take"},
      {"just below the floor", with([](SampleReport& s) { s.averageMs = SHORTEST_CYCLE_MS - 1; }),
       ReportCheck::ShortestCycle, "average 82 ms is below the 83 ms that a cycle's own pauses take"},
      {"at the floor", with([](SampleReport& s) { s.averageMs = SHORTEST_CYCLE_MS; }), ReportCheck::Passed,
       ""},
      {"a huge drive model", with([&](SampleReport& s) { s.driveModel = FromUtf8(longModel); }),
       ReportCheck::FieldSize, "the drive model is longer than 256 bytes"},
      {"a drive model at its bound",
       with([](SampleReport& s) { s.driveModel = Text(MAX_DRIVE_MODEL_BYTES, u'M'); }), ReportCheck::Passed,
       ""},
      {"a processor beyond its bound",
       with([](SampleReport& s) { s.processor = Text(MAX_NAME_FIELD_BYTES / 2 + 1, u'\u00e9'); }),
       ReportCheck::FieldSize, "the processor name is longer than 256 bytes"},
      {"a board beyond its bound", with([](SampleReport& s) { s.boardModel = Text(MAX_BOARD_BYTES, u'B'); }),
       ReportCheck::FieldSize, "the motherboard is longer than 512 bytes"},
      {"an operating system build beyond its bound",
       with([](SampleReport& s) { s.osBuild = Text(MAX_NAME_FIELD_BYTES + 1, u'7'); }),
       ReportCheck::FieldSize, "the operating system build is longer than 256 bytes"},
      {"a path beyond PATH_MAX", with([](SampleReport& s) {
         s.windows = false;
         s.driveUnderTest = u"/" + Text(MAX_DRIVE_UNDER_TEST_BYTES, u'd');
       }),
       ReportCheck::FieldSize, "the drive under test is longer than 4096 bytes"},
  };
  for (const Case& c : cases) {
    ReportFields fields;
    std::string detail;
    EXPECT_EQ(CheckReport(SampleReportBytes(c.sample), &fields, &detail), c.check) << c.what;
    if (c.check != ReportCheck::Passed) {
      EXPECT_EQ(detail, c.detail) << c.what;
    }
  }
  std::string report;
  ReportFields fields;
  const ValidationVerdict verdict =
      CheckValidationFile(SampleValidationFile(cases[1].sample), &report, &fields);
  EXPECT_EQ(verdict.reason,
            "not a Quillmark report: average 50 ms is below the 83 ms that a cycle's own pauses take");
}

TEST(ReportCheck, MarkupQuotesAndControlCharactersAreKeptAsSent) {
  SampleReport sample;
  sample.processor = u"<script>alert(\"x\")</script> & 'quoted' \u0007\t\u001b[31m \u00e9\u2122";
  sample.driveModel = u"<b>Drive</b>\u0001 \"model\"";
  ReportFields fields;
  ASSERT_EQ(CheckReport(SampleReportBytes(sample), &fields), ReportCheck::Passed);
  EXPECT_EQ(fields.processor, Utf8(sample.processor));
  EXPECT_EQ(fields.driveModel, Utf8(sample.driveModel));
}

TEST(ReportCheck, EachBrokenVariantFailsItsCheck) {
  const std::string windows = SampleReportBytes(SampleReport());
  const std::string console = Decrypted(console_verify());
  const std::string wine = Decrypted(windows_verify());
  struct Case {
    const char* what;
    std::string report;
    ReportCheck check;
  };
  const Case cases[] = {
      {"empty", "", ReportCheck::Title},
      {"too large", std::string(MAX_REPORT_BYTES + 1, 'a'), ReportCheck::Size},
      {"not UTF-8", windows.substr(0, 40) + "\xff\xfe" + windows.substr(40), ReportCheck::Utf8},
      {"overlong UTF-8", Replaced(windows, "AMD", "\xc1\x81MD"), ReportCheck::Utf8},
      {"a NUL byte", Replaced(windows, "AMD", std::string("A\0D", 3)), ReportCheck::Utf8},
      {"another version", Replaced(windows, "V2.08", "V2.09"), ReportCheck::Title},
      {"title without its lone CR", Replaced(windows, "Orvanta\r\r\n", "Orvanta\r\n"), ReportCheck::Title},
      {"a label changed", Replaced(windows, "CPU Cores: ", "CPU cores: "), ReportCheck::SystemLines},
      {"a line left out", Replaced(windows, "Gpu Name: NVIDIA GeForce RTX 3070\r\n", ""),
       ReportCheck::SystemLines},
      {"more modules than lines", Replaced(windows, "Memory Bank Numbers: 2", "Memory Bank Numbers: 3"),
       ReportCheck::SystemLines},
      {"a count with a leading zero", Replaced(windows, "Memory Bank Numbers: 2", "Memory Bank Numbers: 02"),
       ReportCheck::SystemLines},
      {"a huge module count", Replaced(windows, "Memory Bank Numbers: 2", "Memory Bank Numbers: 99999999999"),
       ReportCheck::SystemLines},
      {"no empty record", Replaced(windows, "\r\n\r\n\rDrive test", "\r\n\rDrive test"),
       ReportCheck::SystemLines},
      {"no drive under test", Replaced(windows, "Drive test: C:\\\r", "Drive test: \r"),
       ReportCheck::DriveTest},
      {"a drive under test of neither form", Replaced(console, "Drive test: /\r", "Drive test: net\r"),
       ReportCheck::DriveTest},
      {"a drive letter without its root", Replaced(windows, "Drive test: C:\\\r", "Drive test: C:\r"),
       ReportCheck::DriveTest},
      {"a UNC folder of more than three characters",
       Replaced(windows, "Drive test: C:\\\r", "Drive test: \\\\sv\r"), ReportCheck::DriveTest},
      {"two backslashes alone", Replaced(windows, "Drive test: C:\\\r", "Drive test: \\\\\r"),
       ReportCheck::DriveTest},
      {"drive test without its CR", Replaced(windows, "\rDrive test: ", "Drive test: "),
       ReportCheck::DriveTest},
      {"a speed of the Windows build changed", Replaced(wine, "MB/s: 1.838", "MB/s: 1.839"),
       ReportCheck::Speed},
      {"average 0", Replaced(Replaced(windows, "results: 1234", "results: 0"), "in 1234 ", "in 0 "),
       ReportCheck::Average},
      {"negative average", Replaced(windows, "results: 1234", "results: -1234"), ReportCheck::Average},
      {"average not a number", Replaced(windows, "results: 1234", "results: 12x4"), ReportCheck::Average},
      {"cut in the drive list", windows.substr(0, windows.find("D:\n")), ReportCheck::Average},
      {"a record after the speed", windows + "P.S.\r\n", ReportCheck::Average},
      {"another N for the bytes", Replaced(windows, "in 1234 ", "in 1235 "), ReportCheck::BytesWritten},
      {"the typo mended", Replaced(windows, "Byets", "Bytes"), ReportCheck::BytesWritten},
      {"another byte count", Replaced(windows, ": 2097152", ": 2097153"), ReportCheck::BytesWritten},
      {"a speed off by a thousandth", Replaced(windows, "MB/s: 1.621", "MB/s: 1.622"), ReportCheck::Speed},
      {"a speed with four decimals", Replaced(windows, "MB/s: 1.621", "MB/s: 1.6210"), ReportCheck::Speed},
      {"the last CR LF cut", windows.substr(0, windows.size() - 2), ReportCheck::Average},
  };
  for (const Case& c : cases) {
    ReportFields fields;
    fields.processor = "untouched";
    EXPECT_EQ(CheckReport(c.report, &fields), c.check) << c.what << ": " << ReportCheckName(c.check);
    EXPECT_EQ(fields.processor, "untouched") << c.what;
  }
}

// Every cut and every changed byte of a real report: no crash (the
// sanitizer build watches), and a cut report never passes.
TEST(ReportCheck, HostileBytesNeverCrashIt) {
  const std::string report = Decrypted(console_verify());
  ReportFields fields;
  for (size_t size = 0; size < report.size(); ++size)
    EXPECT_NE(CheckReport(report.substr(0, size), &fields), ReportCheck::Passed) << size;
  for (size_t at = 0; at < report.size(); ++at) {
    for (char byte : {'\0', '\r', '\n', '\x80', '9'}) {
      std::string changed = report;
      changed[at] = byte;
      CheckReport(changed, &fields);
    }
  }
}

TEST(ValidationFileCheck, NamesWhatIsWrong) {
  const std::string good = console_verify();
  std::string otherKey = good;
  // The last block decrypts to noise where the zero padding should be.
  otherKey[4090] = static_cast<char>(otherKey[4090] ^ 0x55);
  struct Case {
    const char* what;
    std::string file;
    const char* reason;
  };
  const Case cases[] = {
      {"garbage", "hello, board", "not a validation file: its size is not 4096 x N + 4 bytes"},
      {"truncated", good.substr(0, good.size() - 1), "not a validation file: its size"},
      {"too large", std::string(MAX_VALIDATION_FILE_BYTES + 4096, '\0'), "too large"},
      {"wrong key or damaged", otherKey, "not a validation file: it was not made with this program's key"},
      {"an empty report", std::string("\x00\x10\x00\x00", 4),
       "not a Quillmark report: check \"title record\" failed"},
      {"not a report", ValidationFileOf("Dear author, here is my result.\r\n"),
       "not a Quillmark report: check \"title record\" failed"},
      {"a broken report", ValidationFileOf(Replaced(Decrypted(good), "MB/s: 2.778", "MB/s: 9.999")),
       "not a Quillmark report: check \"MB/s\" failed"},
  };
  for (const Case& c : cases) {
    std::string report;
    ReportFields fields;
    ValidationVerdict verdict = CheckValidationFile(c.file, &report, &fields);
    EXPECT_FALSE(verdict.passed()) << c.what;
    EXPECT_EQ(verdict.reason.rfind(c.reason, 0), 0u) << c.what << ": " << verdict.reason;
  }
  std::string report;
  ReportFields fields;
  ValidationVerdict verdict = CheckValidationFile(good, &report, &fields);
  EXPECT_TRUE(verdict.passed()) << verdict.reason;
  EXPECT_EQ(verdict.reason, "");
  EXPECT_EQ(report, Decrypted(good));
}

}  // namespace
}  // namespace qm
