// Decoding of the storage stack's answers, on byte fixtures, and the four
// device questions over the fake storage layer.
#include <gtest/gtest.h>

#include <vector>

#include "drives/device_answers.h"
#include "drives/device_queries.h"
#include "tests/unit/drives/fake_storage.h"

namespace qm {
namespace {

constexpr uint32_t SHARE_READ_WRITE = DEVICE_SHARE_READ | DEVICE_SHARE_WRITE;

// Windows-1252 for the bytes the cases use beyond ASCII.
Text Cp1252(std::string_view bytes) {
  Text text;
  for (char c : bytes) {
    auto byte = static_cast<unsigned char>(c);
    text.push_back(byte == 0x80 ? u'\u20AC' : static_cast<char16_t>(byte));
  }
  return text;
}

TEST(ModelText, VendorAndProductFromTheDescriptor) {
  struct Case {
    const char* what;
    std::vector<uint8_t> descriptor;
    const char16_t* model;
  };
  std::vector<uint8_t> noNul = DescriptorAnswer(0, "", 1054, "PRODUCT");  // fills the last five bytes
  const Case cases[] = {
      {"both, spaces around", DescriptorAnswer(40, "ACME    ", 60, "  Disk 1  "), u"ACME Disk 1"},
      {"leading spaces go, a tab stays", DescriptorAnswer(0, "", 60, "   Flash\t"), u"Flash\t"},
      {"vendor only", DescriptorAnswer(40, "ACME", 0, ""), u"ACME "},
      {"product only", DescriptorAnswer(0, "", 60, "Disk"), u"Disk"},
      {"both offsets 0", DescriptorAnswer(0, "", 0, ""), u""},
      {"vendor offset present, string empty", DescriptorAnswer(40, "", 60, "Disk"), u" Disk"},
      {"offsets at and beyond the buffer's end", DescriptorAnswer(1059, "", 0xFFFFFFFF, ""), u""},
      {"vendor beyond the end, product inside", DescriptorAnswer(4000, "", 60, "Disk"), u"Disk"},
      {"no NUL before the buffer's end", noNul, u"PRODU"},
      {"ANSI bytes", DescriptorAnswer(40, "\x80uro", 60, "Gr\xe4t"), u"\u20ACuro Gr\u00E4t"},
  };
  for (const Case& c : cases) {
    // An exactly sized heap buffer: the sanitizers catch any read past it.
    std::vector<uint8_t> buffer = c.descriptor;
    EXPECT_EQ(ModelText(buffer.data(), buffer.size(), Cp1252), c.model) << c.what;
  }
}

TEST(ModelText, DescriptorShorterThanItsOffsetsReadsNothing) {
  std::vector<uint8_t> shortBuffer = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  EXPECT_EQ(ModelText(shortBuffer.data(), shortBuffer.size(), Cp1252), u"");
}

TEST(QueryDeviceNumber, NumbersOrPlaceholder) {
  struct Case {
    const char* what;
    bool opens;
    bool answers;
    std::vector<uint8_t> answer;
    const char16_t* shown;
  };
  const Case cases[] = {
      {"answers", true, true, DeviceNumberAnswer(1, 2), u"1:2"},
      {"all bits set read signed", true, true, DeviceNumberAnswer(1, 0xFFFFFFFF), u"1:-1"},
      {"request fails", true, false, DeviceNumberAnswer(1, 2), u"?:?"},
      {"cannot open", false, true, DeviceNumberAnswer(1, 2), u"?:?"},
  };
  for (const Case& c : cases) {
    FakeStorageInForce storage;
    FakeDrive& drive = Fake().drives[u'C'];
    drive.opens = c.opens;
    drive.answers = c.answers;
    drive.deviceNumber = c.answer;
    EXPECT_EQ(QueryDeviceNumber(u"C:"), c.shown) << c.what;
    ASSERT_EQ(Fake().opens.size(), 1u);
    const FakeOpen& open = Fake().opens[0];
    EXPECT_EQ(open.path, u"\\\\.\\C:");
    EXPECT_EQ(open.access, 0u);
    EXPECT_EQ(open.share, 0u);
    EXPECT_EQ(open.flags, DEVICE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Fake().openHandles, 0) << c.what;
  }
}

TEST(QueryDeviceNumber, SendsTheRequestIntoAZeroedTwelveByteBuffer) {
  FakeStorageInForce storage;
  Fake().drives[u'C'].deviceNumber = DeviceNumberAnswer(0, 1);
  QueryDeviceNumber(u"C:");
  ASSERT_EQ(Fake().requests.size(), 1u);
  const FakeRequest& request = Fake().requests[0];
  EXPECT_EQ(request.code, 0x2D1080u);
  EXPECT_TRUE(request.input.empty());
  EXPECT_EQ(request.outputSize, 12u);
  EXPECT_TRUE(request.outputWasZero);
}

TEST(QueryDeviceModel, AsksWithAZeroStandardQueryAndClosesOnEveryPath) {
  struct Case {
    const char* what;
    bool opens;
    bool answers;
    const char16_t* model;
  };
  const Case cases[] = {
      {"answers", true, true, u"ACME Disk"},
      {"request fails", true, false, u""},
      {"cannot open", false, true, u""},
  };
  for (const Case& c : cases) {
    FakeStorageInForce storage;
    FakeDrive& drive = Fake().drives[u'E'];
    drive.opens = c.opens;
    drive.answers = c.answers;
    drive.writesOnFailure = true;  // a failed request's leftovers are not read
    drive.descriptor = DescriptorAnswer(40, "ACME", 60, "Disk");
    EXPECT_EQ(QueryDeviceModel(u"E:"), c.model) << c.what;
    ASSERT_EQ(Fake().opens.size(), 1u);
    EXPECT_EQ(Fake().opens[0].path, u"\\\\.\\E:");
    EXPECT_EQ(Fake().opens[0].access, 0u);
    EXPECT_EQ(Fake().opens[0].share, SHARE_READ_WRITE);
    EXPECT_EQ(Fake().opens[0].flags, 0u);
    EXPECT_EQ(Fake().openHandles, 0) << c.what;
    if (c.opens) {
      ASSERT_EQ(Fake().requests.size(), 1u);
      const FakeRequest& request = Fake().requests[0];
      EXPECT_EQ(request.code, 0x2D1400u);
      EXPECT_EQ(request.input, std::vector<uint8_t>(12, 0));
      EXPECT_EQ(request.outputSize, 1059u);
      EXPECT_TRUE(request.outputWasZero);
    }
  }
}

TEST(QueryDiskSize, SizeFromTheGeometryWhateverTheRequestAnswers) {
  struct Case {
    const char* what;
    bool opens;
    bool answers;
    bool writesOnFailure;
    int64_t size;
  };
  const Case cases[] = {
      {"answers", true, true, false, 16008609792},
      {"fails without writing", true, false, false, 0},
      {"fails after writing: not examined", true, false, true, 16008609792},
      {"cannot open for reading and writing", false, true, false, 0},
  };
  for (const Case& c : cases) {
    FakeStorageInForce storage;
    FakeDrive& drive = Fake().drives[u'E'];
    drive.opens = c.opens;
    drive.answers = c.answers;
    drive.writesOnFailure = c.writesOnFailure;
    drive.geometry = GeometryAnswer(16008609792);
    EXPECT_EQ(QueryDiskSize(u"E:"), c.size) << c.what;
    ASSERT_EQ(Fake().opens.size(), 1u);
    EXPECT_EQ(Fake().opens[0].access, DEVICE_GENERIC_READ | DEVICE_GENERIC_WRITE);
    EXPECT_EQ(Fake().opens[0].share, SHARE_READ_WRITE);
    EXPECT_EQ(Fake().openHandles, 0) << c.what;
    if (c.opens) {
      ASSERT_EQ(Fake().requests.size(), 1u);
      EXPECT_EQ(Fake().requests[0].code, 0x700A0u);
      EXPECT_EQ(Fake().requests[0].outputSize, 33u);
      EXPECT_TRUE(Fake().requests[0].outputWasZero);
    }
  }
}

TEST(PhysicalDriveLine, LayoutLineForKnownStylesElseDashesAskedOnce) {
  struct Case {
    const char* what;
    bool opens;
    bool answers;
    uint32_t style;
    TextView line;
  };
  const Case cases[] = {
      {"MBR", true, true, 0, LAYOUT_LINE},       {"GPT", true, true, 1, LAYOUT_LINE},
      {"RAW", true, true, 2, LAYOUT_LINE},       {"unknown style", true, true, 3, u"---"},
      {"request fails", true, false, 0, u"---"}, {"cannot open", false, true, 0, u"---"},
  };
  for (const Case& c : cases) {
    FakeStorageInForce storage;
    Fake().physicalOpens = c.opens;
    Fake().physicalAnswers = c.answers;
    Fake().partitionStyle = c.style;
    EXPECT_EQ(PhysicalDriveLine(0), c.line) << c.what;
    // The drive changes its answer; the first one stays.
    Fake().physicalOpens = true;
    Fake().physicalAnswers = true;
    Fake().partitionStyle = 0;
    EXPECT_EQ(PhysicalDriveLine(0), c.line) << c.what;
    ASSERT_EQ(Fake().opens.size(), 1u) << c.what;
    EXPECT_EQ(Fake().opens[0].path, u"\\\\.\\PhysicalDrive0");
    EXPECT_EQ(Fake().opens[0].access, 0u);
    EXPECT_EQ(Fake().opens[0].share, SHARE_READ_WRITE);
    EXPECT_EQ(Fake().openHandles, 0) << c.what;
    if (c.opens) {
      EXPECT_EQ(Fake().requests[0].code, 0x70050u);
      EXPECT_EQ(Fake().requests[0].outputSize, 28608u);
      EXPECT_TRUE(Fake().requests[0].outputWasZero);
    }
  }
  EXPECT_EQ(LAYOUT_LINE, Text(52, u'-'));
}

TEST(PhysicalDriveLine, EachDriveNumberKeepsItsOwnAnswer) {
  FakeStorageInForce storage;
  EXPECT_EQ(PhysicalDriveLine(0), LAYOUT_LINE);
  EXPECT_EQ(PhysicalDriveLine(4000000000u), u"---");  // no such drive in the fake
  EXPECT_EQ(Fake().opens.back().path, u"\\\\.\\PhysicalDrive4000000000");
  EXPECT_EQ(PhysicalDriveLine(0), LAYOUT_LINE);
  EXPECT_EQ(Fake().opens.size(), 2u);
}

}  // namespace
}  // namespace qm
