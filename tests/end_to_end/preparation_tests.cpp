// The preparation filter's page scaling, text watermark and header/footer
// line through tavpipe, checked by what MuPDF prints against positions
// worked out here from the scaling rules, the watermark's placement and the
// line's font metrics: the default device
// prints 4233 microns (16.00 units) from every edge, a micron is 1 / 264.58
// unit, and a scaled page's content is clipped to its content box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

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
constexpr double kPixelsPerUnit = kDpi / 96.0;
constexpr double kMicronsPerUnit = 264.58;
constexpr double kMargin = 4233 / kMicronsPerUnit;
constexpr char kLetterMedia[] = "media=na_letter_8.5x11in";

// A rectangle in XPS units.
struct Box {
    double x, y, width, height;
};

// "scale by factor, then move by (dx, dy)".
struct Placement {
    double factor, dx, dy;
    Box Of(const Box& box) const
    {
        return {box.x * factor + dx, box.y * factor + dy, box.width * factor, box.height * factor};
    }
};

// The printable area of the default device on a paper, in units.
Box PrintableArea(double widthMicrons, double heightMicrons)
{
    return {kMargin, kMargin, (widthMicrons - 8466) / kMicronsPerUnit, (heightMicrons - 8466) / kMicronsPerUnit};
}

const Box kLetterArea = PrintableArea(215900, 279400);
const Box kA4Area = PrintableArea(210000, 297000);

// tavpipe with the chain and options; a test failure when it does not
// succeed, or when tavpipe cannot list its output or run the default chain
// over it: no package the filters write is one the host refuses.
void Prepare(const std::string& input, const std::string& output, const std::vector<std::string>& options,
             const std::string& chain = "prep")
{
    std::vector<std::string> argv = {BuildFolder() + "/bin/tavpipe", "-q", "-f", chain};
    for (const std::string& option : options) {
        argv.push_back("-o");
        argv.push_back(option);
    }
    argv.push_back(input);
    argv.push_back(output);
    jobgen::ProgramResult result = jobgen::RunProgram(argv);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    jobgen::ProgramResult info = jobgen::RunProgram({BuildFolder() + "/bin/tavpipe", "info", output});
    EXPECT_EQ(info.exitStatus, 0) << info.output;
    jobgen::ProgramResult again =
        jobgen::RunProgram({BuildFolder() + "/bin/tavpipe", "-q", output, output + ".again.xps"});
    EXPECT_EQ(again.exitStatus, 0) << again.output;
}

std::vector<RgbImage> Render(const std::string& package, int dpi = kDpi) { return jobgen::RenderPages(package, dpi); }

std::string Folder(const std::string& name) { return TemporaryFolder() + "/" + name; }

bool ProgramsPresent()
{
    return !jobgen::FindProgram("mutool").empty() && FileExists(BuildFolder() + "/lib/libtavprep.so");
}

#define REQUIRE_RENDERING()                                                                       \
    do {                                                                                          \
        JOBGEN_REQUIRE_PROGRAM("mutool");                                                         \
        if (!ProgramsPresent()) GTEST_SKIP() << "tavpipe or the preparation module is not built"; \
    } while (false)

// A one-page package of width x height filled red inside the content box
// and blue elsewhere; the FixedPage carries the boxes given.
std::string BoxedPage(const std::string& name, double width, double height, const std::string& boxes,
                      const Box& content)
{
    char body[512];
    std::snprintf(body, sizeof body,
                  "<Path Data=\"M 0,0 L %g,0 %g,%g 0,%g Z\" Fill=\"#FF0000FF\"/>"
                  "<Path Data=\"M %g,%g l %g,0 0,%g -%g,0 Z\" Fill=\"#FFFF0000\"/>",
                  width, width, height, height, content.x, content.y, content.width, content.height, content.width);
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1, width, height);
    package.documents[0].pages[0].body = body;
    auto entries = tav::host::testing::PackageEntries(package);
    for (auto& [item, bytes] : entries) {
        size_t lang = bytes.find("xml:lang=\"en-US\"");
        if (item.ends_with(".fpage") && lang != std::string::npos) bytes.insert(lang, boxes + " ");
    }
    std::string path = Folder(name);
    tav::host::testing::WriteZip(path, entries);
    return path;
}

// The page's red pixels fill the box, to a pixel and a half.
void ExpectRedAt(const RgbImage& image, const Box& box)
{
    int left = image.Width(), top = image.Height(), right = -1, bottom = -1;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            jobgen::Rgb p = image.At(x, y);
            if (p.r < 200 || p.g > 80 || p.b > 80) continue;
            left = std::min(left, x), top = std::min(top, y);
            right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
        }
    }
    EXPECT_NEAR(left, box.x * kPixelsPerUnit, 1.5);
    EXPECT_NEAR(top, box.y * kPixelsPerUnit, 1.5);
    EXPECT_NEAR(right, (box.x + box.width) * kPixelsPerUnit, 1.5);
    EXPECT_NEAR(bottom, (box.y + box.height) * kPixelsPerUnit, 1.5);
}

