// Measuring a decoration's text and reading the font it embeds, on the
// machine's fonts, against FreeType's reading of the same files.
#include <gtest/gtest.h>

#include "filtercore/errors.h"
#include "font_measurement.h"
#include "installed_fonts.h"

namespace {

TextFont Arial(INT points, bool bold = false, bool italic = false)
{
    return {u"Arial", points, bold, italic, DEFAULT_CHARSET};
}

HRESULT ResultOf(auto&& operation)
{
    try {
        operation();
    } catch (const CXDException& error) {
        return error.hr;
    }
    return S_OK;
}

TEST(LogFontFor, FillsTheFontAsTheDecorationAsks)
{
    TextFont font = {u"Liberation Serif", 72, true, true, 128};
    LOGFONTW logfont = LogFontFor(font, true, false, 96);
    EXPECT_EQ(logfont.lfHeight, -96);
    EXPECT_EQ(logfont.lfWeight, FW_BOLD);
    EXPECT_EQ(logfont.lfItalic, 0);
    EXPECT_EQ(logfont.lfCharSet, 128);
    EXPECT_EQ(logfont.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(logfont.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(std::u16string(logfont.lfFaceName), u"Liberation Serif");
    EXPECT_EQ(LogFontFor({u"X", 10}, false, true, 96).lfHeight, -13);  // 13.33
    // 31 characters fit with their terminator; 32 do not.
    EXPECT_EQ(ResultOf([] { LogFontFor({std::u16string(31, u'a'), 10}, false, false, 96); }), S_OK);
    EXPECT_EQ(ResultOf([] { LogFontFor({std::u16string(32, u'a'), 10}, false, false, 96); }), E_INVALIDARG);
    EXPECT_EQ(ResultOf([] { LogFontFor({u"", 10}, false, false, 96); }), E_INVALIDARG);
}

TEST(MeasureText, GivesFreeTypesAdvancesOfTheChosenFace)
{
    std::optional<std::vector<uint8_t>> regular = InstalledFontFile("Liberation Sans");
    if (!regular) GTEST_SKIP() << "Liberation Sans is not installed (scripts/install-deps installs it)";
    DisplayFont display;
    TextMeasurement measured = MeasureText(display, Arial(72), u"DRAFT");
    ASSERT_EQ(measured.advances.size(), 5u);
    EXPECT_EQ(measured.glyphCount, 5u);
    LONG sum = 0;
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(measured.advances[i], FreeTypeAdvance(*regular, 96, u"DRAFT"[i])) << i;
        sum += measured.advances[i];
    }
    EXPECT_EQ(measured.textSize.cx, sum);
    // Arial's Windows ascent and descent, 1854 and 434 of 2048 units.
    EXPECT_EQ(measured.metrics.tmAscent, 87);
    EXPECT_EQ(measured.metrics.tmDescent, 20);
    EXPECT_EQ(measured.textSize.cy, 107);
}

TEST(MeasureText, ASupplementaryCharacterIsOneAdvance)
{
    std::optional<std::vector<uint8_t>> dejavu = InstalledFontFile("DejaVu Sans");
    if (!dejavu) GTEST_SKIP() << "DejaVu Sans is not installed";
    DisplayFont display;
    std::u16string text = u"A\U0001D538B";  // four units, three characters
    TextMeasurement measured = MeasureText(display, {u"DejaVu Sans", 24}, text);
    EXPECT_EQ(measured.glyphCount, 3u);
    ASSERT_EQ(measured.advances.size(), 3u);
    EXPECT_EQ(measured.advances[1], FreeTypeAdvance(*dejavu, 32, U'\U0001D538'));
    EXPECT_EQ(measured.textSize.cx, measured.advances[0] + measured.advances[1] + measured.advances[2]);
}

TEST(ReadEmbeddedFont, ABoldItalicFontEmbedsItsRegularFace)
{
    std::optional<std::vector<uint8_t>> regular = InstalledFontFile("Liberation Sans");
    if (!regular) GTEST_SKIP() << "Liberation Sans is not installed (scripts/install-deps installs it)";
    DisplayFont display;
    TextMeasurement measured = MeasureText(display, Arial(72, true, true), u"n");
    EXPECT_EQ(measured.advances[0], 59);  // Arial Bold Italic's n: 1251 units
    EXPECT_EQ(measured.metrics.tmWeight, FW_BOLD);
    EmbeddedFont embedded = ReadEmbeddedFont(display, Arial(72, true, true));
    EXPECT_EQ(embedded.bytes, *regular);
    std::optional<FreeTypeLineUnits> units = FreeTypeLines(*regular);
    ASSERT_TRUE(units);
    EXPECT_FLOAT_EQ(embedded.lines.underlinePosition, units->underlinePosition / float(units->unitsPerEm));
    EXPECT_FLOAT_EQ(embedded.lines.strikeoutSize, units->strikeoutSize / float(units->unitsPerEm));
}

TEST(ReadEmbeddedFont, AFaceOfACollectionIsCopiedOut)
{
    std::optional<std::vector<uint8_t>> ttc = InstalledFontFile("WenQuanYi Micro Hei Mono");
    if (!ttc) GTEST_SKIP() << "no font collection installed (fonts-wqy-microhei)";
    DisplayFont display;
    for (const char16_t* name : {u"WenQuanYi Micro Hei Mono", u"@WenQuanYi Micro Hei Mono"}) {
        EmbeddedFont embedded = ReadEmbeddedFont(display, {name, 12});
        EXPECT_FALSE(IsFontCollection(embedded.bytes));
        FreeTypeFace face = ReadWithFreeType(embedded.bytes);
        ASSERT_TRUE(face.opened);
        EXPECT_EQ(face.faceCount, 1);
        EXPECT_EQ(face.family, "WenQuanYi Micro Hei Mono");
        EXPECT_EQ(face.glyphCount, ReadWithFreeType(*ttc, 1).glyphCount);
    }
}

}  // namespace
