// Image brushes, visual brushes, opacity masks and colour-profile colours
// against MuPDF's render of the same XPS, on pages made here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "fidelity.h"
#include "image_test_files.h"
#include "native_test_files.h"
#include "test_package.h"
#include "test_profiles.h"

#include <iostream>

namespace tav::render::testing {
namespace {

using imagetest::PngData;
using imagetest::PngFile;
using imagetest::PngHeader;

// An 8-bit PNG of `channels` samples a pixel (colour type 0, 2, 4 or 6 by
// the count), each pixel's samples given by `pixel(x, y, sample)`.
template <typename PixelFunction>
std::string MakePng(uint32_t width, uint32_t height, int channels, PixelFunction pixel, const std::string& profile = "")
{
    std::string rows;
    for (uint32_t y = 0; y < height; ++y) {
        rows += '\0';
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) rows += static_cast<char>(pixel(x, y, c));
    }
    const uint8_t colourType = channels == 1 ? 0 : channels == 2 ? 4 : channels == 3 ? 2 : 6;
    std::vector<std::string> chunks{PngHeader(width, height, 8, colourType)};
    if (!profile.empty()) chunks.push_back(imagetest::PngProfileChunk(profile));
    chunks.push_back(PngData(rows));
    return PngFile(chunks);
}

// 16 x 16 pixels in four quadrants (red, green / blue, yellow) with a
// white pixel at the top left: a flip or a misplaced tile shows at once.
std::string QuadrantPng()
{
    return MakePng(16, 16, 3, [](uint32_t x, uint32_t y, int c) {
        static const uint8_t colours[4][3] = {{220, 30, 30}, {30, 160, 30}, {30, 30, 220}, {240, 220, 20}};
        if (x == 0 && y == 0) return 255;
        return static_cast<int>(colours[(y / 8) * 2 + x / 8][c]);
    });
}

std::string Rect(double x, double y, double w, double h)
{
    auto n = [](double v) { return std::to_string(v); };
    return "M " + n(x) + "," + n(y) + " l " + n(w) + ",0 0," + n(h) + " " + n(-w) + ",0 Z";
}

std::string ImageFill(double x, double y, double w, double h, const std::string& brushAttributes)
{
    return "<Path Data=\"" + Rect(x, y, w, h) + "\"><Path.Fill><ImageBrush " + brushAttributes +
           "/></Path.Fill></Path>";
}

TEST(BrushFidelity, ImageBrushesMatchAnIndependentRenderer)
{
    if (std::system("command -v mutool >/dev/null") != 0) GTEST_SKIP() << "mutool is not installed";
    std::string quad = "ImageSource=\"/Resources/quad.png\" Viewbox=\"0,0,16,16\" ";
    std::string images = Page(
        ImageFill(10, 10, 80, 80, quad + "Viewport=\"10,10,80,80\"") +
        ImageFill(100, 10, 80, 80, quad + "Viewport=\"100,10,40,40\" TileMode=\"Tile\"") +
        ImageFill(190, 10, 80, 80, quad + "Viewport=\"190,10,40,40\" TileMode=\"FlipX\"") +
        ImageFill(280, 10, 80, 80, quad + "Viewport=\"280,10,40,40\" TileMode=\"FlipXY\"") +
        ImageFill(10, 100, 80, 80,
                  "ImageSource=\"/Resources/quad.png\" Viewbox=\"4,4,8,8\" Viewport=\"10,100,30,30\" "
                  "TileMode=\"FlipY\" Transform=\"0.9,0.3,-0.3,0.9,20,-10\"") +
        "<Path Fill=\"#000000\" Data=\"M 100,100 l 80,0 0,10 -80,0 Z M 100,130 l 80,0 0,10 -80,0 Z M 100,160 l "
        "80,0 0,10 -80,0 Z\"/>" +
        ImageFill(100, 100, 80, 80,
                  "ImageSource=\"/Resources/alpha.png\" Viewbox=\"0,0,16,16\" Viewport=\"100,100,80,80\" "
                  "Opacity=\"0.8\"") +
        ImageFill(190, 100, 80, 80,
                  "ImageSource=\"/Resources/grey.png\" Viewbox=\"0,0,32,8\" Viewport=\"190,100,80,80\"") +
        "<Canvas Clip=\"M 280,100 l 80,0 0,80 Z\"><Path Data=\"" + Rect(280, 100, 80, 80) +
        "\"><Path.Fill><LinearGradientBrush MappingMode=\"Absolute\" StartPoint=\"280,0\" EndPoint=\"360,0\">"
        "<LinearGradientBrush.GradientStops><GradientStop Color=\"#FF0000\" Offset=\"0\"/><GradientStop "
        "Color=\"#0000FF\" Offset=\"1\"/></LinearGradientBrush.GradientStops></LinearGradientBrush></Path.Fill>"
        "</Path></Canvas>" +
        "<Canvas Clip=\"M 10,190 l 80,80 -80,0 Z\">" +
        ImageFill(
            10, 190, 80, 80,
            "ImageSource=\"/Resources/palette.png\" Viewbox=\"0,0,8,8\" Viewport=\"10,190,16,16\" TileMode=\"Tile\"") +
        "</Canvas>" + "<Path StrokeThickness=\"14\" Data=\"M 110,200 l 60,0 0,60 -60,0 Z\"><Path.Stroke><ImageBrush " +
        quad +
        "Viewport=\"0,0,20,20\" TileMode=\"Tile\"/></Path.Stroke></Path>"
        "<Glyphs FontUri=\"/Resources/dejavu.ttf\" FontRenderingEmSize=\"70\" OriginX=\"190\" OriginY=\"260\" "
        "UnicodeString=\"Ab\"><Glyphs.Fill><ImageBrush " +
        quad +
        "Viewport=\"190,200,40,40\" TileMode=\"FlipX\"/></Glyphs.Fill></Glyphs>"
        "<Canvas Opacity=\"0.5\">" +
        ImageFill(290, 200, 70, 70, quad + "Viewport=\"290,200,70,70\" Opacity=\"0.6\"") + "</Canvas>");

    std::string quadPng = QuadrantPng();
    std::string alphaPng = MakePng(16, 16, 4, [](uint32_t x, uint32_t y, int c) {
        const int colour[3] = {200, 40, 120};
        return c < 3 ? colour[c] : static_cast<int>(x * 17);
    });
    std::string greyPng = MakePng(32, 8, 1, [](uint32_t x, uint32_t, int) { return static_cast<int>(x * 8); });
    // A palette image: four colours in 4 x 4 blocks.
    std::string indices;
    for (uint32_t y = 0; y < 8; ++y) {
        indices += '\0';
        for (uint32_t x = 0; x < 8; ++x) indices += static_cast<char>((y / 4) * 2 + x / 4);
    }
    std::string palettePng = PngFile({PngHeader(8, 8, 8, 3),
                                      imagetest::PngChunk("PLTE", std::string("\xE0\x20\x20\x20\xA0\x20"
                                                                              "\x20\x20\xE0\xF0\xF0\x10",
                                                                              12)),
                                      PngData(indices)});
    std::string font = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (font.empty()) GTEST_SKIP() << "the DejaVu fonts are not installed";

    std::string package = TempPath("images.xps");
    ASSERT_TRUE(WriteXpsPackage(package, {images},
                                {{"/Resources/quad.png", quadPng},
                                 {"/Resources/alpha.png", alphaPng},
                                 {"/Resources/grey.png", greyPng},
                                 {"/Resources/palette.png", palettePng},
                                 {"/Resources/dejavu.ttf", font}}));
    ExpectClose(Measure(package, {}, SmallPage()), "images");
    // MuPDF's own conversion of this page to PDF loses its tiled brushes;
    // shown for comparison, not asserted.
    std::string converted = TempPath("images-mutool.pdf");
    GreyImage fromConverted, reference;
    std::string error;
    if (std::system(("mutool convert -o '" + converted + "' '" + package + "' >/dev/null 2>&1").c_str()) == 0 &&
        MutoolRender(converted, 1, kDpi, &fromConverted, &error) &&
        MutoolRender(package, 1, kDpi, &reference, &error)) {
        ImageDifference lost = Compare(fromConverted, reference);
        std::cout << "mutool convert of the same page: mean " << lost.meanAbsolute << ", blocks "
                  << lost.differingBlocks << "\n";
    }
    std::filesystem::remove(converted);
    if (!std::getenv("TAV_RENDER_KEEP")) std::filesystem::remove(package);
}

TEST(BrushFidelity, VisualBrushesAndOpacityMasksMatchAnIndependentRenderer)
{
    if (std::system("command -v mutool >/dev/null") != 0) GTEST_SKIP() << "mutool is not installed";
    // A motif in a 40 x 40 box: a red disc and a blue square.
    std::string motif =
        "<Path Fill=\"#D02020\" Data=\"M 4,20 A 16,16 0 1 1 36,20 A 16,16 0 1 1 4,20 Z\"/>"
        "<Path Fill=\"#2020D0\" Data=\"M 22,22 l 16,0 0,16 -16,0 Z\"/>";
    auto visualFill = [&](double x, double y, const std::string& brushAttributes, const std::string& visual) {
        return "<Path Data=\"" + Rect(x, y, 80, 80) + "\"><Path.Fill><VisualBrush " + brushAttributes + ">" + visual +
               "</VisualBrush></Path.Fill></Path>";
    };
    std::string inlineMotif = "<VisualBrush.Visual><Canvas>" + motif + "</Canvas></VisualBrush.Visual>";
    std::string linearMask =
        "<LinearGradientBrush MappingMode=\"Absolute\" StartPoint=\"10,0\" EndPoint=\"90,0\">"
        "<LinearGradientBrush.GradientStops><GradientStop Color=\"#FF000000\" Offset=\"0\"/>"
        "<GradientStop Color=\"#00000000\" Offset=\"1\"/></LinearGradientBrush.GradientStops>"
        "</LinearGradientBrush>";
    std::string visuals = Page(
        visualFill(10, 10, "Viewbox=\"0,0,40,40\" Viewport=\"10,10,80,80\"", inlineMotif) +
            // Tiles from the page's corner, 20 units apart.
            "<Path Data=\"" + Rect(100, 0, 80, 80) + "\" Fill=\"{StaticResource tiled}\"/>" +
            visualFill(
                190, 10, "Viewbox=\"0,0,40,40\" Viewport=\"190,10,40,40\" TileMode=\"FlipXY\"",
                "<VisualBrush.Visual><Path Fill=\"#208020\" Data=\"M 0,0 L 40,0 0,40 Z\"/></VisualBrush.Visual>") +
            // A visual that draws a visual brush of its own.
            visualFill(280, 10, "Viewbox=\"0,0,80,80\" Viewport=\"280,10,80,80\"",
                       "<VisualBrush.Visual><Path Data=\"M 0,0 L 80,0 80,80 Z\" Fill=\"{StaticResource tiled}\"/>"
                       "</VisualBrush.Visual>") +
            // Opacity masks: a gradient on a path, on a canvas with its own
            // opacity, and an image's alpha on glyphs.
            "<Path Fill=\"#2040C0\" Data=\"" + Rect(10, 100, 80, 80) + "\"><Path.OpacityMask>" + linearMask +
            "</Path.OpacityMask></Path>"
            "<Canvas Opacity=\"0.8\"><Canvas.OpacityMask><RadialGradientBrush MappingMode=\"Absolute\" "
            "Center=\"140,140\" GradientOrigin=\"140,140\" RadiusX=\"40\" RadiusY=\"40\">"
            "<RadialGradientBrush.GradientStops><GradientStop Color=\"#FF000000\" Offset=\"0\"/>"
            "<GradientStop Color=\"#00000000\" Offset=\"1\"/></RadialGradientBrush.GradientStops>"
            "</RadialGradientBrush></Canvas.OpacityMask>"
            "<Path Fill=\"#C02020\" Data=\"" +
            Rect(100, 100, 80, 40) + "\"/><Path Fill=\"#208020\" Data=\"" + Rect(100, 140, 80, 40) +
            "\"/></Canvas>"
            "<Glyphs Fill=\"#000000\" FontUri=\"/Resources/dejavu.ttf\" FontRenderingEmSize=\"60\" OriginX=\"190\" "
            "OriginY=\"170\" UnicodeString=\"Mask\"><Glyphs.OpacityMask><ImageBrush "
            "ImageSource=\"/Resources/alpha.png\" Viewbox=\"0,0,16,16\" Viewport=\"190,110,170,70\"/>"
            "</Glyphs.OpacityMask></Glyphs>"
            // Colours through an sRGB profile part, with their alpha.
            "<Path Fill=\"ContextColor /Resources/srgb.icc 1,0.8,0.4,0.1\" Data=\"" +
            Rect(10, 190, 80, 80) +
            "\"/>"
            "<Path Fill=\"ContextColor /Resources/srgb.icc 0.5,0.1,0.3,0.9\" Data=\"" +
            Rect(50, 230, 80, 40) + "\"/>",
        "<FixedPage.Resources><ResourceDictionary>"
        "<Canvas x:Key=\"motif\">" +
            motif +
            "</Canvas>"
            "<VisualBrush x:Key=\"tiled\" Visual=\"{StaticResource motif}\" Viewbox=\"0,0,40,40\" "
            "Viewport=\"0,0,20,20\" TileMode=\"Tile\"/>"
            "</ResourceDictionary></FixedPage.Resources>");
    std::string alphaPng =
        MakePng(16, 16, 4, [](uint32_t x, uint32_t, int c) { return c < 3 ? 0 : static_cast<int>(255 - x * 17); });
    std::string font = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (font.empty()) GTEST_SKIP() << "the DejaVu fonts are not installed";
    std::string package = TempPath("visuals.xps");
    ASSERT_TRUE(WriteXpsPackage(
        package, {visuals},
        {{"/Resources/alpha.png", alphaPng}, {"/Resources/srgb.icc", SrgbProfile()}, {"/Resources/dejavu.ttf", font}}));
    ExpectClose(Measure(package, {}, SmallPage()), "visuals");
    if (!std::getenv("TAV_RENDER_KEEP")) std::filesystem::remove(package);
}

}  // namespace
}  // namespace tav::render::testing
