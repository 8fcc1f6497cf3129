#include "numbers.h"

#include <charconv>
#include <cmath>

#include "platform/units.h"

namespace tav::options {

namespace {

bool IsDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool ParseInteger(std::string_view text, long long* value)
{
    std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (!IsDigits(digits)) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseDecimal(std::string_view text, double* value)
{
    std::string_view body = text.starts_with('-') ? text.substr(1) : text;
    size_t point = body.find('.');
    std::string_view whole = body.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : body.substr(point + 1);
    // "5", "5.25" and ".5" are numbers; "5.", "." and "" are not.
    if (point != std::string_view::npos && !IsDigits(fraction)) return false;
    if (!whole.empty() && !IsDigits(whole)) return false;
    if (whole.empty() && point == std::string_view::npos) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value, std::chars_format::fixed);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(*value);
}

bool SplitLengthUnit(std::string_view text, std::string_view* number, LengthUnit* unit)
{
    static constexpr struct {
        std::string_view suffix;
        LengthUnit unit;
    } kUnits[] = {{"mm", LengthUnit::Millimetre}, {"in", LengthUnit::Inch}, {"pt", LengthUnit::Point}};
    for (const auto& candidate : kUnits) {
        if (text.ends_with(candidate.suffix)) {
            *number = text.substr(0, text.size() - candidate.suffix.size());
            *unit = candidate.unit;
            return true;
        }
    }
    return false;
}

bool LengthToMicrons(double value, LengthUnit unit, int minMicrons, int maxMicrons, int* microns)
{
    double perUnit = 1000.0;
    if (unit == LengthUnit::Inch)
        perUnit = kMicronsPerInch;
    else if (unit == LengthUnit::Point)
        perUnit = static_cast<double>(kMicronsPerInch) / kPointsPerInch;
    double rounded = std::round(value * perUnit);
    // Compared as doubles first, so a huge value never reaches the int conversion.
    if (!(rounded >= minMicrons && rounded <= maxMicrons)) return false;
    *microns = static_cast<int>(rounded);
    return true;
}

Parsed ParseLength(std::string_view text, int minMicrons, int maxMicrons, int* microns, bool* inches)
{
    std::string_view number;
    LengthUnit unit;
    double value;
    if (!SplitLengthUnit(text, &number, &unit) || !ParseDecimal(number, &value)) return Parsed::Malformed;
    if (!LengthToMicrons(value, unit, minMicrons, maxMicrons, microns)) return Parsed::OutOfRange;
    *inches = unit == LengthUnit::Inch;
    return Parsed::Ok;
}

}  // namespace tav::options
