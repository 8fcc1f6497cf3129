// Glyph runs laid out from Indices and UnicodeString with known metrics,
// and the font parts they name.
#include <gtest/gtest.h>

#include "font_part.h"
#include "glyph_layout.h"

namespace tav::render {
namespace {

// Every glyph half an em wide, one em tall, ascent 0.8; glyph = code point.
class HalfEmMetrics : public FontMetrics {
public:
    uint32_t GlyphFor(char32_t c) const override { return static_cast<uint32_t>(c); }
    double Advance(uint32_t) const override { return 0.5; }
    double VerticalAdvance(uint32_t) const override { return 1; }
    double Ascent() const override { return 0.8; }
    uint32_t GlyphCount() const override { return 0x10000; }
};

GlyphRunLayout LayOut(std::u16string text, const char* indices, bool rightToLeft = false, bool sideways = false)
{
    GlyphRunInput input;
    input.origin = {100, 50};
    input.emSize = 20;
    input.text = std::move(text);
    Parsed<std::vector<GlyphMapping>> mappings = ParseIndices(indices, 100);
    EXPECT_TRUE(mappings.ok()) << mappings.error;
    input.mappings = mappings.value;
    input.rightToLeft = rightToLeft;
    input.sideways = sideways;
    HalfEmMetrics metrics;
    Parsed<GlyphRunLayout> layout = LayOutGlyphRun(input, metrics);
    EXPECT_TRUE(layout.ok()) << layout.error;
    return layout.value;
}

TEST(GlyphLayout, AdvancesAndOffsetsPlaceEachGlyph)
{
    // Default advance 10 (half of 20); "B" given 80/100 em = 16 and an offset
    // of 10/100 em right and 5/100 em up; "C" given index 99.
    GlyphRunLayout run = LayOut(u"ABCD", ";,80,10,5;99");
    ASSERT_EQ(run.glyphs.size(), 4u);
    EXPECT_EQ(run.glyphs[0], (PlacedGlyph{'A', {100, 50}}));
    EXPECT_EQ(run.glyphs[1], (PlacedGlyph{'B', {112, 49}}));
    EXPECT_EQ(run.glyphs[2], (PlacedGlyph{99, {126, 50}}));
    EXPECT_EQ(run.glyphs[3], (PlacedGlyph{'D', {136, 50}}));
    EXPECT_EQ(run.clusters, (std::vector<TextCluster>{{1, 1}, {1, 1}, {1, 1}, {1, 1}}));
}

TEST(GlyphLayout, RightToLeftRunsGrowLeftFromTheOrigin)
{
    GlyphRunLayout run = LayOut(u"AB", "");
    GlyphRunLayout rtl = LayOut(u"AB", "", true);
    EXPECT_EQ(run.glyphs[1].origin, (Point{110, 50}));
    // The origin is the right side of the first glyph.
    EXPECT_EQ(rtl.glyphs[0].origin, (Point{90, 50}));
    EXPECT_EQ(rtl.glyphs[1].origin, (Point{80, 50}));
}

TEST(GlyphLayout, SidewaysGlyphsTurnAboutTheirTopCentre)
{
    GlyphRunLayout run = LayOut(u"AB", "", false, true);
    // Vertical advance one em; origin moved right by the ascent (16) and
    // down by half the horizontal advance (5).
    EXPECT_EQ(run.glyphs[0].origin, (Point{116, 55}));
    EXPECT_EQ(run.glyphs[1].origin, (Point{136, 55}));
}

TEST(GlyphLayout, ClustersMapTextToGlyphs)
{
    // "ffi" as one ligature glyph, then a surrogate pair (4 UTF-8 bytes).
    GlyphRunLayout run = LayOut(u"ffi\U0001F600", "(3:1)500");
    ASSERT_EQ(run.glyphs.size(), 2u);
    EXPECT_EQ(run.glyphs[0].index, 500u);
    EXPECT_EQ(run.glyphs[1].index, 0x1F600u);
    EXPECT_EQ(run.clusters, (std::vector<TextCluster>{{3, 1}, {4, 1}}));
    EXPECT_EQ(run.utf8, "ffi\xF0\x9F\x98\x80");
    // One character drawn with two glyphs.
    GlyphRunLayout split = LayOut(u"e", "(1:2)10;11");
    EXPECT_EQ(split.clusters, (std::vector<TextCluster>{{1, 2}}));
    // Glyphs without text can be drawn but not mapped.
    EXPECT_TRUE(LayOut(u"", "10;11").clusters.empty());
}

TEST(GlyphLayout, RefusesIndicesThatDoNotFit)
{
    HalfEmMetrics metrics;
    GlyphRunInput input;
    input.emSize = 10;
    input.mappings = ParseIndices(";", 10).value;  // one entry with no index
    EXPECT_EQ(LayOutGlyphRun(input, metrics).error, "Indices entry 1 has no glyph index and no character of its own");
    input.text = u"ab";
    input.mappings = ParseIndices("(3:1)5", 10).value;
    EXPECT_EQ(LayOutGlyphRun(input, metrics).error, "Indices entry 1 maps more characters than UnicodeString has");
    EXPECT_FALSE(ParseIndices("(0:1)5", 10).ok());
    EXPECT_FALSE(ParseIndices("5,1,2,3,4", 10).ok());
    EXPECT_FALSE(ParseIndices("x", 10).ok());
    EXPECT_FALSE(ParseIndices("1;2;3", 2).ok());
    EXPECT_EQ(UnescapeUnicodeString(u"{}{braces}"), u"{braces}");
}

TEST(FontParts, ObfuscationKeyIsTheGuidReadBackwards)
{
    uint8_t key[16];
    ASSERT_TRUE(ObfuscationKey("/Resources/Fonts/{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}.odttf", key));
    const uint8_t expected[16] = {0xF9, 0xE8, 0xD7, 0xC6, 0xB5, 0xA4, 0x93, 0x82,
                                  0x71, 0x60, 0x5F, 0x4E, 0x3D, 0x2C, 0x1B, 0x0A};
    EXPECT_EQ(std::vector<uint8_t>(key, key + 16), std::vector<uint8_t>(expected, expected + 16));
    EXPECT_FALSE(ObfuscationKey("/Resources/arial.ttf", key));

    std::vector<uint8_t> tiny(10, 0);
    std::vector<uint8_t> font(40, 0);
    font[0] = 0x00, font[1] = 0x01;  // a TrueType header
    std::vector<uint8_t> original = font;
    const char* name = "/f/0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9.odttf";
    ASSERT_TRUE(Deobfuscate(name, &font).ok());
    EXPECT_EQ(font[0], 0x00 ^ 0xF9);
    EXPECT_EQ(font[17], 0x00 ^ 0xE8);  // the key again for bytes 16 to 31
    EXPECT_EQ(font[32], 0);            // untouched from byte 32
    EXPECT_TRUE(LooksObfuscated(name, font));
    ASSERT_TRUE(Deobfuscate(name, &font).ok());
    EXPECT_EQ(font, original);
    // A part named like an obfuscated font that starts like a font is one.
    EXPECT_FALSE(LooksObfuscated(name, font));
    EXPECT_FALSE(LooksObfuscated("/f/arial.ttf", tiny));
    EXPECT_FALSE(Deobfuscate(name, &tiny).ok());

    EXPECT_EQ(ParseFontUri("/a.ttc#2").value.face, 2u);
    EXPECT_EQ(ParseFontUri("/a.ttc#2").value.part, "/a.ttc");
    EXPECT_FALSE(ParseFontUri("/a.ttc#two").ok());
}

}  // namespace
}  // namespace tav::render
