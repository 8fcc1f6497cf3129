// The finisher filter through tavpipe, checked by what MuPDF prints: mirror
// and reverse images are the input's render flipped, transverse feed turns a
// portrait page a quarter turn clockwise and its tickets' media, a Landscape
// page keeps its markup, and poster cut-out lines clip the page to the
// printable area and mark its corners and edge middles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "jobgen/package_writer.h"
#include "jobgen/page_decoder.h"
#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "jobgen/rgb_image.h"
#include "support/test_package.h"
#include "testsupport/ticket_markup.h"

namespace {

using jobgen::RgbImage;
using tav::host::testing::BuildFolder;
using tav::host::testing::FileExists;
using tav::host::testing::FixturesFolder;
using tav::host::testing::TemporaryFolder;
using tav::host::testing::ZipItem;
using tav::host::testing::ZipItemNames;

constexpr int kDpi = 36;

// tavpipe with the finisher alone; a test failure when it does not succeed.
void Finish(const std::string& input, const std::string& output, const std::vector<std::string>& options,
            const std::string& chain = "finisher")
{
    std::vector<std::string> argv = {BuildFolder() + "/bin/tavpipe", "-f", chain};
    for (const std::string& option : options) {
        argv.push_back("-o");
        argv.push_back(option);
    }
    argv.push_back(input);
    argv.push_back(output);
    jobgen::ProgramResult result = jobgen::RunProgram(argv);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
}

std::vector<RgbImage> Render(const std::string& package, int dpi = kDpi) { return jobgen::RenderPages(package, dpi); }

// The raster a pixel at (x, y) of the result takes from the source.
using PixelSource = std::function<std::pair<int, int>(int x, int y, int width, int height)>;

const PixelSource kMirrorWidth = [](int x, int y, int w, int) { return std::make_pair(w - 1 - x, y); };
const PixelSource kMirrorHeight = [](int x, int y, int, int h) { return std::make_pair(x, h - 1 - y); };
const PixelSource kHalfTurn = [](int x, int y, int w, int h) { return std::make_pair(w - 1 - x, h - 1 - y); };
// Clockwise: the content's point (x, y) lies at (H - y, x) on the result,
// so the result's pixel (x, y) shows the source's (y, H - 1 - x).
const PixelSource kQuarterTurn = [](int x, int y, int, int h) { return std::make_pair(y, h - 1 - x); };

// The source raster turned or flipped; quarter is true for a quarter turn.
RgbImage Transformed(const RgbImage& source, const PixelSource& from, bool quarter)
{
    int width = quarter ? source.Height() : source.Width();
    int height = quarter ? source.Width() : source.Height();
    RgbImage result(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto [sx, sy] = from(x, y, source.Width(), source.Height());
            result.Set(x, y, source.At(sx, sy));
        }
    }
    return result;
}

// The share of pixels whose colour differs by more than a quarter of the
// range in some channel: anti-aliasing at edges stays far below a percent.
double DifferingShare(const RgbImage& a, const RgbImage& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return 1;
    long differing = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            jobgen::Rgb p = a.At(x, y), q = b.At(x, y);
            differing += std::abs(p.r - q.r) > 64 || std::abs(p.g - q.g) > 64 || std::abs(p.b - q.b) > 64;
        }
    }
    return double(differing) / (double(a.Width()) * a.Height());
}

constexpr double kEdgeShare = 0.005;

void ExpectEachPageIs(const std::vector<RgbImage>& input, const std::vector<RgbImage>& output, const PixelSource& from,
                      bool quarter)
{
    ASSERT_EQ(output.size(), input.size());
    for (size_t page = 0; page < input.size(); ++page)
        EXPECT_LT(DifferingShare(Transformed(input[page], from, quarter), output[page]), kEdgeShare)
            << "page " << page + 1;
}

std::string Folder(const std::string& name) { return TemporaryFolder() + "/" + name; }

// A generated Letter page with its identity marks, text, an image and
// paths; the document and the page carry tickets of their own (empty ones)
// when tickets is set.
std::string GeneratedPage(const std::string& name, jobgen::PageSize size, bool tickets = false)
{
    jobgen::JobSpec job = jobgen::MakeJob(1, 1, size);
    job.images = jobgen::ImageResource::PerPage;
    if (tickets) {
        const std::string empty =
            "<psf:PrintTicket version=\"1\" "
            "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\"/>";
        job.documents[0].ticket = empty;
        job.documents[0].pages[0].ticket = empty;
    }
    std::string path = Folder(name);
    jobgen::WriteXpsJob(job, path);
    return path;
}

bool ProgramsPresent()
{
    return !jobgen::FindProgram("mutool").empty() && FileExists(BuildFolder() + "/lib/libtavfin.so");
}

