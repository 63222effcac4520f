// Opening a web page in the user's default browser.
#pragma once

namespace qm {

// ShellExecuteExW with the default verb; returns at once. A failure is not
// reported.
void OpenWebPage(const char16_t* address);

}  // namespace qm
