// The modification time a zip entry records: local time in MS-DOS form, to
// two seconds, from 1980 to 2107.
#pragma once

#include <cstdint>
#include <ctime>

namespace tav::zip {

struct DosTime {
    uint16_t time = 0;  // hour << 11 | minute << 5 | second / 2
    uint16_t date = 0;  // (year - 1980) << 9 | month << 5 | day
};

// 1980-01-01 00:00, the earliest time a zip can record. Archives stamped with
// it come out the same byte for byte each time they are written.
inline constexpr DosTime kEarliestDosTime{0, (1 << 5) | 1};

// A broken-down local time; times before 1980 become kEarliestDosTime, times
// after 2107 the last second 2107 can record.
DosTime ToDosTime(const std::tm& local);

// The local time now.
DosTime DosTimeNow();

}  // namespace tav::zip
