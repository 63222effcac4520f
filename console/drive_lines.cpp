#include "console/drive_lines.h"

#include <algorithm>
#include <optional>

#include "drives/linux_drive_under_test.h"
#include "drives/linux_drives.h"

namespace qm {

std::string DriveListLines(const Text& driveListText) {
  std::string lines = Utf8(driveListText);
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  return lines;
}

Text ShowDriveList(std::FILE* out) {
  Text list = ListLinuxDrives();
  std::fprintf(out, "Drives:\n%s", DriveListLines(list).c_str());
  std::fflush(out);
  return list;
}

void ShowDriveUnderTest(std::FILE* out) {
  const std::optional<MountInfoLine> mount = CurrentFolderMount();
  const LinuxDriveFacts facts =
      mount ? LinuxDriveOfMount(*mount, NativeLinuxDriveProbe()) : LinuxDriveFacts{};
  std::fputs(DriveUnderTestLines(mount, facts).c_str(), out);
  std::fflush(out);
}

}  // namespace qm
