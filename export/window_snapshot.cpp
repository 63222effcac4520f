#include "export/window_snapshot.h"

#include "engine/program_identity.h"
#include "export/bmp_file.h"
#include "platform/window_capture.h"

namespace qm {

bool TakeWindowSnapshot(const Text& fileName, const ExportHooks& hooks) {
  if (!hooks.captureMainWindow) return false;
  Picture24 picture;
  if (!hooks.captureMainWindow(&picture)) return false;
  return WriteBmpFile(fileName, picture);
}

bool SaveOwnSnapshot(const ExportHooks& hooks) { return TakeWindowSnapshot(OWN_SNAPSHOT_NAME, hooks); }

std::function<bool(Picture24* picture)> MainWindowCapture() {
  return [](Picture24* picture) {
    return CaptureWindow(FindTopLevelWindow(PROGRAM_TITLE), picture) == CaptureResult::Captured;
  };
}

}  // namespace qm
