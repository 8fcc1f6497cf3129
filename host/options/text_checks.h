// Checks on the texts that go into a ticket.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavoptions {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates)
// without control characters or the non-characters U+FFFE and U+FFFF, so
// that it can stand in XML. *utf16Units gets its length in UTF-16 units.
bool IsCleanText(std::string_view text, size_t* utf16Units);

}  // namespace tavoptions
