#include "ui/place_caret.h"

#include <richedit.h>

namespace qm {

void PlaceCaret(HWND box, int line, int column) {
  LRESULT start = SendMessageW(box, EM_LINEINDEX, static_cast<WPARAM>(line - 1), 0);
  LRESULT length = SendMessageW(box, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  if (length >= column - 1) start += column - 1;
  CHARRANGE caret = {static_cast<LONG>(start), static_cast<LONG>(start)};
  SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
}

}  // namespace qm
