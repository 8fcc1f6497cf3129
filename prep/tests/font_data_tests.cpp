// Font data: collection faces, full names, line metrics and the format 12
// character map, on fonts built here (damaged ones among them) and on the
// machine's own fonts, checked against FreeType's reading of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font_data.h"
#include "installed_fonts.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}
void Put32(Bytes& out, uint32_t value)
{
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}
void Set32(Bytes& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}
uint32_t Get32(const Bytes& in, size_t at)
{
    return uint32_t{in[at]} << 24 | uint32_t{in[at + 1]} << 16 | uint32_t{in[at + 2]} << 8 | in[at + 3];
}

struct Table {
    const char* tag;
    Bytes bytes;
};

// Offset tables, directories and tables of faces laid out one after the
// other from start, tables on four-byte boundaries; a single face at 0 is a
// font file. Table offsets count from the start of the whole data.
void AppendFace(Bytes& out, const std::vector<Table>& tables)
{
    Put32(out, 0x00010000);
    Put16(out, static_cast<uint32_t>(tables.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    size_t directory = out.size();
    out.resize(out.size() + tables.size() * 16);
    for (size_t i = 0; i < tables.size(); ++i) {
        while (out.size() % 4) out.push_back(0);
        size_t entry = directory + i * 16;
        const char* tag = tables[i].tag;
        Set32(out, entry, FontTag({tag[0], tag[1], tag[2], tag[3], 0}));
        Set32(out, entry + 4, 0x12345600u + static_cast<uint32_t>(i));  // checksums are carried, not checked
        Set32(out, entry + 8, static_cast<uint32_t>(out.size()));
        Set32(out, entry + 12, static_cast<uint32_t>(tables[i].bytes.size()));
        out.insert(out.end(), tables[i].bytes.begin(), tables[i].bytes.end());
    }
}

Bytes BuildFont(const std::vector<Table>& tables)
{
    Bytes font;
    AppendFace(font, tables);
    return font;
}

Bytes BuildCollection(const std::vector<std::vector<Table>>& faces)
{
    Bytes ttc = {'t', 't', 'c', 'f'};
    Put32(ttc, 0x00010000);
    Put32(ttc, static_cast<uint32_t>(faces.size()));
    size_t offsets = ttc.size();
    ttc.resize(ttc.size() + faces.size() * 4);
    for (size_t i = 0; i < faces.size(); ++i) {
        while (ttc.size() % 4) ttc.push_back(0);
        Set32(ttc, offsets + i * 4, static_cast<uint32_t>(ttc.size()));
        AppendFace(ttc, faces[i]);
    }
    return ttc;
}

// A "name" table with one full name (3, 1, 4) and a family name before it.
Bytes NameTable(const std::u16string& fullName)
{
    Bytes name;
    Put16(name, 0);
    Put16(name, 2);
    Put16(name, 6 + 2 * 12);
    std::u16string family = u"Family";
    Put16(name, 3), Put16(name, 1), Put16(name, 0x409), Put16(name, 1);
    Put16(name, static_cast<uint32_t>(family.size() * 2)), Put16(name, 0);
    Put16(name, 3), Put16(name, 1), Put16(name, 0x409), Put16(name, 4);
    Put16(name, static_cast<uint32_t>(fullName.size() * 2)), Put16(name, static_cast<uint32_t>(family.size() * 2));
    for (char16_t c : family + fullName) Put16(name, c);
    return name;
}

Bytes Zeros(size_t count) { return Bytes(count, 0); }

Bytes HeadTable(uint16_t unitsPerEm)
{
    Bytes head = Zeros(54);
    head[18] = static_cast<uint8_t>(unitsPerEm >> 8);
    head[19] = static_cast<uint8_t>(unitsPerEm);
    return head;
}

Bytes Os2Table(int16_t strikeoutSize, int16_t strikeoutPosition)
{
    Bytes os2 = Zeros(26);
    Put16(os2, static_cast<uint16_t>(strikeoutSize));
    Put16(os2, static_cast<uint16_t>(strikeoutPosition));
    return os2;
}

Bytes PostTable(int16_t underlinePosition, int16_t underlineThickness)
{
    Bytes post = Zeros(8);
    Put16(post, static_cast<uint16_t>(underlinePosition));
    Put16(post, static_cast<uint16_t>(underlineThickness));
    Put32(post, 0);
    return post;
}

Bytes MaxpTable(uint16_t glyphs)
{
    Bytes maxp;
    Put32(maxp, 0x00005000);
    Put16(maxp, glyphs);
    return maxp;
}

struct Group {
    uint32_t start, end, glyph;
};

// A "cmap" whose format 12 map comes first in the table but is named by the
// second record; the first record names a format 4 map after it.
Bytes CmapTable(const std::vector<Group>& groups, uint32_t groupCount)
{
    Bytes cmap;
    Put16(cmap, 0);
    Put16(cmap, 2);
    uint32_t format12 = 4 + 2 * 8;
    uint32_t format12Length = 16 + 12 * static_cast<uint32_t>(groups.size());
    Put16(cmap, 3), Put16(cmap, 1), Put32(cmap, format12 + format12Length);
    Put16(cmap, 3), Put16(cmap, 10), Put32(cmap, format12);
    Put16(cmap, 12), Put16(cmap, 0), Put32(cmap, format12Length), Put32(cmap, 0), Put32(cmap, groupCount);
    for (const Group& g : groups) Put32(cmap, g.start), Put32(cmap, g.end), Put32(cmap, g.glyph);
    // A format 4 map with no segments but the final one.
    Put16(cmap, 4), Put16(cmap, 24), Put16(cmap, 0), Put16(cmap, 2), Put16(cmap, 2), Put16(cmap, 0), Put16(cmap, 0);
    Put16(cmap, 0xFFFF), Put16(cmap, 0), Put16(cmap, 0xFFFF), Put16(cmap, 1), Put16(cmap, 0);
    return cmap;
}

std::string FailureOf(auto&& operation)
{
    try {
        operation();
    } catch (const FontDataError& error) {
        return error.what();
    }
    return "no failure";
}

TEST(CollectionFace, TheNamedFaceIsCopiedOutAsAFontOfItsOwn)
{
    Bytes shared = {1, 2, 3, 4, 5};  // five bytes: the next table starts three bytes later
    Bytes collection = BuildCollection({
        {{"name", NameTable(u"Alpha")}, {"glyf", shared}},
        {{"glyf", {9, 8, 7}}, {"name", NameTable(u"Beta Regular")}, {"post", PostTable(-100, 50)}},
    });
    for (std::u16string name : {u"Beta Regular", u"@Beta Regular"}) {
        Bytes face = ExtractCollectionFace(collection, name);
        // 12 + 3 x 16 = 60: glyf (3 bytes) at 60; name (6 + 2 x 12 + 18 x 2
        // = 66 bytes) at 64; post (16 bytes) at 64 + 68.
        std::vector<FontTableEntry> directory = ReadTableDirectory(face, 0);
        ASSERT_EQ(directory.size(), 3u);
        EXPECT_EQ(directory[0].offset, 60u);
        EXPECT_EQ(directory[1].offset, 64u);
        EXPECT_EQ(directory[1].length, 66u);
        EXPECT_EQ(directory[2].offset, 132u);
        EXPECT_EQ(directory[2].checksum, 0x12345602u);
        EXPECT_EQ(face.size(), 148u);
        EXPECT_EQ(Bytes(face.begin() + 60, face.begin() + 63), (Bytes{9, 8, 7}));
        EXPECT_TRUE(HasFullName(face, directory, u"Beta Regular"));
        EXPECT_EQ(ReadLineMetrics(face).underlinePosition, kDefaultLineMetrics.underlinePosition);  // no head, no OS/2
    }
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(collection, u"Beta"); }),
              "no font of the collection has the full name of the face");
    EXPECT_FALSE(IsFontCollection(BuildFont({{"name", NameTable(u"Alpha")}})));
}