#define REQUIRE_RENDERING()                                                                    \
    do {                                                                                       \
        JOBGEN_REQUIRE_PROGRAM("mutool");                                                      \
        if (!ProgramsPresent()) GTEST_SKIP() << "tavpipe or the finisher module is not built"; \
    } while (false)

// The ticket parts the finisher wrote with the tag ("PT_<tag>_<ticks>_<n>.xml")
// in the output package.
std::vector<std::string> TicketsTagged(const std::string& package, const std::string& tag)
{
    std::string start = "PT_" + tag + "_";
    std::vector<std::string> tickets;
    for (const std::string& name : ZipItemNames(package)) {
        if (name.rfind(start, 0) == 0 && name.size() > start.size() && std::isdigit(name[start.size()]))
            tickets.push_back(ZipItem(package, name));
    }
    return tickets;
}

void ExpectTurnedLetter(const std::string& ticket)
{
    testsupport::TicketMarkup markup(ticket);
    ASSERT_TRUE(markup.Parsed()) << ticket;
    std::string option = "/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']/psf:Option";
    EXPECT_EQ(markup.Text(option + "/@name"), "psk:NorthAmericaLetter");
    EXPECT_EQ(markup.Text(option + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"), "279400");
    EXPECT_EQ(markup.Text(option + "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"), "215900");
    EXPECT_EQ(markup.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageOrientation']/psf:Option/@name"),
              "psk:Portrait");
}

struct Flip {
    const char* option;
    const PixelSource* from;
};
const Flip kFlips[] = {
    {"mirror=width", &kMirrorWidth},
    {"mirror=height", &kMirrorHeight},
    {"reverse-image=on", &kHalfTurn},
};

TEST(FinisherEndToEnd, MirrorAndReverseImagesOfAGeneratedPageAreItsRenderFlipped)
{
    REQUIRE_RENDERING();
    std::string input = GeneratedPage("flip.xps", jobgen::kLetter);
    std::vector<RgbImage> expected = Render(input);
    for (const Flip& flip : kFlips) {
        SCOPED_TRACE(flip.option);
        std::string output = Folder(std::string("flip-") + flip.option + ".xps");
        Finish(input, output, {flip.option});
        ExpectEachPageIs(expected, Render(output), *flip.from, false);
    }
}

TEST(FinisherEndToEnd, MirrorAndReverseImagesOfRealDocumentsAreTheirRenderFlipped)
{
    REQUIRE_RENDERING();
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"}) {
        std::string input = FixturesFolder() + "/" + fixture;
        std::vector<RgbImage> expected = Render(input);
        ASSERT_FALSE(expected.empty()) << fixture;
        for (const Flip& flip : kFlips) {
            SCOPED_TRACE(std::string(fixture) + " " + flip.option);
            std::string output = Folder(std::string(fixture) + "-" + flip.option + ".xps");
            Finish(input, output, {flip.option});
            ExpectEachPageIs(expected, Render(output), *flip.from, false);
        }
    }
}

TEST(FinisherEndToEnd, TransverseFeedTurnsAPortraitPageAndTheTicketsMedia)
{
    REQUIRE_RENDERING();
    std::string input = GeneratedPage("transverse.xps", jobgen::kLetter, true);
    std::string output = Folder("transverse-out.xps");
    Finish(input, output, {"transverse=on", "media=na_letter_8.5x11in"});

    std::vector<RgbImage> before = Render(input);
    std::vector<RgbImage> after = Render(output);
    ASSERT_EQ(after.size(), 1u);
    // 1056 x 816 at 36 dpi.
    EXPECT_EQ(after[0].Width(), 396);
    EXPECT_EQ(after[0].Height(), 306);
    EXPECT_EQ(
        jobgen::DetectOrientation(after[0], jobgen::WholeRasterFrame(after[0], jobgen::kLetter).area, jobgen::kLetter),
        (jobgen::Orientation{1, false}));
    ExpectEachPageIs(before, after, kQuarterTurn, true);

    for (const char* tag : {"FI_JOB", "FI_DOC", "FI"}) {
        SCOPED_TRACE(tag);
        std::vector<std::string> tickets = TicketsTagged(output, tag);
        ASSERT_EQ(tickets.size(), 1u);
        ExpectTurnedLetter(tickets[0]);
    }
}

TEST(FinisherEndToEnd, TransverseFeedOfALandscapePageChangesOnlyTheTickets)
{
    REQUIRE_RENDERING();
    jobgen::PageSize landscape = jobgen::Landscape(jobgen::kLetter);
    std::string input = GeneratedPage("landscape.xps", landscape);
    std::string output = Folder("landscape-out.xps");
    Finish(input, output, {"transverse=on", "orientation-requested=landscape", "media=na_letter_8.5x11in"});

    const std::string page = "Documents/1/Pages/1.fpage";
    EXPECT_EQ(ZipItem(output, page), ZipItem(input, page));
    std::vector<RgbImage> after = Render(output);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0].Bytes() == Render(input)[0].Bytes());
    std::vector<std::string> tickets = TicketsTagged(output, "FI_JOB");
    ASSERT_EQ(tickets.size(), 1u);
    ExpectTurnedLetter(tickets[0]);
}