TEST(PreparationEndToEnd, FitToA4AndCustomScalingPlaceLetterContentFromThePrintableOrigin)
{
    REQUIRE_RENDERING();
    const Box whole = {0, 0, 816, 1056};
    std::string input = BoxedPage("letter.xps", 816, 1056, "", whole);

    // Letter's printable area into A4's: the width limits; the origin stays.
    std::string a4 = Folder("letter-a4.xps");
    Prepare(input, a4, {kLetterMedia, "print-scaling=fit-paper:A4"});
    // 210000 and 297000 microns by 264.58.
    EXPECT_NE(ZipItem(a4, "Documents/1/Pages/1.fpage").find(" Width=\"793.71\" Height=\"1122.53\""), std::string::npos);
    std::vector<RgbImage> pages = Render(a4);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].Width(), 210000 / kMicronsPerUnit * kPixelsPerUnit, 1);
    EXPECT_NEAR(pages[0].Height(), 297000 / kMicronsPerUnit * kPixelsPerUnit, 1);
    double fit = kA4Area.width / kLetterArea.width;
    ExpectRedAt(pages[0], Placement{fit, kMargin * (1 - fit), kMargin * (1 - fit)}.Of(whole));

    // Half size towards the printable area's origin, on Letter still.
    std::string half = Folder("letter-half.xps");
    Prepare(input, half, {kLetterMedia, "print-scaling=custom:50"});
    pages = Render(half);
    ASSERT_EQ(pages.size(), 1u);
    ExpectRedAt(pages[0], Placement{0.5, kMargin / 2, kMargin / 2}.Of(whole));
}

TEST(PreparationEndToEnd, EachFitModeFitsTheBoxItNames)
{
    REQUIRE_RENDERING();
    // A 600 x 900 page on Letter whose bleed and content boxes lie inside it.
    const Box bleed = {30, 30, 540, 840};
    const Box content = {60, 100, 400, 600};
    std::string input =
        BoxedPage("boxes.xps", 600, 900, "BleedBox=\"30,30,540,840\" ContentBox=\"60,100,400,600\"", content);
    const Box& area = kLetterArea;
    auto fitInto = [](const Box& target, double width, double height) {
        double factor = std::min(target.width / width, target.height / height);
        bool widthSpare = target.width / width > target.height / height;
        double dx = widthSpare ? (target.width - width * factor) / 2 : 0;
        double dy = widthSpare ? 0 : (target.height - height * factor) / 2;
        return Placement{factor, target.x + dx, target.y + dy};
    };
    auto boxFit = [&](const Box& box) {
        Placement fit = fitInto(area, box.width, box.height);
        return Placement{fit.factor, fit.dx - box.x * fit.factor, fit.dy - box.y * fit.factor};
    };
    struct Mode {
        const char* option;
        Placement placement;
    } modes[] = {
        {"fit-bleed", boxFit(bleed)},
        {"fit-content", boxFit(content)},
        {"fit-media-imageable", fitInto(area, 600, 900)},
        {"fit-media", fitInto({0, 0, 215900 / kMicronsPerUnit, 279400 / kMicronsPerUnit}, 600, 900)},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.option);
        std::string output = Folder(std::string("boxes-") + mode.option + ".xps");
        Prepare(input, output, {kLetterMedia, std::string("print-scaling=") + mode.option});
        std::vector<RgbImage> pages = Render(output);
        ASSERT_EQ(pages.size(), 1u);
        ExpectRedAt(pages[0], mode.placement.Of(content));
        // Nothing outside the content box is printed.
        jobgen::Rgb corner = pages[0].At(pages[0].Width() - 2, pages[0].Height() - 2);
        EXPECT_TRUE(corner.r > 240 && corner.g > 240 && corner.b > 240);
    }
}

TEST(PreparationEndToEnd, TheFiltersAfterSeeTheNewPaperAndNoScalingPending)
{
    REQUIRE_RENDERING();
    std::string input = BoxedPage("layout-in.xps", 816, 1056, "", {0, 0, 816, 1056});
    const std::vector<std::string> options = {kLetterMedia, "print-scaling=fit-paper:A4", "number-up=2"};
    std::string prepared = Folder("prepared.xps");
    Prepare(input, prepared, options);

    // The job ticket the next filter reads: the new paper, no scaling
    // pending, and the job's other settings as they were.
    std::string ticket;
    for (const std::string& name : ZipItemNames(prepared))
        if (name.starts_with("PT_SC_JOB_")) ticket = ZipItem(prepared, name);
    testsupport::TicketMarkup markup(ticket);
    const std::string feature = "/psf:PrintTicket/psf:Feature[@name='psk:";
    EXPECT_EQ(markup.Text(feature + "PageMediaSize']/psf:Option/@name"), "psk:ISOA4") << ticket;
    EXPECT_EQ(markup.Text(feature + "PageMediaSize']//psf:ScoredProperty[@name='psk:MediaSizeHeight']"), "297000");
    EXPECT_EQ(markup.Text(feature + "PageScaling']/psf:Option/@name"), "psk:None");
    EXPECT_EQ(markup.Text(feature + "JobNUpAllDocumentsContiguously']//psf:ScoredProperty"), "2");

    // Whatever the layout filter makes of two pages a sheet, its sheets are
    // A4, in one orientation or the other.
    std::string laidOut = Folder("laid-out.xps");
    Prepare(input, laidOut, options, "prep,layout");
    std::vector<RgbImage> sheets = Render(laidOut);
    ASSERT_FALSE(sheets.empty());
    double shortSide = 210000 / kMicronsPerUnit * kPixelsPerUnit, longSide = 297000 / kMicronsPerUnit * kPixelsPerUnit;
    EXPECT_NEAR(std::min(sheets[0].Width(), sheets[0].Height()), shortSide, 1);
    EXPECT_NEAR(std::max(sheets[0].Width(), sheets[0].Height()), longSide, 1);
}

bool Near(jobgen::Rgb p, jobgen::Rgb q)
{
    return std::abs(p.r - q.r) <= 64 && std::abs(p.g - q.g) <= 64 && std::abs(p.b - q.b) <= 64;
}

