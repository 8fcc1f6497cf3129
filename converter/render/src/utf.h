// UTF-16 and UTF-8 text of the page markup.
#pragma once

#include <string>
#include <string_view>

namespace tav::render {

// UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// The code point that starts at `position` and how many code units it takes
// (1, or 2 for a surrogate pair); U+FFFD for an unpaired surrogate.
char32_t CodePointAt(std::u16string_view text, size_t position, size_t* units);

}  // namespace tav::render
