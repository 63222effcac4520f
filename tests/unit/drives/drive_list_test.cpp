// The drive list and its descriptions over the fake storage layer, and the
// drive under test.
#include <gtest/gtest.h>

#include "drives/device_queries.h"
#include "drives/drive_list.h"
#include "drives/drive_under_test.h"
#include "platform/files.h"
#include "tests/unit/drives/fake_storage.h"

namespace qm {
namespace {

const Text LAYOUT(LAYOUT_LINE);

FakeDrive FixedDrive(uint64_t totalBytes, const std::string& product) {
  FakeDrive drive;
  drive.type = DRIVE_TYPE_FIXED;
  drive.totalBytes = totalBytes;
  drive.descriptor = DescriptorAnswer(0, "", 60, product);
  drive.deviceNumber = DeviceNumberAnswer(0, 1);
  return drive;
}

FakeDrive CardReaderWithoutCard() {
  FakeDrive drive;
  drive.type = DRIVE_TYPE_REMOVABLE;
  drive.volumeReadable = false;
  drive.totalKnown = false;
  drive.descriptor = DescriptorAnswer(40, "Generic", 60, "SD Reader ");
  drive.geometry = GeometryAnswer(1610612736);
  return drive;
}

FakeDrive OfType(uint32_t type) {
  FakeDrive drive = FixedDrive(1073741824, "Other");
  drive.type = type;
  return drive;
}

class DriveListTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(Fake().openHandles, 0) << "a device handle was left open";
    EXPECT_EQ(Fake().badCloses, 0);
  }
  FakeStorageInForce storage;
};

TEST_F(DriveListTest, FixedAndRemovableDrivesOnWindows10) {
  Fake().drives[u'C'] = FixedDrive(500107862016, "Disk C");
  Fake().drives[u'E'] = CardReaderWithoutCard();
  EXPECT_EQ(ListDrives(), u"C:\n465.762\nDisk C\n" + LAYOUT + u"\r\r" +
                              u"E:\nUSB\nEXT \n---\n---\n---\nGeneric SD Reader\n" + LAYOUT + u"\r");
}

