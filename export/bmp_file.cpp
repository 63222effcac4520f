#include "export/bmp_file.h"

#include "platform/files.h"

namespace qm {
namespace {

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

bool ValidSize(const Picture24& picture) {
  return picture.width > 0 && picture.height > 0 &&
         picture.pixels.size() == RowBytes(picture.width) * static_cast<size_t>(picture.height) &&
         picture.pixels.size() <= 0xFFFFFFFFu - BMP_HEADER_BYTES;
}

}  // namespace

std::array<uint8_t, BMP_HEADER_BYTES> BmpHeader(int32_t width, int32_t height) {
  const uint32_t imageBytes = static_cast<uint32_t>(RowBytes(width) * static_cast<size_t>(height));
  std::array<uint8_t, BMP_HEADER_BYTES> header{};
  header[0] = 'B';
  header[1] = 'M';
  Put32(&header[2], BMP_HEADER_BYTES + imageBytes);  // file size
  Put32(&header[10], BMP_HEADER_BYTES);              // offset of the pixels
  Put32(&header[14], 40);                            // BITMAPINFOHEADER size
  Put32(&header[18], static_cast<uint32_t>(width));
  Put32(&header[22], static_cast<uint32_t>(height));  // positive: bottom-up
  Put16(&header[26], 1);                              // planes
  Put16(&header[28], 24);                             // bits per pixel
  Put32(&header[30], 0);                              // BI_RGB
  Put32(&header[34], imageBytes);
  Put32(&header[38], 3780);  // 96 DPI in pixels per metre
  Put32(&header[42], 3780);
  return header;  // no palette: colours used and important stay 0
}

Picture24 BlankPicture(int32_t width, int32_t height) {
  Picture24 picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.assign(RowBytes(width) * static_cast<size_t>(height > 0 ? height : 0), 0);
  return picture;
}

void PutPixel(Picture24* picture, int32_t x, int32_t y, uint8_t red, uint8_t green, uint8_t blue) {
  if (x < 0 || y < 0 || x >= picture->width || y >= picture->height) return;
  size_t at =
      RowBytes(picture->width) * static_cast<size_t>(picture->height - 1 - y) + static_cast<size_t>(x) * 3;
  picture->pixels[at] = blue;
  picture->pixels[at + 1] = green;
  picture->pixels[at + 2] = red;
}

bool WriteBmpFile(const Text& path, const Picture24& picture) {
  if (!ValidSize(picture)) return false;
  const FileOps& files = Files();
  FileHandle file = files.open(path, OpenMode::CreateAlwaysWrite);
  if (file == nullptr) return false;
  auto header = BmpHeader(picture.width, picture.height);
  bool ok = files.write(file, header.data(), BMP_HEADER_BYTES) &&
            files.write(file, picture.pixels.data(), static_cast<uint32_t>(picture.pixels.size()));
  files.close(file);
  if (!ok) files.remove(path);
  return ok;
}

}  // namespace qm
