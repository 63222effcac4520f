// Where the program sends its users: the donation page and the author's
// web page, opened in the default browser. The contact address shown in
// the startup notice and the validation message is AUTHOR_CONTACT
// (export/export_messages.h). All under the reserved example domain until
// the project has its own.
#pragma once

namespace qm {

constexpr char16_t DONATION_PAGE[] = u"https://quillmark.example.org/donate";
constexpr char16_t AUTHOR_WEB_PAGE[] = u"https://quillmark.example.org/";

}  // namespace qm
