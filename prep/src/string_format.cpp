#include "string_format.h"

#include "platform/wformat.h"

namespace {

constexpr size_t kMaxFieldDigits = 3;  // widths and precisions up to 999

bool IsFlag(WCHAR c) { return c == u'-' || c == u'+' || c == u' ' || c == u'0' || c == u'#'; }
bool IsDigit(WCHAR c) { return c >= u'0' && c <= u'9'; }
bool IsLetter(WCHAR c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsNumberConversion(WCHAR c) { return c == u'd' || c == u'i' || c == u'u' || c == u'x' || c == u'X' || c == u'o'; }

// Moves past a run of digits; false when it is longer than a field may be.
bool SkipField(const WCHAR*& cursor)
{
    const WCHAR* start = cursor;
    while (IsDigit(*cursor)) ++cursor;
    return static_cast<size_t>(cursor - start) <= kMaxFieldDigits;
}

// The conversion spec (from '%' to its letter) formatted with the value, or
// nothing when they do not fit each other.
bool FormatConversion(const std::u16string& spec, WCHAR letter, const FormatValue* value, std::u16string& out)
{
    if (value == nullptr) return false;
    if (IsNumberConversion(letter) && value->kind != FormatValue::Kind::Name) {
        std::u16string text = letter == u'd' || letter == u'i'
                                  ? FormatWideString(spec.c_str(), static_cast<int>(value->number))
                                  : FormatWideString(spec.c_str(), static_cast<unsigned>(value->number));
        out += text;
        return true;
    }
    if (letter == u's' && value->kind != FormatValue::Kind::Number) {
        out += FormatWideString(spec.c_str(), value->name.c_str());
        return true;
    }
    return false;
}

}  // namespace

std::u16string ApplyStringFormat(const WCHAR* format, const FormatValues& values)
{
    std::u16string out;
    if (format == nullptr) return out;
    size_t taken = 0;
    for (const WCHAR* cursor = format; *cursor != u'\0';) {
        if (*cursor != u'%') {
            out += *cursor++;
            continue;
        }
        if (cursor[1] == u'%') {
            out += u'%';
            cursor += 2;
            continue;
        }
        const WCHAR* start = cursor++;
        while (IsFlag(*cursor)) ++cursor;
        bool fieldsFit = SkipField(cursor);
        if (*cursor == u'.') {
            ++cursor;
            fieldsFit = SkipField(cursor) && fieldsFit;
        }
        if (!IsLetter(*cursor)) {
            // Not a conversion: the text so far stands as it is.
            out.append(start, cursor);
            continue;
        }
        WCHAR letter = *cursor++;
        std::u16string spec(start, cursor);
        const FormatValue* value = taken < values.size() ? &values[taken] : nullptr;
        ++taken;
        if (!fieldsFit || !FormatConversion(spec, letter, value, out)) out += spec;
    }
    return out;
}
