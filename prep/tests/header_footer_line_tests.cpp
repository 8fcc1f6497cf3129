// The header/footer line composed as the filter will: the driver found
// through the spooler, the language library beside its configuration file,
// the names' identifiers and the ticket's formats, for Sunday 8 March 2026,
// 14:05.
#include <gtest/gtest.h>

#include "header_footer_line.h"
#include "lang/string_ids.h"
#include "platform/library.h"
#include "platform/spooler.h"
#include "platform/wformat.h"
#include "testsupport/pipeline_doubles.h"

namespace {

constexpr const WCHAR* kPrinter = u"header footer test printer";

class HeaderFooterLine : public testing::Test {
protected:
    void SetUp() override
    {
        SetConfigFile("driver-config.so");
        ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(kPrinter), &printer, nullptr));
        bag = ComPtr<testsupport::TestPropertyBag>::Adopt(new testsupport::TestPropertyBag());
        bag->SetString(u"LangDllName64", Utf8ToWide(tav::lang::kLibraryName).c_str());
        bag->SetString(u"DataTimeID", Utf8ToWide(tav::lang::kDataTimeIds).c_str());

        settings.pageHeaderFooter = 1;
        settings.dateFormat = 0;
        settings.dateStringFormat = RecordString(u"%d/%02d/%02d");
        settings.dateDataFormat = RecordString(u"ymd");
        settings.timeFormat = 2;
        settings.timeStringFormat = RecordString(u"%d:%02d %s");
        settings.timeDataFormat = RecordString(u"HmA");
        settings.idPrint = kIdPrintUserName;

        sources.printer = printer;
        sources.timeStamp = SYSTEMTIME{2026, 3, 0, 8, 14, 5, 9, 0};
        sources.settings = &settings;
        sources.defaultUserName = u"alice";
        sources.propertyBag = bag.Get();
    }
    void TearDown() override { ClosePrinter(printer); }

    // The driver's configuration file, in the module folder.
    static void SetConfigFile(const std::string& name)
    {
        std::u16string config = Utf8ToWide(ModuleFolder() + "/" + name);
        DRIVER_INFO_2W driver{};
        driver.pConfigFile = config.data();
        ASSERT_TRUE(SpoolerSetPrinterDriver(kPrinter, &driver));
    }

    std::u16string Compose(HRESULT expected = S_OK)
    {
        std::u16string text = u"not composed";
        EXPECT_EQ(ComposeHeaderFooterLine(sources, languages, &text), expected);
        return text;
    }

    HANDLE printer = nullptr;
    ComPtr<testsupport::TestPropertyBag> bag;
    HeaderFooterSettings settings;
    LineSources sources;
    // One for the whole test, as the filter keeps one for the job.
    LanguageLibrary languages;
};

TEST_F(HeaderFooterLine, DateTimeAndUserInOneLine)
{
    EXPECT_EQ(Compose(), u"2026/03/08 2:05 PM alice");
    settings.dateStringFormat = RecordString(u"%s, %s %d, %d");
    settings.dateDataFormat = RecordString(u"WMdy");
    settings.timeFormat = kDateTimeFormatNone;
    EXPECT_EQ(Compose(), u"Sunday, March 8, 2026 alice");
}

TEST_F(HeaderFooterLine, EmptyItemsLeaveNoBlanks)
{
    settings.dateFormat = kDateTimeFormatNone;
    settings.timeFormat = kDateTimeFormatNone;
    EXPECT_EQ(Compose(), u"alice");
    settings.idPrint = kIdPrintCustom;
    settings.idPrintCustomName = RecordString(u"Draft copy");
    EXPECT_EQ(Compose(), u"Draft copy");
    settings.timeFormat = 0;
    settings.timeStringFormat = RecordString(u"%02d:%02d");
    settings.timeDataFormat = RecordString(u"hm");
    settings.idPrint = kIdPrintNone;
    EXPECT_EQ(Compose(), u"14:05");
    EXPECT_EQ(JoinLineItems(u"", u"", u""), u"");
    EXPECT_EQ(JoinLineItems(u"a", u"", u"c"), u"a c");
}

TEST_F(HeaderFooterLine, HostileFormatsFromTheTicketPrintAsText)
{
    settings.dateStringFormat = RecordString(u"%s%s%n");
    settings.timeStringFormat = RecordString(u"%s %99999d");
    settings.timeDataFormat = RecordString(u"hm");
    EXPECT_EQ(Compose(), u"%s%s%n %s %99999d alice");
}

TEST_F(HeaderFooterLine, TheConfigurationFileServesWhenTheNamedLibraryIsMissing)
{
    SetConfigFile(tav::lang::kLibraryName);
    bag->SetString(u"LangDllName64", u"libtavlang-not-installed.so");
    EXPECT_EQ(Compose(), u"2026/03/08 2:05 PM alice");

    SetConfigFile("driver-config.so");
    EXPECT_EQ(Compose(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)), u"");
}

TEST_F(HeaderFooterLine, NoPrinterMeansNoLine)
{
    sources.printer = nullptr;
    EXPECT_EQ(Compose(HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE)), u"");
}

// Without date and time nothing needs the driver or its library.
TEST_F(HeaderFooterLine, AnIdentificationAlonePrintsWithoutAPrinter)
{
    sources.printer = nullptr;
    settings.dateFormat = kDateTimeFormatNone;
    settings.timeFormat = kDateTimeFormatNone;
    EXPECT_EQ(Compose(), u"alice");
}

TEST_F(HeaderFooterLine, AMissingMonthNameFailsButMorningAndAfternoonFallBack)
{
    bag->DeleteProperty(u"DataTimeID");  // every identifier 0: no names at all
    settings.dateDataFormat = RecordString(u"M");
    settings.dateStringFormat = RecordString(u"%s");
    Compose(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));

    settings.dateFormat = kDateTimeFormatNone;
    EXPECT_EQ(Compose(), u"2:05 PM alice");
}

}  // namespace
