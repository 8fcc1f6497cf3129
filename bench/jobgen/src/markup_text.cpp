#include "jobgen/markup_text.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace jobgen {

void AppendNumber(std::string& out, double value, int decimals)
{
    if (!std::isfinite(value)) throw std::invalid_argument("a coordinate is not a finite number");
    // Anything that rounds to zero is written as "0", never "-0".
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0;
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) throw std::invalid_argument("a coordinate is too large to write");
    std::string_view text(buffer, end - buffer);
    if (text.find('.') != std::string_view::npos) {
        while (text.ends_with('0')) text.remove_suffix(1);
        if (text.ends_with('.')) text.remove_suffix(1);
    }
    out.append(text);
}

void AppendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
}

}  // namespace jobgen
