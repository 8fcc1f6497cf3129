// The preparation filter's image watermark through tavpipe, checked by what
// MuPDF prints against the rectangle worked out here: an image of w x h
// pixels at d dots per inch is w x 96 / d by h x 96 / d units, scaled by the
// percentage and centred on the page (the default position).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "image_test_files.h"
#include "jobgen/page_decoder.h"
#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "jobgen/rgb_image.h"
#include "support/test_package.h"

namespace {

using jobgen::RgbImage;
using tav::host::testing::BuildFolder;
using tav::host::testing::FileExists;
using tav::host::testing::TemporaryFolder;
using tav::host::testing::ZipItem;
using tav::host::testing::ZipItemNames;

constexpr int kDpi = 36;
constexpr double kPixelsPerUnit = kDpi / 96.0;
constexpr char kLetterMedia[] = "media=na_letter_8.5x11in";
constexpr double kPageWidth = 816, kPageHeight = 1056;

// The test image: 600 x 300 pixels of red at 300 dots per inch.
constexpr int kImageWidth = 600, kImageHeight = 300, kImageDpi = 300;
const imagetest::Rgb kRed = {255, 0, 0};

std::string Folder(const std::string& name) { return TemporaryFolder() + "/" + name; }

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string RedImage(const std::string& format)
{
    if (format == "jpeg") return imagetest::SolidJpeg(kImageWidth, kImageHeight, kRed, 1, kImageDpi);
    std::vector<imagetest::Rgb> pixels(kImageWidth * kImageHeight, kRed);
    if (format == "tiff") {
        imagetest::TiffLayout layout;
        layout.width = kImageWidth;
        layout.height = kImageHeight;
        layout.pixels = pixels;
        layout.dotsPerInch = kImageDpi;
        return imagetest::RgbTiff(layout);
    }
    // 300 dots per inch is 11811 per metre, as near as PNG says it.
    return imagetest::RgbPng(kImageWidth, kImageHeight, pixels, 11811);
}

// White Letter pages.
std::string WhitePages(const std::string& name, int count)
{
    std::string path = Folder(name);
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(count, kPageWidth, kPageHeight);
    for (auto& page : package.documents[0].pages) page.body = "<Canvas/>";
    tav::host::testing::WritePackage(path, package);
    return path;
}

jobgen::ProgramResult RunPrep(const std::string& input, const std::string& output,
                              const std::vector<std::string>& options)
{
    std::vector<std::string> argv = {BuildFolder() + "/bin/tavpipe", "-q", "-f", "prep"};
    for (const std::string& option : options) {
        argv.push_back("-o");
        argv.push_back(option);
    }
    argv.push_back(input);
    argv.push_back(output);
    return jobgen::RunProgram(argv);
}

std::vector<RgbImage> Render(const std::string& package) { return jobgen::RenderPages(package, kDpi); }

#define REQUIRE_RENDERING()                                                   \
    do {                                                                      \
        JOBGEN_REQUIRE_PROGRAM("mutool");                                     \
        if (!FileExists(BuildFolder() + "/lib/libtavprep.so"))                \
            GTEST_SKIP() << "tavpipe or the preparation module is not built"; \
    } while (false)

// The pixels that are not white, and the colour in their middle.
struct Marked {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    jobgen::Rgb middle{255, 255, 255};
    bool Any() const { return right >= 0; }
};

Marked MarkedPixels(const RgbImage& image)
{
    Marked marked;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            jobgen::Rgb p = image.At(x, y);
            if (p.r > 245 && p.g > 245 && p.b > 245) continue;
            marked.left = std::min(marked.left, x), marked.top = std::min(marked.top, y);
            marked.right = std::max(marked.right, x + 1), marked.bottom = std::max(marked.bottom, y + 1);
        }
    }
    if (marked.Any()) marked.middle = image.At((marked.left + marked.right) / 2, (marked.top + marked.bottom) / 2);
    return marked;
}

std::vector<std::string> ImageParts(const std::string& package)
{
    std::vector<std::string> parts;
    for (const std::string& item : ZipItemNames(package))
        if (item.starts_with("WM_") && item.ends_with(".png")) parts.push_back("/" + item);
    return parts;
}