// The printable area of the default device on Letter portrait, in XPS
// units: 4233 microns (16.00) from every edge. The marks lie 0.64 inside it,
// on the lines x = 16.64 and 799.37, y = 16.64 and 1039.37; they are
// 782.73 / 15 = 52.18 wide and 1022.74 / 15 = 68.18 high; the edge middles
// start at x = 381.91 and y = 493.92.
struct Mark {
    double x, y;  // the middle of the mark
};
const Mark kMarks[] = {
    {16.64, 16.64 + 34.09},   {16.64 + 26.09, 16.64},   {799.37, 16.64 + 34.09},   {799.37 - 26.09, 16.64},
    {16.64, 1039.37 - 34.09}, {16.64 + 26.09, 1039.37}, {799.37, 1039.37 - 34.09}, {799.37 - 26.09, 1039.37},
    {16.64, 493.92 + 34.09},  {799.37, 493.92 + 34.09}, {381.91 + 26.09, 16.64},   {381.91 + 26.09, 1039.37},
};

constexpr int kFine = 192;  // two pixels a unit: the 0.32-unit marks show
const uint8_t kGrey = 0xC0;

// A Letter page filled with light grey to its edges.
std::string GreyPage(const std::string& name)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1);
    package.documents[0].pages[0].body = "<Path Data=\"M 0,0 L 816,0 L 816,1056 L 0,1056 Z\" Fill=\"#FFC0C0C0\"/>";
    std::string input = Folder(name);
    tav::host::testing::WritePackage(input, package);
    return input;
}

// A grey Letter page (rendered at kFine) clipped to its printable area, with
// the twelve cut marks on it.
void ExpectCutMarks(const RgbImage& page)
{
    ASSERT_EQ(page.Width(), 1632);
    auto at = [&](double x, double y) { return page.At(static_cast<int>(x * 2), static_cast<int>(y * 2)).g; };

    // Outside the printable area nothing is left of the grey; inside it is
    // grey away from the marks.
    for (auto [x, y] : {std::pair{8.0, 500.0}, {808.0, 500.0}, {400.0, 8.0}, {400.0, 1048.0}, {4.0, 4.0}}) {
        EXPECT_EQ(at(x, y), 255) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{400.0, 500.0}, {20.0, 300.0}, {796.0, 300.0}, {300.0, 20.0}, {300.0, 1036.0}}) {
        EXPECT_NEAR(at(x, y), kGrey, 2) << x << "," << y;
    }
    // Each mark darkens the grey at its middle; the lines it lies on stay
    // grey where no mark is.
    for (const Mark& mark : kMarks) {
        int darkest = 255;
        for (double dx = -1; dx <= 1; dx += 0.5)
            for (double dy = -1; dy <= 1; dy += 0.5) darkest = std::min<int>(darkest, at(mark.x + dx, mark.y + dy));
        EXPECT_LT(darkest, kGrey - 40) << "mark at " << mark.x << "," << mark.y;
    }
    for (auto [x, y] : {std::pair{16.64, 250.0}, {799.37, 800.0}, {250.0, 16.64}, {600.0, 1039.37}}) {
        EXPECT_NEAR(at(x, y), kGrey, 2) << "no mark at " << x << "," << y;
    }
}

TEST(FinisherEndToEnd, PosterCutOutLinesClipToThePrintableAreaAndMarkIt)
{
    REQUIRE_RENDERING();
    std::string input = GreyPage("grey.xps");
    std::string output = Folder("grey-cut.xps");
    Finish(input, output, {"poster=4", "poster-cut-lines=on", "media=na_letter_8.5x11in"});
    std::vector<RgbImage> after = Render(output, kFine);
    ASSERT_EQ(after.size(), 1u);
    ExpectCutMarks(after[0]);
}

// After the layout filter, each of the four tiles is a Letter sheet of its
// own and carries the twelve marks.
TEST(FinisherEndToEnd, EveryPosterTileCarriesTheCutMarks)
{
    REQUIRE_RENDERING();
    std::string input = GreyPage("grey-tiles.xps");
    std::string output = Folder("grey-tiles-cut.xps");
    Finish(input, output, {"poster=4", "poster-cut-lines=on", "media=na_letter_8.5x11in"}, "layout,finisher");
    std::vector<RgbImage> tiles = Render(output, kFine);
    ASSERT_EQ(tiles.size(), 4u);
    for (size_t tile = 0; tile < tiles.size(); ++tile) {
        SCOPED_TRACE("tile " + std::to_string(tile));
        ExpectCutMarks(tiles[tile]);
    }
}

}  // namespace