TEST(CollectionFace, EachFaceOfAnInstalledCollectionComesOutWhole)
{
    std::optional<Bytes> ttc = InstalledFontFile("WenQuanYi Micro Hei");
    if (!ttc) GTEST_SKIP() << "no font collection installed (fonts-wqy-microhei)";
    ASSERT_TRUE(IsFontCollection(*ttc));
    struct {
        const char16_t* name;
        long index;
        const char* family;
    } faces[] = {{u"WenQuanYi Micro Hei", 0, "WenQuanYi Micro Hei"},
                 {u"@WenQuanYi Micro Hei Mono", 1, "WenQuanYi Micro Hei Mono"}};
    for (const auto& wanted : faces) {
        Bytes face = ExtractCollectionFace(*ttc, wanted.name);
        EXPECT_FALSE(IsFontCollection(face));
        FreeTypeFace alone = ReadWithFreeType(face);
        FreeTypeFace inCollection = ReadWithFreeType(*ttc, wanted.index);
        ASSERT_TRUE(alone.opened);
        EXPECT_EQ(alone.faceCount, 1);
        EXPECT_EQ(alone.family, wanted.family);
        EXPECT_EQ(alone.glyphCount, inCollection.glyphCount);
        EXPECT_EQ(FreeTypeGlyph(face, U'\u6C34'), FreeTypeGlyph(*ttc, U'\u6C34'));
    }
}

