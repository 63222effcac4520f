// Text that came from a report or a request, made safe to show: every text
// on the board passes through here on its way out. Senders control every
// field, so nothing is trusted to be valid UTF-8 or free of markup.
#pragma once

#include <string>
#include <string_view>

#include "results/clean_text.h"

namespace qm {

// CleanText (results/clean_text.h), then the five markup characters as entities: safe inside an
// element and inside a quoted attribute.
std::string EscapeHtml(std::string_view text);

// Every byte but unreserved ones (A-Z a-z 0-9 - . _ ~) as %XX: safe as one
// path segment or one query value.
std::string PercentEncode(std::string_view text);

}  // namespace qm
