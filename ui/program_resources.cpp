#include "ui/program_resources.h"

namespace qm {

namespace {

HFONT ArialFont(int points, int weight, int dpiY) {
  return CreateFontW(-MulDiv(points, dpiY, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     L"Arial");
}

HBITMAP LoadPicture(HINSTANCE instance, int id) {
  return static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR | LR_CREATEDIBSECTION));
}

// The scale is drawn on the light grey of the usual window colour; where
// the system paints windows in another grey, the picture takes it on, so
// the words sit on the window without a visible box around them.
void PaintInWindowColour(HBITMAP picture, COLORREF drawnOn) {
  DIBSECTION section = {};
  if (!picture || GetObjectW(picture, sizeof section, &section) != sizeof section) return;
  const BITMAP& bits = section.dsBm;
  if (bits.bmBitsPixel != 24 || !bits.bmBits) return;
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  if (face == drawnOn) return;
  for (int y = 0; y < bits.bmHeight; ++y) {
    auto* pixel = static_cast<BYTE*>(bits.bmBits) + static_cast<size_t>(y) * bits.bmWidthBytes;
    for (int x = 0; x < bits.bmWidth; ++x, pixel += 3) {
      if (pixel[0] == GetBValue(drawnOn) && pixel[1] == GetGValue(drawnOn) &&
          pixel[2] == GetRValue(drawnOn)) {
        pixel[0] = GetBValue(face);
        pixel[1] = GetGValue(face);
        pixel[2] = GetRValue(face);
      }
    }
  }
}

void Release(HBITMAP& picture) {
  if (picture) DeleteObject(picture);
  picture = nullptr;
}

void Release(HFONT& font) {
  if (font) DeleteObject(font);
  font = nullptr;
}

}  // namespace

void LoadFonts(MainProgram& program) {
  int dpiY = program.main.dpiY;
  program.fonts.valueFont = ArialFont(18, FW_NORMAL, dpiY);
  program.fonts.labelFont = ArialFont(8, FW_NORMAL, dpiY);
  program.fonts.startFont = ArialFont(36, FW_BOLD, dpiY);
}

void LoadPictures(MainProgram& program) {
  Pictures& pictures = program.pictures;
  pictures.diagram = LoadPicture(program.instance, IDB_DIAGRAM);
  pictures.donation = LoadPicture(program.instance, IDB_DONATION);
  pictures.blankBanner = LoadPicture(program.instance, IDB_BLANK_BANNER);
  pictures.scale = LoadPicture(program.instance, IDB_SCALE);
  PaintInWindowColour(pictures.scale, RGB(240, 240, 240));
  for (int k = 0; k < REFERENCE_SHOT_COUNT; ++k) {
    pictures.referenceShots[k] = LoadPicture(program.instance, IDB_REFERENCE_SHOT_1 + k);
  }
  pictures.emptySlot = LoadPicture(program.instance, IDB_EMPTY_SLOT);
}

void ReleaseFonts(Fonts& fonts) {
  Release(fonts.valueFont);
  Release(fonts.labelFont);
  Release(fonts.startFont);
}

void ReleasePictures(Pictures& pictures) {
  Release(pictures.diagram);
  Release(pictures.donation);
  Release(pictures.blankBanner);
  Release(pictures.scale);
  for (HBITMAP& shot : pictures.referenceShots) Release(shot);
  Release(pictures.emptySlot);
}

}  // namespace qm
