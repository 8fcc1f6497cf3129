// The date and time of the header/footer line for a fixed time stamp:
// Sunday 8 March 2026, 14:05:09, with names from a made-up string table
// (the real language library serves the composed line's tests).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "date_time_values.h"
#include "platform/base.h"

namespace {

SYSTEMTIME At(WORD hour, WORD minute, WORD second = 0)
{
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDayOfWeek = 0;  // 8 March 2026 is a Sunday
    time.wDay = 8;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

// Names distinct from the fallbacks, so that the test sees where each came from.
const std::map<UINT, std::u16string> kTable = {
    {100, u"Sun."}, {200, u"Sunday"},  {302, u"March"},     {400, u"a.m."},
    {401, u"p.m."}, {500, u"Morning"}, {501, u"Afternoon"},
};

DateTimeNames TableNames()
{
    DateTimeNames names;
    names.w = 100;
    names.W = 200;
    names.M = 300;
    names.a = 400;
    names.A = 500;
    return names;
}

int LoadFromTable(UINT id, WCHAR* buffer, int capacity)
{
    auto found = kTable.find(id);
    if (found == kTable.end()) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    int length = std::min(static_cast<int>(found->second.size()), capacity - 1);
    std::copy_n(found->second.data(), length, buffer);
    buffer[length] = u'\0';
    return length;
}

std::u16string Date(const WCHAR* stringFormat, const WCHAR* dataFormat, HRESULT* result = nullptr,
                    const DateTimeNames& names = TableNames())
{
    FormatValues values;
    HRESULT scanned = ScanDateData(dataFormat, At(14, 5), names, LoadFromTable, values);
    if (result != nullptr) *result = scanned;
    return ApplyStringFormat(stringFormat, values);
}

std::u16string Time(const WCHAR* stringFormat, const WCHAR* dataFormat, SYSTEMTIME time,
                    const DateTimeNames& names = TableNames())
{
    FormatValues values;
    ScanTimeData(dataFormat, time, names, LoadFromTable, values);
    return ApplyStringFormat(stringFormat, values);
}

TEST(DateText, NumbersAndNamesInTheOrderOfTheDataFormat)
{
    HRESULT result = E_FAIL;
    EXPECT_EQ(Date(u"%d/%02d/%02d", u"ymd", &result), u"2026/03/08");
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(Date(u"%02d.%02d.%d", u"dmy"), u"08.03.2026");
    EXPECT_EQ(Date(u"%s, %s %d, %d", u"WMdy"), u"Sunday, March 8, 2026");
    EXPECT_EQ(Date(u"%s %d", u"wd"), u"Sun. 8");
    // Other characters decide nothing.
    EXPECT_EQ(Date(u"%d %s %d", u"d-M/y."), u"8 March 2026");
    // Four values at most: the fifth letter is not read.
    EXPECT_EQ(Date(u"%d %d %d %d", u"ymdyM", &result), u"2026 3 8 2026");
    EXPECT_EQ(result, S_OK);
}

TEST(DateText, YearOffsets)
{
    EXPECT_EQ(Date(u"%d", u"y-1988"), u"38");
    EXPECT_EQ(Date(u"%d/%d", u"y12m"), u"2038/3");
    // Without digits the minus sign is an ordinary character.
    EXPECT_EQ(Date(u"%d %d", u"y-m"), u"2026 3");
    // Offsets beyond the numbers' range saturate.
    EXPECT_EQ(Date(u"%d", u"y-99999999999999999999"), u"-2147483648");
    EXPECT_EQ(Date(u"%d", u"y99999999999999999999"), u"2147483647");
}

TEST(DateText, AMissingNameFailsTheDateAndEndsTheScan)
{
    DateTimeNames names = TableNames();
    names.M = 900;
    HRESULT result = S_OK;
    EXPECT_EQ(Date(u"%d %s %d", u"dMy", &result, names), u"8  0");
    EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));

