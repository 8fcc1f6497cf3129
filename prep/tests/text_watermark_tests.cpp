// The watermark's settings as a ticket gives them, which decoration they
// make, what the font resource refuses or mends, and which pages a line
// kept from the page before may serve. (The text watermark's
// markup is checked end to end, by what it prints.)
#include <gtest/gtest.h>

#include "decoration_type.h"
#include "font_resource.h"
#include "header_footer_text.h"
#include "settings_test_support.h"
#include "watermark_settings.h"

namespace {

using namespace settingstest;

std::string Entry(const std::string& name, const std::string& members)
{
    return PropertyGroup("ns0000:" + name, members);
}

std::string Integer(const std::string& name, const std::string& value)
{
    return Property("ns0000:" + name, value, "integer");
}

std::string String(const std::string& name, const std::string& value) { return Property("ns0000:" + name, value); }

class WatermarkSettingsTest : public TicketTest {};

TEST_F(WatermarkSettingsTest, AnEntryIsReadUpToItsFirstMissingMemberAndTheCustomEntriesSplitFirstAndOtherPages)
{
    std::string options = Feature("ns0000:LayoutOrder", Option("ns0000:Background")) +
                          Feature("ns0000:OverlayMethod", Option("ns0000:Transparent")) +
                          Feature("ns0000:OutlineTxt", Option("ns0000:On")) +
                          Feature("ns0000:CustomSettings", Option("ns0000:On"));
    // WatermarkSettings lacks FontSize: Text and Angle after it are not read.
    std::string every =
        Entry("WatermarkSettings", Integer("ID", "7") + String("Type", "Bitmap") + Integer("PostionX", "-50") +
                                       Integer("PostionY", "20") + Integer("FontColor", "255") +
                                       String("Text", "lost") + Integer("Angle", "30"));
    std::string first = Entry("CustomWatermarkSettingsFirst",
                              Integer("ID", "1") + String("Type", "Text") + Integer("PostionX", "0") +
                                  Integer("PostionY", "0") + Integer("FontColor", "0") + Integer("FontSize", "20") +
                                  String("Text", "First") + Integer("Angle", "65566") + String("FontName", "Serif"));
    std::string other = Entry("CustomWatermarkSettingsOther", Integer("ID", "2") + String("Type", "None"));
    PrintTicketDom& dom = Wrap(tickettest::MakeTicket(
        Feature("psk:PageWatermark", Option("psk:On") + options) +
        PropertyGroup("ns0000:PageWatermarkData", String("Title", "Mark") + every + first + other)));

    PageWatermarkSettings settings;
    ASSERT_EQ(ReadWatermarkSettings(dom, &settings), S_OK);
    EXPECT_EQ(settings.options.pageWatermark, 1);
    EXPECT_EQ(settings.options.layoutOrder, 0);
    EXPECT_EQ(settings.options.overlayMethod, 0);
    EXPECT_EQ(settings.options.outlineTxt, 1);
    EXPECT_EQ(settings.options.customSettings, 1);
    EXPECT_EQ(Text(settings.title.Get()), "Mark");
    const WatermarkEntry& read = settings.watermarkSettings;
    EXPECT_EQ(read.id, 7);
    EXPECT_EQ(read.type, kWatermarkBitmap);
    EXPECT_EQ(read.positionX, -50);
    EXPECT_EQ(read.positionY, 20);
    EXPECT_EQ(read.fontColor, 255);
    EXPECT_EQ(read.fontSize, 72);
    EXPECT_EQ(read.text.Get(), nullptr);
    EXPECT_EQ(read.angle, 45);
    // The angle keeps its low 16 bits.
    EXPECT_EQ(settings.customWatermarkSettingsFirst.angle, 30);
    EXPECT_EQ(Text(settings.customWatermarkSettingsFirst.fontName.Get()), "Serif");

    DecorationData page1 = WatermarkDecorationData(settings, 1);
    DecorationData page2 = WatermarkDecorationData(settings, 2);
    EXPECT_EQ(Text(page1.activeEntry.text.Get()), "First");
    EXPECT_EQ(DecorationTypeOf(page1), DecorationType::TextWatermark);
    EXPECT_EQ(page2.activeEntry.id, 2);
    EXPECT_EQ(DecorationTypeOf(page2), DecorationType::None);
}

TEST(DecorationType, AHeaderFooterLineIsDrawnOnlyWithSomethingToPrint)
{
    // A date prints only with a printer handle; a custom name only when
    // there is one.
    DecorationData line;
    line.kind = kHeaderFooterDecoration;
    line.headerFooter.pageHeaderFooter = 1;
    line.headerFooter.dateFormat = 0;
    EXPECT_EQ(DecorationTypeOf(line), DecorationType::None);
    line.printerHandle = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(DecorationTypeOf(line), DecorationType::HeaderFooterLine);
    line.printerHandle = nullptr;
    line.headerFooter.idPrint = kIdPrintCustom;
    EXPECT_EQ(DecorationTypeOf(line), DecorationType::None);
    line.headerFooter.idPrintCustomName = RecordString(u"Desk 4");
    EXPECT_EQ(DecorationTypeOf(line), DecorationType::HeaderFooterLine);
}

DecorationData DraftWatermark()
{
    DecorationData data;
    data.watermarkOptions.pageWatermark = 1;
    data.activeEntry.text = RecordString(u"DRAFT");
    return data;
}

class TextDecorationTest : public tickettest::ComTest {};

TEST_F(TextDecorationTest, AFontResourceRefusesWhatIsNoTextAndGivesTheGlyphsTheirColourAndSize)
{
    DecorationData line;
    line.kind = kHeaderFooterDecoration;
    TextFontCache fonts;
    EXPECT_THROW(FontResource(line, u"x", fonts), CXDException);
    DecorationData tiny = DraftWatermark();
    tiny.activeEntry.fontSize = 0;
    EXPECT_THROW(FontResource(tiny, u"DRAFT", fonts), CXDException);

    DecorationData data = DraftWatermark();
    data.activeEntry.fontColor = 0x7F123456;
    data.activeEntry.fontBoldStyle = 1;
    FontResource font(data, u"DRAFT", fonts);
    EXPECT_EQ(font.Fill(), u"#123456");
    EXPECT_EQ(font.EmSize(), u"96");
    EXPECT_EQ(font.Simulations(), u"BoldSimulation");
    BSTR key = nullptr;
    ASSERT_EQ(font.GetKey(&key), S_OK);
    EXPECT_EQ(std::u16string(key), u"Arial");
    SysFreeString(key);
}

// A line is kept for the next page only while it prints the same: a line
// whose time moved on, or whose settings differ, is built anew.
TEST_F(TextDecorationTest, AKeptHeaderFooterLineServesOnlyTheSameTextAndSettings)
{
    DecorationData data;
    data.kind = kHeaderFooterDecoration;
    data.headerFooter.pageHeaderFooter = 1;
    data.headerFooter.idPrint = kIdPrintCustom;
    data.headerFooter.idPrintCustomName = RecordString(u"Desk 4");
    TextFontCache fonts;
    HeaderFooterText line(data, u"14:05 Desk 4", fonts);
    EXPECT_TRUE(line.Prints(data, u"14:05 Desk 4"));
    EXPECT_FALSE(line.Prints(data, u"14:06 Desk 4"));
    DecorationData larger = data;
    larger.headerFooter.fontSize = 12;
    EXPECT_FALSE(line.Prints(larger, u"14:05 Desk 4"));
    DecorationData renamed = data;
    renamed.headerFooter.fontName = RecordString(u"Arial Black");
    EXPECT_FALSE(line.Prints(renamed, u"14:05 Desk 4"));
    EXPECT_THROW(HeaderFooterText(data, u"", fonts), CXDException);
}

}  // namespace
