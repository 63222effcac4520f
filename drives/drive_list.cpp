#include "drives/drive_list.h"

#include "drives/capacity.h"
#include "drives/device_queries.h"
#include "platform/storage.h"

namespace qm {
namespace {

constexpr char16_t LF = u'\n';
constexpr char16_t CR = u'\r';

// The line that stands in for the capacity when the volume cannot be read:
// before Vista the raw disk size is shown if the disk reports one.
Text SizeOrDashes(const Text& volume) {
  uint32_t major = 0;
  if (!Storage().osMajorVersion(&major) || major >= 6) return u"---";
  int64_t size = QueryDiskSize(volume);
  return size != 0 ? FormatCapacity(size) : Text(u"---");
}

}  // namespace

DriveDescription DescribeDrive(char16_t letter) {
  const Text volume = Text(1, letter) + u":";
  const Text root = volume + u"\\";
  Text text;
  switch (Storage().driveType(root)) {
    case DRIVE_TYPE_REMOVABLE: text = volume + LF + u"USB" + LF + u"EXT "; break;
    case DRIVE_TYPE_FIXED: text = volume; break;
    case DRIVE_TYPE_REMOTE:
    case DRIVE_TYPE_CDROM:
    case DRIVE_TYPE_RAMDISK: return Text(EXCLUDED_DRIVE);
    default: return volume + LF + QueryDeviceNumber(volume) + LF;
  }

  if (Storage().volumeReadable(root)) {
    uint64_t total = 0;
    text += LF;
    text +=
        Storage().volumeTotalBytes(root, &total) ? FormatCapacity(static_cast<int64_t>(total)) : Text(u"---");
  } else {
    text += Text(1, LF) + u"---" + LF + u"---" + LF + SizeOrDashes(volume);
  }
  text += LF + QueryDeviceModel(text.substr(0, 2));
  text += LF + PhysicalDriveLine(0);
  return text;
}

DriveListText ListDrives() {
  DriveListText list;
  uint32_t mask = Storage().logicalDrives();
  for (int n = 0; n < 26; ++n) {
    if ((mask & (uint32_t{1} << n)) == 0) continue;
    const char16_t letter = static_cast<char16_t>(u'A' + n);
    DriveDescription description = DescribeDrive(letter);
    if (description == EXCLUDED_DRIVE) continue;
    list += description;
    list += CR;
    // C: and D: are followed by an empty paragraph.
    if (letter == u'C' || letter == u'D') list += CR;
  }
  return list;
}

}  // namespace qm
