#include "media_table.h"

#include "text_checks.h"

namespace tav::options {

namespace {

struct NamedMedia {
    std::string_view pwgName;
    std::string_view shortName;
    std::string_view keyword;
    int width;
    int height;
};

// Sizes in microns; inch sizes are exact multiples of 25400.
constexpr NamedMedia kMedia[] = {
    {"iso_a3_297x420mm", "A3", "ISOA3", 297000, 420000},
    {"iso_a4_210x297mm", "A4", "ISOA4", 210000, 297000},
    {"iso_a5_148x210mm", "A5", "ISOA5", 148000, 210000},
    {"iso_a6_105x148mm", "A6", "ISOA6", 105000, 148000},
    {"iso_b5_176x250mm", "ISOB5", "ISOB5", 176000, 250000},
    {"jis_b4_257x364mm", "B4", "JISB4", 257000, 364000},
    {"jis_b5_182x257mm", "B5", "JISB5", 182000, 257000},
    {"na_letter_8.5x11in", "Letter", "NorthAmericaLetter", 215900, 279400},
    {"na_legal_8.5x14in", "Legal", "NorthAmericaLegal", 215900, 355600},
    {"na_executive_7.25x10.5in", "Executive", "NorthAmericaExecutive", 184150, 266700},
    {"na_ledger_11x17in", "Tabloid", "NorthAmericaTabloid", 279400, 431800},
    {"jpn_hagaki_100x148mm", "Postcard", "JapanHagakiPostcard", 100000, 148000},
};

constexpr std::string_view kCustomPrefix = "custom_";

// "custom_WxHmm" or "custom_WxHin"; W and H decimal numbers.
Parsed ParseCustomSize(std::string_view text, MediaSize* media)
{
    std::string_view size = text.substr(kCustomPrefix.size());
    std::string_view numbers;
    LengthUnit unit;
    if (!SplitLengthUnit(size, &numbers, &unit) || unit == LengthUnit::Point) return Parsed::Malformed;
    size_t cross = numbers.find('x');
    if (cross == std::string_view::npos) return Parsed::Malformed;
    double width, height;
    if (!ParseDecimal(numbers.substr(0, cross), &width) || !ParseDecimal(numbers.substr(cross + 1), &height))
        return Parsed::Malformed;
    MediaSize custom;
    if (!LengthToMicrons(width, unit, kMinCustomSide, kMaxCustomSide, &custom.width) ||
        !LengthToMicrons(height, unit, kMinCustomSide, kMaxCustomSide, &custom.height))
        return Parsed::OutOfRange;
    custom.keyword = "CustomMediaSize";
    custom.custom = true;
    custom.inches = unit == LengthUnit::Inch;
    *media = custom;
    return Parsed::Ok;
}

}  // namespace

Parsed ParseMedia(std::string_view text, MediaSize* media)
{
    if (text.starts_with(kCustomPrefix)) return ParseCustomSize(text, media);
    for (const NamedMedia& named : kMedia) {
        if (EqualsIgnoringAsciiCase(text, named.pwgName) || EqualsIgnoringAsciiCase(text, named.shortName)) {
            *media = MediaSize{std::string(named.keyword), named.width, named.height, false, false};
            return Parsed::Ok;
        }
    }
    return Parsed::Malformed;
}

std::string_view MediaNameOfKeyword(std::string_view keyword)
{
    for (const NamedMedia& named : kMedia) {
        if (named.keyword == keyword) return named.pwgName;
    }
    return {};
}

std::vector<std::string> ListedMediaNames()
{
    std::vector<std::string> names;
    for (const NamedMedia& named : kMedia) names.emplace_back(named.pwgName);
    names.emplace_back("custom_WxHmm");
    names.emplace_back("custom_WxHin");
    return names;
}

std::vector<std::string> AcceptedMediaNames()
{
    std::vector<std::string> names;
    for (const NamedMedia& named : kMedia) names.emplace_back(named.pwgName);
    for (const NamedMedia& named : kMedia) names.emplace_back(named.shortName);
    names.emplace_back("custom_WxHmm");
    names.emplace_back("custom_WxHin");
    return names;
}

}  // namespace tav::options
