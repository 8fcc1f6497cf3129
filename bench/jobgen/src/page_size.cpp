#include "jobgen/page_size.h"

#include <charconv>
#include <cmath>

namespace jobgen {

bool IsUsablePageSize(PageSize size)
{
    return std::isfinite(size.width) && std::isfinite(size.height) && size.width >= kMinPageSide &&
           size.height >= kMinPageSide && size.width <= kMaxPageSide && size.height <= kMaxPageSide;
}

namespace {

std::optional<double> ParseWholeNumber(std::string_view text)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<PageSize> ParseDimensions(std::string_view text)
{
    size_t cross = text.find('x');
    if (cross == std::string_view::npos) return std::nullopt;
    auto width = ParseWholeNumber(text.substr(0, cross));
    auto height = ParseWholeNumber(text.substr(cross + 1));
    if (!width || !height) return std::nullopt;
    return PageSize{*width, *height};
}

}  // namespace

std::optional<PageSize> ParsePageSize(std::string_view text)
{
    constexpr std::string_view kLandscapeSuffix = "-landscape";
    bool landscape = text.ends_with(kLandscapeSuffix);
    std::string_view name = landscape ? text.substr(0, text.size() - kLandscapeSuffix.size()) : text;

    std::optional<PageSize> size;
    if (name == "a4")
        size = kA4;
    else if (name == "letter")
        size = kLetter;
    else if (!landscape)
        size = ParseDimensions(name);

    if (!size || !IsUsablePageSize(*size)) return std::nullopt;
    return landscape ? Landscape(*size) : *size;
}

}  // namespace jobgen