// The share of the output's pixels that show nothing like the input's
// render placed there: each pixel must match the input's pixel under the
// point the placement maps there, or one next to it (resampling thin lines
// moves them by a pixel), or be white where that point lies off the input
// page.
double MisplacedShare(const RgbImage& input, const Placement& placement, const RgbImage& output)
{
    const jobgen::Rgb white{255, 255, 255};
    long misplaced = 0;
    for (int y = 0; y < output.Height(); ++y) {
        for (int x = 0; x < output.Width(); ++x) {
            double sourceX = ((x + 0.5) / kPixelsPerUnit - placement.dx) / placement.factor * kPixelsPerUnit;
            double sourceY = ((y + 0.5) / kPixelsPerUnit - placement.dy) / placement.factor * kPixelsPerUnit;
            int sx = static_cast<int>(std::floor(sourceX)), sy = static_cast<int>(std::floor(sourceY));
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy) {
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    int px = sx + dx, py = sy + dy;
                    bool inside = px >= 0 && py >= 0 && px < input.Width() && py < input.Height();
                    matched = Near(output.At(x, y), inside ? input.At(px, py) : white);
                }
            }
            misplaced += !matched;
        }
    }
    return double(misplaced) / (double(output.Width()) * output.Height());
}

TEST(PreparationEndToEnd, RealDocumentsFittedToA4RenderAsTheirInputFitted)
{
    REQUIRE_RENDERING();
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    double fit = kA4Area.width / kLetterArea.width;
    Placement placement{fit, kMargin * (1 - fit), kMargin * (1 - fit)};
    for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"}) {
        SCOPED_TRACE(fixture);
        std::string input = FixturesFolder() + "/" + fixture;
        std::string output = Folder(std::string(fixture) + "-a4.xps");
        Prepare(input, output, {kLetterMedia, "print-scaling=fit-paper:A4"});
        std::vector<RgbImage> before = Render(input);
        std::vector<RgbImage> after = Render(output);
        ASSERT_FALSE(before.empty());
        ASSERT_EQ(after.size(), before.size());
        for (size_t page = 0; page < before.size(); ++page) {
            // Images and thin lines resample differently at this resolution;
            // the same content two pixels off shows several times as much.
            double share = MisplacedShare(before[page], placement, after[page]);
            Placement shifted{placement.factor, placement.dx + 5, placement.dy + 5};
            EXPECT_LT(share, 0.025) << "page " << page + 1;
            EXPECT_LT(share * 3, MisplacedShare(before[page], shifted, after[page])) << "page " << page + 1;
        }
    }
}

// --- Text watermark ---------------------------------------------------

// "DRAFT" in the default 72-point Arial, that is 96 units to the em, in its
// metric-compatible free face (2048 units to the em): advances D 1479,
// R 1479, A 1366, F 1251, T 1251 make a run 320 units wide, each advance
// rounded to whole units; the ascent of 1854 and descent of 434 (87 and 21
// units) put the baseline (87 - 21) / 2 = 33 units below the run's centre,
// and the capitals rise 1409 (66 units) above it. So the ink lies from
// -160 (plus the D's side bearing) to 160 (less the T's) along the
// baseline, and from -33 to 33 across it.
constexpr double kRunHalfWidth = (69 + 69 + 64 + 59 + 59) / 2.0;
constexpr double kInkAbove = 66 - 33, kInkBelow = 33;

// Where the watermark's ink lies, in units along its baseline and across
// it (downward on the text), measured from the point it is centred on.
struct InkExtent {
    double alongMin = 1e9, alongMax = -1e9, acrossMin = 1e9, acrossMax = -1e9;
    long pixels = 0;
};

// A page of Letter whose left half is blue (the content) and whose right
// half is white, with `count` pages.
std::string HalfBluePages(const std::string& name, int count = 1)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(count, 816, 1056);
    for (auto& page : package.documents[0].pages)
        page.body = "<Path Data=\"M 0,0 L 408,0 408,1056 0,1056 Z\" Fill=\"#FF0000FF\"/>";
    std::string path = Folder(name);
    tav::host::testing::WritePackage(path, package);
    return path;
}

// A watermark pixel: anything but the blue on the left half, anything but
// white on the right.
bool IsWatermark(const RgbImage& image, int x, int y, double pixelsPerUnit)
{
    jobgen::Rgb p = image.At(x, y);
    return (x + 0.5) / pixelsPerUnit < 408 ? p.r > 40 : p.r < 235;
}

// The extent of the watermark's pixels around the centre, for a text
// turned 45 degrees counter-clockwise: its baseline runs along (1, -1) / √2
// on the page, its downward along (1, 1) / √2.
InkExtent InkAround(const RgbImage& image, double centreX, double centreY, int dpi)
{
    const double pixelsPerUnit = dpi / 96.0, half = std::sqrt(0.5);
    InkExtent ink;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (!IsWatermark(image, x, y, pixelsPerUnit)) continue;
            double dx = (x + 0.5) / pixelsPerUnit - centreX, dy = (y + 0.5) / pixelsPerUnit - centreY;
            double along = (dx - dy) * half, across = (dx + dy) * half;
            ink.alongMin = std::min(ink.alongMin, along), ink.alongMax = std::max(ink.alongMax, along);
            ink.acrossMin = std::min(ink.acrossMin, across), ink.acrossMax = std::max(ink.acrossMax, across);
            ++ink.pixels;
        }
    }
    return ink;
}

