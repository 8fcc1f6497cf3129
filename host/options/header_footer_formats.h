// The date and time layouts Type1 to Type8 of the header or footer line: a
// printf-style format and the data format whose letters name the values it
// takes in order (date: y year, m month, d day as numbers, M month name,
// W or w weekday name; time: h hour 0-23, H hour 1-12, m minute, s second
// as numbers, A or a morning/afternoon name).
#pragma once

#include <string_view>

namespace tav::options {

struct DateTimeLayout {
    std::string_view stringFormat;
    std::string_view dataFormat;
};

inline constexpr int kLayoutTypes = 8;

// type is 1 to 8.
const DateTimeLayout& DateLayout(int type);
const DateTimeLayout& TimeLayout(int type);

}  // namespace tav::options
