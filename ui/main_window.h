// MainWindow: its class, its menu and every element, created one by one in
// the order startup asks for them. Positions and sizes are given at 96 DPI
// and scaled by the screen's DPI; pictures keep their pixel sizes.
#pragma once

#include <windows.h>

#include "platform/text.h"
#include "ui/main_program.h"

namespace qm {

struct ElementBox {
  int x, y, width, height;  // client pixels at 96 DPI
};

// The screen's DPI, read once at startup.
void ReadScreenDpi(MainWindow& main);

// x or width at 96 DPI to pixels: MulDiv(value, LOGPIXELSX, 96); ScaleY likewise.
int ScaleX(const MainWindow& main, int value);
int ScaleY(const MainWindow& main, int value);

// The menu bar with its one title and seven commands; nullptr on failure.
HMENU CreateMainMenu();

// MainWindow with its menu (nullptr: none), shown. False when the window
// could not be created.
bool CreateMainWindow(MainProgram& program);

// Element kinds of MainWindow.
HWND CreateLabel(MainProgram& program, int id, ElementBox box, const char16_t* text);
HWND CreateValueBox(MainProgram& program, int id, ElementBox box, const Text& text);
HWND CreateEditBox(MainProgram& program, int id, ElementBox box);
HWND CreatePicture(MainProgram& program, int id, int x, int y, HBITMAP picture, bool sunkenEdge);
HWND CreateBar(MainProgram& program, int id, ElementBox box, int maximum, int value);
HWND CreateDonationBanner(MainProgram& program, ElementBox box);
HWND CreateStartButton(MainProgram& program, ElementBox box);

// Shows BlankBannerPicture (blank) or DonationPicture on the banner.
void ShowBannerPicture(MainProgram& program, bool blank);

}  // namespace qm
