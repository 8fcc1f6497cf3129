// Strict parsing of the numbers and lengths that option values are made of.
// Parsing never depends on the process locale: '.' is the decimal point.
#pragma once

#include <string_view>

namespace tav::options {

// A whole decimal integer with an optional leading '-'; nothing else may
// follow. False when the text is not such a number or does not fit.
bool ParseInteger(std::string_view text, long long* value);

// A decimal number such as 10, 0.5 or -2.25 (no exponent, no '+').
bool ParseDecimal(std::string_view text, double* value);

enum class LengthUnit { Millimetre, Inch, Point };

// Splits a unit suffix ("mm", "in", "pt") off the text.
bool SplitLengthUnit(std::string_view text, std::string_view* number, LengthUnit* unit);

// A length in the unit, in microns, rounded to the nearest micron; false
// when it lies outside [minMicrons, maxMicrons].
bool LengthToMicrons(double value, LengthUnit unit, int minMicrons, int maxMicrons, int* microns);

enum class Parsed { Ok, Malformed, OutOfRange };

// A length such as 10mm, 0.5in or 12pt, in microns within the bounds.
// *inches tells whether it was given in inches.
Parsed ParseLength(std::string_view text, int minMicrons, int maxMicrons, int* microns, bool* inches);

}  // namespace tav::options
