// Taking a validation file, on both backends: what passes is stored whole
// and once; what fails is refused with the check's name and leaves nothing.
#include <gtest/gtest.h>

#include "export/report_check.h"
#include "export/validation_check.h"
#include "results/report_hash.h"
#include "results/submission.h"
#include "tests/support/report_fixtures.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

class Submission : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    QM_NEED_DATABASE(db);
    std::string error;
    store = OpenResultStore(db.url, &error);
    ASSERT_NE(store, nullptr) << error;
  }
  void TearDown() override { CloseResultStore(store); }

  int64_t Stored() {
    ResultPage page;
    EXPECT_EQ(ListResults(store, ResultQuery(), &page), StoreStatus::Ok);
    return page.total;
  }

  TestDatabase db{GetParam()};
  ResultStore* store = nullptr;
};

TEST_P(Submission, AcceptsFilesOfBothEditionsOnce) {
  for (const std::string& file : {console_verify(), SampleValidationFile(SampleReport())}) {
    SubmissionOutcome added = SubmitValidationFile(store, file);
    ASSERT_EQ(added.kind, SubmissionKind::Added) << added.reason;
    EXPECT_GT(added.id, 0);
    std::string report;
    DecryptValidation(file, &report);
    ResultRecord stored;
    ASSERT_EQ(GetResult(store, added.id, &stored), StoreStatus::Ok);
    EXPECT_EQ(stored.validationFile, file);
    EXPECT_EQ(stored.report, report);
    EXPECT_EQ(stored.reportSha256, ReportSha256(report));
    EXPECT_EQ(added.record.speedText, stored.speedText);
    EXPECT_EQ(added.record.submittedUtc, stored.submittedUtc);

    SubmissionOutcome again = SubmitValidationFile(store, file);
    EXPECT_EQ(again.kind, SubmissionKind::Duplicate);
    EXPECT_EQ(again.id, added.id);
    EXPECT_EQ(again.record.driveModel, stored.driveModel);
    EXPECT_EQ(again.record.validationFile, file);
  }
  EXPECT_EQ(Stored(), 2);
}

TEST_P(Submission, TakesDrivesTheDriveListLeavesOut) {
  for (const Text& drive : {Text(u"\\\\s"), Text(u"F:\\")}) {
    SampleReport sample;
    sample.driveUnderTest = drive;
    SubmissionOutcome outcome = SubmitValidationFile(store, SampleValidationFile(sample));
    ASSERT_EQ(outcome.kind, SubmissionKind::Added) << outcome.reason;
    ResultRecord stored;
    ASSERT_EQ(GetResult(store, outcome.id, &stored), StoreStatus::Ok);
    EXPECT_EQ(stored.driveUnderTest, Utf8(drive));
    EXPECT_EQ(stored.edition, "Windows");
    EXPECT_EQ(stored.driveCapacity, "");
    EXPECT_EQ(stored.driveModel, "");
  }
}

TEST_P(Submission, HostileFieldsSurviveByteForByte) {
  SampleReport sample;
  sample.processor = u"<img src=x onerror=alert(1)> \"'\u0007\u001b[31m</td>";
  sample.driveModel = u"</title><script>x</script>\t\u00e9 & %_";
  sample.gpu = u"\u0001\u0002\u007f";
  SubmissionOutcome outcome = SubmitValidationFile(store, SampleValidationFile(sample));
  ASSERT_EQ(outcome.kind, SubmissionKind::Added) << outcome.reason;
  ResultRecord stored;
  ASSERT_EQ(GetResult(store, outcome.id, &stored), StoreStatus::Ok);
  EXPECT_EQ(stored.processor, Utf8(sample.processor));
  EXPECT_EQ(stored.driveModel, Utf8(sample.driveModel));
  EXPECT_EQ(stored.graphics, Utf8(sample.gpu));
}

TEST_P(Submission, RefusesBrokenFilesWithTheirReasonAndStoresNothing) {
  const std::string good = SampleValidationFile(SampleReport());
  std::string otherKey = good;
  otherKey[good.size() - 10] = static_cast<char>(otherKey[good.size() - 10] ^ 1);
  const std::string report = SampleReportBytes(SampleReport());
  auto broken = [&](const std::string& from, const std::string& to) {
    std::string changed = report;
    changed.replace(changed.find(from), from.size(), to);
    return ValidationFileOf(changed);
  };
  struct Case {
    const char* what;
    std::string file;
    const char* reason;
  };
  SampleReport fast, huge;
  fast.averageMs = 50;
  huge.driveModel = Text(100000, u'M');
  const Case cases[] = {
      {"nothing", "", "its size is not 4096 x N + 4 bytes"},
      {"garbage", std::string(4100, '\x42'), "not a validation file"},
      {"truncated", good.substr(0, good.size() - 5), "its size is not 4096 x N + 4 bytes"},
      {"oversized", std::string(2 * 1024 * 1024 + 4, '\0'), "too large"},
      {"wrong key", otherKey, "not made with this program's key"},
      {"title", broken("Quillmark V2.08", "Quillmark V9.99"), "check \"title record\" failed"},
      {"system lines", broken("CPU Name: ", "CPU: "), "check \"system information lines\" failed"},
      {"drive test", broken("Drive test: C:\\", "Drive test: C:"), "check \"Drive test\" failed"},
      {"average", broken("results: 1234", "results: 0"), "check \"Average of results\" failed"},
      {"bytes", broken("in 1234 ", "in 4321 "), "check \"Byets written\" failed"},
      {"speed", broken("MB/s: 1.621", "MB/s: 99.999"), "check \"MB/s\" failed"},
      {"faster than its pauses", ValidationFileOf(SampleReportBytes(fast)),
       "average 50 ms is below the 83 ms that a cycle's own pauses take"},
      {"a huge drive model", ValidationFileOf(SampleReportBytes(huge)),
       "the drive model is longer than 256 bytes"},
  };
  for (const Case& c : cases) {
    SubmissionOutcome outcome = SubmitValidationFile(store, c.file);
    EXPECT_EQ(outcome.kind, SubmissionKind::Rejected) << c.what;
    EXPECT_NE(outcome.reason.find(c.reason), std::string::npos) << c.what << ": " << outcome.reason;
    EXPECT_EQ(outcome.id, 0) << c.what;
  }
  EXPECT_EQ(Stored(), 0);
}

TEST_P(Submission, SeveralFilesAtOnceEachWithItsOutcome) {
  SampleReport other;
  other.averageMs = 2222;
  const std::vector<std::string> files = {console_verify(), "garbage", SampleValidationFile(other),
                                          console_verify()};
  std::vector<SubmissionOutcome> outcomes = SubmitValidationFiles(store, files);
  ASSERT_EQ(outcomes.size(), 4u);
  EXPECT_EQ(outcomes[0].kind, SubmissionKind::Added);
  EXPECT_EQ(outcomes[1].kind, SubmissionKind::Rejected);
  EXPECT_EQ(outcomes[2].kind, SubmissionKind::Added);
  EXPECT_EQ(outcomes[2].record.averageMs, 2222);
  EXPECT_EQ(outcomes[3].kind, SubmissionKind::Duplicate);
  EXPECT_EQ(outcomes[3].id, outcomes[0].id);
  EXPECT_EQ(SubmitValidationFiles(store, {files[2]}).at(0).kind, SubmissionKind::Duplicate);
  EXPECT_EQ(Stored(), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, Submission, testing::Values("sqlite", "postgres"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(ReportSha256, KnownAnswers) {
  EXPECT_EQ(ReportSha256(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(ReportSha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace qm
