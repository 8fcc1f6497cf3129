#include "option_value.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "text_checks.h"

namespace tav::options {

namespace {

constexpr char kOutOfRange[] = "is out of range";

// Splits "a,b,c" into exactly count pieces.
bool SplitList(std::string_view text, size_t count, std::vector<std::string_view>* pieces)
{
    pieces->clear();
    size_t start = 0;
    while (pieces->size() + 1 < count) {
        size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) return false;
        pieces->push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    std::string_view last = text.substr(start);
    if (last.find(',') != std::string_view::npos) return false;
    pieces->push_back(last);
    return true;
}

Parsed ParseIntegers(std::string_view text, size_t count, int min, int max, std::vector<int>* numbers)
{
    std::vector<std::string_view> pieces;
    if (!SplitList(text, count, &pieces)) return Parsed::Malformed;
    Parsed result = Parsed::Ok;
    for (std::string_view piece : pieces) {
        long long number;
        if (!ParseInteger(piece, &number)) return Parsed::Malformed;
        if (number < min || number > max)
            result = Parsed::OutOfRange;
        else
            numbers->push_back(static_cast<int>(number));
    }
    return result;
}

Parsed ParseLengths(std::string_view text, size_t count, int min, int max, ParsedValue* value)
{
    std::vector<std::string_view> pieces;
    if (!SplitList(text, count, &pieces)) return Parsed::Malformed;
    Parsed result = Parsed::Ok;
    for (std::string_view piece : pieces) {
        int microns = 0;
        bool inches = false;
        Parsed parsed = ParseLength(piece, min, max, &microns, &inches);
        if (parsed == Parsed::Malformed) return parsed;
        if (parsed == Parsed::OutOfRange) result = parsed;
        value->numbers.push_back(microns);
        value->inches = value->inches || inches;
    }
    return result;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Parsed ParseColour(std::string_view text, ParsedValue* value)
{
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.size() != 6) return Parsed::Malformed;
    int colour = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) return Parsed::Malformed;
        colour = colour * 16 + digit;
    }
    value->numbers.push_back(colour);
    return Parsed::Ok;
}

bool CheckText(std::string_view text, size_t maxBytes, std::string* problem)
{
    size_t units = 0;
    if (text.empty())
        *problem = "needs a text";
    else if (text.size() > maxBytes)
        *problem = "is longer than " + std::to_string(maxBytes) + " bytes";
    else if (!IsCleanText(text, &units))
        *problem = "is not valid UTF-8 text or contains control characters";
    return problem->empty();
}

bool ParseFontName(std::string_view text, ParsedValue* value, std::string* problem)
{
    size_t units = 0;
    if (text.empty())
        *problem = "needs a font name";
    else if (!IsCleanText(text, &units))
        *problem = "is not valid UTF-8 text or contains control characters";
    else if (units >= 32)
        *problem = "is too long for a face name (at most 31 characters)";
    if (!problem->empty()) return false;
    value->text = text;
    return true;
}

bool ParseFile(std::string_view text, ParsedValue* value, std::string* problem)
{
    std::string path(text);
    if (path.empty()) {
        *problem = "needs a file name";
        return false;
    }
    std::unique_ptr<char, decltype(&std::free)> absolute(realpath(path.c_str(), nullptr), &std::free);
    struct stat info {};
    if (!absolute || stat(absolute.get(), &info) != 0) {
        *problem = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *problem = "\"" + path + "\" is not a regular file";
        return false;
    }
    std::FILE* file = std::fopen(absolute.get(), "rb");
    if (!file) {
        *problem = "cannot read \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    size_t units = 0;
    if (!IsCleanText(absolute.get(), &units)) {
        *problem = "the path of \"" + path + "\" is not valid UTF-8";
        return false;
    }
    value->text = absolute.get();
    return true;
}

// Parses the argument of an alternative that is not a keyword.
bool ParseArgument(const Alternative& alternative, std::string_view text, ParsedValue* value, std::string* problem)
{
    Parsed parsed = Parsed::Ok;
    switch (alternative.form) {
    case ValueForm::Keyword: return false;
    case ValueForm::Integer:
        parsed = ParseIntegers(text, 1, alternative.number, alternative.max, &value->numbers);
        break;
    case ValueForm::IntegerPair:
        parsed = ParseIntegers(text, 2, alternative.number, alternative.max, &value->numbers);
        break;
    case ValueForm::Length: parsed = ParseLengths(text, 1, alternative.number, alternative.max, value); break;
    case ValueForm::LengthPair: parsed = ParseLengths(text, 2, alternative.number, alternative.max, value); break;
    case ValueForm::LengthQuad: parsed = ParseLengths(text, 4, alternative.number, alternative.max, value); break;
    case ValueForm::Colour: parsed = ParseColour(text, value); break;
    case ValueForm::Media: parsed = ParseMedia(text, &value->media); break;
    case ValueForm::Text:
        if (!CheckText(text, static_cast<size_t>(alternative.max), problem)) return false;
        value->text = text;
        return true;
    case ValueForm::FontName: return ParseFontName(text, value, problem);
    case ValueForm::File: return ParseFile(text, value, problem);
    }
    if (parsed == Parsed::OutOfRange) *problem = kOutOfRange;
    return parsed == Parsed::Ok;
}

std::string MillimetreText(int microns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%gmm", microns / 1000.0);
    return text;
}

}  // namespace

bool ParseOptionValue(const std::vector<Alternative>& alternatives, std::string_view text, ParsedValue* value,
                      std::string* problem)
{
    problem->clear();
    for (const Alternative& alternative : alternatives) {
        if (alternative.form == ValueForm::Keyword) {
            if (!EqualsIgnoringAsciiCase(text, alternative.spelling)) continue;
            *value = ParsedValue{};
            value->alternative = &alternative;
            return true;
        }
        if (!StartsWithIgnoringAsciiCase(text, alternative.spelling)) continue;
        ParsedValue parsed;
        parsed.alternative = &alternative;
        if (ParseArgument(alternative, text.substr(alternative.spelling.size()), &parsed, problem)) {
            *value = std::move(parsed);
            return true;
        }
        // A literal prefix that matched decides the alternative; a bare form
        // lets the later alternatives try, unless it found a real problem.
        if (!alternative.spelling.empty() || !problem->empty()) return false;
    }
    return false;
}

std::string DescribeAlternative(const Alternative& alternative)
{
    std::string text(alternative.spelling);
    if (alternative.form == ValueForm::Keyword) return text;
    text += alternative.placeholder;
    switch (alternative.form) {
    case ValueForm::Integer:
    case ValueForm::IntegerPair:
        text += "(" + std::to_string(alternative.number) + ".." + std::to_string(alternative.max) + ")";
        break;
    case ValueForm::Length:
    case ValueForm::LengthPair:
    case ValueForm::LengthQuad:
        text += "(" + MillimetreText(alternative.number) + ".." + MillimetreText(alternative.max) + ")";
        break;
    default: break;
    }
    return text;
}

}  // namespace tav::options
