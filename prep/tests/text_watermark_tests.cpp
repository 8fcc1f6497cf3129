// The watermark's settings as a ticket gives them, which decoration and
// opacity they make, and the markup of a text watermark worked out by hand
// from the placement rules and the font's own metrics.
#include <gtest/gtest.h>

#include "decoration_type.h"
#include "font_resource.h"
#include "settings_test_support.h"
#include "testsupport/parts.h"
#include "testsupport/pipeline_doubles.h"
#include "text_watermark.h"
#include "watermark_settings.h"

namespace {

using namespace settingstest;
using namespace testsupport;

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

TEST(DecorationType, OpacityAndWhatIsDrawn)
{
    DecorationData watermark;
    watermark.watermarkOptions.pageWatermark = 1;
    EXPECT_EQ(WatermarkOpacityText(watermark), u"1.00");
    watermark.watermarkOptions.overlayMethod = 0;
    EXPECT_EQ(WatermarkOpacityText(watermark), u"0.50");
    watermark.watermarkOptions.outlineTxt = 1;
    EXPECT_EQ(WatermarkOpacityText(watermark), u"1.00");
    watermark.activeEntry.type = kWatermarkBitmap;
    EXPECT_EQ(WatermarkOpacityText(watermark), u"0.50");
    watermark.watermarkOptions.pageWatermark = 0;
    EXPECT_EQ(DecorationTypeOf(watermark), DecorationType::None);

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
    EXPECT_THROW(FontResource(line, u"x"), CXDException);
    DecorationData tiny = DraftWatermark();
    tiny.activeEntry.fontSize = 0;
    EXPECT_THROW(FontResource(tiny, u"DRAFT"), CXDException);

    DecorationData data = DraftWatermark();
    data.activeEntry.fontColor = 0x7F123456;
    data.activeEntry.fontBoldStyle = 1;
    FontResource font(data, u"DRAFT");
    EXPECT_EQ(font.Fill(), u"#123456");
    EXPECT_EQ(font.EmSize(), u"96");
    EXPECT_EQ(font.Simulations(), u"BoldSimulation");
    BSTR key = nullptr;
    ASSERT_EQ(font.GetKey(&key), S_OK);
    EXPECT_EQ(std::u16string(key), u"Arial");
    SysFreeString(key);
}

// "DRAFT" in the metric-compatible face of Arial at 96 units to the em:
// advances of 69, 69, 64, 59 and 59 units (1479, 1479, 1366, 1251 and 1251
// of 2048), so the origin is -(320 / 2); ascent 87 and descent 21 units
// (1854 and 434 of 2048) give (87 - 21) / 2.
constexpr char16_t kOriginX[] = u"-160.00";
constexpr char16_t kOriginY[] = u"33.00";

std::u16string GlyphsOf(const char16_t* fill, const char16_t* originX, const char16_t* originY,
                        const std::u16string& fontUri)
{
    return std::u16string(u"<Glyphs Fill=\"") + fill +
           u"\" Opacity=\"1.00\" RenderTransform=\"0.707107,-0.707107,0.707107,0.707107,408.00,528.00\" FontUri=\"" +
           fontUri + u"\" FontRenderingEmSize=\"96\" StyleSimulations=\"None\" OriginX=\"" + originX +
           u"\" OriginY=\"" + originY + u"\" UnicodeString=\"DRAFT\"/>";
}

TEST_F(TextDecorationTest, AnOutlinedTransparentTextIsNineCopiesHalfOverTheContentAndWholeUnder)
{
    DecorationData data = DraftWatermark();
    data.watermarkOptions.overlayMethod = 0;
    data.watermarkOptions.outlineTxt = 1;
    TextWatermark watermark(data);
    EXPECT_EQ(watermark.Render(816, 1056, {}), E_UNEXPECTED);

    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    auto page = MakePart<FixedPagePart>(u"/Pages/1.fpage", "<FixedPage/>");
    ResourcePartCache cache;
    ASSERT_EQ(watermark.PrepareResources(consumer.Get(), page.Get(), &cache), S_OK);
    ASSERT_EQ(page->ResourceUris().size(), 1u);
    std::u16string uri = page->ResourceUris()[0];
    ASSERT_EQ(watermark.Render(816, 1056, {}), S_OK);

    std::u16string copies;
    const char16_t* around[8][2] = {{u"-159.00", u"33.00"}, {u"-161.00", u"33.00"}, {u"-160.00", u"34.00"},
                                    {u"-160.00", u"32.00"}, {u"-159.29", u"33.71"}, {u"-160.71", u"33.71"},
                                    {u"-159.29", u"32.29"}, {u"-160.71", u"32.29"}};
    for (auto& origin : around) copies += GlyphsOf(u"#C0C0C0", origin[0], origin[1], uri);
    copies += GlyphsOf(u"#ffffff", kOriginX, kOriginY, uri);

    BSTR markup = nullptr;
    ASSERT_EQ(watermark.GetMarkup(&markup, kFragmentMarkup), S_OK);
    EXPECT_EQ(std::u16string(markup), u"<Canvas Opacity=\"0.5\">" + copies + u"</Canvas>");
    SysFreeString(markup);
    ASSERT_EQ(watermark.GetMarkup(&markup, kUnderContentMarkup), S_OK);
    EXPECT_EQ(std::u16string(markup), u"<Canvas>" + copies + u"</Canvas>");
    SysFreeString(markup);
    EXPECT_TRUE(watermark.DrawsUnderContent());
}

}  // namespace
