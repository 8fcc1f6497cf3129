// The lexical forms of page-markup attribute values, each checked in place
// over the attribute's text: numbers and the lists made of them, colours,
// resource references, names and language tags. Every check returns null
// when the text has the form, else a short reason ("is not a number") that
// a message puts after the attribute's name.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "opc/page_schema/number_scan.h"

namespace tav::host::page_schema {

// Reads one real number (optional sign, digits with an optional fraction
// or a fraction alone, optional exponent) at text[*at]; on success moves
// *at past it and stores the value (when value is not null: most checks
// need only the form, which is much cheaper to tell).
inline bool ReadNumber(std::string_view text, size_t* at, double* value);
// Reads a number as ReadNumber does; *negative tells whether it is below 0.
bool ReadSignedNumber(std::string_view text, size_t* at, bool* negative);
// Moves *at past blanks (space, tab, carriage return, line feed).
inline void SkipBlanks(std::string_view text, size_t* at)
{
    while (*at < text.size() && (text[*at] == ' ' || text[*at] == '\t' || text[*at] == '\r' || text[*at] == '\n')) {
        ++*at;
    }
}

// A number with blanks around it, within [minimum, maximum].
const char* CheckNumber(std::string_view text, double minimum, double maximum);
// An integer with blanks around it, within [minimum, maximum].
const char* CheckInteger(std::string_view text, long minimum, long maximum);
// "x,y", blanks allowed around each number; nonNegative asks both >= 0.
const char* CheckPoint(std::string_view text, bool nonNegative);
// Points separated by blanks, at least one.
const char* CheckPoints(std::string_view text);
// Six numbers separated by commas.
const char* CheckMatrix(std::string_view text);
// "x,y,width,height" with width and height >= 0.
const char* CheckRectangle(std::string_view text);
// An even count of numbers >= 0 separated by blanks (none at all too).
const char* CheckEvenNonNegativeList(std::string_view text);
// "true" or "false".
const char* CheckBoolean(std::string_view text);
// #RRGGBB, #AARRGGBB, sc#R,G,B, sc#A,R,G,B or "ContextColor URI A,C1[,C2...]".
const char* CheckColor(std::string_view text);
// A name as the markup's Name and x:Key take it: a letter or underscore,
// then letters, digits and underscores (any non-ASCII character counts as
// a letter).
const char* CheckName(std::string_view text);
// A language tag (primary subtag of 1 to 8 letters, subtags of 1 to 8
// letters or digits joined by hyphens), or empty.
const char* CheckLanguageTag(std::string_view text);
// Hexadecimal digits and blanks, as CaretStops holds.
const char* CheckCaretStops(std::string_view text);
// A URI: any text but none (the lexical space of URIs is wide).
const char* CheckUri(std::string_view text);
// "URI" or "{ColorConvertedBitmap IMAGE PROFILE}".
const char* CheckImageSource(std::string_view text);

// The key of a "{StaticResource KEY}" value; nothing when the value is no
// resource reference (it begins with no "{"). *reason is set when it
// begins with "{" but is no well-formed reference.
std::optional<std::string_view> ResourceReference(std::string_view text, const char** reason);

// The value of the number ReadNumber found in text[start, end).
bool NumberValue(std::string_view text, size_t start, size_t end, double* value);

inline bool ReadNumber(std::string_view text, size_t* at, double* value)
{
    const char* start = text.data() + *at;
    const char* stop = ScanNumber(start, text.data() + text.size());
    if (stop == nullptr) return false;
    size_t end = static_cast<size_t>(stop - text.data());
    if (value != nullptr && !NumberValue(text, *at, end, value)) return false;
    *at = end;
    return true;
}

}  // namespace tav::host::page_schema
