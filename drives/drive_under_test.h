// The drive under test: the drive of the current directory, where the test
// files are written.
#pragma once

#include "platform/text.h"

namespace qm {

// The first three characters of the current directory, as the system
// spells it, with a backslash appended first when it does not end in one:
// C:\ for C:\Bench, \\s for \\server\share. Fewer when the path is
// shorter; empty when the directory cannot be had.
using DriveUnderTest = Text;

DriveUnderTest DriveUnderTestRoot();

}  // namespace qm
