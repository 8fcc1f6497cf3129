// Generated jobs rendered by MuPDF (and libgxps): each page decodes back to
// its number, also turned, mirrored or placed inside a larger sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "jobgen/identity_marks.h"
#include "jobgen/package_writer.h"
#include "jobgen/page_decoder.h"
#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "test_support.h"

namespace jobgen {
namespace {

using testing::TempDir;

constexpr int kDpi = 40;

// Pixels of a page rendered at kDpi, from page units.
double Px(double units) { return units * kDpi / 96.0; }

// The share of dark pixels where the page number is written.
double InkInPageNumber(const RgbImage& raster, PageSize page)
{
    Point origin = PageNumberOrigin(page);
    double em = PageNumberEmSize(page);
    int dark = 0, all = 0;
    for (double y = origin.y - 0.7 * em; y < origin.y; y += 96.0 / kDpi) {
        for (double x = origin.x; x < origin.x + 0.6 * em; x += 96.0 / kDpi) {
            Rgb c = raster.At(static_cast<int>(Px(x)), static_cast<int>(Px(y)));
            dark += c.r < 100 && c.g < 100 && c.b < 100;
            ++all;
        }
    }
    return double(dark) / all;
}

TEST(RenderedJob, EveryPageDecodesToItsNumberAndShowsItInText)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TempDir dir;
    JobSpec job = MakeJob(2, 3);
    PageSize sizes[] = {kA4, Landscape(kLetter), PageSize{500, 640}};
    int index = 0;
    for (DocumentSpec& document : job.documents) {
        for (PageSpec& page : document.pages) page.size = sizes[index++ % 3];
    }
    job.images = ImageResource::Shared;
    job.extraElements = 30;
    WriteXpsJob(job, dir.File("job.xps"));
    std::vector<std::string> pngs = RenderWithMutool(dir.File("job.xps"), kDpi, dir.File("render"));
    ASSERT_EQ(pngs.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(pngs[i]);
        RgbImage raster = ReadPngFile(pngs[i]);
        PageSize size = sizes[i % 3];
        EXPECT_NEAR(raster.Width(), Px(size.width), 1.5);
        EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, size)), i + 1);
        EXPECT_EQ(DetectOrientation(raster, WholeRasterFrame(raster, size).area, size), Orientation{});
        // The glyphs only show when the renderer could undo the font's
        // obfuscation.
        EXPECT_GT(InkInPageNumber(raster, size), 0.05);
    }
}

TEST(RenderedJob, PagesWithoutFontHaveNoText)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TempDir dir;
    JobSpec job = MakeJob(1, 1);
    job.font = FontEmbedding::None;
    WriteXpsJob(job, dir.File("job.xps"));
    RgbImage raster = ReadPngFile(RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path()).at(0));
    EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, kA4)), 1);
    EXPECT_EQ(InkInPageNumber(raster, kA4), 0);
}

TEST(RenderedJob, NumbersBeyondEightBitsDecode)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TempDir dir;
    JobSpec job = MakeJob(1, 300);
    job.font = FontEmbedding::None;
    WriteXpsJob(job, dir.File("job.xps"));
    // 300 = 256 + 32 + 8 + 4.
    std::vector<std::string> pngs = RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path(), "300");
    ASSERT_EQ(pngs.size(), 1u);
    RgbImage raster = ReadPngFile(pngs[0]);
    EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, kA4)), 300);
}

TEST(RenderedJob, TurnedAndMirroredPagesDecodeWithTheirOrientation)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    for (Orientation orientation :
         {Orientation{1, false}, Orientation{2, false}, Orientation{0, true}, Orientation{3, true}}) {
        SCOPED_TRACE(OrientationName(orientation));
        TempDir dir;
        JobSpec job = MakeJob(1, 5);
        job.contentOrientation = orientation;
        WriteXpsJob(job, dir.File("job.xps"));
        std::vector<std::string> pngs = RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path(), "5");
        ASSERT_EQ(pngs.size(), 1u);
        RgbImage raster = ReadPngFile(pngs[0]);
        PageFrame frame = WholeRasterFrame(raster, kA4, orientation);
        EXPECT_EQ(DecodePageNumber(raster, frame), 5);
        EXPECT_EQ(DetectOrientation(raster, frame.area, kA4), orientation);
        // Read as if upright, the marks are not where they belong.
        EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, kA4)), kUnrecognisedPage);
    }
}

