// UTF-8 decoding and UTF-16 encoding shared by the platform's converters.
#pragma once

#include <string>

namespace utf8 {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes the sequence at p (p < end) and moves p past it. An invalid or
// truncated sequence (overlong forms, surrogates, values past U+10FFFF
// included) gives kInvalid and moves p by one byte.
inline char32_t Decode(const unsigned char*& p, const unsigned char* end)
{
    unsigned char lead = *p;
    if (lead < 0x80) {
        ++p;
        return lead;
    }
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || end - p <= extra) {
        ++p;
        return kInvalid;
    }
    char32_t value = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            ++p;
            return kInvalid;
        }
        value = (value << 6) | (p[i] & 0x3F);
    }
    static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (value < kMinimum[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++p;
        return kInvalid;
    }
    p += extra + 1;
    return value;
}

inline void AppendUtf16(std::u16string& out, char32_t value)
{
    if (value >= 0x10000) {
        value -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(value));
    }
}

}  // namespace utf8
