// The spooler state as the host fills it and the filters read it, and the
// calendar conversions of its job records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/library.h"
#include "platform/spooler.h"
#include "platform/wformat.h"

namespace {

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

uint64_t Ticks(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

FILETIME FileTime(uint64_t ticks) { return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}; }

TEST(SystemTime, ConvertsBothWaysOnTheGregorianCalendar)
{
    // 2026-03-08 14:05:09 UTC is 1772978709 s after 1970 (date -u +%s),
    // and 1970 is 11644473600 s after 1601.
    SYSTEMTIME time = Time(2026, 3, 8, 14, 5, 9, 250);
    FILETIME fileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
    EXPECT_EQ(Ticks(fileTime), (1772978709ull + 11644473600ull) * 10000000ull + 2500000ull);

    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &back));
    EXPECT_EQ(back.wYear, 2026);
    EXPECT_EQ(back.wMonth, 3);
    EXPECT_EQ(back.wDay, 8);
    EXPECT_EQ(back.wDayOfWeek, 0);  // a Sunday
    EXPECT_EQ(back.wHour, 14);
    EXPECT_EQ(back.wMinute, 5);
    EXPECT_EQ(back.wSecond, 9);
    EXPECT_EQ(back.wMilliseconds, 250);

    FILETIME start = FileTime(0);
    ASSERT_TRUE(FileTimeToSystemTime(&start, &back));
    EXPECT_EQ(back.wYear, 1601);
    EXPECT_EQ(back.wDayOfWeek, 1);  // a Monday

    // The leap day of 2024 is the 60th day of the year: 2024-03-01 minus one day.
    SYSTEMTIME leapDay = Time(2024, 2, 29, 0, 0, 0, 0);
    SYSTEMTIME march = Time(2024, 3, 1, 0, 0, 0, 0);
    FILETIME leapTicks{}, marchTicks{};
    ASSERT_TRUE(SystemTimeToFileTime(&leapDay, &leapTicks));
    ASSERT_TRUE(SystemTimeToFileTime(&march, &marchTicks));
    EXPECT_EQ(Ticks(marchTicks) - Ticks(leapTicks), 86400ull * 10000000ull);
}

TEST(SystemTime, RefusesTimesThatDoNotExist)
{
    FILETIME fileTime{};
    for (SYSTEMTIME time : {Time(2026, 2, 29, 0, 0, 0, 0), Time(1900, 2, 29, 0, 0, 0, 0), Time(2026, 13, 1, 0, 0, 0, 0),
                            Time(2026, 4, 31, 0, 0, 0, 0), Time(2026, 1, 1, 24, 0, 0, 0),
                            Time(2026, 1, 1, 0, 0, 0, 1000), Time(1600, 12, 31, 0, 0, 0, 0)}) {
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&time, &fileTime)) << time.wYear << "-" << time.wMonth << "-" << time.wDay;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    FILETIME tooLate = FileTime(0x8000000000000000ull);
    SYSTEMTIME time{};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &time));
    EXPECT_FALSE(FileTimeToLocalFileTime(&tooLate, &fileTime));
}

TEST(SystemTime, LocalTimeUsesTheZonesOffsetAtThatInstant)
{
    std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    SYSTEMTIME winter = Time(2026, 1, 15, 12, 0, 0, 0);
    SYSTEMTIME summer = Time(2026, 7, 1, 12, 0, 0, 0);
    SYSTEMTIME local{};
    FILETIME utc{}, shifted{};
    ASSERT_TRUE(SystemTimeToFileTime(&winter, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &shifted));
    ASSERT_TRUE(FileTimeToSystemTime(&shifted, &local));
    EXPECT_EQ(local.wHour, 13);
    ASSERT_TRUE(SystemTimeToFileTime(&summer, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &shifted));
    ASSERT_TRUE(FileTimeToSystemTime(&shifted, &local));
    EXPECT_EQ(local.wHour, 14);
    if (saved.empty()) {
        unsetenv("TZ");
    } else {
        setenv("TZ", saved.c_str(), 1);
    }
    tzset();
}

class SpoolerTest : public testing::Test {
protected:
    void SetUp() override
    {
        DRIVER_INFO_2W driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<LPWSTR>(u"drv");
        driver.pDriverPath = const_cast<LPWSTR>(u"/a");
        driver.pDataFile = const_cast<LPWSTR>(u"");
        driver.pConfigFile = const_cast<LPWSTR>(u"/lib/x.so");
        ASSERT_TRUE(SpoolerSetPrinterDriver(kPrinter, &driver));
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer, nullptr));
    }
    void TearDown() override { ClosePrinter(printer); }

    static constexpr const WCHAR* kPrinter = u"spooler test printer";
    HANDLE printer = nullptr;
};

