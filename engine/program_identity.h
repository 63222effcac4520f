// Who the program is: its name and version as every window title and
// message box shows them, and the addresses it sends its users to. The
// addresses lie under the reserved example domain until the project has
// its own.
#pragma once

namespace qm {

constexpr char16_t PROGRAM_VERSION[] = u"V2.08";
constexpr char16_t PROGRAM_TITLE[] = u"Quillmark V2.08 - Orvanta";

// A macro as well, so that message texts can end in it at compile time.
#define QM_AUTHOR_CONTACT u"validation@quillmark.example"
constexpr char16_t AUTHOR_CONTACT[] = QM_AUTHOR_CONTACT;
constexpr char16_t DONATION_PAGE[] = u"https://quillmark.example/donate";
constexpr char16_t AUTHOR_WEB_PAGE[] = u"https://quillmark.example/";

}  // namespace qm
