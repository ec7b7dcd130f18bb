// The single-byte code pages of dBase tables as tables of their own: every build converts the
// same bytes to the same characters, whether or not its Qt carries a converter for the page.
#pragma once

#include <array>

namespace dosarium {

// The character of every byte of a code page, by the page's name ("windows-1250", "IBM852", ...).
// Undefined bytes read as the converters of Debian's Qt read them: the C1 control of the same
// value in the Windows pages, U+FFFD in IBM852. Returns nullptr for a page not listed here.
const std::array<char16_t, 256> *codePageCharacters(const char *name);

} // namespace dosarium
