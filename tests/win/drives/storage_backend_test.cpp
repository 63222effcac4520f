// The Win32 storage backend and the drive list on the system at hand. Under
// Wine the drives are C: and Z:, and some device questions go unanswered:
// the placeholders must appear there, and nothing may crash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "drives/device_queries.h"
#include "drives/drive_list.h"
#include "drives/drive_under_test.h"
#include "platform/storage.h"

namespace qm {
namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool IsDeviceNumbers(const Text& text) {
  size_t colon = text.find(u':');
  if (colon == Text::npos || colon == 0 || colon + 1 == text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i != colon && !(text[i] >= u'0' && text[i] <= u'9') && text[i] != u'-') return false;
  }
  return true;
}

TEST(StorageBackend, DrivesVolumesAndVersion) {
  const StorageOps& storage = NativeStorageOps();
  uint32_t mask = storage.logicalDrives();
  EXPECT_NE(mask & (1u << 2), 0u) << "drive C: is there";
  EXPECT_EQ(storage.driveType(u"C:\\"), DRIVE_TYPE_FIXED);
  EXPECT_TRUE(storage.volumeReadable(u"C:\\"));
  uint64_t total = 0;
  EXPECT_TRUE(storage.volumeTotalBytes(u"C:\\", &total));
  EXPECT_GT(total, 0u);
  uint32_t major = 0;
  EXPECT_TRUE(storage.osMajorVersion(&major));
  EXPECT_GE(major, 5u);
  EXPECT_EQ(storage.ansiText("Disk 1"), u"Disk 1");
  EXPECT_EQ(storage.ansiText(""), u"");
}

TEST(StorageBackend, MissingDevicesAndLettersGivePlaceholders) {
  EXPECT_EQ(NativeStorageOps().openDevice(u"\\\\.\\PhysicalDrive4000000000", 0, 3, 0), nullptr);
  // A letter the system does not have.
  uint32_t mask = NativeStorageOps().logicalDrives();
  char16_t absent = 0;
  for (int n = 25; n >= 0 && absent == 0; --n) {
    if ((mask & (1u << n)) == 0) absent = static_cast<char16_t>(u'A' + n);
  }
  ASSERT_NE(absent, 0);
  Text volume = Text(1, absent) + u":";
  EXPECT_EQ(QueryDeviceNumber(volume), u"?:?");
  EXPECT_EQ(QueryDeviceModel(volume), u"");
  EXPECT_EQ(QueryDiskSize(volume), 0);
  EXPECT_EQ(DescribeDrive(absent), volume + u"\n?:?\n");
}

TEST(StorageBackend, DeviceQueriesOnDriveC) {
  Text numbers = QueryDeviceNumber(u"C:");
  Text line = PhysicalDriveLine(0);
  EXPECT_TRUE(numbers == u"?:?" || IsDeviceNumbers(numbers)) << Utf8(numbers);
  EXPECT_TRUE(line == LAYOUT_LINE || line == u"---") << Utf8(line);
  if (UnderWine()) {
    EXPECT_TRUE(IsDeviceNumbers(numbers)) << Utf8(numbers);
    EXPECT_EQ(QueryDeviceModel(u"C:"), u"") << "Wine answers with both identifier offsets 0";
    EXPECT_EQ(line, u"---") << "Wine does not answer the layout request";
  }
}

TEST(StorageBackend, ListDrivesDescribesEveryListedDriveAndClosesItsHandles) {
  DWORD handlesBefore = 0, handlesAfter = 0;
  bool counted = GetProcessHandleCount(GetCurrentProcess(), &handlesBefore) != FALSE;
  Text list = ListDrives();
  if (counted && GetProcessHandleCount(GetCurrentProcess(), &handlesAfter)) {
    EXPECT_EQ(handlesAfter, handlesBefore);
  }

  ASSERT_FALSE(list.empty());
  ASSERT_EQ(list.back(), u'\r');
  // Every description starts with its letter and a colon; C: is one of them.
  size_t start = 0;
  bool sawC = false;
  while (start < list.size()) {
    size_t end = list.find(u'\r', start);
    ASSERT_NE(end, Text::npos);
    Text description = list.substr(start, end - start);
    ASSERT_GE(description.size(), 2u);
    EXPECT_TRUE(description[0] >= u'A' && description[0] <= u'Z' && description[1] == u':')
        << Utf8(description);
    if (description[0] == u'C' || description[0] == u'D') {
      EXPECT_EQ(list[end + 1], u'\r') << "an empty paragraph after C: and D:";
      ++end;
    }
    if (description[0] == u'C') {
      sawC = true;
      if (UnderWine()) {
        // Fixed and readable: capacity, an empty model, no layout.
        size_t firstLf = description.find(u'\n');
        size_t secondLf = description.find(u'\n', firstLf + 1);
        EXPECT_EQ(description.substr(secondLf), u"\n\n---") << Utf8(description);
        EXPECT_NE(description.substr(firstLf + 1, secondLf - firstLf - 1), u"---");
      }
    }
    start = end + 1;
  }
  EXPECT_TRUE(sawC);
}

TEST(DriveUnderTestBackend, RootOfTheCurrentDirectory) {
  wchar_t directory[MAX_PATH] = {};
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, directory), 0u);
  Text root = DriveUnderTestRoot();
  ASSERT_EQ(root.size(), 3u);
  EXPECT_EQ(root, Text(reinterpret_cast<const char16_t*>(directory), 3));
}

TEST(DriveUnderTestBackend, CurrentDirectoryLongerThan260Characters) {
  wchar_t original[MAX_PATH] = {};
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, original), 0u);
  std::wstring deep = std::wstring(L"\\\\?\\") + original;
  std::wstring made;
  while (deep.size() < 320) {
    deep += L"\\qm_long_directory_name_for_the_drive_test";
    CreateDirectoryW(deep.c_str(), nullptr);
  }
  if (!SetCurrentDirectoryW(deep.c_str())) {
    GTEST_SKIP() << "this system does not allow a current directory that long";
  }
  Text root = DriveUnderTestRoot();
  SetCurrentDirectoryW(original);
  for (std::wstring path = deep; path.size() > std::wcslen(original) + 4;) {
    RemoveDirectoryW(path.c_str());
    path.resize(path.rfind(L'\\'));
  }
  EXPECT_EQ(root, Text(reinterpret_cast<const char16_t*>(original), 3));
}

}  // namespace
}  // namespace qm
