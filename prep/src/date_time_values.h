// The values of a header/footer date or time: its DataFormat read letter by
// letter against the job's time stamp, names coming from the language
// library.
#pragma once

#include <functional>

#include "date_time_names.h"
#include "platform/system_time.h"
#include "string_format.h"

// Copies string resource id into buffer as LoadStringW does: the number of
// characters copied (cut to capacity - 1), 0 with the last error set when
// there is no such string.
using StringLoader = std::function<int(UINT id, WCHAR* buffer, int capacity)>;

// Each name is loaded into a slot of this many characters.
inline constexpr int kNameCapacity = 200;

// The date DataFormat, from its start (the first 259 characters), fills the
// values in order until four are filled or the text ends: M the month name
// (M + month - 1), W and w a weekday name (W or w + day of week), d the
// day, m the month, y the year ("y" followed by digits N gives year + N,
// "y-" followed by N year - N); any other character is skipped. Returns
// S_OK, or the failure of the first name that could not be loaded (the
// last error as an HRESULT; E_FAIL when none was set), where the scan
// ends.
HRESULT ScanDateData(const WCHAR* dataFormat, const SYSTEMTIME& time, const DateTimeNames& names,
                     const StringLoader& load, FormatValues& values);

// The time DataFormat the same way: A and a the morning/afternoon name (A
// or a + hour / 12; "AM" or "PM" when it cannot be loaded), H the hour on
// the 12-hour clock (0 shown as 12), h the hour 0 to 23, m the minute, s
// the second.
void ScanTimeData(const WCHAR* dataFormat, const SYSTEMTIME& time, const DateTimeNames& names, const StringLoader& load,
                  FormatValues& values);
