// Checks on the texts that go into a ticket.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav::options {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates)
// without control characters or the non-characters U+FFFE and U+FFFF, so
// that it can stand in XML. *utf16Units gets its length in UTF-16 units.
bool IsCleanText(std::string_view text, size_t* utf16Units);

// Option names and keywords are matched without regard to ASCII case, as
// lp takes them ("Booklet=On", "media=A4").
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
std::string AsciiLowerCase(std::string_view text);

}  // namespace tav::options
