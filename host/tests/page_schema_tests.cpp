// The page-vocabulary checks: value forms and the geometry syntax worked
// out by hand, the Glyphs rules, and whole pages through the reader's pass
// with the first rule each breaks.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "opc/fixed_markup_pass.h"
#include "opc/package_error.h"
#include "opc/page_schema/geometry_syntax.h"
#include "opc/page_schema/glyph_rules.h"
#include "opc/page_schema/markup_checker.h"
#include "opc/page_schema/value_syntax.h"
#include "package/font_glyph_count.h"

namespace tav::host::page_schema {
namespace {

TEST(ValueSyntaxTest, NumbersPointsAndListsTakeOnlyTheirForms)
{
    for (const char* good : {"1", "-2.5", "+.5", "1e5", "2.5E-3", " 7 "}) {
        EXPECT_EQ(CheckNumber(good, -HUGE_VAL, HUGE_VAL), nullptr) << good;
    }
    for (const char* bad : {"", "1.", ".", "--1", "1,5", "NaN", "INF", "1e", "0x10", "1 2"}) {
        EXPECT_NE(CheckNumber(bad, -HUGE_VAL, HUGE_VAL), nullptr) << bad;
    }
    EXPECT_NE(CheckNumber("1.5", 0, 1), nullptr);
    EXPECT_NE(CheckNumber("0.99", 1, HUGE_VAL), nullptr);
    EXPECT_EQ(CheckNumber("0", 0, 1), nullptr);
    EXPECT_EQ(CheckInteger("61", 0, 61), nullptr);
    EXPECT_NE(CheckInteger("62", 0, 61), nullptr);
    EXPECT_NE(CheckInteger("1.0", 0, 61), nullptr);

    EXPECT_EQ(CheckPoint("1, 2", false), nullptr);
    EXPECT_NE(CheckPoint("1 2", false), nullptr);
    EXPECT_NE(CheckPoint("1,-2", true), nullptr);
    EXPECT_EQ(CheckPoints("0,0 10,0  10,10"), nullptr);
    EXPECT_NE(CheckPoints("0,0 10"), nullptr);
    EXPECT_NE(CheckPoints(" "), nullptr);
    EXPECT_EQ(CheckMatrix("1,0,0,1,0,0"), nullptr);
    EXPECT_NE(CheckMatrix("1,0,0,1,0"), nullptr);
    EXPECT_NE(CheckMatrix("1,0,0,1,0,0,0"), nullptr);
    EXPECT_EQ(CheckRectangle("0,0,816,1056"), nullptr);
    EXPECT_NE(CheckRectangle("0,0,-1,1056"), nullptr);
    EXPECT_NE(CheckRectangle("0,0,816"), nullptr);
    EXPECT_EQ(CheckEvenNonNegativeList(""), nullptr);
    EXPECT_EQ(CheckEvenNonNegativeList("1 2 3.5 0"), nullptr);
    EXPECT_NE(CheckEvenNonNegativeList("1 2 3"), nullptr);
    EXPECT_NE(CheckEvenNonNegativeList("1 -2"), nullptr);
}

TEST(ValueSyntaxTest, ColoursNamesAndLanguageTags)
{
    for (const char* good : {"#FF00aa", "#80FF00AA", "sc#1,0.5,0.25", "sc# 0.5, 1, 0, 0",
                             "ContextColor /Resources/cmyk.icc 1,0.1,0.2,0.3,0.4", "ContextColor x.icc 0.5,1"}) {
        EXPECT_EQ(CheckColor(good), nullptr) << good;
    }
    for (const char* bad : {"#FFF", "#GG0000", "red", "sc#1,0", "sc#1,0,0,0,0", "ContextColor /p.icc 1",
                            "ContextColor /p.icc", "ContextColor /p.icc 1,1,1,1,1,1,1,1,1,1"}) {
        EXPECT_NE(CheckColor(bad), nullptr) << bad;
    }
    EXPECT_EQ(CheckName("_brush1"), nullptr);
    EXPECT_NE(CheckName("1brush"), nullptr);
    EXPECT_NE(CheckName("a-b"), nullptr);
    for (const char* good : {"", "en", "en-US", "zh-Hant-TW", "x-klingon", "de-1996"}) {
        EXPECT_EQ(CheckLanguageTag(good), nullptr) << good;
    }
    for (const char* bad : {"en_US", "-en", "en-", "e1", "toolongtag", "en--US", "en-123456789"}) {
        EXPECT_NE(CheckLanguageTag(bad), nullptr) << bad;
    }
    const char* reason = nullptr;
    EXPECT_EQ(ResourceReference("{StaticResource Brush_1}", &reason), "Brush_1");
    EXPECT_EQ(ResourceReference("#FF000000", &reason), std::nullopt);
    EXPECT_EQ(reason, nullptr);
    EXPECT_EQ(ResourceReference("{StaticResourceBrush}", &reason), std::nullopt);
    EXPECT_NE(reason, nullptr);
    EXPECT_EQ(CheckImageSource("{ColorConvertedBitmap /a.tif /b.icc}"), nullptr);
    EXPECT_NE(CheckImageSource("{ColorConvertedBitmap /a.tif}"), nullptr);
}

TEST(GeometrySyntaxTest, ValidGeometriesAndTheOffsetOfTheFirstFault)
{
    for (const char* good :
         {"", "F 1 M 0,0 L 10,0 10,10 Z", "M0 0L10 10", "m 1,1 h 5 v 5 z M 3,3 l 1,1",
          "M 0,0 C 1,1 2,2 3,3 4,4 5,5 6,6", "M 0,0 Q 1,1 2,2 S 3,3 4,4", "M 0,0 A 5,5 0 1 0 10,10 5,5 45 0,1 20,20"}) {
        EXPECT_EQ(CheckAbbreviatedGeometry(good, true), std::nullopt) << good;
    }
    struct Case {
        const char* text;
        bool fillRule;
        size_t offset;
    };
    const Case faults[] = {
        {"L 0,0", true, 0},                   // no move first
        {"M 0,0 L 10", true, 10},             // the point's y is missing at the end
        {"M 0,0 F 1", true, 6},               // a fill rule only begins
        {"F 1 M 0,0", false, 0},              // no fill rule in Figures
        {"F 2 M 0,0", true, 2},               // neither 0 nor 1
        {"M 0,0 A 5,5 0 2 0 1,1", true, 14},  // the large-arc flag
        {"M 0,0 A -5,5 0 1 0 1,1", true, 8},  // a negative size
        {"M 0,0 X 1,1", true, 6},             // no such command
        {"M 0,0 L 1.,1", true, 8},            // "1." is no number
    };
    for (const Case& fault : faults) {
        std::optional<GeometrySyntaxError> error = CheckAbbreviatedGeometry(fault.text, fault.fillRule);
        ASSERT_NE(error, std::nullopt) << fault.text;
        EXPECT_EQ(error->offset, fault.offset) << fault.text << ": " << error->reason;
    }
}

// The quick look may pass only geometry the careful check accepts, and
// must pass the forms pages are made of. The random texts mix sound and
// broken numbers, separators and counts of parameters.
TEST(GeometrySyntaxTest, TheQuickLookPassesOnlyWhatTheCarefulCheckAccepts)
{
    for (const char* common : {"M 195.5,49 L 598.5,49 L 598.5,95 Z", "F1 M0,0 L10,0 10,10z", "m 1 2 h -3 v .5 Z m 4,4",
                               "M 1,1 C 1,2 3,4 5,6 Q 1,1 2,2 S 3,3 4,4 z", "M-1-2l1e2,2E-2", "  "}) {
        EXPECT_TRUE(IsPlainValidGeometry(common, true)) << common;
        EXPECT_EQ(CheckAbbreviatedGeometry(common, true), std::nullopt) << common;
    }
    for (const char* broken : {"M 1,2 L 3", "M,1,2", "M 1,2,", "M 1,2 Z 3", "M 1.,2", "M 1e,2", "F1 M 1,2 F 0", "L 1,2",
                               "M 1,2 X 3,4", "F 2 M 1,2"}) {
        EXPECT_FALSE(IsPlainValidGeometry(broken, true)) << broken;
    }
    EXPECT_FALSE(IsPlainValidGeometry("F1 M 0,0", false));
    EXPECT_FALSE(IsPlainValidGeometry(std::string_view("M 1,2\0 L", 8), true));  // stops at no NUL

    const char* const pieces[] = {"M",    "m",  "L",   "h",  "V", "C", "q", "S", "Z", "A", "F",  "1",  "0",
                                  "-2.5", ".5", "1e3", "1.", "-", "+", "e", ",", " ", " ", ", ", "\t", "12"};
    std::mt19937 random(37);
    std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 14);
    int passed = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = "M 1,1 ";
        for (int n = length(random); n > 0; --n) text += pieces[piece(random)];
        if (!IsPlainValidGeometry(text, true)) continue;
        ++passed;
        EXPECT_EQ(CheckAbbreviatedGeometry(text, true), std::nullopt) << text;
    }
    EXPECT_GT(passed, 200);  // the quick look was tried on many sound texts
}