    // A loader that says nothing about why still fails the date.
    FormatValues values;
    StringLoader silent = [](UINT, WCHAR*, int) { return 0; };
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(ScanDateData(u"M", At(0, 0), names, silent, values), E_FAIL);
}

TEST(TimeText, TwelveAndTwentyFourHourClocks)
{
    EXPECT_EQ(Time(u"%s %02d:%02d", u"Ahm", At(14, 5)), u"Afternoon 14:05");
    EXPECT_EQ(Time(u"%s %02d:%02d", u"AHm", At(14, 5)), u"Afternoon 02:05");
    EXPECT_EQ(Time(u"%s %02d:%02d", u"AHm", At(0, 30)), u"Morning 12:30");
    EXPECT_EQ(Time(u"%d:%02d %s", u"Hma", At(12, 0)), u"12:00 p.m.");
    EXPECT_EQ(Time(u"%02d:%02d:%02d", u"hms", At(14, 5, 9)), u"14:05:09");
    EXPECT_EQ(Time(u"%02dh%02d", u"h:m", At(9, 41)), u"09h41");
}

TEST(TimeText, MissingMorningAndAfternoonNamesFallBackToAmAndPm)
{
    DateTimeNames missing;  // all 0: no such strings
    EXPECT_EQ(Time(u"%s %02d:%02d", u"Ahm", At(14, 5), missing), u"PM 14:05");
    EXPECT_EQ(Time(u"%s %02d:%02d", u"aHm", At(0, 30), missing), u"AM 12:30");
    EXPECT_EQ(Time(u"%s", u"A", At(11, 59), missing), u"AM");
}

TEST(DataTimeId, FiveIdentifiersInTheOrderOfTheLetters)
{
    DateTimeNames names = ParseDataTimeId(u"1010,1000,1020,1042,1040");
    EXPECT_EQ(names.w, 1010);
    EXPECT_EQ(names.W, 1000);
    EXPECT_EQ(names.M, 1020);
    EXPECT_EQ(names.a, 1042);
    EXPECT_EQ(names.A, 1040);
    names = ParseDataTimeId(u"1,,2,3,4,5,6");
    EXPECT_EQ(names.w, 1);
    EXPECT_EQ(names.A, 5);
    names = ParseDataTimeId(u" 7x,8,9,10,11");
    EXPECT_EQ(names.w, 7);
    EXPECT_EQ(ParseDataTimeId(u"1,2,3,4").M, 0);
    EXPECT_EQ(ParseDataTimeId(nullptr).W, 0);
    // Only the first 259 characters are read: the fifth item is cut to zeros.
    std::u16string longIds = u"1,2,3,4," + std::u16string(251, u'0') + u"5";
    names = ParseDataTimeId(longIds.c_str());
    EXPECT_EQ(names.M, 3);
    EXPECT_EQ(names.A, 0);
}

TEST(DataTimeId, LibraryBesideTheConfigurationFile)
{
    EXPECT_EQ(LanguageLibraryPath(u"/usr/lib/tav/libtavprep.so", u"libtavlang.so"), u"/usr/lib/tav/libtavlang.so");
    EXPECT_EQ(LanguageLibraryPath(u"C:\\drivers\\x64\\config.dll", u"lang.dll"), u"C:\\drivers\\x64\\lang.dll");
    EXPECT_EQ(LanguageLibraryPath(u"C:config.dll", u"lang.dll"), u"C:lang.dll");
    EXPECT_EQ(LanguageLibraryPath(u"config.dll", u"lang.dll"), u"config.dll");
    EXPECT_EQ(LanguageLibraryPath(u"/lib/config.so", nullptr), u"/lib/config.so");
    std::u16string deep = u"/" + std::u16string(300, u'd') + u"/config.so";
    EXPECT_EQ(LanguageLibraryPath(deep, u"lang.so"), u"/" + std::u16string(300, u'd') + u"/lang.so");
}

}  // namespace
