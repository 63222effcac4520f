// The validation file against files that another handle holds without
// sharing, as another program would: real CreateFileW share modes.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "export/validation_file.h"
#include "export/whole_file.h"

namespace qm {
namespace {

class LockedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() / "qm_export_locked";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    ASSERT_TRUE(WriteWholeFile(u"r.txt", OpenMode::CreateAlwaysWrite, std::string(5000, 'r')));
    ASSERT_TRUE(WriteWholeFile(u"r.txt.verify", OpenMode::CreateAlwaysWrite, "an earlier one"));
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }
  static HANDLE Lock(const wchar_t* name) {
    return CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static std::string Read(const Text& path) {
    std::string bytes;
    ReadWholeFile(path, &bytes);
    return bytes;
  }

 private:
  std::filesystem::path previous_, folder_;
};

TEST_F(LockedFiles, LockedReportOrValidationFileWritesNothing) {
  HANDLE report = Lock(L"r.txt");
  ASSERT_NE(report, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteValidationFile(u"r.txt"), ValidationOutcome::ReportNotOpened);
  CloseHandle(report);
  EXPECT_EQ(Read(u"r.txt.verify"), "an earlier one");

  HANDLE verify = Lock(L"r.txt.verify");
  ASSERT_NE(verify, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteValidationFile(u"r.txt"), ValidationOutcome::FileNotCreated);
  CloseHandle(verify);
  EXPECT_EQ(Read(u"r.txt.verify"), "an earlier one");

  // The report was closed again: it can be had exclusively once more.
  HANDLE again = Lock(L"r.txt");
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
  EXPECT_EQ(WriteValidationFile(u"r.txt"), ValidationOutcome::Written);
  EXPECT_EQ(Read(u"r.txt.verify").size(), 8196u);
}

}  // namespace
}  // namespace qm
