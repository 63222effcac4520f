// Text in the program: UTF-16 in memory, converted only at the edges
// (UTF-8 files and terminals, POSIX paths, Win32 wide-character calls).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

using Text = std::u16string;
using TextView = std::u16string_view;

// ASCII literal to Text: Ascii("Round 01"). Bytes above 127 are not expected here.
Text Ascii(std::string_view ascii);

// Decimal digits without grouping, leading zeros or spaces; "-" for negatives.
Text DecimalText(int64_t value);
Text DecimalText(uint64_t value);

// UTF-8 <-> UTF-16. Unpaired surrogates and invalid bytes become U+FFFD.
std::string Utf8(TextView text);
Text FromUtf8(std::string_view utf8);

}  // namespace qm
