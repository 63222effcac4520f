#include "drives/drive_under_test.h"

#include "platform/files.h"

namespace qm {

DriveUnderTest DriveUnderTestOf(const Text& currentDirectory) {
  Text path = currentDirectory;
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  return path.substr(0, 3);
}

// The files table asks the system for the directory's full length, so a
// path longer than 260 characters still gives its root.
DriveUnderTest DriveUnderTestRoot() { return DriveUnderTestOf(Files().currentDirectory()); }

}  // namespace qm
