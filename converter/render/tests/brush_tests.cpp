// Image and visual brushes, opacity and colour profiles through the
// converter, checked pixel by pixel against values worked out by hand. The
// pages are 96 units (one inch) square and drawn at 96 dpi, so a unit is a
// pixel; shapes are black and white so that grey levels are opacities.
#include <gtest/gtest.h>

#include <map>

#include "converter_driver.h"
#include "image_test_files.h"
#include "native_test_files.h"
#include "page_images.h"
#include "test_profiles.h"

namespace tav::render::testing {
namespace {

struct Rendered {
    RgbImage image;
    JobOutput output;
};

Rendered Render(const std::string& body, const Parts& parts = {}, const std::string& resources = "")
{
    std::string page =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
        "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" Width=\"96\" Height=\"96\">" +
        resources + body + "</FixedPage>";
    PartReader reader = MapPartReader(parts);
    PageDeviceValues device;
    device.widthMicrons = device.heightMicrons = 25400;
    device.resolution = 96;
    ConverterDriver driver;
    Rendered rendered;
    EXPECT_TRUE(driver.Open("tavenc-pwg.so")) << driver.Error();
    bool fed = driver.FeedPage("/page.fpage", page, reader, device);
    driver.Close();
    EXPECT_TRUE(fed) << driver.Error() << (driver.Output().refusals.empty() ? "" : driver.Output().refusals[0]);
    std::vector<RgbImage> pages;
    EXPECT_TRUE(ReadPwgRasterRgb(driver.Output().printerData, &pages));
    if (!pages.empty()) rendered.image = pages[0];
    rendered.output = driver.Output();
    return rendered;
}

// An 8-bit PNG (colour type by the number of samples) of the rows given.
std::string Png(uint32_t width, uint32_t height, int samples, const std::vector<uint8_t>& values,
                const std::string& profile = "")
{
    std::string rows;
    for (uint32_t y = 0; y < height; ++y) {
        rows += '\0';
        rows.append(reinterpret_cast<const char*>(values.data()) + y * width * samples, width * samples);
    }
    const uint8_t colourType = samples == 1 ? 0 : samples == 3 ? 2 : 6;
    std::vector<std::string> chunks{imagetest::PngHeader(width, height, 8, colourType)};
    if (!profile.empty()) chunks.push_back(imagetest::PngProfileChunk(profile));
    chunks.push_back(imagetest::PngData(rows));
    return imagetest::PngFile(chunks);
}

std::string CmykTiff(const std::vector<uint8_t>& pixel, const std::string& profile)
{
    imagetest::TiffSpec spec = imagetest::TiffOf(4, 4, 5, 4, 8);
    for (int i = 0; i < 16; ++i) spec.rows.append(reinterpret_cast<const char*>(pixel.data()), 4);
    spec.profile = profile;
    return imagetest::Tiff(spec);
}

std::string ImageRect(const std::string& x, const std::string& image, const std::string& viewbox)
{
    return "<Path Data=\"M " + x + ",0 l 16,0 0,16 -16,0 Z\"><Path.Fill><ImageBrush ImageSource=\"" + image +
           "\" Viewbox=\"" + viewbox + "\" Viewport=\"" + x + ",0,16,16\"/></Path.Fill></Path>";
}

void ExpectNear(RgbPixel actual, RgbPixel expected, int tolerance, const std::string& what)
{
    EXPECT_NEAR(actual.r, expected.r, tolerance) << what;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << what;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << what;
}

TEST(RenderBrushes, ImagesAndColoursGoThroughTheirProfiles)
{
    std::vector<uint8_t> red;
    for (int pixel = 0; pixel < 16; ++pixel) red.insert(red.end(), {255, 0, 0});
    Parts parts{
        // Red in a profile whose red is sRGB's blue.
        {"/swapped.png", Png(4, 4, 3, red, SwappedRgbProfile())},
        // Cyan, then black, through the plain-ink profile; cyan again
        // without a profile: the nearest sRGB, and a warning.
        {"/cyan.tif", CmykTiff({255, 0, 0, 0}, PlainCmykProfile())},
        {"/black.tif", CmykTiff({0, 0, 0, 255}, PlainCmykProfile())},
        {"/bare.tif", CmykTiff({255, 0, 0, 0}, "")},
        // Grey 128 in linear light is sRGB 188.
        {"/grey.png", Png(4, 4, 1, std::vector<uint8_t>(16, 128), LinearGreyProfile())},
        {"/cmyk.icc", PlainCmykProfile()},
        {"/grey.icc", LinearGreyProfile()},
    };
    Rendered rendered =
        Render(ImageRect("0", "/swapped.png", "0,0,4,4") + ImageRect("16", "/cyan.tif", "0,0,4,4") +
                   ImageRect("32", "/black.tif", "0,0,4,4") + ImageRect("48", "/bare.tif", "0,0,4,4") +
                   ImageRect("64", "/grey.png", "0,0,4,4") +
                   // Magenta through the profile part, and a grey through one of linear light.
                   "<Path Fill=\"ContextColor /cmyk.icc 1,0,1,0,0\" Data=\"M 0,32 l 16,0 0,16 -16,0 Z\"/>"
                   "<Path Fill=\"ContextColor /grey.icc 1,0.5\" Data=\"M 16,32 l 16,0 0,16 -16,0 Z\"/>",
               parts);
    ASSERT_EQ(rendered.image.width, 96);
    ExpectNear(rendered.image.At(8, 8), {0, 0, 255}, 3, "red through the swapped profile is blue");
    ExpectNear(rendered.image.At(24, 8), {0, 255, 255}, 3, "cyan through the ink profile");
    ExpectNear(rendered.image.At(40, 8), {0, 0, 0}, 3, "black through the ink profile");
    ExpectNear(rendered.image.At(56, 8), {0, 255, 255}, 1, "cyan without a profile");
    ExpectNear(rendered.image.At(72, 8), {188, 188, 188}, 2, "linear grey 128");
    ExpectNear(rendered.image.At(8, 40), {255, 0, 255}, 3, "magenta through the profile part");
    ExpectNear(rendered.image.At(24, 40), {188, 188, 188}, 2, "ContextColor of linear grey 0.5");
    ASSERT_EQ(rendered.output.warnings.size(), 1u);
    EXPECT_NE(rendered.output.warnings[0].find("image /bare.tif: it has ink colours and no colour profile"),
              std::string::npos)
        << rendered.output.warnings[0];
}

// A 2 x 1 image, black then white, stretched over 16 x 16 tiles: each tile
// is black on its left half, white on its right.
TEST(RenderBrushes, TileModesRepeatAndMirrorTheViewport)
{
    Parts parts{{"/bw.png", Png(2, 1, 3, {0, 0, 0, 255, 255, 255})},
                {"/tb.png", Png(1, 2, 3, {0, 0, 0, 255, 255, 255})}};
    auto row = [](const std::string& y, const std::string& image, const std::string& viewbox,
                  const std::string& extra) {
        return "<Path Data=\"M 0," + y + " l 96,0 0,16 -96,0 Z\"><Path.Fill><ImageBrush ImageSource=\"" + image +
               "\" Viewbox=\"" + viewbox + "\" Viewport=\"0," + y + ",16,16\" " + extra + "/></Path.Fill></Path>";
    };
    Rendered rendered =
        Render("<Path Fill=\"#FF0000\" Data=\"M 0,0 l 96,0 0,96 -96,0 Z\"/>" + row("0", "/bw.png", "0,0,2,1", "") +
                   row("16", "/bw.png", "0,0,2,1", "TileMode=\"Tile\"") +
                   row("32", "/bw.png", "0,0,2,1", "TileMode=\"FlipX\"") +
                   row("48", "/tb.png", "0,0,1,2", "TileMode=\"FlipY\"") +
                   // Relative to the path's box (16 to 80 wide): tiles of 16 from x = 16.
                   "<Path Data=\"M 16,64 l 64,0 0,32 -64,0 Z\"><Path.Fill><ImageBrush ImageSource=\"/bw.png\" "
                   "Viewbox=\"0,0,2,1\" Viewport=\"0,0,0.25,0.5\" ViewportUnits=\"RelativeToBoundingBox\" "
                   "TileMode=\"FlipXY\"/></Path.Fill></Path>",
               parts);
    ASSERT_EQ(rendered.image.width, 96);
    auto dark = [&](int x, int y) { return rendered.image.At(x, y).g < 64; };
    auto light = [&](int x, int y) { return rendered.image.At(x, y).g > 192 && rendered.image.At(x, y).r > 192; };
    auto red = [&](int x, int y) { return rendered.image.At(x, y) == RgbPixel{255, 0, 0}; };
    // None: one tile, the rest of the path shows what lies under it.
    EXPECT_TRUE(dark(3, 8) && light(12, 8) && red(24, 8) && red(90, 8));
    // Tile: every tile the same.
    EXPECT_TRUE(dark(19, 24) && light(28, 24) && dark(35, 24) && light(44, 24));
    // FlipX: every other tile mirrored.
    EXPECT_TRUE(dark(3, 40) && light(12, 40) && light(19, 40) && dark(28, 40) && dark(35, 40));
    // FlipY: the tile below mirrored; rows of 8 along y within each tile.
    EXPECT_TRUE(dark(8, 51) && light(8, 60) && dark(24, 51));
    // FlipXY from x = 16, y = 64: the second column and the second row
    // mirrored.
    EXPECT_TRUE(red(8, 72) && dark(19, 72) && light(28, 72) && light(35, 72) && dark(44, 72));
    EXPECT_TRUE(dark(19, 88) && light(28, 88) && light(35, 88) && dark(44, 88));
}

TEST(RenderBrushes, OpacitiesOfBrushesElementsGroupsAndMasksMultiply)
{
    const std::string square = "l 16,0 0,16 -16,0 Z";
    Parts parts{{"/black.png", Png(1, 1, 3, {0, 0, 0})}};
    Rendered rendered = Render(
        // Brush 0.5 and element 0.5: a quarter of black, 191.
        "<Path Opacity=\"0.5\" Data=\"M 0,0 " + square +
            "\"><Path.Fill><SolidColorBrush Color=\"#000000\" Opacity=\"0.5\"/></Path.Fill></Path>"
            // A canvas of 0.5 around it: an eighth, 223.
            "<Canvas Opacity=\"0.5\"><Path Opacity=\"0.5\" Data=\"M 16,0 " +
            square +
            "\"><Path.Fill><SolidColorBrush Color=\"#000000\" Opacity=\"0.5\"/></Path.Fill></Path></Canvas>"
            // An image brush of 0.5 in a canvas of 0.5: 191.
            "<Canvas Opacity=\"0.5\"><Path Data=\"M 32,0 " +
            square +
            "\"><Path.Fill><ImageBrush ImageSource=\"/black.png\" Viewbox=\"0,0,1,1\" Viewport=\"32,0,16,16\" "
            "Opacity=\"0.5\"/></Path.Fill></Path></Canvas>"
            // A visual brush of 0.5 whose two opaque squares overlap: the
            // overlap is as light as the rest, 128, not 64.
            "<Path Data=\"M 48,0 " +
            square +
            "\"><Path.Fill><VisualBrush Viewbox=\"0,0,16,16\" Viewport=\"48,0,16,16\" Opacity=\"0.5\">"
            "<VisualBrush.Visual><Canvas><Path Fill=\"#000000\" Data=\"M 0,0 l 12,0 0,16 -12,0 Z\"/>"
            "<Path Fill=\"#000000\" Data=\"M 4,0 l 12,0 0,16 -12,0 Z\"/></Canvas></VisualBrush.Visual>"
            "</VisualBrush></Path.Fill></Path>"
            // A mask of alpha 0.5, and of 0.5 with the element's own 0.5.
            "<Path Fill=\"#000000\" OpacityMask=\"#80000000\" Data=\"M 64,0 " +
            square +
            "\"/>"
            "<Path Fill=\"#000000\" Opacity=\"0.5\" OpacityMask=\"#80000000\" Data=\"M 80,0 " +
            square +
            "\"/>"
            // A mask relative to the element's box: opaque at its left edge,
            // clear at its right: a quarter of the way across, 0.75 alpha.
            "<Canvas><Canvas.OpacityMask><LinearGradientBrush MappingMode=\"RelativeToBoundingBox\" "
            "StartPoint=\"0,0\" EndPoint=\"1,0\"><LinearGradientBrush.GradientStops>"
            "<GradientStop Color=\"#FF000000\" Offset=\"0\"/><GradientStop Color=\"#00000000\" Offset=\"1\"/>"
            "</LinearGradientBrush.GradientStops></LinearGradientBrush></Canvas.OpacityMask>"
            "<Path Fill=\"#000000\" Data=\"M 16,32 l 64,0 0,16 -64,0 Z\"/></Canvas>",
        parts);
    ASSERT_EQ(rendered.image.width, 96);
    auto grey = [&](int x, int y) { return static_cast<int>(rendered.image.At(x, y).g); };
    EXPECT_NEAR(grey(8, 8), 191, 2);
    EXPECT_NEAR(grey(24, 8), 223, 2);
    EXPECT_NEAR(grey(40, 8), 191, 2);
    EXPECT_NEAR(grey(50, 8), 128, 2);
    EXPECT_NEAR(grey(56, 8), 128, 2);
    EXPECT_NEAR(grey(72, 8), 128, 2);
    EXPECT_NEAR(grey(88, 8), 191, 2);
    EXPECT_NEAR(grey(32, 40), 64, 4);
    EXPECT_NEAR(grey(64, 40), 191, 4);
}

}  // namespace
}  // namespace tav::render::testing
