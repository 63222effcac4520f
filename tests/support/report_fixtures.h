// Validation files as the programs wrote them (tests/support/fixtures): console.verify by the
// console edition on Linux, windows.verify by quillmark.exe under Wine
// (the e2e export scenario). Their reports lie beside them as .txt.
#pragma once

#include <string>

namespace qm {

std::string console_verify();
std::string windows_verify();

}  // namespace qm
