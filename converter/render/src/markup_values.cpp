#include "markup_values.h"

#include "number_scanner.h"

namespace tav::render {

namespace {

// Reads exactly count numbers, separated as the scanner allows.
bool ReadFixed(std::string_view text, double* numbers, size_t count, std::string* error)
{
    NumberScanner scanner(text);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && !scanner.SkipSeparator()) {
            *error = "two commas in a row " + scanner.Where();
            return false;
        }
        if (!scanner.Number(&numbers[i])) {
            *error = "expected " + std::to_string(count) + " numbers; no number " + scanner.Where();
            return false;
        }
    }
    if (!scanner.AtEnd()) {
        *error = "unexpected text " + scanner.Where();
        return false;
    }
    return true;
}

}  // namespace

Parsed<double> ParseNumberValue(std::string_view text)
{
    Parsed<double> result;
    ReadFixed(text, &result.value, 1, &result.error);
    return result;
}

Parsed<Point> ParsePointValue(std::string_view text)
{
    double numbers[2];
    Parsed<Point> result;
    if (ReadFixed(text, numbers, 2, &result.error)) result.value = {numbers[0], numbers[1]};
    return result;
}

Parsed<std::vector<Point>> ParsePointList(std::string_view text)
{
    NumberScanner scanner(text);
    Parsed<std::vector<Point>> result;
    while (!scanner.AtEnd()) {
        double x = 0, y = 0;
        if ((!result.value.empty() && !scanner.SkipSeparator()) || !scanner.Number(&x) || !scanner.SkipSeparator() ||
            !scanner.Number(&y))
            return Parsed<std::vector<Point>>::Fail("expected a point x,y " + scanner.Where());
        result.value.push_back({x, y});
    }
    if (result.value.empty()) return Parsed<std::vector<Point>>::Fail("expected at least one point");
    return result;
}

Parsed<Rect> ParseRectValue(std::string_view text)
{
    double numbers[4];
    Parsed<Rect> result;
    if (!ReadFixed(text, numbers, 4, &result.error)) return result;
    if (numbers[2] < 0 || numbers[3] < 0) return Parsed<Rect>::Fail("a rectangle has a negative width or height");
    result.value = {numbers[0], numbers[1], numbers[2], numbers[3]};
    return result;
}

Parsed<Affine> ParseMatrixValue(std::string_view text)
{
    double n[6];
    Parsed<Affine> result;
    if (ReadFixed(text, n, 6, &result.error)) result.value = {n[0], n[1], n[2], n[3], n[4], n[5]};
    return result;
}

Parsed<std::vector<double>> ParseNumberList(std::string_view text)
{
    NumberScanner scanner(text);
    Parsed<std::vector<double>> result;
    while (!scanner.AtEnd()) {
        double value = 0;
        if ((!result.value.empty() && !scanner.SkipSeparator()) || !scanner.Number(&value))
            return Parsed<std::vector<double>>::Fail("expected a number " + scanner.Where());
        result.value.push_back(value);
    }
    return result;
}

Parsed<bool> ParseBoolValue(std::string_view text)
{
    Parsed<bool> result;
    if (text == "true") {
        result.value = true;
    } else if (text != "false") {
        result.error = "expected true or false";
    }
    return result;
}

}  // namespace tav::render
