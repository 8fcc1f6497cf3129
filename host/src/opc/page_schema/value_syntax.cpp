#include "opc/page_schema/value_syntax.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tav::host::page_schema {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// The hexadecimal digits, by character.
constexpr auto kHexDigits = [] {
    std::array<bool, 256> table{};
    for (char c : std::string_view("0123456789abcdefABCDEF")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsHexDigit(char c) { return kHexDigits[static_cast<unsigned char>(c)]; }

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
// past the last number. negative (when not null) receives whether any
// is below 0.
bool ReadCommaNumbers(std::string_view text, size_t* at, int count, bool* negative = nullptr)
{
    bool anyNegative = false;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !ReadComma(text, at)) return false;
        SkipBlanks(text, at);
        bool below = false;
        if (negative != nullptr ? !ReadSignedNumber(text, at, &below) : !ReadNumber(text, at, nullptr)) return false;
        anyNegative = anyNegative || below;
    }
    if (negative != nullptr) *negative = anyNegative;
    return true;
}

bool AtEnd(std::string_view text, size_t at)
{
    SkipBlanks(text, &at);
    return at == text.size();
}

}  // namespace

bool NumberValue(std::string_view text, size_t start, size_t end, double* value)
{
    const char* begin = text.data() + start;
    if (*begin == '+') ++begin;
    auto [stop, error] = std::from_chars(begin, text.data() + end, *value);
    // Out of range is still a number of the right form; it reads as infinite.
    if (error == std::errc::result_out_of_range) {
        *value = *begin == '-' ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    return error == std::errc() && stop == text.data() + end;
}

bool ReadSignedNumber(std::string_view text, size_t* at, bool* negative)
{
    size_t start = *at;
    if (!ReadNumber(text, at, nullptr)) return false;
    *negative = false;
    if (text[start] == '-') {
        // "-0" is no negative number: only a minus sign worth its value.
        size_t again = start;
        double value = 0;
        ReadNumber(text, &again, &value);
        *negative = value < 0;
    }
    return true;
}

const char* CheckNumber(std::string_view text, double minimum, double maximum)
{
    const char* end = text.data() + text.size();
    const char* start = SkipBlanks(text.data(), end);
    const char* stop = ScanNumber(start, end);
    if (stop == nullptr || SkipBlanks(stop, end) != end) return "is not a number";
    if (minimum == -HUGE_VAL && maximum == HUGE_VAL) return nullptr;
    // Most bounds are 0 from below alone: the sign tells, without the value.
    if (minimum == 0 && maximum == HUGE_VAL) return IsNegativeNumber(start, stop) ? "is negative" : nullptr;
    double value = 0;
    if (!NumberValue(text, static_cast<size_t>(start - text.data()), static_cast<size_t>(stop - text.data()), &value)) {
        return "is not a number";
    }
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
    bool negative = false;
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 2, nonNegative ? &negative : nullptr) || !AtEnd(text, at)) {
        return "is not a point (x,y)";
    }
    return negative ? "has a negative coordinate" : nullptr;
}

const char* CheckPoints(std::string_view text)
{
    size_t at = 0;
    SkipBlanks(text, &at);
    if (at == text.size()) return "holds no points";
    while (at < text.size()) {
        if (!ReadCommaNumbers(text, &at, 2)) return "is not a list of points (x,y x,y ...)";
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
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 6) || !AtEnd(text, at)) return "is not a matrix of six numbers";
    return nullptr;
}

const char* CheckRectangle(std::string_view text)
{
    size_t at = 0;
    bool negative = false;
    SkipBlanks(text, &at);
    if (!ReadCommaNumbers(text, &at, 2) || !ReadComma(text, &at) || !ReadCommaNumbers(text, &at, 2, &negative) ||
        !AtEnd(text, at)) {
        return "is not a rectangle (x,y,width,height)";
    }
    return negative ? "has a negative width or height" : nullptr;
}

const char* CheckEvenNonNegativeList(std::string_view text)
{
    size_t at = 0;
    size_t count = 0;
    SkipBlanks(text, &at);
    while (at < text.size()) {
        bool negative = false;
        if (!ReadSignedNumber(text, &at, &negative)) return "is not a list of numbers";
        if (negative) return "holds a negative number";
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
        bool hex = true;
        for (size_t i = 1; i < text.size(); ++i) hex &= IsHexDigit(text[i]);
        return hex ? nullptr : kNotColor;
    }
    if (text.substr(0, 3) == "sc#") {
        size_t at = 3;
        SkipBlanks(text, &at);
        if (!ReadCommaNumbers(text, &at, 3)) return kNotColor;
        size_t fourth = at;
        if (ReadComma(text, &fourth)) {
            if (!ReadNumber(text, &fourth, nullptr)) return kNotColor;
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
            if (!ReadNumber(text, &at, nullptr)) return "is not a ContextColor (profile URI, then alpha and channels)";
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

const char* CheckUri(std::string_view text) { return text.empty() ? "is empty" : nullptr; }

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
