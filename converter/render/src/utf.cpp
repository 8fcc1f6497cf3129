#include "utf.h"

namespace tav::render {

char32_t CodePointAt(std::u16string_view text, size_t position, size_t* units)
{
    char16_t first = text[position];
    *units = 1;
    if (first >= 0xD800 && first <= 0xDBFF && position + 1 < text.size()) {
        char16_t second = text[position + 1];
        if (second >= 0xDC00 && second <= 0xDFFF) {
            *units = 2;
            return 0x10000 + ((static_cast<char32_t>(first) - 0xD800) << 10) + (second - 0xDC00);
        }
    }
    if (first >= 0xD800 && first <= 0xDFFF) return 0xFFFD;
    return first;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t units = 1;
        char32_t c = CodePointAt(text, i, &units);
        i += units;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace tav::render
