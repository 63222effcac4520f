// Whether bytes are well-formed UTF-8 text: no overlong forms, no
// surrogates, nothing above U+10FFFF, and no NUL, which no text of the
// program holds.
#pragma once

#include <string_view>

namespace qm {

bool IsUtf8Text(std::string_view bytes);

}  // namespace qm
