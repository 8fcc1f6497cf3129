// The values an option accepts. An option's values are a list of
// alternatives: keywords (a fixed spelling that stands for a ticket keyword
// or number) and argument forms (an integer, a length, a colour, a text, ...,
// possibly after a literal prefix such as "custom:").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "media_table.h"

namespace tav::options {

enum class ValueForm {
    Keyword,      // the spelling itself
    Integer,      // a decimal integer in [min, max]
    Length,       // a length with mm, in or pt; microns in [min, max]
    LengthPair,   // X,Y: two lengths
    LengthQuad,   // left,right,top,bottom: four lengths
    IntegerPair,  // X,Y: two integers in [min, max]
    Colour,       // #RRGGBB
    Text,         // non-empty UTF-8 text of at most max bytes, no control characters
    FontName,     // a face name of fewer than 32 UTF-16 units
    File,         // a readable file, kept as an absolute path
    Media,        // a media name or custom size
};

struct Alternative {
    std::string_view spelling;  // Keyword: the value; other forms: a literal prefix, or empty
    ValueForm form = ValueForm::Keyword;
    std::string_view keyword;      // Keyword: the ticket keyword it stands for
    bool isPrivate = false;        // the keyword is in the private namespace
    int number = 0;                // Keyword: the number it stands for; other forms: the minimum
    int max = 0;                   // other forms: the maximum
    std::string_view placeholder;  // other forms: what the user types, for the listing
    bool alias = false;            // accepted, but left out of the listing
};

// Alternatives are built with these helpers so that the table reads as a list.
constexpr Alternative Keyword(std::string_view spelling, std::string_view keyword, int number = 0)
{
    return Alternative{spelling, ValueForm::Keyword, keyword, false, number, 0, {}, false};
}
constexpr Alternative PrivateKeyword(std::string_view spelling, std::string_view keyword, int number = 0)
{
    return Alternative{spelling, ValueForm::Keyword, keyword, true, number, 0, {}, false};
}
constexpr Alternative Alias(Alternative alternative)
{
    alternative.alias = true;
    return alternative;
}
constexpr Alternative Argument(std::string_view prefix, ValueForm form, std::string_view placeholder, int min = 0,
                               int max = 0)
{
    return Alternative{prefix, form, {}, false, min, max, placeholder, false};
}

struct ParsedValue {
    const Alternative* alternative = nullptr;  // null: the option has no value
    std::vector<int> numbers;  // Integer, Length, Colour: one; pairs: two; quad: four (lengths in microns)
    bool inches = false;       // lengths given in inches
    std::string text;          // Text, FontName, File
    MediaSize media;           // Media
};

// Parses text against the alternatives in order. On failure *problem says
// why ("is out of range", ...), or is empty when no alternative applies.
bool ParseOptionValue(const std::vector<Alternative>& alternatives, std::string_view text, ParsedValue* value,
                      std::string* problem);

// How an alternative is shown: its spelling, or prefix, placeholder and range.
std::string DescribeAlternative(const Alternative& alternative);

}  // namespace tav::options