// The run's ink, from the side bearings (up to 12 units) to a pixel of
// anti-aliasing beyond the glyphs.
void ExpectInkOfDraft(const InkExtent& ink, int dpi)
{
    double pixel = 96.0 / dpi * 1.5;
    EXPECT_GT(ink.pixels, 0);
    EXPECT_GE(ink.alongMin, -kRunHalfWidth - pixel);
    EXPECT_LE(ink.alongMin, -kRunHalfWidth + 12);
    EXPECT_LE(ink.alongMax, kRunHalfWidth + pixel);
    EXPECT_GE(ink.alongMax, kRunHalfWidth - 12);
    EXPECT_NEAR(ink.acrossMin, -kInkAbove, 2 + pixel);
    EXPECT_NEAR(ink.acrossMax, kInkBelow, 2 + pixel);
}

// The lightest and darkest red of the watermark's pixels on either half.
struct Shades {
    int whiteHalfDarkest = 255, blueHalfLightest = 0;
};

Shades ShadesOf(const RgbImage& image, int dpi)
{
    const double pixelsPerUnit = dpi / 96.0;
    Shades shades;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (!IsWatermark(image, x, y, pixelsPerUnit)) continue;
            int red = image.At(x, y).r;
            if ((x + 0.5) / pixelsPerUnit < 408)
                shades.blueHalfLightest = std::max(shades.blueHalfLightest, red);
            else
                shades.whiteHalfDarkest = std::min(shades.whiteHalfDarkest, red);
        }
    }
    return shades;
}

TEST(PreparationEndToEnd, ATextWatermarkIsGreyAt45DegreesThroughTheCentreOverTheContent)
{
    REQUIRE_RENDERING();
    constexpr int dpi = 72;
    std::string input = HalfBluePages("half-blue.xps");

    std::string opaque = Folder("draft.xps");
    Prepare(input, opaque, {kLetterMedia, "watermark-text=DRAFT"});
    std::vector<RgbImage> pages = Render(opaque, dpi);
    ASSERT_EQ(pages.size(), 1u);
    {
        SCOPED_TRACE("opaque");
        ExpectInkOfDraft(InkAround(pages[0], 408, 528, dpi), dpi);
    }
    // #C0C0C0 at full strength on white, and over the blue content too.
    Shades full = ShadesOf(pages[0], dpi);
    EXPECT_NEAR(full.whiteHalfDarkest, 0xC0, 8);
    EXPECT_NEAR(full.blueHalfLightest, 0xC0, 8);

    // Transparent: half the grey over white (224) and over blue (96).
    std::string transparent = Folder("draft-transparent.xps");
    Prepare(input, transparent, {kLetterMedia, "watermark-text=DRAFT", "watermark-overlay=transparent"});
    pages = Render(transparent, dpi);
    ASSERT_EQ(pages.size(), 1u);
    Shades half = ShadesOf(pages[0], dpi);
    EXPECT_NEAR(half.whiteHalfDarkest, (0xC0 + 255) / 2, 8);
    EXPECT_NEAR(half.blueHalfLightest, 0xC0 / 2, 8);
}

TEST(PreparationEndToEnd, AnOutlinedTransparentTextIsFullUnderTheContentAndHalfOverIt)
{
    REQUIRE_RENDERING();
    // At two pixels a unit the outline, a unit around the white text,
    // covers whole pixels.
    constexpr int dpi = 192;
    std::string input = HalfBluePages("outline-in.xps");
    std::string transparent = Folder("draft-outlined.xps");
    Prepare(input, transparent,
            {kLetterMedia, "watermark-text=DRAFT", "watermark-overlay=transparent", "watermark-outline=on"});
    // The nine copies go under the content as they are, and over it in a
    // Canvas at half opacity.
    std::string markup = ZipItem(transparent, "Documents/1/Pages/1.fpage");
    size_t under = markup.find("<Canvas><Glyphs Fill=\"#C0C0C0\" Opacity=\"1.00\"");
    size_t content = markup.find("<Path Data=\"M 0,0 L 408,0");
    size_t over = markup.find("<Canvas Opacity=\"0.5\"><Glyphs Fill=\"#C0C0C0\" Opacity=\"1.00\"");
    EXPECT_TRUE(under < content && content < over && over != std::string::npos) << markup;

    std::vector<RgbImage> pages = Render(transparent, dpi);
    ASSERT_EQ(pages.size(), 1u);
    Shades shades = ShadesOf(pages[0], dpi);
    // On white the outline shows at full strength. Over the blue content
    // the white inside shows at half strength only: 128 where the Canvas
    // is drawn as a whole at half opacity, up to 223 where, as in MuPDF,
    // each copy is drawn at half on the ones before; never the full white
    // of an opaque outline.
    EXPECT_NEAR(shades.whiteHalfDarkest, 0xC0, 10);
    EXPECT_GE(shades.blueHalfLightest, 255 / 2 - 8);
    EXPECT_LE(shades.blueHalfLightest, 235);

    std::string opaque = Folder("draft-outlined-opaque.xps");
    Prepare(input, opaque, {kLetterMedia, "watermark-text=DRAFT", "watermark-outline=on"});
    pages = Render(opaque, dpi);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_GE(ShadesOf(pages[0], dpi).blueHalfLightest, 250);
}

