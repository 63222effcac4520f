// The BMP writer: header fields, row padding, bottom-up rows; and, natively,
// that ImageMagick reads the file as we meant it.
#include <gtest/gtest.h>

#include <cstdio>

#include "export/bmp_file.h"
#include "export_test_support.h"

namespace qm {
namespace {

uint32_t At32(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
         static_cast<uint8_t>(bytes[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}
uint32_t At16(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8;
}

class BmpFile : public InFreshFolder {};

TEST_F(BmpFile, HeaderPaddingAndBottomUpRows) {
  struct Case {
    int32_t width, height;
    uint32_t rowBytes;
  };
  for (Case c : {Case{3, 2, 12}, Case{4, 1, 12}, Case{1, 3, 4}, Case{646, 855, 1940}}) {
    Picture24 picture = BlankPicture(c.width, c.height);
    PutPixel(&picture, 0, 0, 255, 0, 0);                       // top left: red
    PutPixel(&picture, c.width - 1, c.height - 1, 0, 0, 255);  // bottom right: blue
    ASSERT_TRUE(WriteBmpFile(u"p.bmp", picture));
    std::string file = Read(u"p.bmp");
    const uint32_t image = c.rowBytes * static_cast<uint32_t>(c.height);
    ASSERT_EQ(file.size(), 54 + image) << c.width;
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(At32(file, 2), 54 + image);
    EXPECT_EQ(At32(file, 10), 54u);
    EXPECT_EQ(At32(file, 14), 40u);
    EXPECT_EQ(At32(file, 18), static_cast<uint32_t>(c.width));
    EXPECT_EQ(At32(file, 22), static_cast<uint32_t>(c.height));  // positive: bottom-up
    EXPECT_EQ(At16(file, 26), 1u);
    EXPECT_EQ(At16(file, 28), 24u);
    EXPECT_EQ(At32(file, 30), 0u);  // BI_RGB
    EXPECT_EQ(At32(file, 34), image);
    // The first stored row is the picture's bottom row: blue at its right end.
    const size_t bottomRight = 54 + static_cast<size_t>(c.width - 1) * 3;
    EXPECT_EQ(file.substr(bottomRight, 3), std::string("\xff\x00\x00", 3));
    // The last stored row is the top row: red (blue, green, red order) at its start.
    const size_t topLeft = 54 + static_cast<size_t>(c.rowBytes) * (c.height - 1);
    EXPECT_EQ(file.substr(topLeft, 3), std::string("\x00\x00\xff", 3));
    // Padding bytes are zero.
    for (uint32_t pad = static_cast<uint32_t>(c.width) * 3; pad < c.rowBytes; ++pad)
      EXPECT_EQ(file[54 + pad], 0);
  }
}

TEST_F(BmpFile, ReplacesAnExistingFileAndRefusesNoPicture) {
  Write(u"p.bmp", std::string(100000, 'x'));
  ASSERT_TRUE(WriteBmpFile(u"p.bmp", BlankPicture(2, 2)));
  EXPECT_EQ(Read(u"p.bmp").size(), 54u + 16);
  EXPECT_FALSE(WriteBmpFile(u"q.bmp", BlankPicture(0, 5)));
  Picture24 wrong = BlankPicture(3, 3);
  wrong.pixels.pop_back();
  EXPECT_FALSE(WriteBmpFile(u"q.bmp", wrong));
  EXPECT_EQ(Names(), std::vector<std::string>{"p.bmp"});
}

#ifndef _WIN32
std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

TEST_F(BmpFile, ImageMagickReadsIt) {
  if (Shell("command -v identify").empty()) GTEST_SKIP() << "ImageMagick is not installed";
  Picture24 picture = BlankPicture(5, 3);
  PutPixel(&picture, 0, 0, 255, 0, 0);
  PutPixel(&picture, 4, 2, 0, 0, 255);
  ASSERT_TRUE(WriteBmpFile(u"p.bmp", picture));
  EXPECT_EQ(Shell("identify -format '%m %w %h %z' p.bmp"), "BMP3 5 3 8");
  EXPECT_EQ(Shell("convert p.bmp -format '%[pixel:p{0,0}] %[pixel:p{4,2}] %[pixel:p{1,1}]' info:"),
            "srgb(255,0,0) srgb(0,0,255) srgb(0,0,0)");
}
#endif

}  // namespace
}  // namespace qm
