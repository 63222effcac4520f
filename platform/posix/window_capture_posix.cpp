// No windows on POSIX systems: nothing to find and no picture to take.
#include "platform/window_capture.h"

namespace qm {

WindowRef FindTopLevelWindow(const Text&) { return nullptr; }

CaptureResult CaptureWindow(WindowRef, Picture24*) { return CaptureResult::NoCaptureFunction; }

}  // namespace qm
