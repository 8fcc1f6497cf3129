// Pages made to hurt the converter: each is refused with a message that
// names the element and the limit, or drawn within the limits the model
// and the renderer state (model_limits.h, image_cache.h, the renderer's
// tile and group limits); none may crash, hang or take unbounded memory.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "converter_driver.h"
#include "image_test_files.h"
#include "page_images.h"

namespace tav::render::testing {
namespace {

struct Outcome {
    bool fed = false;
    JobOutput output;
    std::string Refusal() const { return output.refusals.empty() ? "" : output.refusals[0]; }
};

constexpr char kHeader[] =
    "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
    "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" Width=\"96\" Height=\"96\">";

Outcome Feed(const std::string& body, const Parts& parts = {}, const std::string& encoder = "tavenc-pwg.so")
{
    PartReader reader = MapPartReader(parts);
    PageDeviceValues device;
    device.widthMicrons = device.heightMicrons = 25400;
    device.resolution = 96;
    ConverterDriver driver;
    Outcome outcome;
    EXPECT_TRUE(driver.Open(encoder)) << driver.Error();
    outcome.fed = driver.FeedPage("/page.fpage", kHeader + body + "</FixedPage>", reader, device);
    driver.Close();
    outcome.output = driver.Output();
    return outcome;
}

GreyImage FirstPage(const Outcome& outcome)
{
    std::vector<cups_page_header2_t> headers;
    std::vector<GreyImage> pages;
    EXPECT_TRUE(ReadPwgRaster(outcome.output.printerData, &headers, &pages));
    return pages.empty() ? GreyImage{} : pages[0];
}

// A zigzag of `count` lines after its start, each corner to corner of
// the page, the command letter given once.
std::string Segments(size_t count)
{
    std::string data = "M 0,0 L";
    data.reserve(count * 5);
    for (size_t i = 0; i < count; ++i) data += i % 2 ? " 90,1" : " 1,90";
    return data;
}

// A square of 40 units from (10, 10) drawn as `count` lines of a
// 250,000th of its side each (in a canvas that scales them down), the
// command letter given once.
std::string SquareOfLines(size_t count)
{
    std::string data = "M 0,0 l";
    data.reserve(count * 5);
    const char* steps[4] = {" 1,0", " 0,1", " -1,0", " 0,-1"};
    for (size_t i = 0; i < count; ++i) data += steps[i * 4 / count];
    return "<Canvas RenderTransform=\"0.00016,0,0,0.00016,10,10\"><Path Fill=\"#000000\" Data=\"" + data +
           " Z\"/></Canvas>";
}

std::string BlackWhitePng()
{
    std::string rows("\0\0\0\0\xFF\xFF\xFF", 7);
    return imagetest::PngFile({imagetest::PngHeader(2, 1, 8, 2), imagetest::PngData(rows)});
}

// Path data without end is cut off by the model's limit on an attribute's
// bytes (see the model's tests); the markup reader before it has one too.
TEST(HostilePages, HugePathsAreRefusedOrDrawnWithinTheirLimits)
{
    // A million and a half lines: past the segments a geometry may have.
    Outcome tooMany = Feed("<Path Fill=\"#000000\" Data=\"" + Segments(1'500'000) + "\"/>");
    EXPECT_FALSE(tooMany.fed);
    EXPECT_EQ(tooMany.Refusal().rfind("page 1: Path: Data: the path has more than 1000000 segments at character", 0),
              0u)
        << tooMany.Refusal();
    // A million segments (the figure's start and 999,999 lines) is allowed,
    // and drawn.
    Outcome million = Feed(SquareOfLines(999'999));
    ASSERT_TRUE(million.fed) << million.Refusal();
    EXPECT_EQ(FirstPage(million).At(30, 30), 0);
    EXPECT_EQ(FirstPage(million).At(60, 60), 255);
    // A translucent stroke of 30,000 lines that all cross in the middle:
    // drawn in pieces, yet half black wherever it covers, however often.
    Outcome crossing = Feed("<Path Stroke=\"#80000000\" StrokeThickness=\"2\" Data=\"" + Segments(30'000) + "\"/>");
    ASSERT_TRUE(crossing.fed) << crossing.Refusal();
    EXPECT_NEAR(FirstPage(crossing).At(45, 45), 128, 2);
    EXPECT_EQ(FirstPage(crossing).At(80, 80), 255);
}

TEST(HostilePages, GlyphsPastTheFontsEndAreRefused)
{
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    std::string font(std::istreambuf_iterator<char>(in), {});
    if (font.empty()) GTEST_SKIP() << "the DejaVu fonts are not installed";
    Outcome outcome = Feed(
        "<Glyphs Fill=\"#000000\" FontUri=\"/dejavu.ttf\" FontRenderingEmSize=\"12\" OriginX=\"5\" "
        "OriginY=\"50\" Indices=\"36;70000\"/>",
        {{"/dejavu.ttf", font}});
    EXPECT_FALSE(outcome.fed);
    EXPECT_NE(outcome.Refusal().find("page 1: Glyphs: Indices: glyph 70000 is past the last glyph of /dejavu.ttf"),
              std::string::npos)
        << outcome.Refusal();
}

TEST(HostilePages, HugeImagesAreRefusedAndHugeOrTinyTilesDrawnWithinBounds)
{
    // 100,000 x 100,000 pixels: the image callback cannot deliver it.
    std::string huge =
        imagetest::PngFile({imagetest::PngHeader(100000, 100000, 8, 2), imagetest::PngData(std::string(4, '\0'))});
    Outcome refused = Feed(
        "<Path Data=\"M 0,0 L 96,0 96,96 Z\"><Path.Fill><ImageBrush ImageSource=\"/huge.png\" "
        "Viewbox=\"0,0,100000,100000\" Viewport=\"0,0,96,96\"/></Path.Fill></Path>",
        {{"/huge.png", huge}});
    EXPECT_FALSE(refused.fed);
    EXPECT_NE(refused.Refusal().find("page 1: ImageBrush: image /huge.png: the image callback could not deliver it"),
              std::string::npos)
        << refused.Refusal();

    Parts parts{{"/bw.png", BlackWhitePng()}};
    for (const char* encoder : {"tavenc-pwg.so", "tavenc-pdf.so"}) {
        // A viewport of 100,000 units a side: one tile far larger than the
        // page, of which the page shows its black top left.
        Outcome vast = Feed(
            "<Path Data=\"M 0,0 L 96,0 96,96 0,96 Z\"><Path.Fill><ImageBrush ImageSource=\"/bw.png\" "
            "Viewbox=\"0,0,2,1\" Viewport=\"0,0,100000,100000\" TileMode=\"Tile\"/></Path.Fill></Path>",
            parts, encoder);
        EXPECT_TRUE(vast.fed) << vast.Refusal();
        // Tiles of a thousandth of a unit, about 10^10 over the page: drawn
        // as their average, mid grey.
        Outcome tiny = Feed(
            "<Path Data=\"M 0,0 L 96,0 96,96 0,96 Z\"><Path.Fill><ImageBrush ImageSource=\"/bw.png\" "
            "Viewbox=\"0,0,2,1\" Viewport=\"0,0,0.001,0.001\" TileMode=\"Tile\"/></Path.Fill></Path>",
            parts, encoder);
        EXPECT_TRUE(tiny.fed) << tiny.Refusal();
        if (std::string(encoder) == "tavenc-pwg.so") {
            EXPECT_LT(FirstPage(vast).At(40, 40), 8);
            EXPECT_NEAR(FirstPage(tiny).At(40, 40), 128, 3);
        } else {
            // One flat colour, not a pattern of ten billion tiles.
            EXPECT_LT(tiny.output.printerData.size(), 20'000u);
        }
    }
}

// Visual brushes kept as resources, each drawing the one before.
std::string VisualChain(int levels, int usesPerLevel)
{
    std::string dictionary =
        "<VisualBrush x:Key=\"v0\" Viewbox=\"0,0,1,1\" Viewport=\"0,0,1,1\"><VisualBrush.Visual>"
        "<Path Fill=\"#000000\" Data=\"M 0,0 L 1,0 1,1 Z\"/></VisualBrush.Visual></VisualBrush>";
    for (int level = 1; level < levels; ++level) {
        std::string uses;
        for (int use = 0; use < usesPerLevel; ++use)
            uses += "<Path Fill=\"{StaticResource v" + std::to_string(level - 1) + "}\" Data=\"M 0,0 L 1,0 1,1 Z\"/>";
        dictionary += "<VisualBrush x:Key=\"v" + std::to_string(level) +
                      "\" Viewbox=\"0,0,1,1\" Viewport=\"0,0,1,1\"><VisualBrush.Visual><Canvas>" + uses +
                      "</Canvas></VisualBrush.Visual></VisualBrush>";
    }
    return "<FixedPage.Resources><ResourceDictionary>" + dictionary +
           "</ResourceDictionary></FixedPage.Resources><Path Fill=\"{StaticResource v" + std::to_string(levels - 1) +
           "}\" Data=\"M 0,0 L 96,0 96,96 Z\"/>";
}

TEST(HostilePages, DeepSelfReferringAndMultiplyingVisualBrushesAreRefused)
{
    Outcome deep = Feed(VisualChain(10'000, 1));
    EXPECT_FALSE(deep.fed);
    EXPECT_EQ(deep.Refusal(), "page 1: VisualBrush: visual brushes nested more than 16 deep");

    // Written inside each other ten thousand deep.
    std::string nested;
    for (int level = 0; level < 10'000; ++level)
        nested +=
            "<Path Data=\"M 0,0 L 9,0 9,9 Z\"><Path.Fill><VisualBrush Viewbox=\"0,0,9,9\" "
            "Viewport=\"0,0,9,9\"><VisualBrush.Visual>";
    Outcome inlined = Feed(nested);
    EXPECT_FALSE(inlined.fed);
    EXPECT_EQ(inlined.Refusal().rfind("page 1: ", 0), 0u);
    EXPECT_NE(inlined.Refusal().find("elements nested more than 200 deep"), std::string::npos) << inlined.Refusal();

    // A brush whose visual names the brush itself: it is not defined yet.
    Outcome self = Feed(
        "<FixedPage.Resources><ResourceDictionary><VisualBrush x:Key=\"self\" Viewbox=\"0,0,1,1\" "
        "Viewport=\"0,0,1,1\"><VisualBrush.Visual><Path Fill=\"{StaticResource self}\" Data=\"M 0,0 L 1,0 1,1 Z\"/>"
        "</VisualBrush.Visual></VisualBrush></ResourceDictionary></FixedPage.Resources>");
    EXPECT_FALSE(self.fed);
    EXPECT_EQ(self.Refusal(), "page 1: Path: Fill: no brush resource 'self'");

    // Six levels, each drawing the one below twenty times: 20^6 elements.
    Outcome multiplying = Feed(VisualChain(7, 20));
    EXPECT_FALSE(multiplying.fed);
    EXPECT_NE(multiplying.Refusal().find("page 1: Path: the page draws more than 4000000 elements"), std::string::npos)
        << multiplying.Refusal();
    // Four levels of twenty (160,000 elements) are drawn.
    EXPECT_TRUE(Feed(VisualChain(4, 20)).fed);
}

TEST(HostilePages, RadialGradientsWithoutRadiusPaintTheirLastStop)
{
    Outcome outcome = Feed(
        "<Path Data=\"M 0,0 L 96,0 96,96 0,96 Z\"><Path.Fill><RadialGradientBrush MappingMode=\"Absolute\" "
        "Center=\"48,48\" GradientOrigin=\"48,48\" RadiusX=\"0\" RadiusY=\"0\"><RadialGradientBrush.GradientStops>"
        "<GradientStop Color=\"#FFFFFF\" Offset=\"0\"/><GradientStop Color=\"#404040\" Offset=\"1\"/>"
        "</RadialGradientBrush.GradientStops></RadialGradientBrush></Path.Fill></Path>");
    ASSERT_TRUE(outcome.fed) << outcome.Refusal();
    EXPECT_EQ(FirstPage(outcome).At(48, 48), 0x40);
    EXPECT_EQ(FirstPage(outcome).At(5, 90), 0x40);
}

}  // namespace
}  // namespace tav::render::testing