TEST_F(DriveListTest, TwoCarriageReturnsAfterCAndDOnly) {
  struct Case {
    const char16_t* letters;
    const char16_t* shape;  // each description as its letter
  };
  const Case cases[] = {
      {u"C", u"C\r\r"}, {u"CDE", u"C\r\rD\r\rE\r"}, {u"CE", u"C\r\rE\r"}, {u"ABD", u"A\rB\rD\r\r"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    ForgetPhysicalDriveLines();
    Fake().drives.clear();
    Text expected;
    for (const char16_t* s = c.letters; *s != 0; ++s) Fake().drives[*s] = FixedDrive(1073741824, "M");
    for (const char16_t* s = c.shape; *s != 0; ++s) {
      expected += *s == u'\r' ? Text(u"\r") : Text(1, *s) + u":\n1.000\nM\n" + LAYOUT;
    }
    EXPECT_EQ(ListDrives(), expected) << Utf8(c.letters);
  }
}

TEST_F(DriveListTest, NetworkOpticalAndRamDisksLeaveNothingBehind) {
  Fake().drives[u'C'] = FixedDrive(1073741824, "M");
  Fake().drives[u'D'] = OfType(DRIVE_TYPE_CDROM);
  Fake().drives[u'F'] = OfType(DRIVE_TYPE_REMOTE);
  Fake().drives[u'R'] = OfType(DRIVE_TYPE_RAMDISK);
  EXPECT_EQ(ListDrives(), u"C:\n1.000\nM\n" + LAYOUT + u"\r\r");
  EXPECT_EQ(DescribeDrive(u'D'), EXCLUDED_DRIVE);
  // Only C: asked anything of a device: its model and the layout.
  EXPECT_EQ(Fake().opens.size(), 2u);
}

TEST_F(DriveListTest, UnknownTypesShowOnlyTheirDeviceNumbers) {
  struct Case {
    uint32_t type;
    bool answers;
    const char16_t* description;
  };
  const Case cases[] = {
      {DRIVE_TYPE_NO_ROOT_DIR, false, u"X:\n?:?\n"},
      {DRIVE_TYPE_UNKNOWN, true, u"X:\n0:1\n"},
      {7, true, u"X:\n0:1\n"},
  };
  for (const Case& c : cases) {
    Fake().drives.clear();
    Fake().opens.clear();
    Fake().drives[u'X'] = OfType(c.type);
    Fake().drives[u'X'].answers = c.answers;
    EXPECT_EQ(ListDrives(), Text(c.description) + u"\r") << c.type;
    ASSERT_EQ(Fake().opens.size(), 1u) << "no model or layout query";
    EXPECT_EQ(Fake().opens[0].path, u"\\\\.\\X:");
  }
}

TEST_F(DriveListTest, UnreadableVolumeShowsRawSizeOnlyBeforeVersion6) {
  struct Case {
    const char* what;
    bool osKnown;
    uint32_t osMajor;
    int64_t rawSize;
    const char16_t* sizeLine;
  };
  const Case cases[] = {
      {"Windows 10", true, 10, 1610612736, u"---"},      {"Vista", true, 6, 1610612736, u"---"},
      {"XP with a size", true, 5, 1610612736, u"1.500"}, {"XP without a size", true, 5, 0, u"---"},
      {"version unknown", false, 0, 1610612736, u"---"},
  };
  for (const Case& c : cases) {
    ForgetPhysicalDriveLines();
    Fake().osKnown = c.osKnown;
    Fake().osMajor = c.osMajor;
    Fake().drives[u'E'] = CardReaderWithoutCard();
    Fake().drives[u'E'].geometry = GeometryAnswer(c.rawSize);
    EXPECT_EQ(DescribeDrive(u'E'),
              u"E:\nUSB\nEXT \n---\n---\n" + Text(c.sizeLine) + u"\nGeneric SD Reader\n" + LAYOUT)
        << c.what;
  }
}

TEST_F(DriveListTest, CapacityUnknownOnAReadableVolume) {
  Fake().drives[u'C'] = FixedDrive(0, "");
  Fake().drives[u'C'].totalKnown = false;
  Fake().drives[u'C'].descriptor = DescriptorAnswer(40, "ACME", 0, "");
  Fake().physicalAnswers = false;
  EXPECT_EQ(DescribeDrive(u'C'), u"C:\n---\nACME \n---");
}

TEST_F(DriveListTest, LayoutAskedOnceForAllDrivesEvenWhenUnreadable) {
  for (char16_t letter : {u'C', u'D', u'E'}) Fake().drives[letter] = FixedDrive(1073741824, "M");
  Fake().physicalAnswers = false;
  Text list = ListDrives();
  EXPECT_EQ(list, u"C:\n1.000\nM\n---\r\rD:\n1.000\nM\n---\r\rE:\n1.000\nM\n---\r");
  int physicalOpens = 0;
  for (const FakeOpen& open : Fake().opens) physicalOpens += open.path == u"\\\\.\\PhysicalDrive0";
  EXPECT_EQ(physicalOpens, 1);
}

// The files table with a chosen current directory.
Text chosenDirectory;
Text ChosenDirectory() { return chosenDirectory; }

TEST(DriveUnderTest, FirstThreeCharactersOfTheCurrentDirectory) {
  struct Case {
    Text directory;
    const char16_t* root;
  };
  const Case cases[] = {
      {u"D:\\Bench", u"D:\\"},
      {u"C:\\", u"C:\\"},
      {u"\\\\server\\share\\bench", u"\\\\s"},
      {u"E:\\" + Text(300, u'a'), u"E:\\"},
      {u"C:", u"C:\\"},
      {u"", u""},
  };
  FileOps files = NativeFileOps();
  files.currentDirectory = ChosenDirectory;
  FileOps previous = SetFileOps(files);
  for (const Case& c : cases) {
    chosenDirectory = c.directory;
    EXPECT_EQ(DriveUnderTestRoot(), c.root) << Utf8(c.directory);
  }
  SetFileOps(previous);
}

}  // namespace
}  // namespace qm