TEST(LineMetrics, AreTheFontsValuesOverItsEm)
{
    Bytes font = BuildFont({{"head", HeadTable(2048)}, {"OS/2", Os2Table(102, 530)}, {"post", PostTable(-292, 150)}});
    FontLineMetrics metrics = ReadLineMetrics(font);
    EXPECT_FLOAT_EQ(metrics.strikeoutSize, 0.0498046875f);
    EXPECT_FLOAT_EQ(metrics.strikeoutPosition, 0.2587890625f);
    EXPECT_FLOAT_EQ(metrics.underlinePosition, -0.142578125f);
    EXPECT_FLOAT_EQ(metrics.underlineThickness, 0.0732421875f);

    // Any table missing or too short to hold its values: the defaults.
    Bytes shortOs2 = Os2Table(102, 530);
    shortOs2.pop_back();
    for (const Bytes& lacking :
         {BuildFont({{"head", HeadTable(2048)}, {"OS/2", Os2Table(102, 530)}}),
          BuildFont({{"head", HeadTable(2048)}, {"OS/2", shortOs2}, {"post", PostTable(1, 2)}})}) {
        FontLineMetrics defaults = ReadLineMetrics(lacking);
        EXPECT_FLOAT_EQ(defaults.strikeoutPosition, 5.0f / 96);
        EXPECT_FLOAT_EQ(defaults.strikeoutSize, 0.0625f);
        EXPECT_FLOAT_EQ(defaults.underlinePosition, -0.28125f);
        EXPECT_FLOAT_EQ(defaults.underlineThickness, 0.0625f);
    }
    Bytes noEm = BuildFont({{"head", HeadTable(0)}, {"OS/2", Os2Table(1, 2)}, {"post", PostTable(3, 4)}});
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(noEm); }), "the font's em is 0 units");
}

TEST(GlyphIndex, IsFoundInTheFormat12MapWhereverItLies)
{
    Bytes font =
        BuildFont({{"cmap", CmapTable({{0x41, 0x5A, 3}, {0x1D400, 0x1D419, 40}}, 2)}, {"maxp", MaxpTable(60)}});
    EXPECT_EQ(GlyphIndexFor(font, U'A'), 3u);
    EXPECT_EQ(GlyphIndexFor(font, U'Z'), 28u);
    EXPECT_EQ(GlyphIndexFor(font, 0x1D400), 40u);
    EXPECT_EQ(GlyphIndexFor(font, 0x1D413), 59u);
    EXPECT_EQ(GlyphIndexFor(font, 0x1D414), std::nullopt);  // glyph 60: past the font's 60 glyphs
    EXPECT_EQ(GlyphIndexFor(font, U'a'), std::nullopt);
    EXPECT_EQ(GlyphIndexFor(BuildFont({{"maxp", MaxpTable(60)}}), U'A'), std::nullopt);
}