// The rectangle of the image at scale percent, centred on the page: 600 x
// 300 pixels at 300 dpi are 192 x 96 units; at 50 percent 96 x 48 units,
// from (360, 504) to (456, 552) on Letter.
struct Rect {
    double left, top, right, bottom;
};
Rect CentredImage(double scalePercent)
{
    double width = kImageWidth * 96.0 / kImageDpi * scalePercent / 100;
    double height = kImageHeight * 96.0 / kImageDpi * scalePercent / 100;
    return {kPageWidth / 2 - width / 2, kPageHeight / 2 - height / 2, kPageWidth / 2 + width / 2,
            kPageHeight / 2 + height / 2};
}

TEST(BitmapWatermarkEndToEnd, PngJpegAndTiffImagesLieWhereTheirSizeAndScalePutThemOnEveryPage)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("bitmap-in.xps", 3);
    const Rect expected = CentredImage(50);
    ASSERT_DOUBLE_EQ(expected.left, 360);
    ASSERT_DOUBLE_EQ(expected.bottom, 552);
    for (std::string format : {"png", "jpeg", "tiff"}) {
        SCOPED_TRACE(format);
        std::string image = Folder("red watermark." + format);
        WriteFile(image, RedImage(format));
        std::string output = Folder("bitmap-" + format + ".xps");
        jobgen::ProgramResult run =
            RunPrep(input, output, {kLetterMedia, "watermark-image=" + image, "watermark-scale=50"});
        ASSERT_EQ(run.exitStatus, 0) << run.output;
        EXPECT_EQ(run.output, "");

        // One image part for the job, listed by every page.
        std::vector<std::string> parts = ImageParts(output);
        ASSERT_EQ(parts.size(), 1u);
        // The blank in the file's name is percent-encoded in the part's.
        EXPECT_TRUE(parts[0].starts_with("/WM_red%20watermark." + format + "_")) << parts[0];
        for (int page = 1; page <= 3; ++page) {
            std::string relationships =
                ZipItem(output, "Documents/1/Pages/_rels/" + std::to_string(page) + ".fpage.rels");
            EXPECT_NE(relationships.find(parts[0]), std::string::npos) << relationships;
        }

        std::vector<RgbImage> pages = Render(output);
        ASSERT_EQ(pages.size(), 3u);
        for (const RgbImage& page : pages) {
            Marked marked = MarkedPixels(page);
            ASSERT_TRUE(marked.Any());
            EXPECT_NEAR(marked.left, expected.left * kPixelsPerUnit, 1.5);
            EXPECT_NEAR(marked.top, expected.top * kPixelsPerUnit, 1.5);
            EXPECT_NEAR(marked.right, expected.right * kPixelsPerUnit, 1.5);
            EXPECT_NEAR(marked.bottom, expected.bottom * kPixelsPerUnit, 1.5);
            // Opaque by default: the image's own red.
            EXPECT_GT(marked.middle.r, 230);
            EXPECT_LT(marked.middle.g, 40);
        }
    }
}

