// The printf-style StringFormat of a header/footer date or time, applied to
// the values its DataFormat named. The format comes from the ticket and is
// not trusted: a conversion is formatted only when it fits the value it
// takes, and everything else is printed as the text it is.
#pragma once

#include <array>
#include <string>

#include "platform/types.h"

// One value of a date or time: a number (year, month, day, hour, minute,
// second), a name (month, weekday, morning/afternoon), or not filled.
struct FormatValue {
    enum class Kind { Unfilled, Number, Name };
    Kind kind = Kind::Unfilled;
    INT number = 0;
    std::u16string name;

    static FormatValue Number(INT value) { return {Kind::Number, value, {}}; }
    static FormatValue Name(std::u16string value) { return {Kind::Name, 0, std::move(value)}; }
};

inline constexpr size_t kFormatValueCount = 4;
using FormatValues = std::array<FormatValue, kFormatValueCount>;

// A conversion is '%', flags from "-+ 0#", a width, a '.' and a precision
// (each at most 999), and a letter; it takes the next of the four values,
// as printf would. It is formatted when the letter fits the value: d, i, u,
// x, X or o for a number, s for a name; a value not filled prints as 0 or
// as the empty text. Any other conversion (one for a value of the other
// kind, a fifth one, %n, %c, a length modifier such as %ld, an unknown
// letter) is printed as it stands, and so is a '%' not followed by a
// conversion (as in "%*d" or at the end). "%%" prints '%'. A null format
// gives the empty text.
std::u16string ApplyStringFormat(const WCHAR* format, const FormatValues& values);