TEST(PreparationEndToEnd, AWatermarkPositionedAt100And100IsCentredOnTheTopRightCorner)
{
    REQUIRE_RENDERING();
    constexpr int dpi = 72;
    std::string input = HalfBluePages("corner-in.xps");
    std::string output = Folder("draft-corner.xps");
    Prepare(input, output, {kLetterMedia, "watermark-text=DRAFT", "watermark-position=100,100"});
    std::vector<RgbImage> pages = Render(output, dpi);
    ASSERT_EQ(pages.size(), 1u);
    // Only the run's lower-left half falls on the page: its ink reaches
    // from the D's side to the corner, across the whole height of the
    // capitals.
    InkExtent ink = InkAround(pages[0], 816, 0, dpi);
    double pixel = 96.0 / dpi * 1.5;
    EXPECT_GT(ink.pixels, 0);
    EXPECT_GE(ink.alongMin, -kRunHalfWidth - pixel);
    EXPECT_LE(ink.alongMin, -kRunHalfWidth + 12);
    EXPECT_LE(ink.alongMax, kInkBelow + pixel);
    EXPECT_NEAR(ink.acrossMin, -kInkAbove, 2 + pixel);
    EXPECT_NEAR(ink.acrossMax, kInkBelow, 2 + pixel);
}

TEST(PreparationEndToEnd, ATenPageJobEmbedsTheFontOnceForEveryPage)
{
    REQUIRE_RENDERING();
    std::string input = HalfBluePages("ten-in.xps", 10);
    std::string output = Folder("ten-draft.xps");
    // The text is written once escaped, and a text that begins with a
    // brace gets the escape that keeps it from reading as one.
    Prepare(input, output, {kLetterMedia, "watermark-text={R&D}"});

    std::vector<std::string> fonts;
    for (const std::string& item : ZipItemNames(output))
        if (item.ends_with(".odttf")) fonts.push_back("/" + item);
    ASSERT_EQ(fonts.size(), 1u);
    const std::string& font = fonts[0];
    EXPECT_EQ(font.size(), 43u) << font;
    // "/XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX.odttf", upper-case hexadecimal.
    for (size_t i = 1; i < 37 && i < font.size(); ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        char c = font[i];
        EXPECT_TRUE(dash ? c == '-' : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << font;
    }
    EXPECT_TRUE(font.ends_with(".odttf")) << font;

    for (int page = 1; page <= 10; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        std::string name = "Documents/1/Pages/" + std::to_string(page) + ".fpage";
        std::string markup = ZipItem(output, name);
        EXPECT_NE(markup.find("FontUri=\"" + font + "\""), std::string::npos) << markup;
        EXPECT_NE(markup.find("UnicodeString=\"{}{R&amp;D}\""), std::string::npos) << markup;
        std::string relationships = ZipItem(output, "Documents/1/Pages/_rels/" + std::to_string(page) + ".fpage.rels");
        EXPECT_NE(relationships.find(font), std::string::npos) << relationships;
    }
    // Every page draws it: MuPDF reads the obfuscated font on each.
    std::vector<RgbImage> pages = Render(output);
    ASSERT_EQ(pages.size(), 10u);
    for (size_t page = 0; page < pages.size(); ++page)
        EXPECT_GT(InkAround(pages[page], 408, 528, kDpi).pixels, 100) << "page " << page + 1;
}

// The pages after the first share one watermark, measured once: on a page
// of another size it must still be centred on that page, and the first
// page's own text must not lend the others its text or its width. The
// larger third page keeps its size on Letter paper, cut to the paper.
TEST(PreparationEndToEnd, AWatermarkSharedByPagesOfTwoSizesIsCentredOnEachAndTheFirstPageKeepsItsOwn)
{
    REQUIRE_RENDERING();
    constexpr int dpi = 72;
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(4, 816, 1056);
    package.documents[0].pages[2].width = 900;
    package.documents[0].pages[2].height = 1200;
    for (auto& page : package.documents[0].pages)
        page.body = "<Path Data=\"M 0,0 L 408,0 408,1200 0,1200 Z\" Fill=\"#FF0000FF\"/>";
    std::string input = Folder("two-sizes-in.xps");
    tav::host::testing::WritePackage(input, package);
    std::string output = Folder("two-sizes-draft.xps");
    Prepare(input, output, {kLetterMedia, "watermark-first-text=DR", "watermark-text=DRAFT"});

    EXPECT_NE(ZipItem(output, "Documents/1/Pages/1.fpage").find("UnicodeString=\"DR\""), std::string::npos);
    std::vector<RgbImage> pages = Render(output, dpi);
    ASSERT_EQ(pages.size(), 4u);
    const double centres[4][2] = {{408, 528}, {408, 528}, {450, 600}, {408, 528}};
    for (int page = 2; page <= 4; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        std::string markup = ZipItem(output, "Documents/1/Pages/" + std::to_string(page) + ".fpage");
        EXPECT_NE(markup.find("UnicodeString=\"DRAFT\""), std::string::npos) << markup;
        ExpectInkOfDraft(InkAround(pages[page - 1], centres[page - 1][0], centres[page - 1][1], dpi), dpi);
    }
}

// The header/footer line in 24-point Arial, 32 units to the em, in its
// metric-compatible free face (2048 units to the em): digits advance 1139,
// "/" and the blank 569, "a" 1139, "l" and "i" 455, "c" 1024, "e" 1139, so a
// type1 date "YYYY/MM/DD" and " alice" run 15031 / 2048 em, 234.9 units (237
// when each advance is rounded to whole units, as the display measures).
// The ascent 1854 and descent 434 make 29 and 7 whole units; the digits and
// the "l" rise 1409 to 1484 (22.0 to 23.2 units) above the baseline and
// nothing descends. The "post" table's underline has its top 67 below the
// baseline and is 150 thick (1.05 and 2.34 units); "OS/2"'s strikeout its
// top 530 above it, 102 thick (8.28 and 1.59 units).
constexpr int kLineDpi = 72;
constexpr double kLinePixel = 96.0 / kLineDpi;
constexpr double kLineWidthExact = 15031 / 2048.0 * 32, kLineWidthRounded = 237;
constexpr double kLineAscent = 29, kLineDescent = 7;
constexpr double kInkRiseLow = 22.0, kInkRiseHigh = 23.2;
const std::vector<std::string> kDateAndUser = {kLetterMedia,
                                               "header-footer=on",
                                               "header-footer-date=type1",
                                               "header-footer-id=user",
                                               "header-footer-size=24",
                                               "job-originating-user-name=alice"};

// Where pixels of a kind lie on a page, in units.
struct InkBox {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    long pixels = 0;
};

template <class Kind>
InkBox InkOf(const RgbImage& image, Kind is)
{
    const double pixelsPerUnit = kLineDpi / 96.0;
    InkBox box;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (!is(image.At(x, y))) continue;
            box.left = std::min(box.left, x / pixelsPerUnit), box.right = std::max(box.right, (x + 1) / pixelsPerUnit);
            box.top = std::min(box.top, y / pixelsPerUnit), box.bottom = std::max(box.bottom, (y + 1) / pixelsPerUnit);
            ++box.pixels;
        }
    }
    return box;
}

