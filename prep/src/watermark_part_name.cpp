#include "watermark_part_name.h"

namespace {

// At most this many UTF-16 units of the base name go into the part name.
constexpr size_t kMaxBaseNameUnits = 259;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Unreserved characters, sub-delimiters, ":" and "@": what a segment holds
// unencoded.
bool KeptInSegment(char32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    if (c == 0 || c >= 0x80) return false;
    return std::u16string_view(u"-._~!$&'()*+,;=:@").find(static_cast<char16_t>(c)) != std::u16string_view::npos;
}

void AppendEncodedByte(std::u16string& out, unsigned byte)
{
    static const char16_t kHex[] = u"0123456789ABCDEF";
    out += u'%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

void AppendEncodedCodePoint(std::u16string& out, char32_t c)
{
    if (c < 0x80) {
        AppendEncodedByte(out, c);
    } else if (c < 0x800) {
        AppendEncodedByte(out, 0xC0 | (c >> 6));
        AppendEncodedByte(out, 0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        AppendEncodedByte(out, 0xE0 | (c >> 12));
        AppendEncodedByte(out, 0x80 | ((c >> 6) & 0x3F));
        AppendEncodedByte(out, 0x80 | (c & 0x3F));
    } else {
        AppendEncodedByte(out, 0xF0 | (c >> 18));
        AppendEncodedByte(out, 0x80 | ((c >> 12) & 0x3F));
        AppendEncodedByte(out, 0x80 | ((c >> 6) & 0x3F));
        AppendEncodedByte(out, 0x80 | (c & 0x3F));
    }
}

}  // namespace

std::u16string_view WatermarkFileBaseName(std::u16string_view fileName)
{
    const size_t separator = fileName.find_last_of(u"/:\\");
    std::u16string_view base = separator == std::u16string_view::npos ? fileName : fileName.substr(separator + 1);
    if (base.size() <= kMaxBaseNameUnits) return base;
    const size_t cut = IsHighSurrogate(base[kMaxBaseNameUnits - 1]) ? kMaxBaseNameUnits - 1 : kMaxBaseNameUnits;
    return base.substr(0, cut);
}

std::u16string PercentEncodePartNameText(std::u16string_view text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            c = 0xFFFD;
        }
        if (KeptInSegment(c)) {
            out += static_cast<char16_t>(c);
        } else {
            AppendEncodedCodePoint(out, c);
        }
    }
    return out;
}

std::u16string WatermarkImagePartName(std::u16string_view fileName, unsigned ticks)
{
    std::u16string name = u"/WM_" + PercentEncodePartNameText(WatermarkFileBaseName(fileName)) + u"_";
    for (char digit : std::to_string(ticks)) name += static_cast<char16_t>(digit);
    return name + u".png";
}
