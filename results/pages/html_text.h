// Text that came from a report or a request, made safe to show: every text
// on the board passes through here on its way out. Senders control every
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

// CleanText, then the five markup characters as entities: safe inside an
// element and inside a quoted attribute.
std::string EscapeHtml(std::string_view text);

// Every byte but unreserved ones (A-Z a-z 0-9 - . _ ~) as %XX: safe as one
// path segment or one query value.
std::string PercentEncode(std::string_view text);

}  // namespace qm
