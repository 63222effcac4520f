#include "ui/web_page.h"

#include <windows.h>

#include <shellapi.h>

namespace qm {

void OpenWebPage(const char16_t* address) {
  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOASYNC;
  execute.lpFile = reinterpret_cast<const wchar_t*>(address);
  execute.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&execute);
}

}  // namespace qm
