#include "header_footer_formats.h"

#include <stdexcept>

namespace tav::options {

namespace {

// Shown for 8 March 2026, a Sunday.
constexpr DateTimeLayout kDateLayouts[kLayoutTypes] = {
    {"%d/%02d/%02d", "ymd"},    // 2026/03/08
    {"%02d/%02d/%d", "mdy"},    // 03/08/2026
    {"%02d/%02d/%d", "dmy"},    // 08/03/2026
    {"%d-%02d-%02d", "ymd"},    // 2026-03-08
    {"%02d.%02d.%d", "dmy"},    // 08.03.2026
    {"%s %d, %d", "Mdy"},       // March 8, 2026
    {"%d %s %d", "dMy"},        // 8 March 2026
    {"%s, %s %d, %d", "WMdy"},  // Sunday, March 8, 2026
};

// Shown for 14:05:09.
constexpr DateTimeLayout kTimeLayouts[kLayoutTypes] = {
    {"%02d:%02d", "hm"},          // 14:05
    {"%02d:%02d:%02d", "hms"},    // 14:05:09
    {"%d:%02d %s", "HmA"},        // 2:05 PM
    {"%d:%02d:%02d %s", "HmsA"},  // 2:05:09 PM
    {"%s %d:%02d", "AHm"},        // PM 2:05
    {"%s %d:%02d:%02d", "AHms"},  // PM 2:05:09
    {"%02dh%02d", "hm"},          // 14h05
    {"%02d.%02d", "hm"},          // 14.05
};

const DateTimeLayout& Layout(const DateTimeLayout (&layouts)[kLayoutTypes], int type)
{
    if (type < 1 || type > kLayoutTypes) throw std::out_of_range("a date or time layout is Type1 to Type8");
    return layouts[type - 1];
}

}  // namespace

const DateTimeLayout& DateLayout(int type) { return Layout(kDateLayouts, type); }

const DateTimeLayout& TimeLayout(int type) { return Layout(kTimeLayouts, type); }

}  // namespace tav::options
