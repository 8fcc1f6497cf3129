// The characters and numbers of attribute values, scanned over raw
// pointers: these loops read most of a page's markup, so they are kept
// small enough for the compiler to hold everything in registers.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tav::host::page_schema {

enum CharClass : uint8_t { kOtherChar, kBlankChar, kDigitChar, kSignChar, kDotChar, kCommaChar };

inline constexpr std::array<uint8_t, 256> kCharClasses = [] {
    std::array<uint8_t, 256> table{};
    for (char c : std::string_view(" \t\r\n")) table[static_cast<unsigned char>(c)] = kBlankChar;
    for (char c = '0'; c <= '9'; ++c) table[static_cast<unsigned char>(c)] = kDigitChar;
    table['+'] = table['-'] = kSignChar;
    table['.'] = kDotChar;
    table[','] = kCommaChar;
    return table;
}();

inline uint8_t ClassOf(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }
inline bool IsBlankChar(char c) { return ClassOf(c) == kBlankChar; }
inline bool IsDigitChar(char c) { return ClassOf(c) == kDigitChar; }

// Past the blanks (space, tab, carriage return, line feed) at p.
inline const char* SkipBlanks(const char* p, const char* end)
{
    while (p != end && IsBlankChar(*p)) ++p;
    return p;
}

// One real number at p (optional sign, digits with an optional fraction or
// a fraction alone, optional exponent): the end of it, or null when there
// is none ("1." and "." are no numbers).
inline const char* ScanNumber(const char* p, const char* end)
{
    if (p != end && ClassOf(*p) == kSignChar) ++p;
    const char* digits = p;
    while (p != end && IsDigitChar(*p)) ++p;
    bool whole = p != digits;
    if (p != end && *p == '.') {
        const char* fraction = ++p;
        while (p != end && IsDigitChar(*p)) ++p;
        if (p == fraction) return nullptr;
    } else if (!whole) {
        return nullptr;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && ClassOf(*p) == kSignChar) ++p;
        const char* exponent = p;
        while (p != end && IsDigitChar(*p)) ++p;
        if (p == exponent) return nullptr;
    }
    return p;
}

// Whether the number ScanNumber found in [start, end) is below 0: a minus
// sign before a digit other than 0 ("-0" and "-0e5" are 0).
inline bool IsNegativeNumber(const char* start, const char* end)
{
    if (*start != '-') return false;
    for (const char* q = start + 1; q != end && *q != 'e' && *q != 'E'; ++q) {
        if (*q >= '1' && *q <= '9') return true;
    }
    return false;
}

}  // namespace tav::host::page_schema
