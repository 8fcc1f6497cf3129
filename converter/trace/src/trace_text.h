// How the recording converter writes text on its lines: every string in
// double quotes, so that a line stays one line whatever the markup held.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"

namespace tav::trace {

// "text" with \\ and \" for a backslash and a quote, \n, \r and \t, and
// \xHH for any other byte below 0x20 and for 0x7F. Other bytes (UTF-8) are
// kept as they are.
std::string Quoted(std::string_view text);

// A zero-terminated UTF-16 string as UTF-8, at most maxUnits units; an
// unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(const WCHAR* text, size_t maxUnits);

// "0x" and eight lower-case hexadecimal digits.
std::string Hex32(uint32_t value);

}  // namespace tav::trace
