// Fonts and pictures: loaded at startup, released at the end of the program.
#pragma once

#include "ui/main_program.h"

namespace qm {

// ValueFont, LabelFont and StartFont at the screen's DPI (main.dpiY).
void LoadFonts(MainProgram& program);

// Every embedded picture, of the main window and of the comparison window.
void LoadPictures(MainProgram& program);

void ReleaseFonts(Fonts& fonts);
void ReleasePictures(Pictures& pictures);

}  // namespace qm
