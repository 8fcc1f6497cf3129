// Calendar times: SYSTEMTIME, the current time and the conversions between
// SYSTEMTIME, FILETIME and local time.
#pragma once

#include "platform/hresult.h"

// A calendar time to the millisecond; wDayOfWeek counts from Sunday = 0.
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The current time in UTC and in the process's time zone.
void GetSystemTime(SYSTEMTIME* time);
void GetLocalTime(SYSTEMTIME* time);

// FALSE with ERROR_INVALID_PARAMETER for a null argument or a time that
// does not exist (month 13, 30 February, hour 24, a year before 1601 or
// after 30827); the day of week is ignored.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
// Fills every field, the day of week included. FALSE with
// ERROR_INVALID_PARAMETER for a null argument or a value of 2^63 or more.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
// Adds the time zone's offset from UTC at that instant (summer time
// included when it applies then). FALSE with ERROR_INVALID_PARAMETER for a
// null argument or a result outside the FILETIME range.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime);
