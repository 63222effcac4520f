// Text that came from a report or a request, made safe to use and to show:
// search values and logged request words are cleaned where the request is
// read, and every text on the board passes through here on its way out
// (pages/html_text.h escapes it further for HTML). Senders control every
// field, so nothing is trusted to be valid UTF-8 or free of markup.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Valid UTF-8 for any bytes: a byte that does not start or continue a
// well-formed sequence becomes U+FFFD. Control characters (C0 other than tab
// and line feed, DEL, C1) and the bidirectional overrides also become
// U+FFFD, so a field cannot reorder or hide what follows it. Line ends
// become line feeds: CR LF (the report's) and a lone CR (the drive list's).
std::string CleanText(std::string_view text);

}  // namespace qm
