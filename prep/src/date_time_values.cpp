#include "date_time_values.h"

#include <climits>

#include "platform/base.h"

namespace {

// The data format as far as it is read.
std::u16string DataFormatText(const WCHAR* format)
{
    std::u16string whole = format == nullptr ? std::u16string() : std::u16string(format);
    return whole.substr(0, kPropertyTextLength);
}

// The last error of a failed load as a failure, which it stays even when
// the loader set none.
HRESULT LoadFailure()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// Loads name id into its own slot.
HRESULT LoadName(const StringLoader& load, INT first, INT offset, FormatValue& value)
{
    WCHAR slot[kNameCapacity] = {};
    SetLastError(ERROR_SUCCESS);
    UINT id = static_cast<UINT>(first) + static_cast<UINT>(offset);
    int length = load ? load(id, slot, kNameCapacity) : 0;
    if (length <= 0) return LoadFailure();
    if (length >= kNameCapacity) length = kNameCapacity - 1;
    value = FormatValue::Name(std::u16string(slot, static_cast<size_t>(length)));
    return S_OK;
}

// The year of a "y" at text[*at], with the offset that may follow it
// ("y1" next year, "y-1988" the year minus 1988); *at moves to the last
// character used.
INT YearWithOffset(const std::u16string& text, size_t* at, INT year)
{
    size_t next = *at + 1;
    bool minus = next < text.size() && text[next] == u'-';
    size_t digits = minus ? next + 1 : next;
    if (digits >= text.size() || text[digits] < u'0' || text[digits] > u'9') return year;
    long long offset = 0;
    for (; digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9'; ++digits) {
        if (offset < INT_MAX) offset = offset * 10 + (text[digits] - u'0');
    }
    *at = digits - 1;
    long long shifted = minus ? static_cast<long long>(year) - offset : static_cast<long long>(year) + offset;
    if (shifted > INT_MAX) return INT_MAX;
    if (shifted < INT_MIN) return INT_MIN;
    return static_cast<INT>(shifted);
}

}  // namespace

HRESULT ScanDateData(const WCHAR* dataFormat, const SYSTEMTIME& time, const DateTimeNames& names,
                     const StringLoader& load, FormatValues& values)
{
    std::u16string text = DataFormatText(dataFormat);
    size_t filled = 0;
    for (size_t at = 0; at < text.size() && filled < kFormatValueCount; ++at) {
        FormatValue value;
        HRESULT result = S_OK;
        switch (text[at]) {
        case u'M': result = LoadName(load, names.M, time.wMonth - 1, value); break;
        case u'W': result = LoadName(load, names.W, time.wDayOfWeek, value); break;
        case u'w': result = LoadName(load, names.w, time.wDayOfWeek, value); break;
        case u'd': value = FormatValue::Number(time.wDay); break;
        case u'm': value = FormatValue::Number(time.wMonth); break;
        case u'y': value = FormatValue::Number(YearWithOffset(text, &at, time.wYear)); break;
        default: continue;
        }
        if (FAILED(result)) return result;
        values[filled++] = std::move(value);
    }
    return S_OK;
}

void ScanTimeData(const WCHAR* dataFormat, const SYSTEMTIME& time, const DateTimeNames& names, const StringLoader& load,
                  FormatValues& values)
{
    std::u16string text = DataFormatText(dataFormat);
    const INT halfOfDay = time.wHour / 12;
    size_t filled = 0;
    for (size_t at = 0; at < text.size() && filled < kFormatValueCount; ++at) {
        FormatValue value;
        switch (text[at]) {
        case u'A':
        case u'a':
            if (FAILED(LoadName(load, text[at] == u'A' ? names.A : names.a, halfOfDay, value))) {
                value = FormatValue::Name(halfOfDay == 0 ? u"AM" : u"PM");
            }
            break;
        case u'H': value = FormatValue::Number(time.wHour % 12 == 0 ? 12 : time.wHour % 12); break;
        case u'h': value = FormatValue::Number(time.wHour); break;
        case u'm': value = FormatValue::Number(time.wMinute); break;
        case u's': value = FormatValue::Number(time.wSecond); break;
        default: continue;
        }
        values[filled++] = std::move(value);
    }
}
