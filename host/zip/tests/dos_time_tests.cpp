// Zip modification times, against values packed by hand.
#include <gtest/gtest.h>

#include "tavzip/dos_time.h"

namespace tav::zip {
namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return local;
}

TEST(DosTimeTest, PacksTheFieldsToTwoSeconds)
{
    // 13:45:31 is 13 << 11 | 45 << 5 | 15; 2024-03-15 is 44 << 9 | 3 << 5 | 15.
    DosTime stamp = ToDosTime(LocalTime(2024, 3, 15, 13, 45, 31));
    EXPECT_EQ(stamp.time, 0x6DAF);
    EXPECT_EQ(stamp.date, 0x586F);

    DosTime earliest = ToDosTime(LocalTime(1980, 1, 1, 0, 0, 0));
    EXPECT_EQ(earliest.time, kEarliestDosTime.time);
    EXPECT_EQ(earliest.date, 0x0021);
    EXPECT_EQ(kEarliestDosTime.date, 0x0021);
}

TEST(DosTimeTest, TimesOutsideWhatAZipRecordsAreClampedToItsEnds)
{
    DosTime before = ToDosTime(LocalTime(1979, 12, 31, 23, 59, 59));
    EXPECT_EQ(before.time, 0);
    EXPECT_EQ(before.date, 0x0021);
    // 2107-12-31 23:59:58: every bit of the year, month 12, day 31.
    DosTime after = ToDosTime(LocalTime(2150, 6, 1, 12, 0, 0));
    EXPECT_EQ(after.time, 0xBF7D);
    EXPECT_EQ(after.date, 0xFF9F);
    DosTime last = ToDosTime(LocalTime(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(last.time, after.time);
    EXPECT_EQ(last.date, after.date);
}

}  // namespace
}  // namespace tav::zip