bool Dark(jobgen::Rgb p) { return p.r < 128 && p.g < 128 && p.b < 128; }
bool Red(jobgen::Rgb p) { return p.r > 200 && p.g < 80 && p.b < 80; }

// The rows (their middles, in units) where dark pixels cover all but a
// pixel at either end of the span from left to right: an underline or a
// strikeout, never letters, which leave gaps between them.
std::vector<double> FullWidthDarkRows(const RgbImage& image, double left, double right)
{
    const double pixelsPerUnit = kLineDpi / 96.0;
    int first = static_cast<int>(std::ceil(left * pixelsPerUnit)) + 1;
    int last = static_cast<int>(std::floor(right * pixelsPerUnit)) - 2;
    std::vector<double> rows;
    for (int y = 0; y < image.Height(); ++y) {
        bool covered = first < last;
        for (int x = first; covered && x <= last; ++x) covered = Dark(image.At(x, y));
        if (covered) rows.push_back((y + 0.5) / pixelsPerUnit);
    }
    return rows;
}

// Letter pages with nothing on them but a white square.
std::string WhitePages(const std::string& name, int count)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(count, 816, 1056);
    for (auto& page : package.documents[0].pages)
        page.body = "<Path Data=\"M 0,0 L 8,0 8,8 0,8 Z\" Fill=\"#FFFFFFFF\"/>";
    std::string path = Folder(name);
    tav::host::testing::WritePackage(path, package);
    return path;
}

// The page's text as MuPDF extracts it.
std::string ExtractedText(const std::string& package)
{
    std::string text = package + ".txt";
    jobgen::ProgramResult result = jobgen::RunProgram({"mutool", "draw", "-q", "-F", "txt", "-o", text, package});
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    std::string content;
    if (FILE* file = std::fopen(text.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) content.append(buffer, n);
        std::fclose(file);
    }
    return content;
}

std::string LocalDate()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y/%m/%d", &local);
    return date;
}

// The line's ink from its start to the printable area's right edge, on the
// baseline the descent above the area's bottom edge.
void ExpectLineAtBottomRight(const InkBox& ink, const Box& area = kLetterArea)
{
    const double right = area.x + area.width, baseline = area.y + area.height - kLineDescent;
    EXPECT_GT(ink.pixels, 0);
    EXPECT_LE(ink.right, right + kLinePixel);
    EXPECT_GE(ink.right, right - 3 - kLinePixel);  // the "e"'s side bearing
    EXPECT_GE(ink.left, right - kLineWidthRounded - kLinePixel);
    EXPECT_LE(ink.left, right - kLineWidthExact + 2 + kLinePixel);  // the "2"'s side bearing
    EXPECT_NEAR(ink.bottom, baseline, kLinePixel);
    EXPECT_GE(ink.top, baseline - kInkRiseHigh - kLinePixel);
    EXPECT_LE(ink.top, baseline - kInkRiseLow + kLinePixel);
}

TEST(PreparationEndToEnd, TheJobsDateAndTheUserPrintAtTheBottomRightOfEveryPage)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("line-in.xps", 2);
    std::string output = Folder("line.xps");
    std::string before = LocalDate();
    Prepare(input, output, kDateAndUser);
    std::string after = LocalDate();

    std::string text = ExtractedText(output);
    std::string onBefore = before + " alice\n", onAfter = after + " alice\n";
    EXPECT_TRUE(text.find(onBefore) != std::string::npos || text.find(onAfter) != std::string::npos) << text;

    std::vector<RgbImage> pages = Render(output, kLineDpi);
    ASSERT_EQ(pages.size(), 2u);
    for (size_t page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE("page " + std::to_string(page + 1));
        InkBox ink = InkOf(pages[page], Dark);
        ExpectLineAtBottomRight(ink);
        // Nothing underlined or struck out unless asked.
        EXPECT_TRUE(FullWidthDarkRows(pages[page], ink.left, ink.right).empty());
    }
}

