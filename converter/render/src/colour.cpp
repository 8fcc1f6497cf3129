#include "colour.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "number_scanner.h"

namespace tav::render {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() &&
           (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

Parsed<ParsedColour> ParseHex(std::string_view digits)
{
    if (digits.size() != 6 && digits.size() != 8)
        return Parsed<ParsedColour>::Fail("a colour has 6 or 8 hexadecimal digits after '#'");
    unsigned values[4] = {255, 0, 0, 0};
    size_t first = digits.size() == 8 ? 0 : 1;
    for (size_t i = 0; i < digits.size(); i += 2) {
        int high = HexDigit(digits[i]), low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return Parsed<ParsedColour>::Fail("a colour has a character that is not hexadecimal");
        values[first + i / 2] = static_cast<unsigned>(high * 16 + low);
    }
    Parsed<ParsedColour> result;
    result.value.colour = {values[1] / 255.0, values[2] / 255.0, values[3] / 255.0, values[0] / 255.0};
    return result;
}

bool ReadNumbers(std::string_view text, std::vector<double>* numbers)
{
    NumberScanner scanner(text);
    while (!scanner.AtEnd()) {
        if (!numbers->empty() && !scanner.SkipSeparator()) return false;
        double value = 0;
        if (!scanner.Number(&value)) return false;
        numbers->push_back(value);
        if (numbers->size() > 9) return false;
    }
    return true;
}

double Clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

}  // namespace

double LinearToSrgb(double linear)
{
    linear = Clamp01(linear);
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

double SrgbToLinear(double srgb)
{
    srgb = Clamp01(srgb);
    return srgb <= 0.04045 ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}

Parsed<ParsedColour> ParseColour(std::string_view text)
{
    text = Trim(text);
    if (text.starts_with("#")) return ParseHex(text.substr(1));
    if (text.starts_with("sc#")) {
        std::vector<double> numbers;
        if (!ReadNumbers(text.substr(3), &numbers) || (numbers.size() != 3 && numbers.size() != 4))
            return Parsed<ParsedColour>::Fail("an sc# colour has three or four numbers");
        size_t first = numbers.size() == 4 ? 1 : 0;
        Parsed<ParsedColour> result;
        result.value.colour = {LinearToSrgb(numbers[first]), LinearToSrgb(numbers[first + 1]),
                               LinearToSrgb(numbers[first + 2]), first == 1 ? Clamp01(numbers[0]) : 1.0};
        return result;
    }
    if (text.starts_with("ContextColor ")) {
        std::string_view rest = Trim(text.substr(13));
        size_t space = rest.find_first_of(" \t");
        if (space == std::string_view::npos) return Parsed<ParsedColour>::Fail("a ContextColor has no channel values");
        std::vector<double> numbers;
        if (!ReadNumbers(rest.substr(space), &numbers) || numbers.size() < 2)
            return Parsed<ParsedColour>::Fail("a ContextColor has an alpha and at least one channel value");
        Parsed<ParsedColour> result;
        result.value.fromProfile = true;
        result.value.profileUri = std::string(rest.substr(0, space));
        for (size_t i = 1; i < numbers.size(); ++i) result.value.channels.push_back(Clamp01(numbers[i]));
        double alpha = Clamp01(numbers[0]);
        size_t channels = numbers.size() - 1;
        auto c = [&](size_t i) { return Clamp01(numbers[1 + i]); };
        if (channels >= 4) {
            // CMYK, the nearest thing without the profile: each ink removes its
            // share of the light, black removes from all three.
            double k = c(3);
            result.value.colour = {(1 - c(0)) * (1 - k), (1 - c(1)) * (1 - k), (1 - c(2)) * (1 - k), alpha};
        } else if (channels == 3) {
            result.value.colour = {c(0), c(1), c(2), alpha};
        } else {
            result.value.colour = {c(0), c(0), c(0), alpha};
        }
        return result;
    }
    return Parsed<ParsedColour>::Fail("'" + std::string(text.substr(0, 40)) + "' is not a colour");
}

Parsed<ImageSourceValue> ParseImageSource(std::string_view text)
{
    text = Trim(text);
    Parsed<ImageSourceValue> result;
    if (!text.starts_with("{")) {
        if (text.empty()) return Parsed<ImageSourceValue>::Fail("the image source is empty");
        result.value.uri = std::string(text);
        return result;
    }
    constexpr std::string_view kConverted = "{ColorConvertedBitmap ";
    if (!text.starts_with(kConverted) || !text.ends_with("}"))
        return Parsed<ImageSourceValue>::Fail("'" + std::string(text.substr(0, 60)) + "' is not an image source");
    std::string_view rest = Trim(text.substr(kConverted.size(), text.size() - kConverted.size() - 1));
    size_t space = rest.find_first_of(" \t");
    if (space == std::string_view::npos)
        return Parsed<ImageSourceValue>::Fail("a ColorConvertedBitmap names an image and a colour profile");
    result.value.uri = std::string(rest.substr(0, space));
    result.value.profileUri = std::string(Trim(rest.substr(space)));
    if (result.value.profileUri.find_first_of(" \t") != std::string::npos)
        return Parsed<ImageSourceValue>::Fail("a ColorConvertedBitmap names one image and one colour profile");
    return result;
}

}  // namespace tav::render
