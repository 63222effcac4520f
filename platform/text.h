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

// The one parser of whole numbers: decimal digits alone (no sign, space or
// other base), leading zeros taken, at most maximum. False for anything
// else, the empty text included; *value is then left as it was. Callers add
// their own rules (a report's counts have no leading zero; a request's
// value may be absent).
bool ParseWholeNumber(std::string_view digits, uint64_t maximum, uint64_t* value);

// The one UTF-8 decoder: every reader of UTF-8 bytes goes through it and
// keeps its own rule for what is not well formed (escape, replace or refuse).
// Returns the code point of the sequence at bytes[at] and its length in
// *length; INVALID_UTF8, with *length 1, when no well-formed sequence starts
// there: a stray continuation byte, a truncated sequence, an overlong form,
// a surrogate or a value beyond U+10FFFF.
constexpr uint32_t INVALID_UTF8 = 0xFFFFFFFF;
uint32_t DecodeUtf8(std::string_view bytes, size_t at, size_t* length);

// Whether bytes are well-formed UTF-8 text, with no NUL, which no text of
// the program holds.
bool IsUtf8Text(std::string_view bytes);

// UTF-8 <-> UTF-16. Unpaired surrogates and invalid bytes become U+FFFD.
std::string Utf8(TextView text);
Text FromUtf8(std::string_view utf8);

}  // namespace qm
