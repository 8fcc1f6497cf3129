// The string identifiers of the language library: the first identifier of
// each run of names. A run holds its names in calendar order, so a name is
// found as its run's first identifier plus the weekday (Sunday 0), the month
// minus one, or the hour divided by 12 (0 morning, 1 afternoon).
#pragma once

namespace tav::lang {

inline constexpr unsigned kWeekdayNames = 1000;           // "Sunday" ... "Saturday"
inline constexpr unsigned kShortWeekdayNames = 1010;      // "Sun" ... "Sat"
inline constexpr unsigned kMonthNames = 1020;             // "January" ... "December"
inline constexpr unsigned kMorningAfternoon = 1040;       // "AM", "PM"
inline constexpr unsigned kShortMorningAfternoon = 1042;  // "am", "pm"

// The file name of the library in the module folder.
inline constexpr const char* kLibraryName = "libtavlang.so";

// The runs as the filters are told them (the DataTimeID property): the
// first identifiers for the data-format letters w, W, M, a and A, in that
// order: w the short weekday names, W the full ones, M the month names, a
// and A the morning/afternoon names in lower and upper case.
inline constexpr const char* kDataTimeIds = "1010,1000,1020,1042,1040";

}  // namespace tav::lang