TEST(PreparationEndToEnd, TheLinePrintsTopLeftInsideThePrintableAreaOrCentredOnThePage)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("line-positions-in.xps", 1);
    const double baseline = kLetterArea.y + kLineAscent;

    std::vector<std::string> options = kDateAndUser;
    options.push_back("header-footer-position=top-left");
    std::string topLeft = Folder("line-top-left.xps");
    Prepare(input, topLeft, options);
    std::vector<RgbImage> pages = Render(topLeft, kLineDpi);
    ASSERT_EQ(pages.size(), 1u);
    InkBox ink = InkOf(pages[0], Dark);
    EXPECT_GE(ink.left, kLetterArea.x - kLinePixel);
    EXPECT_LE(ink.left, kLetterArea.x + 2 + kLinePixel);
    EXPECT_GE(ink.right, kLetterArea.x + kLineWidthExact - 3 - kLinePixel);
    EXPECT_LE(ink.right, kLetterArea.x + kLineWidthRounded + kLinePixel);
    EXPECT_NEAR(ink.bottom, baseline, kLinePixel);
    EXPECT_NEAR(ink.top, baseline - (kInkRiseLow + kInkRiseHigh) / 2, 0.6 + kLinePixel);

    options.back() = "header-footer-position=top-center";
    std::string topCentre = Folder("line-top-centre.xps");
    Prepare(input, topCentre, options);
    pages = Render(topCentre, kLineDpi);
    ASSERT_EQ(pages.size(), 1u);
    ink = InkOf(pages[0], Dark);
    EXPECT_NEAR((ink.left + ink.right) / 2, 816 / 2.0, 2.5 + kLinePixel);
    EXPECT_NEAR(ink.bottom, baseline, kLinePixel);
}

TEST(PreparationEndToEnd, TheLineTakesItsBackgroundBoxUnderlineAndStrikeoutWhereAsked)
{
    REQUIRE_RENDERING();
    std::string input = WhitePages("line-styles-in.xps", 1);
    const double right = kLetterArea.x + kLetterArea.width, bottom = kLetterArea.y + kLetterArea.height;
    const double baseline = bottom - kLineDescent;

    // A red box from the ascent above the baseline to the descent below it,
    // the line's width, under a line underlined in black.
    std::vector<std::string> options = kDateAndUser;
    options.push_back("header-footer-background=#FF0000");
    options.push_back("header-footer-underline=on");
    std::string boxed = Folder("line-boxed.xps");
    Prepare(input, boxed, options);
    std::vector<RgbImage> pages = Render(boxed, kLineDpi);
    ASSERT_EQ(pages.size(), 1u);
    InkBox box = InkOf(pages[0], Red);
    EXPECT_NEAR(box.right, right, kLinePixel);
    EXPECT_GE(box.left, right - kLineWidthRounded - kLinePixel);
    EXPECT_LE(box.left, right - kLineWidthExact + kLinePixel);
    EXPECT_NEAR(box.top, baseline - kLineAscent, kLinePixel);
    EXPECT_NEAR(box.bottom, bottom, kLinePixel);
    std::vector<double> underline = FullWidthDarkRows(pages[0], box.left, box.right);
    ASSERT_FALSE(underline.empty());
    for (double row : underline) {
        EXPECT_GE(row, baseline + 1.05 - kLinePixel);
        EXPECT_LE(row, baseline + 1.05 + 2.34 + kLinePixel);
    }

    options.resize(kDateAndUser.size());
    options.push_back("header-footer-strikeout=on");
    std::string struck = Folder("line-struck.xps");
    Prepare(input, struck, options);
    pages = Render(struck, kLineDpi);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(InkOf(pages[0], Red).pixels, 0);
    InkBox ink = InkOf(pages[0], Dark);
    std::vector<double> strikeout = FullWidthDarkRows(pages[0], ink.left + 2, ink.right - 2);
    ASSERT_FALSE(strikeout.empty());
    for (double row : strikeout) {
        EXPECT_GE(row, baseline - 8.28 - kLinePixel);
        EXPECT_LE(row, baseline - 8.28 + 1.59 + kLinePixel);
    }
}

// --- Decorations on pages of their own size and shape ----------------------

// A slide (1056 x 816) whose ticket says portrait Letter, blue up to x = 408
// like the half-blue pages and with a red square in its top right corner,
// beyond where a Letter page ends.
std::string SlideUnderPortraitTicket(const std::string& name)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1, 1056, 816);
    tav::host::testing::TestPage& page = package.documents[0].pages[0];
    page.body =
        "<Path Data=\"M 0,0 L 408,0 408,816 0,816 Z\" Fill=\"#FF0000FF\"/>"
        "<Path Data=\"M 1000,20 L 1040,20 1040,60 1000,60 Z\" Fill=\"#FFFF0000\"/>";
    page.ticket =
        "<psf:PrintTicket version=\"1\" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/"
        "printschemaframework\" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/"
        "printschemakeywords\"><psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:NorthAmericaLetter\"/>"
        "</psf:Feature><psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/></psf:Feature>"
        "</psf:PrintTicket>";
    std::string path = Folder(name);
    tav::host::testing::WritePackage(path, package);
    return path;
}

