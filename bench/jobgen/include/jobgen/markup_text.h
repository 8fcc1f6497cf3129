// Appending numbers and escaped text to markup being built.
#pragma once

#include <string>
#include <string_view>

namespace jobgen {

// `value` with at most `decimals` decimals, '.' as decimal point whatever the
// locale, trailing zeros dropped ("794", "12.5", "-0.25").
void AppendNumber(std::string& out, double value, int decimals = 2);

// `text` escaped for use inside a double-quoted attribute value.
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace jobgen