TEST(GlyphRulesTest, TextIndicesAndClusterMapsAgree)
{
    GlyphIndices indices;
    ASSERT_EQ(ReadIndices("12;(1:2)40,50;7,,3;", &indices), nullptr);
    EXPECT_EQ(indices.glyphs, 4u);
    EXPECT_EQ(indices.codeUnits, 3u);  // 12 maps one, the cluster one over 40 and 7, the empty entry one
    EXPECT_TRUE(indices.clusterMap);
    EXPECT_EQ(indices.maxGlyphIndex, 40u);
    for (const char* bad : {"(0:1)1", "(1:2)1", "1;;x", "(2", "1,a"}) {
        EXPECT_NE(ReadIndices(bad, &indices), nullptr) << bad;
    }
    auto check = [](std::optional<std::string_view> text, std::optional<std::string_view> glyphs,
                    std::optional<std::string_view> bidi = std::nullopt,
                    std::optional<std::string_view> sideways = std::nullopt) {
        GlyphIndices read;
        return CheckGlyphsRules({text, glyphs, bidi, sideways}, &read);
    };
    EXPECT_EQ(check("ab", "1;2"), nullptr);
    EXPECT_EQ(check(std::nullopt, "1;2;3"), nullptr);
    EXPECT_EQ(check("{}{x}", std::nullopt), nullptr);  // the escape, then "{x}"
    EXPECT_EQ(check("ab", "(2:3)1;2;3"), nullptr);
    EXPECT_NE(check("", std::nullopt), nullptr);
    EXPECT_NE(check("{}", ""), nullptr);                // escaped, yet empty
    EXPECT_NE(check("{x}", std::nullopt), nullptr);     // a brace without the escape
    EXPECT_NE(check("ab", "1;2;3"), nullptr);           // three glyphs for two characters
    EXPECT_NE(check("ab", "(3)1"), nullptr);            // a cluster over three characters
    EXPECT_NE(check(std::nullopt, "(1:1)5"), nullptr);  // a cluster map with no text
    EXPECT_NE(check("ab", std::nullopt, "1", "true"), nullptr);
    EXPECT_EQ(check("ab", std::nullopt, "2", "true"), nullptr);
    EXPECT_EQ(check("ab", std::nullopt, "1", "false"), nullptr);
    // "\xF0\x9F\x98\x80" is one character beyond the BMP: two code units.
    EXPECT_EQ(check("\xF0\x9F\x98\x80", "1;2"), nullptr);
    EXPECT_EQ(Utf16Length("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), 5u);
}

// The reason a page with this body breaks, or "" when none.
std::string PageFault(const std::string& body, const std::string& rootAttributes = "xml:lang=\"en\"")
{
    std::string markup =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
        "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" "
        "Width=\"100\" Height=\"100\" " +
        rootAttributes + ">" + body + "</FixedPage>";
    MarkupChecker checker(MarkupRoot::FixedPage, false);
    try {
        ScanFixedMarkup(markup, "/p.fpage", "FixedPage", &checker);
    } catch (const PackageError& error) {
        return error.Reason();
    }
    return "";
}

TEST(MarkupCheckerTest, PagesThatKeepTheRulesPass)
{
    EXPECT_EQ(PageFault("<FixedPage.Resources><ResourceDictionary>"
                        "<SolidColorBrush x:Key=\"B\" Color=\"#FF0000FF\"/>"
                        "<VisualBrush x:Key=\"V\" Viewbox=\"0,0,1,1\" Viewport=\"0,0,1,1\" ViewboxUnits=\"Absolute\" "
                        "ViewportUnits=\"Absolute\"><VisualBrush.Visual><Path Fill=\"{StaticResource B}\" "
                        "Data=\"M 0,0 L 1,1\"/></VisualBrush.Visual></VisualBrush>"
                        "</ResourceDictionary></FixedPage.Resources>"
                        "<Canvas RenderTransform=\"1,0,0,1,5,5\" xml:lang=\"de-DE\">"
                        "<Canvas.Resources><ResourceDictionary><MatrixTransform x:Key=\"M\" Matrix=\"2,0,0,2,0,0\"/>"
                        "</ResourceDictionary></Canvas.Resources>"
                        "<Path RenderTransform=\"{StaticResource M}\" Fill=\"{StaticResource V}\" "
                        "StrokeDashArray=\"1 2\" StrokeLineJoin=\"Round\">"
                        "<Path.Data><PathGeometry FillRule=\"NonZero\"><PathFigure StartPoint=\"0,0\" "
                        "IsClosed=\"true\"><PolyLineSegment Points=\"1,0 1,1\"/><ArcSegment Point=\"0,0\" "
                        "Size=\"1,1\" RotationAngle=\"0\" IsLargeArc=\"false\" SweepDirection=\"Clockwise\"/>"
                        "</PathFigure></PathGeometry></Path.Data></Path></Canvas>"
                        "<Path Data=\"M 0,0 L 1,1\"><Path.Fill><LinearGradientBrush MappingMode=\"Absolute\" "
                        "StartPoint=\"0,0\" EndPoint=\"1,1\"><LinearGradientBrush.GradientStops>"
                        "<GradientStop Color=\"#FF000000\" Offset=\"0\"/><GradientStop Color=\"sc#1,1,1\" "
                        "Offset=\"1\"/></LinearGradientBrush.GradientStops></LinearGradientBrush></Path.Fill></Path>"
                        "<Glyphs FontUri=\"/f.ttf\" FontRenderingEmSize=\"12\" OriginX=\"0\" OriginY=\"10\" "
                        "UnicodeString=\"{}{Hi}\" Indices=\"(4:1)7\"/>"),
              "");
}

TEST(MarkupCheckerTest, EachClassOfFaultIsNamed)
{
    struct Case {
        std::string body;
        std::string reason;  // what the message begins with
    };
    const std::string dictionary = "<FixedPage.Resources><ResourceDictionary>";
    const std::string end = "</ResourceDictionary></FixedPage.Resources>";
    const Case cases[] = {
        {"<Rectangle/>", "the element Rectangle is not part of the page vocabulary"},
        {"<Path Fill=\"#FF000000\"><Path.Fill><SolidColorBrush Color=\"#FF000000\"/></Path.Fill></Path>",
         "Path: Fill is given both as an attribute and as the property element Path.Fill"},
        {"<Path><Path.Data><PathGeometry/></Path.Data><Path.Fill><SolidColorBrush Color=\"#FF000000\"/>"
         "</Path.Fill></Path>",
         "Path: the property element Path.Fill is out of order"},
        {"<Canvas><Path/><Canvas.Clip><PathGeometry/></Canvas.Clip></Canvas>",
         "Canvas: the property element Canvas.Clip is out of order"},
        {"<Path><Canvas.Clip><PathGeometry/></Canvas.Clip></Path>",
         "the property element Canvas.Clip may not stand inside Path"},
        {"<Path><Path.Fill><SolidColorBrush Color=\"#FF000000\"/><SolidColorBrush Color=\"#FF000000\"/>"
         "</Path.Fill></Path>",
         "Path.Fill holds more than one element"},
        {"<Path xml:space=\"preserve\"/>", "Path: the attribute xml:space is not allowed"},
        {"<Path xml:lang=\"english_UK\"/>", "Path: the attribute xml:lang \"english_UK\" is not a language tag"},
        {"<Path Foo=\"1\"/>", "Path: the attribute Foo is not part of the vocabulary"},
        {"<Path Width=\"1\"/>", "Path does not take the attribute Width"},
        {"<Path Opacity=\"1.5\"/>", "Path: the attribute Opacity \"1.5\" is greater than 1"},
        {"<Path Fill=\"#F00\"/>", "Path: the attribute Fill \"#F00\" is not a colour"},
        {"<Path StrokeLineJoin=\"round\"/>", "Path: the attribute StrokeLineJoin \"round\" is none of the values"},
        {"<Path Data=\"M 0,0 L 1\"/>", "Path: the attribute Data is no valid geometry at offset 9"},
        {"<Path><Path.Data><PathGeometry Figures=\"F 1 M 0,0 L 1,1\"/></Path.Data></Path>",
         "PathGeometry: the attribute Figures is no valid geometry at offset 0"},
        {"<Path RenderTransform=\"1,0,0,1\"/>", "Path: the attribute RenderTransform \"1,0,0,1\" is not a matrix"},
        {"<Path Fill=\"{StaticResource Missing}\"/>",
         "Path Fill: {StaticResource Missing} names no resource defined before it in scope"},
        {dictionary + "<MatrixTransform x:Key=\"M\" Matrix=\"1,0,0,1,0,0\"/>" + end +
             "<Path Fill=\"{StaticResource M}\"/>",
         "Path Fill: {StaticResource M} names a MatrixTransform, not a brush"},
        {dictionary +
             "<SolidColorBrush x:Key=\"A\" Color=\"#FF000000\"/><SolidColorBrush x:Key=\"A\" "
             "Color=\"#FF000000\"/>" +
             end,
         "the key A is defined twice in one ResourceDictionary"},
        // A resource is defined only after it, and a Canvas's resources
        // end with the Canvas.
        {dictionary +
             "<VisualBrush x:Key=\"V\" Visual=\"{StaticResource P}\" Viewbox=\"0,0,1,1\" "
             "Viewport=\"0,0,1,1\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/>"
             "<Path x:Key=\"P\"/>" +
             end,
         "VisualBrush Visual: {StaticResource P} names no resource"},
        {"<Canvas><Canvas.Resources><ResourceDictionary><SolidColorBrush x:Key=\"B\" Color=\"#FF000000\"/>"
         "</ResourceDictionary></Canvas.Resources></Canvas><Path Fill=\"{StaticResource B}\"/>",
         "Path Fill: {StaticResource B} names no resource"},
        {dictionary + "<SolidColorBrush Color=\"#FF000000\"/>" + end, "the resource SolidColorBrush has no x:Key"},
        {"<Path x:Key=\"K\"/>", "Path: x:Key is allowed only on a resource of a ResourceDictionary"},
        {"<Glyphs FontUri=\"/f.ttf\" OriginX=\"0\" OriginY=\"0\" UnicodeString=\"a\"/>",
         "Glyphs lacks the required attribute FontRenderingEmSize"},
        {"<Glyphs FontUri=\"/f.ttf\" FontRenderingEmSize=\"1\" OriginX=\"0\" OriginY=\"0\" UnicodeString=\"\"/>",
         "Glyphs has neither a UnicodeString nor Indices"},
        {"<Glyphs FontUri=\"/f.ttf\" FontRenderingEmSize=\"1\" OriginX=\"0\" OriginY=\"0\" UnicodeString=\"ab\" "
         "Indices=\"1;2;3\"/>",
         "Glyphs has more Indices entries than UnicodeString characters"},
        {"<Glyphs FontUri=\"/f.ttf\" FontRenderingEmSize=\"1\" OriginX=\"0\" OriginY=\"0\" UnicodeString=\"ab\" "
         "BidiLevel=\"1\" IsSideways=\"true\"/>",
         "Glyphs is sideways (IsSideways) in a right-to-left run"},
        {"<Path><Path.Fill><LinearGradientBrush MappingMode=\"Absolute\" StartPoint=\"0,0\" EndPoint=\"1,1\">"
         "<LinearGradientBrush.GradientStops><GradientStop Color=\"#FF000000\" Offset=\"0\"/>"
         "</LinearGradientBrush.GradientStops></LinearGradientBrush></Path.Fill></Path>",
         "LinearGradientBrush.GradientStops holds fewer than two GradientStop elements"},
        {"<Path>text</Path>", "Path holds text"},
        {"<Path><Path.Data><PathGeometry><PathFigure StartPoint=\"0,0\"/></PathGeometry></Path.Data></Path>",
         "a PathFigure holds no segment"},
    };
    for (const Case& c : cases) {
        std::string reason = PageFault(c.body);
        EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << c.body << "\n -> " << reason;
        EXPECT_NE(reason.find("(line 1)"), std::string::npos) << reason;
    }
    EXPECT_EQ(PageFault("", "").rfind("FixedPage lacks the required attribute xml:lang", 0), 0u);
}

TEST(MarkupCheckerTest, RemoteDictionariesDeferReferencesAndReferToNoOther)
{
    std::string page =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"9\" Height=\"9\" "
        "xml:lang=\"en\"><FixedPage.Resources><ResourceDictionary Source=\"r.dict\"/>"
        "</FixedPage.Resources><Path Fill=\"{StaticResource Far}\"/></FixedPage>";
    MarkupChecker checker(MarkupRoot::FixedPage, false);
    ScanFixedMarkup(page, "/p.fpage", "FixedPage", &checker);
    ASSERT_EQ(checker.DeferredReferences().size(), 1u);
    EXPECT_EQ(checker.DeferredReferences()[0].key, "Far");
    EXPECT_EQ(checker.DeferredReferences()[0].kind, ResourceKind::Brush);
    EXPECT_EQ(checker.DeferredReferences()[0].dictionaries, std::vector<std::string>{"r.dict"});

    std::string remote =
        "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
        "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\">"
        "<SolidColorBrush x:Key=\"Far\" Color=\"#FF000000\"/><Canvas x:Key=\"C\"><Canvas.Resources>"
        "<ResourceDictionary><SolidColorBrush x:Key=\"Inner\" Color=\"#FF000000\"/></ResourceDictionary>"
        "</Canvas.Resources></Canvas></ResourceDictionary>";
    MarkupChecker dictionary(MarkupRoot::RemoteDictionary, false);
    ScanFixedMarkup(remote, "/r.dict", "ResourceDictionary", &dictionary);
    ASSERT_EQ(dictionary.DefinedResources().size(), 2u);  // the inner key is the Canvas's own
    EXPECT_EQ(dictionary.DefinedResources()[0].key, "Far");
    EXPECT_EQ(dictionary.DefinedResources()[1].kind, ResourceKind::Visual);

    std::string chained =
        "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
        "Source=\"other.dict\"/>";
    MarkupChecker refused(MarkupRoot::RemoteDictionary, false);
    try {
        ScanFixedMarkup(chained, "/r.dict", "ResourceDictionary", &refused);
        ADD_FAILURE() << "a remote dictionary referring to another was accepted";
    } catch (const PackageError& error) {
        EXPECT_EQ(error.Reason().rfind("a remote ResourceDictionary refers to another remote dictionary", 0), 0u)
            << error.Reason();
    }
}

TEST(MarkupCheckerTest, LenientChecksKeepTheFirstFaultAndCheckNoFurther)
{
    std::string page =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"9\" Height=\"9\" "
        "xml:lang=\"en\">\n<Path Fill=\"red\"/>\n<Path Opacity=\"2\"/></FixedPage>";
    MarkupChecker checker(MarkupRoot::FixedPage, true);
    FixedMarkupSummary summary = ScanFixedMarkup(page, "/p.fpage", "FixedPage", &checker);
    EXPECT_EQ(summary.width, "9");
    ASSERT_TRUE(checker.Excused());
    EXPECT_EQ(*checker.Excused(), "Path: the attribute Fill \"red\" is not a colour (line 2)");
}

// A TrueType table directory with the tables given (tag, offset), and a
// maxp table at maxpOffset holding glyphs.
std::string FontBytes(uint16_t glyphs, bool collection)
{
    auto big32 = [](std::string* out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
    };
    std::string font;
    uint32_t face = collection ? 20 : 0;  // 'ttcf', version, 2 faces, two offsets
    if (collection) {
        font = "ttcf";
        big32(&font, 0x00010000);
        big32(&font, 2);
        big32(&font, 0);  // face 0 is not a font at all
        big32(&font, face);
    }
    big32(&font, 0x00010000);
    font += std::string("\0\2\0\0\0\0\0\0", 8);  // two tables
    font += "head";
    big32(&font, 0);
    big32(&font, 0);
    big32(&font, 0);
    font += "maxp";
    big32(&font, 0);
    big32(&font, face + 12 + 32);  // right after the directory
    big32(&font, 6);
    big32(&font, 0x00005000);
    font.push_back(static_cast<char>(glyphs >> 8));
    font.push_back(static_cast<char>(glyphs));
    return font;
}

class BytesContent : public PartContent {
public:
    explicit BytesContent(std::string bytes) : bytes_(std::move(bytes)) {}
    std::unique_ptr<ByteReader> Open() const override { return ReadKeptBytes(shared_from_this(), bytes_); }
    std::optional<uint64_t> KnownSize() const override { return bytes_.size(); }

private:
    std::string bytes_;
};

TEST(FontGlyphCountTest, CountsFromMaxpOfTheFaceAskedFor)
{
    std::string fault;
    auto plain = std::make_shared<BytesContent>(FontBytes(300, false));
    EXPECT_EQ(FontGlyphCount(*plain, std::nullopt, 0, &fault), 300u);
    EXPECT_EQ(FontGlyphCount(*plain, std::nullopt, 1, &fault), std::nullopt);
    auto collection = std::make_shared<BytesContent>(FontBytes(7, true));
    EXPECT_EQ(FontGlyphCount(*collection, std::nullopt, 1, &fault), 7u);
    EXPECT_EQ(FontGlyphCount(*collection, std::nullopt, 0, &fault), std::nullopt);  // no font there
    EXPECT_EQ(FontGlyphCount(*collection, std::nullopt, 2, &fault), std::nullopt);
    // An obfuscated font: its first 32 bytes combined with the key.
    FontKey key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(0x11 * (i + 1));
    std::string hidden = FontBytes(300, false);
    ObfuscateFontBytes(reinterpret_cast<uint8_t*>(hidden.data()), hidden.size(), 0, key);
    auto obfuscated = std::make_shared<BytesContent>(hidden);
    EXPECT_EQ(FontGlyphCount(*obfuscated, key, 0, &fault), 300u);
    EXPECT_EQ(FontGlyphCount(*obfuscated, std::nullopt, 0, &fault), std::nullopt);
    auto truncated = std::make_shared<BytesContent>(FontBytes(300, false).substr(0, 40));
    EXPECT_EQ(FontGlyphCount(*truncated, std::nullopt, 0, &fault), std::nullopt);
}

}  // namespace
}  // namespace tav::host::page_schema