// Under a watermark, and under a footer, the slide keeps its landscape size
// and its right part; the watermark is centred on the slide, and the line
// ends at the right edge of the printable area turned with the slide.
TEST(PreparationEndToEnd, ASlideUnderAPortraitTicketKeepsItsShapeUnderItsDecorations)
{
    REQUIRE_RENDERING();
    constexpr int dpi = kLineDpi;
    std::string input = SlideUnderPortraitTicket("slide.xps");
    auto decorated = [&](const std::string& name, const std::vector<std::string>& options) {
        std::string output = Folder(name);
        Prepare(input, output, options);
        std::vector<RgbImage> pages = Render(output, dpi);
        EXPECT_EQ(pages.size(), 1u);
        if (pages.empty()) return RgbImage(1, 1);
        EXPECT_NEAR(pages[0].Width(), 1056 * dpi / 96.0, 1);
        EXPECT_NEAR(pages[0].Height(), 816 * dpi / 96.0, 1);
        InkBox red = InkOf(pages[0], Red);
        EXPECT_NEAR(red.left, 1000, kLinePixel);
        EXPECT_NEAR(red.right, 1040, kLinePixel);
        EXPECT_NEAR(red.bottom, 60, kLinePixel);
        return pages[0];
    };
    {
        SCOPED_TRACE("watermark");
        RgbImage page = decorated("slide-draft.xps", {kLetterMedia, "watermark-text=DRAFT"});
        ExpectInkOfDraft(InkAround(page, 528, 408, dpi), dpi);
    }
    SCOPED_TRACE("footer");
    RgbImage page = decorated("slide-footer.xps", kDateAndUser);
    ExpectLineAtBottomRight(InkOf(page, Dark), PrintableArea(279400, 215900));
}

// A content box of 48,48,720,700 clips the page's content, and no longer a
// watermark moved below it or the footer, which lie outside it.
TEST(PreparationEndToEnd, DecorationsShowOutsideATightContentBox)
{
    REQUIRE_RENDERING();
    const Box content = {48, 48, 720, 700};
    std::string input = BoxedPage("tight.xps", 816, 1056, "ContentBox=\"48,48,720,700\"", content);
    auto decorated = [&](const std::string& name, const std::vector<std::string>& options) {
        std::string output = Folder(name);
        Prepare(input, output, options);
        std::vector<RgbImage> pages = Render(output);
        EXPECT_EQ(pages.size(), 1u);
        if (pages.empty()) return output;
        ExpectRedAt(pages[0], content);
        jobgen::Rgb corner = pages[0].At(2, 2);
        EXPECT_TRUE(corner.r > 240 && corner.g > 240 && corner.b > 240);
        return output;
    };
    {
        SCOPED_TRACE("watermark");
        std::vector<RgbImage> pages = Render(
            decorated("tight-draft.xps", {kLetterMedia, "watermark-text=DRAFT", "watermark-position=0,-80"}), kLineDpi);
        ASSERT_EQ(pages.size(), 1u);
        // The watermark's grey, centred at 180 / 200 of the page's height.
        InkBox grey = InkOf(pages[0], [](jobgen::Rgb p) {
            return std::abs(p.r - 0xC0) < 16 && std::abs(p.g - 0xC0) < 16 && std::abs(p.b - 0xC0) < 16;
        });
        EXPECT_GT(grey.pixels, 100);
        EXPECT_GT(grey.top, content.y + content.height);
        EXPECT_NEAR((grey.left + grey.right) / 2, 408, 20);
    }
    SCOPED_TRACE("footer");
    std::vector<RgbImage> pages = Render(decorated("tight-footer.xps", kDateAndUser), kLineDpi);
    ASSERT_EQ(pages.size(), 1u);
    ExpectLineAtBottomRight(InkOf(pages[0], Dark));
}

// Ink (a channel below 200) of one render against another of the same
// page: how much of the first's is white (every channel above 245) in the
// second, there and at the pixels next to it, and how many white pixels of
// the first are not white in the second.
struct InkChange {
    long ink = 0, lost = 0, gained = 0;
};

InkChange InkChangeOf(const RgbImage& before, const RgbImage& after)
{
    auto white = [](jobgen::Rgb p) { return p.r > 245 && p.g > 245 && p.b > 245; };
    auto ink = [](jobgen::Rgb p) { return p.r < 200 || p.g < 200 || p.b < 200; };
    InkChange change;
    for (int y = 1; y + 1 < before.Height() && y + 1 < after.Height(); ++y) {
        for (int x = 1; x + 1 < before.Width() && x + 1 < after.Width(); ++x) {
            jobgen::Rgb p = before.At(x, y);
            change.gained += white(p) && !white(after.At(x, y));
            if (!ink(p)) continue;
            ++change.ink;
            bool kept = false;
            for (int dy = -1; dy <= 1 && !kept; ++dy)
                for (int dx = -1; dx <= 1 && !kept; ++dx) kept = !white(after.At(x + dx, y + dy));
            change.lost += !kept;
        }
    }
    return change;
}

// Every page of the real documents keeps all its content under a watermark
// (drawn over it at half strength) and a footer, on a page of its size.
TEST(PreparationEndToEnd, RealDocumentsKeepTheirContentUnderAWatermarkAndAFooter)
{
    REQUIRE_RENDERING();
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    std::vector<std::string> options = kDateAndUser;
    options.insert(options.end(), {"watermark-text=DRAFT", "watermark-overlay=transparent"});
    for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"}) {
        SCOPED_TRACE(fixture);
        std::string input = FixturesFolder() + "/" + fixture;
        std::string output = Folder(std::string(fixture) + "-decorated.xps");
        Prepare(input, output, options);
        std::vector<RgbImage> before = Render(input);
        std::vector<RgbImage> after = Render(output);
        ASSERT_FALSE(before.empty());
        ASSERT_EQ(after.size(), before.size());
        for (size_t page = 0; page < before.size(); ++page) {
            SCOPED_TRACE("page " + std::to_string(page + 1));
            EXPECT_EQ(after[page].Width(), before[page].Width());
            EXPECT_EQ(after[page].Height(), before[page].Height());
            InkChange change = InkChangeOf(before[page], after[page]);
            EXPECT_LT(change.lost, change.ink / 1000 + 1) << change.lost << " of " << change.ink;
            // The watermark and the line, where the page was white.
            EXPECT_GT(change.gained, 150);
        }
    }
}

}  // namespace
