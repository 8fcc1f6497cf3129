#include "opc/page_schema/value_syntax.h"

#include <charconv>
#include <cmath>

namespace tav::host::page_schema {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Reads a comma, with blanks around it.
bool ReadComma(std::string_view text, size_t* at)
{
    SkipBlanks(text, at);
    if (*at >= text.size() || text[*at] != ',') return false;
    ++*at;
    SkipBlanks(text, at);
    return true;
}

// count numbers separated by commas, blanks allowed around each; *at ends
// past the last number.
bool ReadCommaNumbers(std::string_view text, size_t* at, int count, double* values)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !ReadComma(text, at)) return false;
        SkipBlanks(text, at);
        if (!ReadNumber(text, at, &values[i])) return false;
    }
    return true;
}

bool AtEnd(std::string_view text, size_t at)
{
    SkipBlanks(text, &at);
    return at == text.size();
}

}  // namespace

void SkipBlanks(std::string_view text, size_t* at)
{
    while (*at < text.size() && IsBlank(text[*at])) ++*at;
}

bool ReadNumber(std::string_view text, size_t* at, double* value)
{
    size_t start = *at;
    size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    bool whole = i > digits;
    if (i < text.size() && text[i] == '.') {
        size_t fraction = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i == fraction) return false;  // "1." and "." are no numbers
    } else if (!whole) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponent = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        if (i == exponent) return false;
    }
    const char* begin = text.data() + start;
    if (*begin == '+') ++begin;
    auto [stop, error] = std::from_chars(begin, text.data() + i, *value);
    // Out of range is still a number of the right form; it reads as infinite.
    if (error == std::errc::result_out_of_range) {
        *value = *begin == '-' ? -HUGE_VAL : HUGE_VAL;
    } else if (error != std::errc() || stop != text.data() + i) {
        return false;
    }
    *at = i;
    return true;
}

const char* CheckNumber(std::string_view text, double minimum, double maximum)
{
    size_t at = 0;
    double value;
    SkipBlanks(text, &at);
    if (!ReadNumber(text, &at, &value) || !AtEnd(text, at)) return "is not a number";
    if (value < minimum) return minimum == 0 ? "is negative" : minimum == 1 ? "is less than 1" : "is out of range";
    if (value > maximum) return maximum == 1 ? "is greater than 1" : "is out of range";
    return nullptr;
}

const char* CheckInteger(std::string_view text, long minimum, long maximum)
{
    size_t at = 0;
    SkipBlanks(text, &at);
    size_t start = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t digits = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == digits || !AtEnd(text, at)) return "is not an integer";
    const char* begin = text.data() + start;
    if (*begin == '+') ++begin;
    long value = 0;
    auto [stop, error] = std::from_chars(begin, text.data() + at, value);
    if (error != std::errc() || value < minimum || value > maximum) return "is out of range";
    return nullptr;
}

const char* CheckPoint(std::string_view text, bool nonNegative)
{
    size_t at = 0;
    double xy[2];
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 2, xy) || !AtEnd(text, at)) return "is not a point (x,y)";
    if (nonNegative && (xy[0] < 0 || xy[1] < 0)) return "has a negative coordinate";
    return nullptr;
}

const char* CheckPoints(std::string_view text)
{
    size_t at = 0;
    SkipBlanks(text, &at);
    if (at == text.size()) return "holds no points";
    while (at < text.size()) {
        double xy[2];
        if (!ReadCommaNumbers(text, &at, 2, xy)) return "is not a list of points (x,y x,y ...)";
        size_t next = at;
        SkipBlanks(text, &next);
        if (next < text.size() && next == at) return "is not a list of points (x,y x,y ...)";
        at = next;
    }
    return nullptr;
}

const char* CheckMatrix(std::string_view text)
{
    size_t at = 0;
    double values[6];
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 6, values) || !AtEnd(text, at)) return "is not a matrix of six numbers";
    return nullptr;
}

const char* CheckRectangle(std::string_view text)
{
    size_t at = 0;
    double values[4];
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 4, values) || !AtEnd(text, at)) return "is not a rectangle (x,y,width,height)";
    if (values[2] < 0 || values[3] < 0) return "has a negative width or height";
    return nullptr;
}

const char* CheckEvenNonNegativeList(std::string_view text)
{
    size_t at = 0;
    size_t count = 0;
    SkipBlanks(text, &at);
    while (at < text.size()) {
        double value;
        if (!ReadNumber(text, &at, &value)) return "is not a list of numbers";
        if (value < 0) return "holds a negative number";
        ++count;
        size_t next = at;
        SkipBlanks(text, &next);
        if (next < text.size() && next == at) return "is not a list of numbers";
        at = next;
    }
    if (count % 2 != 0) return "holds an odd count of numbers";
    return nullptr;
}

const char* CheckBoolean(std::string_view text)
{
    return text == "true" || text == "false" ? nullptr : "is neither true nor false";
}

