// The converter pair through its entry points, as the rip filter drives it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "converter_driver.h"
#include "page_images.h"

namespace tav::render::testing {
namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Output(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

// A letter page (816 x 1056 units) with a black square from 96 to 192
// units, and a canvas squeezed flat, which draws nothing.
const std::string kSquarePage =
    "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"816\" Height=\"1056\">"
    "<Path Fill=\"#000000\" Data=\"M 96,96 L 192,96 192,192 96,192 Z\"/>"
    "<Canvas RenderTransform=\"0,0,0,0,300,300\"><Path Fill=\"#000000\" Data=\"M 0,0 L 500,0 500,500 Z\"/></Canvas>"
    "</FixedPage>";

PartReader NoParts()
{
    return [](const std::string&, std::string*) { return false; };
}

TEST(RenderConverter, PwgRasterCarriesTheTicketsSettingsAndThePixels)
{
    ConverterDriver driver;
    ASSERT_TRUE(driver.Open("tavenc-pwg.so")) << driver.Error();
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = DM_COLOR | DM_DUPLEX | DM_DEFAULTSOURCE;
    devmode.dmColor = DMCOLOR_MONOCHROME;
    devmode.dmDuplex = DMDUP_VERTICAL;
    devmode.dmDefaultSource = DMBIN_UPPER;
    driver.SetDevMode(devmode);
    PageDeviceValues device;
    device.resolution = 100;
    ASSERT_TRUE(driver.FeedPage("/Documents/1/Pages/1.fpage", kSquarePage, NoParts(), device)) << driver.Error();
    ASSERT_TRUE(driver.FeedPage("/Documents/1/Pages/2.fpage", kSquarePage, NoParts(), device)) << driver.Error();
    driver.Close();

    std::vector<cups_page_header2_t> headers;
    std::vector<GreyImage> pages;
    ASSERT_TRUE(ReadPwgRaster(driver.Output().printerData, &headers, &pages));
    ASSERT_EQ(pages.size(), 2u);
    for (const cups_page_header2_t& header : headers) {
        EXPECT_EQ(header.HWResolution[0], 100u);
        EXPECT_EQ(header.HWResolution[1], 100u);
        EXPECT_EQ(header.PageSize[0], 612u);  // 8.5 in
        EXPECT_EQ(header.PageSize[1], 792u);  // 11 in
        EXPECT_EQ(header.cupsWidth, 850u);
        EXPECT_EQ(header.cupsHeight, 1100u);
        EXPECT_EQ(header.cupsColorSpace, CUPS_CSPACE_SW);
        EXPECT_EQ(header.cupsBitsPerPixel, 8u);
        EXPECT_EQ(header.Duplex, CUPS_TRUE);
        EXPECT_EQ(header.Tumble, CUPS_FALSE);
        EXPECT_EQ(header.MediaPosition, 11u);  // top
    }
    // The square covers pixels 100 to 200 at 100 dpi.
    EXPECT_EQ(pages[1].At(150, 150), 0);
    EXPECT_EQ(pages[1].At(101, 199), 0);
    EXPECT_EQ(pages[1].At(98, 150), 255);
    EXPECT_EQ(pages[1].At(202, 150), 255);
    EXPECT_EQ(pages[1].At(400, 400), 255);
    EXPECT_TRUE(driver.Output().refusals.empty());
}

// At 96 dpi a unit is a pixel, so the values can be worked out by hand.
TEST(RenderConverter, GradientsFollowTheirMappingSpreadAndInterpolation)
{
    auto gradient = [](const char* rect, const char* attributes, const char* to) {
        return std::string("<Path Data=\"") + rect + "\"><Path.Fill><LinearGradientBrush " + attributes +
               "><LinearGradientBrush.GradientStops><GradientStop Color=\"#000000\" Offset=\"0\"/>"
               "<GradientStop Color=\"" +
               to +
               "\" Offset=\"1\"/></LinearGradientBrush.GradientStops>"
               "</LinearGradientBrush></Path.Fill></Path>";
    };
    std::string page =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"96\" Height=\"96\">" +
        // Relative to the box 20..80: black at 20, white at 80.
        gradient("M 20,0 L 80,0 80,20 20,20 Z",
                 "MappingMode=\"RelativeToBoundingBox\" StartPoint=\"0,0\" EndPoint=\"1,0\"", "#FFFFFF") +
        // Absolute 0..20, reflected: black again at 40, white at 60.
        gradient("M 0,30 L 96,30 96,50 0,50 Z",
                 "MappingMode=\"Absolute\" StartPoint=\"0,0\" EndPoint=\"20,0\" SpreadMethod=\"Reflect\"", "#FFFFFF") +
        // Halfway in linear light is sRGB 0.7354, 188 of 255.
        gradient("M 0,60 L 96,60 96,80 0,80 Z",
                 "MappingMode=\"Absolute\" StartPoint=\"0,0\" EndPoint=\"96,0\" "
                 "ColorInterpolationMode=\"ScRgbLinearInterpolation\"",
                 "#FFFFFF") +
        "</FixedPage>";
    ConverterDriver driver;
    ASSERT_TRUE(driver.Open("tavenc-pwg.so"));
    PageDeviceValues device;
    device.widthMicrons = device.heightMicrons = 25400;
    device.resolution = 96;
    ASSERT_TRUE(driver.FeedPage("/p.fpage", page, NoParts(), device)) << driver.Error();
    driver.Close();
    std::vector<cups_page_header2_t> headers;
    std::vector<GreyImage> pages;
    ASSERT_TRUE(ReadPwgRaster(driver.Output().printerData, &headers, &pages));
    const GreyImage& image = pages[0];
    EXPECT_NEAR(image.At(20, 10), 2, 3);
    EXPECT_NEAR(image.At(50, 10), 130, 4);  // 30.5 of the box's 60
    EXPECT_NEAR(image.At(79, 10), 251, 4);
    // Pixel centres: at 30.5 the reflection has come 10.5 of 20 back from
    // white, at 40.5 it is black, at 60.5 white again.
    EXPECT_NEAR(image.At(30, 40), 121, 4);
    EXPECT_NEAR(image.At(40, 40), 6, 6);
    EXPECT_NEAR(image.At(60, 40), 249, 4);
    EXPECT_NEAR(image.At(48, 70), 188, 4);
}

TEST(RenderConverter, PdfKeepsTextWithItsFontEmbedded)
{
    std::string font = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (font.empty()) GTEST_SKIP() << "the DejaVu fonts are not installed";
    PartReader parts = [&](const std::string& part, std::string* bytes) {
        if (part != "/Resources/sans.ttf") return false;
        *bytes = font;
        return true;
    };
    ConverterDriver driver;
    ASSERT_TRUE(driver.Open("tavenc-pdf.so", u"Quarterly report")) << driver.Error();
    std::string page =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"600\" Height=\"400\">"
        "<Glyphs Fill=\"#000000\" FontUri=\"../../../Resources/sans.ttf\" FontRenderingEmSize=\"24\" OriginX=\"50\" "
        "OriginY=\"100\" UnicodeString=\"Hello converter\"/></FixedPage>";
    ASSERT_TRUE(driver.FeedPage("/Documents/1/Pages/1.fpage", page, parts)) << driver.Error();
    driver.Close();
    std::string pdf =
        (std::filesystem::temp_directory_path() / ("tav-render-text-" + std::to_string(getpid()) + ".pdf")).string();
    std::ofstream(pdf, std::ios::binary) << driver.Output().printerData;
    std::string fonts = Output("pdffonts '" + pdf + "' 2>&1");
    std::string text = Output("pdftotext '" + pdf + "' - 2>&1");
    std::string info = Output("pdfinfo '" + pdf + "' 2>&1");
    std::filesystem::remove(pdf);
    EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find(" yes "), std::string::npos) << fonts;  // embedded
    EXPECT_NE(text.find("Hello converter"), std::string::npos) << text;
    EXPECT_NE(info.find("Quarterly report"), std::string::npos) << info;
    EXPECT_NE(info.find("450 x 300 pts"), std::string::npos) << info;  // 600 x 400 units
}

TEST(RenderConverter, RefusalsAndWarningsSayWhatAndWhere)
{
    {
        ConverterDriver driver;
        EXPECT_FALSE(driver.Open("tavenc-pcl.so"));
        ASSERT_EQ(driver.Output().refusals.size(), 1u);
        EXPECT_NE(driver.Output().refusals[0].find("tavenc-pcl.so"), std::string::npos);
    }
    ConverterDriver driver;
    ASSERT_TRUE(driver.Open("tavenc-pdf.so"));
    // A colour whose profile is missing is drawn as the nearest sRGB, said
    // once a job.
    std::string profilePage =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"100\" Height=\"100\">"
        "<Path Data=\"M 0,0 L 50,0 50,50 Z\" Fill=\"ContextColor /cmyk.icc 1,0,0.5,0,0\"/></FixedPage>";
    EXPECT_TRUE(driver.FeedPage("/p1.fpage", profilePage, NoParts()));
    EXPECT_TRUE(driver.FeedPage("/p2.fpage", profilePage, NoParts()));
    std::string badPage =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"100\" Height=\"100\">"
        "<Path Fill=\"#000000\" Data=\"M 0,0 L 50,0 X 50,50 Z\"/></FixedPage>";
    EXPECT_FALSE(driver.FeedPage("/p3.fpage", badPage, NoParts()));
    driver.Close();
    ASSERT_EQ(driver.Output().warnings.size(), 1u);  // once per job
    EXPECT_NE(driver.Output().warnings[0].find("page 1: colour profile /cmyk.icc"), std::string::npos)
        << driver.Output().warnings[0];
    ASSERT_EQ(driver.Output().refusals.size(), 1u);
    EXPECT_EQ(driver.Output().refusals[0], "page 3: Path: Data: 'X' is not a path command at character 14");
    // The two pages before the refusal are in a finished document.
    EXPECT_NE(driver.Output().printerData.find("%%EOF"), std::string::npos);
}

}  // namespace
}  // namespace tav::render::testing
