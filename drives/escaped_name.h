// Names from the system (mount points, device names, models) as the
// console edition shows them: a name may hold any byte but "/" and NUL, so
// a line feed could split an entry and an escape character could drive the
// terminal. Shown, they are plain printable UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// name with "\" written "\\", the line feed, carriage return and tab
// written "\n", "\r" and "\t", the other control characters (C0, DEL and
// the C1 range U+0080..U+009F) and bytes that are not UTF-8 written "\x"
// and two hexadecimal digits per byte ("\x1b"); everything else as it is.
std::string EscapedName(std::string_view name);

}  // namespace qm