const char* CheckColor(std::string_view text)
{
    constexpr const char* kNotColor = "is not a colour";
    if (!text.empty() && text[0] == '#') {
        if (text.size() != 7 && text.size() != 9) return kNotColor;
        for (size_t i = 1; i < text.size(); ++i)
            if (!IsHexDigit(text[i])) return kNotColor;
        return nullptr;
    }
    if (text.substr(0, 3) == "sc#") {
        size_t at = 3;
        double values[4];
        SkipBlanks(text, &at);
        if (!ReadCommaNumbers(text, &at, 3, values)) return kNotColor;
        size_t fourth = at;
        if (ReadComma(text, &fourth)) {
            if (!ReadNumber(text, &fourth, &values[3])) return kNotColor;
            at = fourth;
        }
        return AtEnd(text, at) ? nullptr : kNotColor;
    }
    if (text.substr(0, 13) == "ContextColor ") {
        size_t at = 13;
        SkipBlanks(text, &at);
        size_t uri = at;
        while (at < text.size() && !IsBlank(text[at])) ++at;
        if (at == uri || at == text.size()) return "is not a ContextColor (profile URI, then alpha and channels)";
        SkipBlanks(text, &at);
        // The alpha, then one channel for each of the profile's 1 to 8.
        int count = 0;
        for (;;) {
            double value;
            if (!ReadNumber(text, &at, &value)) return "is not a ContextColor (profile URI, then alpha and channels)";
            ++count;
            if (!ReadComma(text, &at)) break;
        }
        if (!AtEnd(text, at) || count < 2 || count > 9) {
            return "is not a ContextColor (profile URI, then alpha and 1 to 8 channels)";
        }
        return nullptr;
    }
    return kNotColor;
}

const char* CheckName(std::string_view text)
{
    if (text.empty()) return "is empty";
    auto letter = [](char c) { return IsAsciiLetter(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80; };
    if (!letter(text[0])) return "does not begin with a letter or underscore";
    for (char c : text)
        if (!letter(c) && !IsDigit(c)) return "holds a character other than letters, digits and underscores";
    return nullptr;
}

const char* CheckLanguageTag(std::string_view text)
{
    if (text.empty()) return nullptr;  // the language is not known
    constexpr const char* kNotTag = "is not a language tag";
    size_t at = 0;
    bool first = true;
    for (;;) {
        size_t start = at;
        while (at < text.size() && at - start < 9 && (IsAsciiLetter(text[at]) || (!first && IsDigit(text[at])))) ++at;
        if (at == start || at - start > 8) return kNotTag;
        if (at == text.size()) return nullptr;
        if (text[at] != '-') return kNotTag;
        ++at;
        first = false;
    }
}

const char* CheckCaretStops(std::string_view text)
{
    for (char c : text)
        if (!IsHexDigit(c) && !IsBlank(c)) return "holds a character other than hexadecimal digits";
    return nullptr;
}

const char* CheckUri(std::string_view text)
{
    if (text.empty()) return "is empty";
    for (char c : text)
        if (IsBlank(c)) return "holds white space";
    return nullptr;
}

const char* CheckImageSource(std::string_view text)
{
    if (text.empty() || text[0] != '{') return CheckUri(text);
    constexpr std::string_view kConverted = "{ColorConvertedBitmap ";
    constexpr const char* kNotBitmap = "is not {ColorConvertedBitmap IMAGE PROFILE}";
    if (text.substr(0, kConverted.size()) != kConverted || text.back() != '}') return kNotBitmap;
    std::string_view inside = text.substr(kConverted.size(), text.size() - kConverted.size() - 1);
    size_t at = 0;
    int uris = 0;
    for (SkipBlanks(inside, &at); at < inside.size(); SkipBlanks(inside, &at)) {
        while (at < inside.size() && !IsBlank(inside[at])) ++at;
        ++uris;
    }
    return uris == 2 ? nullptr : kNotBitmap;
}

std::optional<std::string_view> ResourceReference(std::string_view text, const char** reason)
{
    *reason = nullptr;
    if (text.empty() || text[0] != '{') return std::nullopt;
    constexpr std::string_view kStatic = "{StaticResource";
    if (text.substr(0, kStatic.size()) != kStatic || text.back() != '}' || text.size() < kStatic.size() + 3 ||
        !IsBlank(text[kStatic.size()])) {
        *reason = "is not a {StaticResource KEY} reference";
        return std::nullopt;
    }
    std::string_view inside = text.substr(kStatic.size(), text.size() - kStatic.size() - 1);
    size_t first = inside.find_first_not_of(" \t\r\n");
    size_t last = inside.find_last_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        *reason = "is not a {StaticResource KEY} reference";
        return std::nullopt;
    }
    std::string_view key = inside.substr(first, last - first + 1);
    if (CheckName(key) != nullptr) {
        *reason = "names a resource key that is no valid name";
        return std::nullopt;
    }
    return key;
}

}  // namespace tav::host::page_schema
