// Page sizes of generated jobs, in XPS units of 1/96 inch.
#pragma once

#include <optional>
#include <string_view>

namespace jobgen {

struct PageSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const PageSize&, const PageSize&) = default;
};

inline constexpr PageSize kA4{794, 1123};
inline constexpr PageSize kLetter{816, 1056};

// The same sheet with its long side horizontal.
constexpr PageSize Landscape(PageSize size)
{
    return size.width >= size.height ? size : PageSize{size.height, size.width};
}

// The identity marks need 4 inches on each side; 200 inches is far beyond any
// medium a printer takes and keeps coordinates small.
inline constexpr double kMinPageSide = 384;
inline constexpr double kMaxPageSide = 19200;

bool IsUsablePageSize(PageSize size);

// "a4", "letter", "a4-landscape", "letter-landscape" or "WIDTHxHEIGHT" in
// 1/96 inch (decimals allowed); nothing for anything else or for a size
// outside the usable range.
std::optional<PageSize> ParsePageSize(std::string_view text);

}  // namespace jobgen
