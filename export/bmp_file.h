// Our own BMP writer: 24 bits per pixel, uncompressed (BI_RGB), rows
// bottom-up and padded to four bytes, as Picture24 already holds them.
#pragma once

#include <array>
#include <cstdint>

#include "platform/text.h"
#include "platform/window_capture.h"

namespace qm {

constexpr uint32_t BMP_HEADER_BYTES = 54;  // BITMAPFILEHEADER + BITMAPINFOHEADER

// The 54 header bytes of a 24-bit picture of width x height.
std::array<uint8_t, BMP_HEADER_BYTES> BmpHeader(int32_t width, int32_t height);

// A blank (black) picture of width x height.
Picture24 BlankPicture(int32_t width, int32_t height);

// Pixel (x, y) counted from the top-left corner, as the eye reads it.
void PutPixel(Picture24* picture, int32_t x, int32_t y, uint8_t red, uint8_t green, uint8_t blue);

// Writes picture to path, replacing an existing file. A file that could not
// be written in full is removed again. Returns true when it was written.
bool WriteBmpFile(const Text& path, const Picture24& picture);

}  // namespace qm
