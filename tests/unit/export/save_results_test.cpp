// "Save window of Quillmark and txt to drive" as a whole, in a fresh folder,
// with a scripted clock and recording hooks.
#include <gtest/gtest.h>

#include "export/bmp_file.h"
#include "export/export_messages.h"
#include "export/save_results.h"
#include "export/validation_check.h"
#include "export/window_snapshot.h"
#include "export_test_support.h"

namespace qm {
namespace {

const LocalTime NOON = {2026, 3, 7, 12, 5, 9};
const Text STAMP = u"03_07_2026_12_05_09";

RunResults Finished() {
  RunResults results;
  results.completedMarker = COMPLETED_MARKER;
  results.averageMs = 1500;
  results.mbPerSecondText = u"1.333";
  return results;
}

ReportInputs Inputs(int lines) {
  ReportInputs inputs;
  for (int line = 0; line < lines; ++line)
    inputs.systemInfoLines.push_back(u"Line " + DecimalText(int64_t{line}));
  inputs.driveUnderTest = u"Z:\\";
  inputs.driveListText = u"Z:\\ 10 GB\r\nModel";
  return inputs;
}

class SaveResultsTest : public InFreshFolder {};

TEST_F(SaveResultsTest, BeforeARunOnlySaysNoData) {
  RecordingHooks hooks;
  Text baseName;
  EXPECT_FALSE(SaveResults(RunResults{}, Inputs(3), &baseName, hooks.Hooks()));
  EXPECT_EQ(hooks.log, std::vector<std::u16string>{u"No data."});
  EXPECT_EQ(baseName, u"");
  EXPECT_TRUE(Names().empty());
}

TEST_F(SaveResultsTest, WritesReportValidationFileAndSnapshot) {
  PutScriptedClock({NOON});
  RecordingHooks hooks;
  hooks.picture = BlankPicture(7, 5);
  Text baseName;
  EXPECT_TRUE(SaveResults(Finished(), Inputs(3), &baseName, hooks.Hooks()));
  EXPECT_EQ(baseName, u"info_" + STAMP);
  EXPECT_EQ(hooks.log,
            (std::vector<std::u16string>{u"pump", VALIDATION_MESSAGE, u"capture", FILES_SAVED_MESSAGE}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Quillmark_window_03_07_2026_12_05_09.bmp",
                                               "info_03_07_2026_12_05_09.txt",
                                               "info_03_07_2026_12_05_09.txt.verify"}));
  const std::string report = Read(baseName + u".txt");
  EXPECT_EQ(report, ReportBytes(Finished(), Inputs(3)));
  std::string back;
  ASSERT_EQ(DecryptValidation(Read(baseName + u".txt.verify"), &back), ValidationCheck::Valid);
  EXPECT_EQ(back, report);
  EXPECT_EQ(Read(u"Quillmark_window_" + STAMP + u".bmp").size(), 54u + 24 * 5);
}

TEST_F(SaveResultsTest, TwoSavesInTheSameSecondReplaceTheFiles) {
  PutScriptedClock({NOON});
  RecordingHooks hooks;
  hooks.picture = BlankPicture(40, 30);
  Text baseName;
  SaveResults(Finished(), Inputs(200), &baseName, hooks.Hooks());
  hooks.picture = BlankPicture(3, 2);
  SaveResults(Finished(), Inputs(1), &baseName, hooks.Hooks());
  EXPECT_EQ(Names().size(), 3u);
  const std::string report = Read(baseName + u".txt");
  EXPECT_EQ(report, ReportBytes(Finished(), Inputs(1)));
  std::string back;
  ASSERT_EQ(DecryptValidation(Read(baseName + u".txt.verify"), &back), ValidationCheck::Valid);
  EXPECT_EQ(back, report);
  EXPECT_EQ(Read(u"Quillmark_window_" + STAMP + u".bmp").size(), 54u + 12 * 2);
}

TEST_F(SaveResultsTest, ReportThatCannotBeWrittenIsNotCalledSaved) {
  // The report's name is taken by a folder: neither the report nor its
  // validation file can be written; the snapshot still is.
  PutScriptedClock({NOON});
  std::filesystem::create_directory("info_03_07_2026_12_05_09.txt");
  RecordingHooks hooks;
  hooks.picture = BlankPicture(2, 2);
  Text baseName;
  EXPECT_FALSE(SaveResults(Finished(), Inputs(3), &baseName, hooks.Hooks()));
  EXPECT_EQ(hooks.log,
            (std::vector<std::u16string>{u"pump", VALIDATION_MESSAGE, u"capture", FILES_NOT_SAVED_MESSAGE}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Quillmark_window_03_07_2026_12_05_09.bmp",
                                               "info_03_07_2026_12_05_09.txt"}));
}

TEST_F(SaveResultsTest, NoPictureMeansNoBitmapAndNoMessage) {
  PutScriptedClock({NOON});
  RecordingHooks hooks;
  hooks.canCapture = false;
  Text baseName;
  EXPECT_TRUE(SaveResults(Finished(), Inputs(3), &baseName, hooks.Hooks()));
  EXPECT_EQ(hooks.log.back(), FILES_SAVED_MESSAGE);
  EXPECT_EQ(Names().size(), 2u);

  EXPECT_FALSE(SaveOwnSnapshot(hooks.Hooks()));
  hooks.canCapture = true;
  hooks.picture = BlankPicture(3, 3);
  EXPECT_TRUE(SaveOwnSnapshot(hooks.Hooks()));
  EXPECT_EQ(Read(u"this_sys.bmp").size(), 54u + 12 * 3);
  EXPECT_FALSE(SaveOwnSnapshot(ExportHooks{}));  // no capture hook at all (console)
}

}  // namespace
}  // namespace qm
