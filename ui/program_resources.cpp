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
  for (int k = 0; k < REFERENCE_SHOTS; ++k) {
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
