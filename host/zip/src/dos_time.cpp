#include "tavzip/dos_time.h"

namespace tav::zip {

DosTime ToDosTime(const std::tm& local)
{
    int year = local.tm_year + 1900;
    if (year < 1980) return kEarliestDosTime;
    if (year > 2107) return DosTime{(23 << 11) | (59 << 5) | 29, (127 << 9) | (12 << 5) | 31};
    DosTime stamp;
    stamp.time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    stamp.date = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    return stamp;
}

DosTime DosTimeNow()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ToDosTime(local);
}

}  // namespace tav::zip
