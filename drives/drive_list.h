// The machine's drives as one text: a short description of every fixed and
// removable drive letter, in letter order.
#pragma once

#include "platform/text.h"

namespace qm {

// Lines separated by a line feed; the first is the letter and a colon.
using DriveDescription = Text;

// The descriptions, each followed by a carriage return, with a second one
// after C: and D:. Empty when the system reports no drive letters.
using DriveListText = Text;

// What DescribeDrive gives for a drive left out of the list (network,
// optical, RAM disk). No description equals it: they start with a letter.
constexpr TextView EXCLUDED_DRIVE = u"-";

// The description of drive letter ("A".."Z"), or EXCLUDED_DRIVE.
//   removable:  X: / "USB" / "EXT " / volume lines / model / layout line
//   fixed:      X: / volume lines / model / layout line
//   volume lines, readable volume:  capacity, or "---"
//   volume lines, unreadable:       "---" / "---" / raw disk size before
//                                   major version 6, else "---"
//   unknown, no root and any other type:  X: / device numbers / "" (ends in LF)
DriveDescription DescribeDrive(char16_t letter);

// Every drive letter the system reports, described once, in order A to Z.
DriveListText ListDrives();

}  // namespace qm
