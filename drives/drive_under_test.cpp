#include "drives/drive_under_test.h"

#include "platform/files.h"

namespace qm {

// The files table asks the system for the directory's full length first, so
// a path longer than 260 characters still gives its root.
DriveUnderTest DriveUnderTestRoot() {
  Text path = Files().currentDirectory();
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  return path.substr(0, 3);
}

}  // namespace qm