TEST(RenderedJob, TheBandMovesWhereTheTurnTakesTheLeftEdge)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    // The band's middle lies 68 units from the page's left edge, halfway
    // down. Turned a quarter clockwise it lies 68 units below the top
    // edge, halfway across; mirrored, 68 units from the right edge.
    auto render = [](Orientation orientation, TempDir& dir) {
        JobSpec job = MakeJob(1, 1);
        job.font = FontEmbedding::None;
        job.contentOrientation = orientation;
        WriteXpsJob(job, dir.File("job.xps"));
        return ReadPngFile(RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path()).at(0));
    };
    auto isRed = [](Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; };
    TempDir turnedDir, mirroredDir;
    RgbImage turned = render({1, false}, turnedDir);
    EXPECT_GT(turned.Width(), turned.Height());
    EXPECT_TRUE(isRed(turned.At(turned.Width() / 2, static_cast<int>(Px(68)))));
    EXPECT_FALSE(isRed(turned.At(static_cast<int>(Px(68)), turned.Height() / 2)));
    RgbImage mirrored = render({0, true}, mirroredDir);
    EXPECT_TRUE(isRed(mirrored.At(mirrored.Width() - 1 - static_cast<int>(Px(68)), mirrored.Height() / 2)));
    EXPECT_FALSE(isRed(mirrored.At(static_cast<int>(Px(68)), mirrored.Height() / 2)));
}

TEST(RenderedJob, APageInsideALargerSheetDecodesInItsRectangle)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TempDir dir;
    JobSpec job = MakeJob(1, 6);
    WriteXpsJob(job, dir.File("job.xps"));
    RgbImage page = ReadPngFile(RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path(), "6").at(0));
    // The page pasted into a white sheet twice its size, at an odd offset,
    // as 2-up imposition would place it.
    RgbImage sheet(page.Width() * 2, page.Height() * 2);
    const int left = 37, top = 211;
    for (int y = 0; y < page.Height(); ++y) {
        for (int x = 0; x < page.Width(); ++x) sheet.Set(left + x, top + y, page.At(x, y));
    }
    PageFrame frame{Rect{double(left), double(top), double(page.Width()), double(page.Height())}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(sheet, frame), 6);
    // The empty quarter beside it reads as a blank page.
    PageFrame beside{Rect{double(left + page.Width()), 0, double(page.Width() - left), double(page.Height())}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(sheet, beside), kBlankPage);
}

TEST(Decoder, BlankAndForeignRastersAreToldApart)
{
    RgbImage white(300, 420);
    EXPECT_EQ(DecodePageNumber(white, WholeRasterFrame(white, kA4)), kBlankPage);
    EXPECT_FALSE(DetectOrientation(white, WholeRasterFrame(white, kA4).area, kA4));
    RgbImage grey(300, 420, Rgb{128, 128, 128});
    EXPECT_EQ(DecodePageNumber(grey, WholeRasterFrame(grey, kA4)), kUnrecognisedPage);
    // A frame reaching outside the raster, or of no size, is not a page.
    PageFrame outside{Rect{200, 0, 300, 420}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(white, outside), kUnrecognisedPage);
    PageFrame empty{Rect{0, 0, 0, 0}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(white, empty), kUnrecognisedPage);
    PageFrame far{Rect{-1e300, 1e300, 1e300, 1e300}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(white, far), kUnrecognisedPage);
    PageFrame undefined{Rect{NAN, 0, 300, 420}, kA4, {}};
    EXPECT_EQ(DecodePageNumber(white, undefined), kUnrecognisedPage);
}

TEST(RenderedJob, OpenXpsAndInterleavedPackagesRender)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    JobSpec open = MakeJob(1, 2, kLetter);
    open.flavour = XpsFlavour::OpenXps;
    open.images = ImageResource::PerPage;
    JobSpec pieces = MakeJob(2, 2);
    pieces.interleaved = true;
    pieces.images = ImageResource::PerPage;
    for (const JobSpec& job : {open, pieces}) {
        TempDir dir;
        WriteXpsJob(job, dir.File("job.xps"));
        std::vector<std::string> pngs = RenderWithMutool(dir.File("job.xps"), kDpi, dir.Path());
        ASSERT_EQ(pngs.size(), static_cast<size_t>(TotalPages(job)));
        for (size_t i = 0; i < pngs.size(); ++i) {
            RgbImage raster = ReadPngFile(pngs[i]);
            PageSize size = job.documents[0].pages[0].size;
            EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, size)), static_cast<int>(i) + 1);
            EXPECT_GT(InkInPageNumber(raster, size), 0.05);
        }
    }
}

TEST(RenderedJob, LibgxpsRendersTheXps2005Package)
{
    JOBGEN_REQUIRE_PROGRAM("xpstopng");
    TempDir dir;
    JobSpec job = MakeJob(1, 2);
    job.images = ImageResource::PerPage;
    job.markupCharacters = true;
    WriteXpsJob(job, dir.File("job.xps"));
    ProgramResult run = RunProgram({"xpstopng", "-r", std::to_string(kDpi), dir.File("job.xps"), dir.File("gx")});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    for (int number = 1; number <= 2; ++number) {
        RgbImage raster = ReadPngFile(dir.File("gx-" + std::to_string(number) + ".png"));
        EXPECT_EQ(DecodePageNumber(raster, WholeRasterFrame(raster, kA4)), number);
        EXPECT_GT(InkInPageNumber(raster, kA4), 0.05);
    }
}

}  // namespace
}  // namespace jobgen
