// The header/footer settings read from hand-made tickets: every field from
// a full ticket, and what absent, foreign or broken pieces leave alone.
#include <gtest/gtest.h>

#include "header_footer_settings_reader.h"
#include "settings_test_support.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

std::string Sub(const std::string& feature, const std::string& option, const std::string& content = "")
{
    return Feature("ns0000:" + feature, Option(option, content));
}

std::string Layout(const std::string& option, const std::string& stringFormat, const std::string& dataFormat)
{
    return Scored("ns0000:StringFormat", stringFormat, "string") + Scored("ns0000:DataFormat", dataFormat, "string");
}

std::string HeaderFooter(const std::string& option, const std::string& subFeatures, const std::string& data = "")
{
    return MakeTicket(Feature("ns0000:PageHeaderFooter", Option(option) + subFeatures) + data);
}

std::string Integer(const std::string& name, const std::string& value)
{
    return Property("ns0000:" + name, value, "integer");
}

class HeaderFooterSettingsReader : public TicketTest {
protected:
    HeaderFooterSettings Read(const std::string& markup)
    {
        HeaderFooterSettings settings;
        EXPECT_EQ(ReadHeaderFooterSettings(Wrap(markup), &settings), S_OK);
        return settings;
    }
};

std::string Text(const RecordString& text) { return settingstest::Text(text.Get()); }

TEST_F(HeaderFooterSettingsReader, EveryFieldOfAFullTicket)
{
    std::string subFeatures = Sub("DateFormat", "ns0000:Type6", Layout("ns0000:Type6", "%s %d, %d", "Mdy")) +
                              Sub("TimeFormat", "ns0000:Type3", Layout("ns0000:Type3", "%d:%02d %s", "HmA")) +
                              Sub("IDPrint", "ns0000:Custom") + Sub("PositionX", "ns0000:Center") +
                              Sub("PositionY", "ns0000:Top") + Sub("Background", "ns0000:Opaque");
    std::string font = PropertyGroup("ns0000:FontSettings",
                                     Property("ns0000:FontName", "Courier New") + Integer("FontCharSet", "257") +
                                         Integer("FontItalicStyle", "1") + Integer("FontBoldStyle", "1") +
                                         Integer("FontUnderLine", "1") + Integer("FontStruckOut", "1") +
                                         Integer("FontSize", "14") + Integer("FontColor", "255"));
    std::string data =
        PropertyGroup("ns0000:PageHeaderFooterData",
                      font + Property("ns0000:IDPrintCustomName", "Draft") + Integer("BackgroudColor", "65280"));
    HeaderFooterSettings settings = Read(HeaderFooter("ns0000:On", subFeatures, data));
    EXPECT_EQ(settings.pageHeaderFooter, 1);
    EXPECT_EQ(settings.dateFormat, 5);
    EXPECT_EQ(Text(settings.dateStringFormat), "%s %d, %d");
    EXPECT_EQ(Text(settings.dateDataFormat), "Mdy");
    EXPECT_EQ(settings.timeFormat, 2);
    EXPECT_EQ(Text(settings.timeStringFormat), "%d:%02d %s");
    EXPECT_EQ(Text(settings.timeDataFormat), "HmA");
    EXPECT_EQ(settings.idPrint, kIdPrintCustom);
    EXPECT_EQ(settings.positionX, 1);
    EXPECT_EQ(settings.positionY, 0);
    EXPECT_EQ(settings.background, 1);
    EXPECT_EQ(Text(settings.fontName), "Courier New");
    EXPECT_EQ(settings.fontCharSet, 1);  // the low 8 bits of 257
    EXPECT_EQ(settings.fontItalicStyle, 1);
    EXPECT_EQ(settings.fontBoldStyle, 1);
    EXPECT_EQ(settings.fontUnderLine, 1);
    EXPECT_EQ(settings.fontStruckOut, 1);
    EXPECT_EQ(settings.fontSize, 14);
    EXPECT_EQ(settings.fontColor, 255);
    EXPECT_EQ(Text(settings.idPrintCustomName), "Draft");
    EXPECT_EQ(settings.backgroudColor, 65280);
}

TEST_F(HeaderFooterSettingsReader, AbsentForeignAndUnknownOptionsKeepTheDefaults)
{
    HeaderFooterSettings settings = Read(MakeTicket(""));
    EXPECT_EQ(settings.pageHeaderFooter, 0);
    EXPECT_EQ(settings.dateFormat, kDateTimeFormatNone);
    EXPECT_EQ(settings.idPrint, kIdPrintNone);
    EXPECT_EQ(settings.positionX, 2);
    EXPECT_EQ(settings.fontSize, 11);
    EXPECT_EQ(Text(settings.fontName), "Arial");

    settings = Read(HeaderFooter("psk:On", Sub("PositionX", "psk:Left") + Sub("PositionY", "ns0000:Middle") +
                                               Sub("IDPrint", "ns0000:username")));
    EXPECT_EQ(settings.pageHeaderFooter, 0);
    EXPECT_EQ(settings.positionX, 2);
    EXPECT_EQ(settings.positionY, 1);
    EXPECT_EQ(settings.idPrint, kIdPrintNone);
}

TEST_F(HeaderFooterSettingsReader, AFormatWithoutBothStringsIsNone)
{
    HeaderFooterSettings settings = Read(HeaderFooter(
        "ns0000:On", Sub("DateFormat", "ns0000:Type1", Scored("ns0000:StringFormat", "%d/%02d/%02d", "string")) +
                         Sub("TimeFormat", "ns0000:None", Layout("", "%02d:%02d", "hm"))));
    EXPECT_EQ(settings.dateFormat, kDateTimeFormatNone);
    EXPECT_EQ(settings.dateStringFormat.Get(), nullptr);
    EXPECT_EQ(settings.timeFormat, kDateTimeFormatNone);
    EXPECT_EQ(settings.timeStringFormat.Get(), nullptr);
    EXPECT_EQ(settings.timeDataFormat.Get(), nullptr);

    // An unknown layout keeps the field and its formats.
    settings = Read(HeaderFooter("ns0000:On", Sub("DateFormat", "ns0000:Type9", Layout("", "%d", "y"))));
    EXPECT_EQ(settings.dateFormat, kDateTimeFormatNone);
    EXPECT_EQ(settings.dateDataFormat.Get(), nullptr);
}

TEST_F(HeaderFooterSettingsReader, FontMembersStopAtTheFirstMissingOne)
{
    std::string font =
        PropertyGroup("ns0000:FontSettings", Property("ns0000:FontName", "Courier") + Integer("FontCharSet", "0") +
                                                 Integer("FontBoldStyle", "1") + Integer("FontSize", "20"));
    HeaderFooterSettings settings =
        Read(HeaderFooter("ns0000:On", "", PropertyGroup("ns0000:PageHeaderFooterData", font)));
    EXPECT_EQ(Text(settings.fontName), "Courier");
    EXPECT_EQ(settings.fontCharSet, 0);
    EXPECT_EQ(settings.fontBoldStyle, 0);  // after the missing FontItalicStyle
    EXPECT_EQ(settings.fontSize, 11);
    EXPECT_EQ(settings.backgroudColor, 0xFFFFFF);
}

}  // namespace
