// The program's name and version as every window title and message box of
// the program shows it.
#pragma once

namespace qm {

constexpr char16_t PROGRAM_VERSION[] = u"V2.08";
constexpr char16_t PROGRAM_TITLE[] = u"Quillmark V2.08 - Orvanta";

}  // namespace qm
