// The drive list and the drive under test as the console edition shows
// them on its output.
#pragma once

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace qm {

// The list as lines for a terminal: carriage returns and line feeds both
// end a line.
std::string DriveListLines(const Text& driveListText);

// Lists the drives (ListLinuxDrives), writes "Drives:" and the list's lines
// to out, and returns the list.
Text ShowDriveList(std::FILE* out);

// Finds the drive of the current folder and writes its lines
// (DriveUnderTestLines) to out.
void ShowDriveUnderTest(std::FILE* out);

}  // namespace qm
