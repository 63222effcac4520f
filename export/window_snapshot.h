// Snapshots of the main window as 24-bit BMP files.
#pragma once

#include <functional>

#include "export/export_hooks.h"
#include "platform/text.h"

namespace qm {

constexpr char16_t OWN_SNAPSHOT_NAME[] = u"this_sys.bmp";

// Takes a picture of the main window through hooks.captureMainWindow and
// saves it under fileName, replacing an existing file. When no picture can
// be taken, no file is written and nothing is shown. Returns true when the
// file was written.
bool TakeWindowSnapshot(const Text& fileName, const ExportHooks& hooks);

// TakeWindowSnapshot into "this_sys.bmp", at the end of every finished run.
bool SaveOwnSnapshot(const ExportHooks& hooks);

// A captureMainWindow for the Win32 program: finds the window titled with
// the program's title and takes its picture (see CaptureWindow).
std::function<bool(Picture24* picture)> MainWindowCapture();

}  // namespace qm