TEST(BitmapWatermarkEndToEnd, ATransparentImageIsHalfStrengthOverWhite)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("bitmap-half-in.xps", 1);
    std::string image = Folder("half.png");
    WriteFile(image, RedImage("png"));
    std::string output = Folder("bitmap-half.xps");
    jobgen::ProgramResult run =
        RunPrep(input, output, {kLetterMedia, "watermark-image=" + image, "watermark-overlay=transparent"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    std::vector<RgbImage> pages = Render(output);
    ASSERT_EQ(pages.size(), 1u);
    Marked marked = MarkedPixels(pages[0]);
    ASSERT_TRUE(marked.Any());
    // Full size this time: 192 x 96 units round the centre.
    const Rect expected = CentredImage(100);
    EXPECT_NEAR(marked.left, expected.left * kPixelsPerUnit, 1.5);
    EXPECT_NEAR(marked.right, expected.right * kPixelsPerUnit, 1.5);
    // Red at 0.5 over white: (255, 128, 128).
    EXPECT_GT(marked.middle.r, 230);
    EXPECT_NEAR(marked.middle.g, 128, 20);
    EXPECT_NEAR(marked.middle.b, 128, 20);
}

TEST(BitmapWatermarkEndToEnd, AnImageThatCannotBeLoadedLeavesThePagesAloneWithOneWarning)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("bitmap-bad-in.xps", 3);
    // A PNG that claims 100,000 x 100,000 pixels and holds a few bytes.
    std::string image = Folder("huge.png");
    WriteFile(image, imagetest::PngFile(
                         {imagetest::PngHeader(100000, 100000, 8, 2), imagetest::PngData(std::string(64, '\0'))}));
    std::string output = Folder("bitmap-bad.xps");
    jobgen::ProgramResult run = RunPrep(input, output, {kLetterMedia, "watermark-image=" + image});
    ASSERT_EQ(run.exitStatus, 0) << run.output;

    std::istringstream lines(run.output);
    std::vector<std::string> said;
    for (std::string line; std::getline(lines, line);) said.push_back(line);
    ASSERT_EQ(said.size(), 1u) << run.output;
    EXPECT_TRUE(said[0].starts_with("tavpipe: warning: ")) << said[0];
    EXPECT_NE(said[0].find(std::filesystem::canonical(image).string()), std::string::npos) << said[0];

    EXPECT_TRUE(ImageParts(output).empty());
    std::vector<RgbImage> pages = Render(output);
    ASSERT_EQ(pages.size(), 3u);
    for (const RgbImage& page : pages) EXPECT_FALSE(MarkedPixels(page).Any());
}

// A job ticket naming the image file "Arial", relative to the folder
// tavpipe runs in, and a footer in Arial: the image and the font are a part
// each, and the line's Glyphs name the font. Kept under one key, the Glyphs
// named the image as their font and no font part was written.
TEST(BitmapWatermarkEndToEnd, AnImageFileNamedLikeTheLinesFontIsAPartOfItsOwn)
{
    REQUIRE_RENDERING();
    std::string folder = Folder("arial");
    std::filesystem::create_directories(folder);
    WriteFile(folder + "/Arial", RedImage("png"));
    std::string tavpipe = BuildFolder() + "/bin/tavpipe";
    jobgen::ProgramResult made =
        jobgen::RunProgram({tavpipe, "ticket", "-o", "watermark-image=" + folder + "/Arial", "-o", "header-footer=on",
                            "-o", "header-footer-id=user", "-o", "job-originating-user-name=alice", "-o",
                            "header-footer-font=Arial", "-o", kLetterMedia});
    ASSERT_EQ(made.exitStatus, 0) << made.output;
    std::string ticket = made.output;
    std::string absolute = std::filesystem::canonical(folder + "/Arial").string();
    size_t at = ticket.find(absolute);
    ASSERT_NE(at, std::string::npos) << ticket;
    ticket.replace(at, absolute.size(), "Arial");
    WriteFile(folder + "/ticket.xml", ticket);

    std::string input = WhitePages("arial-in.xps", 1);
    std::string output = Folder("arial-out.xps");
    jobgen::ProgramResult run = jobgen::RunProgram({"sh", "-c", "cd \"$0\" && exec \"$@\"", folder, tavpipe, "-q", "-f",
                                                    "prep", "--ticket", "ticket.xml", input, output});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    EXPECT_EQ(ImageParts(output).size(), 1u);
    std::string markup = ZipItem(output, "Documents/1/Pages/1.fpage");
    size_t glyphs = 0;
    for (size_t uri = markup.find("FontUri=\""); uri != std::string::npos; uri = markup.find("FontUri=\"", uri + 1)) {
        std::string font = markup.substr(uri + 9, markup.find('"', uri + 9) - uri - 9);
        EXPECT_TRUE(font.ends_with(".odttf")) << font;
        EXPECT_NO_THROW(ZipItem(output, font.substr(1))) << font;
        ++glyphs;
    }
    EXPECT_EQ(glyphs, 5u);  // "alice"
    std::vector<RgbImage> pages = Render(output);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(MarkedPixels(pages[0]).Any());
}

}  // namespace