TEST_F(SpoolerTest, DriverRecordIsAskedForItsSizeThenFilled)
{
    DWORD needed = 0;
    SetLastError(0);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    // "drv", "/a", "" and "/lib/x.so" with their terminators: 4 + 3 + 1 + 10 characters.
    EXPECT_EQ(needed, sizeof(DRIVER_INFO_2W) + 18 * sizeof(WCHAR));

    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed - 1, &again));
    EXPECT_EQ(again, needed);
    ASSERT_TRUE(GetPrinterDriverW(printer, nullptr, 2, buffer.data(), needed, &again));
    const auto* driver = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
    EXPECT_EQ(driver->cVersion, 3u);
    EXPECT_EQ(std::u16string(driver->pName), u"drv");
    EXPECT_EQ(driver->pEnvironment, nullptr);
    EXPECT_EQ(std::u16string(driver->pDriverPath), u"/a");
    EXPECT_EQ(std::u16string(driver->pDataFile), u"");
    EXPECT_EQ(std::u16string(driver->pConfigFile), u"/lib/x.so");
    const BYTE* end = buffer.data() + buffer.size();
    EXPECT_TRUE(reinterpret_cast<const BYTE*>(driver->pConfigFile) >= buffer.data() + sizeof(DRIVER_INFO_2W) &&
                reinterpret_cast<const BYTE*>(driver->pConfigFile) + 10 * sizeof(WCHAR) <= end);

    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &again));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);
}

TEST_F(SpoolerTest, JobRecordKeepsWhatTheHostSubmitted)
{
    JOB_INFO_1W job{};
    job.JobId = 42;
    job.pPrinterName = const_cast<LPWSTR>(u"ignored");
    job.pUserName = const_cast<LPWSTR>(u"alice");
    job.pDocument = const_cast<LPWSTR>(u"report.xps");
    job.TotalPages = 7;
    job.Submitted = Time(2026, 3, 8, 14, 5, 0, 0);
    ASSERT_TRUE(SpoolerAddJob(kPrinter, &job));

    DWORD needed = 0;
    EXPECT_FALSE(GetJobW(printer, 42, 1, nullptr, 0, &needed));
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetJobW(printer, 42, 1, buffer.data(), needed, &needed));
    const auto* record = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
    EXPECT_EQ(record->JobId, 42u);
    EXPECT_EQ(std::u16string(record->pPrinterName), kPrinter);
    EXPECT_EQ(std::u16string(record->pUserName), u"alice");
    EXPECT_EQ(std::u16string(record->pDocument), u"report.xps");
    EXPECT_EQ(record->pMachineName, nullptr);
    EXPECT_EQ(record->TotalPages, 7u);
    EXPECT_EQ(record->Submitted.wDay, 8);
    EXPECT_EQ(record->Submitted.wMinute, 5);

    SpoolerDeleteJob(kPrinter, 42);
    EXPECT_FALSE(GetJobW(printer, 42, 1, buffer.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SpoolerTest, UnknownPrintersAndHandlesAreRefused)
{
    HANDLE other = nullptr;
    EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"no such printer"), &other, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PRINTER_NAME);
    JOB_INFO_1W job{};
    EXPECT_FALSE(SpoolerAddJob(u"no such printer", &job));

    // Any number a property bag may carry is looked up, never followed.
    DWORD needed = 0;
    BYTE buffer[512];
    HANDLE stray = reinterpret_cast<HANDLE>(uintptr_t{12345678901});
    EXPECT_FALSE(GetPrinterDriverW(stray, nullptr, 2, buffer, sizeof buffer, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(GetJobW(stray, 1, 1, buffer, sizeof buffer, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(GetPrinterDriverW(printer, nullptr, 2, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    HANDLE closed = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &closed, nullptr));
    EXPECT_NE(closed, printer);
    EXPECT_TRUE(ClosePrinter(closed));
    EXPECT_FALSE(ClosePrinter(closed));
    EXPECT_FALSE(GetPrinterDriverW(closed, nullptr, 2, buffer, sizeof buffer, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace

namespace {

std::u16string DriverDirectory()
{
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::vector<BYTE> buffer(needed, 0xFF);
    EXPECT_TRUE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, buffer.data(), needed, &needed));
    return std::u16string(reinterpret_cast<const WCHAR*>(buffer.data()));
}

TEST(PrinterDriverDirectory, IsTheHostsFolderOrElseTheModuleFolder)
{
    SpoolerSetDriverDirectory(u"/opt/driver");
    DWORD needed = 0;
    EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(needed, 24u);  // eleven characters and the terminator, two bytes each
    std::vector<BYTE> small(needed - 2);
    EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, small.data(), needed - 2, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(DriverDirectory(), u"/opt/driver");
    EXPECT_FALSE(GetPrinterDriverDirectoryW(nullptr, nullptr, 2, small.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_LEVEL);

    SpoolerSetDriverDirectory(nullptr);
    EXPECT_EQ(DriverDirectory(), Utf8ToWide(ModuleFolder()));
}

}  // namespace