TEST(GlyphIndex, OfAnInstalledFontIsFreeTypesGlyph)
{
    std::optional<Bytes> font = InstalledFontFile("DejaVu Sans");
    if (!font) GTEST_SKIP() << "DejaVu Sans is not installed";
    for (char32_t c : {U'A', U'\u00E9', U'\U00010300', U'\U0001D538', U'\U0001D7EB'}) {
        uint32_t expected = FreeTypeGlyph(*font, c);
        ASSERT_NE(expected, 0u) << std::hex << static_cast<uint32_t>(c);
        EXPECT_EQ(GlyphIndexFor(*font, c), expected) << std::hex << static_cast<uint32_t>(c);
    }
    EXPECT_EQ(GlyphIndexFor(*font, 0x10FFFD), std::nullopt);
}

TEST(DamagedFont, FailsWithWhatIsWrong)
{
    Bytes font = BuildFont({{"head", HeadTable(1000)}, {"OS/2", Os2Table(1, 2)}, {"post", PostTable(3, 4)}});

    Bytes manyTables = font;
    manyTables[4] = 0xFF, manyTables[5] = 0xFF;
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(manyTables); }),
              "the table directory lies past the end of the font data");

    Bytes offsetPastEnd = font;
    Set32(offsetPastEnd, 12 + 16 + 8, 0xFFFFFFF0u);
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(offsetPastEnd); }), "a table lies past the end of the font data");

    Bytes truncated(font.begin(), font.end() - 3);  // the last table's end is cut off
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(truncated); }), "a table lies past the end of the font data");
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(Bytes(font.begin(), font.begin() + 5)); }),
              "the number of tables lies past the end of the font data");

    Bytes cmap = BuildFont({{"cmap", CmapTable({{0x41, 0x5A, 3}}, 0x7FFFFFFF)}});
    EXPECT_EQ(FailureOf([&] { GlyphIndexFor(cmap, U'A'); }), "the character groups lies past the end of the font data");

    Bytes names = BuildCollection({{{"name", NameTable(u"Alpha")}}});
    Bytes manyNames = names;
    size_t nameTable = Get32(names, Get32(names, 12) + 12 + 8);
    manyNames[nameTable + 2] = 0xFF, manyNames[nameTable + 3] = 0xFF;
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(manyNames, u"Alpha"); }),
              "the name records lies past the end of the font data");
    Bytes stringPastEnd = names;
    stringPastEnd[nameTable + 4] = 0x7F;
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(stringPastEnd, u"Alpha"); }),
              "a name string lies past the end of the font data");
}

TEST(DamagedFont, ACollectionWithFacesItDoesNotHoldFails)
{
    Bytes collection = BuildCollection({{{"name", NameTable(u"Alpha")}}, {{"name", NameTable(u"Beta")}}});
    Bytes manyFaces = collection;
    Set32(manyFaces, 8, 0x40000000u);
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(manyFaces, u"Beta"); }),
              "the collection's list of fonts lies past the end of the font data");
    Bytes facePastEnd = collection;
    Set32(facePastEnd, 16, static_cast<uint32_t>(collection.size()));
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(facePastEnd, u"Beta"); }),
              "the number of tables lies past the end of the font data");
    EXPECT_EQ(FailureOf([&] {
                  ExtractCollectionFace(Bytes{'t', 't', 'c', 'f', 0, 1}, u"Beta");
              }),
              "the number of fonts in the collection lies past the end of the font data");
    EXPECT_EQ(FailureOf([&] { ExtractCollectionFace(BuildFont({}), u"Beta"); }),
              "the font data is not a font collection");
}

TEST(DamagedFont, AnInstalledFontCutShortFails)
{
    std::optional<Bytes> font = InstalledFontFile("DejaVu Sans");
    if (!font) GTEST_SKIP() << "DejaVu Sans is not installed";
    Bytes half(font->begin(), font->begin() + static_cast<ptrdiff_t>(font->size() / 2));
    EXPECT_EQ(FailureOf([&] { ReadLineMetrics(half); }), "a table lies past the end of the font data");
    EXPECT_EQ(FailureOf([&] { GlyphIndexFor(half, U'A'); }), "a table lies past the end of the font data");
}

}  // namespace
