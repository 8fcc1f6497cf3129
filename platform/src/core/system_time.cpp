#include "platform/system_time.h"

#include <time.h>

#include "platform/base.h"

namespace {

constexpr int64_t kTicksPerMillisecond = 10000;
constexpr int64_t kTicksPerSecond = 1000 * kTicksPerMillisecond;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;
// From 1601-01-01, where FILETIME counts from, to 1970-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr int64_t kSecondsFrom1601To1970 = kDaysFrom1601To1970 * 86400;
constexpr uint64_t kLargestFileTime = 0x7FFFFFFFFFFFFFFFull;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and
// back (the civil-calendar algorithms of H. Hinnant).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    *month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    *year = static_cast<int64_t>(yearOfEra) + era * 400 + (*month <= 2);
}

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

FILETIME FileTimeOf(uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// A broken-down time of the C library as a SYSTEMTIME.
SYSTEMTIME FromTm(const tm& fields, long nanoseconds)
{
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.tm_year + 1900);
    time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    time.wDay = static_cast<WORD>(fields.tm_mday);
    time.wHour = static_cast<WORD>(fields.tm_hour);
    time.wMinute = static_cast<WORD>(fields.tm_min);
    time.wSecond = static_cast<WORD>(fields.tm_sec > 59 ? 59 : fields.tm_sec);  // no leap second
    time.wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
    return time;
}

template <class Convert>
void CurrentTime(SYSTEMTIME* time, Convert convert)
{
    if (time == nullptr) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm fields{};
    convert(&now.tv_sec, &fields);
    *time = FromTm(fields, now.tv_nsec);
}

}  // namespace

void GetSystemTime(SYSTEMTIME* time) { CurrentTime(time, gmtime_r); }

void GetLocalTime(SYSTEMTIME* time) { CurrentTime(time, localtime_r); }

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime)
{
    if (systemTime == nullptr || fileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& time = *systemTime;
    bool valid = time.wYear >= 1601 && time.wYear <= 30827 && time.wMonth >= 1 && time.wMonth <= 12 && time.wDay >= 1 &&
                 time.wDay <= DaysInMonth(time.wYear, time.wMonth) && time.wHour < 24 && time.wMinute < 60 &&
                 time.wSecond < 60 && time.wMilliseconds < 1000;
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + kDaysFrom1601To1970;
    int64_t ticks = days * kTicksPerDay + (time.wHour * 3600 + time.wMinute * 60 + time.wSecond) * kTicksPerSecond +
                    time.wMilliseconds * kTicksPerMillisecond;
    *fileTime = FileTimeOf(static_cast<uint64_t>(ticks));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (fileTime == nullptr || systemTime == nullptr || Ticks(*fileTime) > kLargestFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = static_cast<int64_t>(Ticks(*fileTime));
    int64_t days = ticks / kTicksPerDay;
    int64_t withinDay = ticks % kTicksPerDay;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, &year, &month, &day);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    time.wHour = static_cast<WORD>(withinDay / (3600 * kTicksPerSecond));
    time.wMinute = static_cast<WORD>(withinDay / (60 * kTicksPerSecond) % 60);
    time.wSecond = static_cast<WORD>(withinDay / kTicksPerSecond % 60);
    time.wMilliseconds = static_cast<WORD>(withinDay / kTicksPerMillisecond % 1000);
    *systemTime = time;
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime)
{
    if (fileTime == nullptr || localFileTime == nullptr || Ticks(*fileTime) > kLargestFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = static_cast<int64_t>(Ticks(*fileTime));
    time_t seconds = static_cast<time_t>(ticks / kTicksPerSecond - kSecondsFrom1601To1970);
    tm fields{};
    if (localtime_r(&seconds, &fields) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t offset = static_cast<int64_t>(fields.tm_gmtoff) * kTicksPerSecond;
    bool fits = offset >= 0 ? ticks <= static_cast<int64_t>(kLargestFileTime) - offset : ticks >= -offset;
    if (!fits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *localFileTime = FileTimeOf(static_cast<uint64_t>(ticks + offset));
    return TRUE;
}
