#include "text_checks.h"

#include <cstdint>

namespace tav::options {

namespace {

// Decodes one UTF-8 sequence at text[*at]; false for a malformed one.
bool DecodeOne(std::string_view text, size_t* at, uint32_t* codePoint)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(*at);
    size_t length;
    uint32_t value;
    uint32_t minimum;
    if (lead < 0x80) {
        *codePoint = lead;
        *at += 1;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - *at < length) return false;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = byte(*at + i);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    *codePoint = value;
    *at += length;
    return true;
}

}  // namespace

bool IsCleanText(std::string_view text, size_t* utf16Units)
{
    size_t units = 0;
    for (size_t at = 0; at < text.size();) {
        uint32_t codePoint;
        if (!DecodeOne(text, &at, &codePoint)) return false;
        if (codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint < 0xA0) || codePoint == 0xFFFE ||
            codePoint == 0xFFFF)
            return false;
        units += codePoint >= 0x10000 ? 2 : 1;
    }
    *utf16Units = units;
    return true;
}

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

std::string AsciiLowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

}  // namespace tav::options
