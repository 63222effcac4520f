// Putting the caret of a rich-edit box at a line and column.
#pragma once

#include <windows.h>

namespace qm {

// An empty selection at the 1-based line and column of box. A column
// beyond the line's end leaves the caret at the line's start.
void PlaceCaret(HWND box, int line, int column);

}  // namespace qm
