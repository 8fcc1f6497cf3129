// DateTimeNames: where the language library's names begin, one string
// resource identifier for each name letter of the date and time data
// formats, and the library's path beside the driver's configuration file.
#pragma once

#include <string>

#include "platform/types.h"

// A name is its run's first identifier plus the weekday (Sunday 0), the
// month minus one, or the hour divided by 12. All 0 until the property
// bag's DataTimeID names them.
struct DateTimeNames {
    INT w = 0;  // weekday names
    INT W = 0;  // weekday names
    INT M = 0;  // month names
    INT a = 0;  // morning/afternoon names
    INT A = 0;  // morning/afternoon names
};

// The texts the property bag gives are read up to this many characters.
inline constexpr size_t kPropertyTextLength = 259;

// DataTimeID: decimal identifiers separated by commas for w, W, M, a and A
// in this order (empty items are skipped; an item is read as far as it is
// a decimal number, which is 0 when it starts with none). With fewer than
// five items every identifier stays 0. Null counts as empty.
DateTimeNames ParseDataTimeId(const WCHAR* text);

// The language library beside the driver's configuration file: the file
// name of configPath (what follows its last '\', '/' or ':') replaced by
// libraryName. A path without such a character, or a null libraryName,
// gives configPath itself. Paths are kept whole, however long.
std::u16string LanguageLibraryPath(const std::u16string& configPath, const WCHAR* libraryName);
