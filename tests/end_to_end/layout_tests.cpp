// The layout filter through tavpipe, judged by what MuPDF prints: each page
// of a generated job is looked for, by its identity marks, where the sheet
// geometry worked out here puts it (cells of the default device's Letter
// sheet, 4233-micron margins), upright or turned as it should lie; booklet
// spreads after the order filter; one-up sheets of two-sided jobs; border
// lines; real documents 4-up and as booklets; the tickets of sheets and
// empty sides; binding gutters, poster tiles and the separate tray.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
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

constexpr int kDpi = 72;
constexpr char kLetterMedia[] = "media=na_letter_8.5x11in";

// Lengths of the default device in XPS units: microns / 264.58.
constexpr double kMicronsPerUnit = 264.58;
const double kMargin = 4233 / kMicronsPerUnit;
const double kLetterWidth = 215900 / kMicronsPerUnit;
const double kLetterHeight = 279400 / kMicronsPerUnit;

std::string Folder(const std::string& name) { return TemporaryFolder() + "/layout-" + name; }

// The output reads back: tavpipe lists it and runs the default chain over
// it without error, so that no package the filters write is one the host
// refuses.
void ExpectReadBack(const std::string& output)
{
    jobgen::ProgramResult info = jobgen::RunProgram({BuildFolder() + "/bin/tavpipe", "info", output});
    EXPECT_EQ(info.exitStatus, 0) << info.output;
    jobgen::ProgramResult again =
        jobgen::RunProgram({BuildFolder() + "/bin/tavpipe", "-q", output, output + ".again.xps"});
    EXPECT_EQ(again.exitStatus, 0) << again.output;
}

// tavpipe with the chain and options; a test failure when it does not
// succeed, or when its output does not read back.
void RunChain(const std::string& chain, const std::vector<std::string>& options, const std::string& input,
              const std::string& output, std::string* said = nullptr)
{
    std::vector<std::string> argv = {BuildFolder() + "/bin/tavpipe", "-f", chain};
    for (const std::string& option : options) {
        if (option.rfind("--", 0) == 0) {
            argv.push_back(option.substr(0, option.find(' ')));
            argv.push_back(option.substr(option.find(' ') + 1));
            continue;
        }
        argv.push_back("-o");
        argv.push_back(option);
    }
    argv.push_back(input);
    argv.push_back(output);
    jobgen::ProgramResult result = jobgen::RunProgram(argv);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    if (said != nullptr) *said = result.output;
    ExpectReadBack(output);
}

std::vector<RgbImage> Render(const std::string& package, int dpi = kDpi) { return jobgen::RenderPages(package, dpi); }

bool ProgramsPresent() { return FileExists(BuildFolder() + "/lib/libtavlay.so"); }

#define REQUIRE_RENDERING()                                                                  \
    do {                                                                                     \
        JOBGEN_REQUIRE_PROGRAM("mutool");                                                    \
        if (!ProgramsPresent()) GTEST_SKIP() << "tavpipe or the layout module is not built"; \
    } while (false)

const std::string kLandscapeTicket =
    "<psf:PrintTicket version=\"1\" "
    "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\">"
    "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Landscape\"/></psf:Feature>"
    "</psf:PrintTicket>";

// A generated job of Letter pages; the pages listed are landscape Letter
// pages whose tickets say so.
std::string LetterJob(const std::string& name, int pages, const std::vector<int>& landscapePages = {})
{
    jobgen::JobSpec job = jobgen::MakeJob(1, pages, jobgen::kLetter);
    job.images = jobgen::ImageResource::Shared;
    for (int page : landscapePages) {
        job.documents[0].pages[page - 1].size = jobgen::Landscape(jobgen::kLetter);
        job.documents[0].pages[page - 1].ticket = kLandscapeTicket;
    }
    std::string path = Folder(name);
    jobgen::WriteXpsJob(job, path);
    return path;
}

// --- The sheet geometry, from the rules of the cells -------------------

// A sheet of the default device: its size and printable area in XPS units.
struct Sheet {
    double width, height;
    double Extent(bool across) const { return (across ? width : height) - 2 * kMargin; }
};

Sheet LetterSheet(bool landscape)
{
    return landscape ? Sheet{kLetterHeight, kLetterWidth} : Sheet{kLetterWidth, kLetterHeight};
}

struct Grid {
    int columns, rows;
};

// Pages per sheet: the grid for portrait pages, and whether the sheet lies
// across them.
struct NUp {
    int pages;
    Grid grid;
    bool turned;
};

const NUp kNUps[] = {
    {2, {2, 1}, true},  {4, {2, 2}, false},  {6, {3, 2}, true},
    {9, {3, 3}, false}, {16, {4, 4}, false}, {25, {5, 5}, false},
};

// The column and row of the k-th page of a sheet: across then down, down
// then across, and each from the right.
struct Cell {
    int column, row;
};

Cell CellOf(int k, Grid grid, const std::string& layout)
{
    if (layout == "lrtb") return {k % grid.columns, k / grid.columns};
    if (layout == "rltb") return {grid.columns - 1 - k % grid.columns, k / grid.columns};
    if (layout == "tblr") return {k / grid.rows, k % grid.rows};
    return {grid.columns - 1 - k / grid.rows, k % grid.rows};  // tbrl
}

// A cell is the sheet scaled down so that the printable parts of the grid,
// with a sheet's margin between neighbours, span the sheet's printable
// area. The page goes in scaled to the cell's printable part, its centre on
// the cell's centre.
struct Placement {
    double centreX, centreY;
    double scale;
};

Placement PlaceInCell(const Sheet& sheet, Grid grid, Cell cell, double pageExtentWidth, double pageExtentHeight)
{
    double ew = sheet.Extent(true), eh = sheet.Extent(false);
    double spanX = (grid.columns - 1) * sheet.width + ew, spanY = (grid.rows - 1) * sheet.height + eh;
    double cellWidth = ew * sheet.width / spanX, cellHeight = eh * sheet.height / spanY;
    double offX = (sheet.width - ew) * ew / (2 * spanX), offY = (sheet.height - eh) * eh / (2 * spanY);
    double printableWidth = ew * ew / spanX, printableHeight = eh * eh / spanY;
    return {kMargin - offX + (cell.column + 0.5) * cellWidth, kMargin - offY + (cell.row + 0.5) * cellHeight,
            std::min(printableWidth / pageExtentWidth, printableHeight / pageExtentHeight)};
}

// The frame in pixels of a page of `size` lying as `orientation`, scaled
// and centred at the placement.
jobgen::PageFrame FrameAt(const Placement& at, jobgen::PageSize size, jobgen::Orientation orientation,
                          double dpi = kDpi)
{
    jobgen::PageSize lying = jobgen::OrientedSize(orientation, size);
    double k = dpi / 96.0;
    double width = lying.width * at.scale * k, height = lying.height * at.scale * k;
    return {{at.centreX * k - width / 2, at.centreY * k - height / 2, width, height}, size, orientation};
}

void ExpectSheetSize(const RgbImage& raster, const Sheet& sheet)
{
    EXPECT_NEAR(raster.Width(), sheet.width * kDpi / 96, 1.5);
    EXPECT_NEAR(raster.Height(), sheet.height * kDpi / 96, 1.5);
}

// --- Pages in cells ------------------------------------------------------

// The part names that follow each occurrence of `before` in the text, up to
// the closing quote, without a leading slash.
std::vector<std::string> NamesAfter(const std::string& text, const std::string& before)
{
    std::vector<std::string> names;
    for (size_t at = text.find(before); at != std::string::npos; at = text.find(before, at + 1)) {
        size_t start = at + before.size();
        if (start < text.size() && text[start] == '/') ++start;
        names.push_back(text.substr(start, text.find('"', start) - start));
    }
    return names;
}

// The output's pages in order.
std::vector<std::string> OutputPages(const std::string& package)
{
    return NamesAfter(ZipItem(package, "Documents/1/FixedDocument.fdoc"), "Source=\"");
}

TEST(LayoutEndToEnd, EachPageOfAnNUpSheetLiesUprightInTheCellItsOrderNames)
{
    REQUIRE_RENDERING();
    for (const NUp& nup : kNUps) {
        std::string input = LetterJob("nup" + std::to_string(nup.pages) + ".xps", nup.pages);
        // Small cells need a finer render for their marks.
        int dpi = nup.pages > 9 ? 144 : kDpi;
        for (const std::string layout : {"lrtb", "tblr", "rltb", "tbrl"}) {
            SCOPED_TRACE("number-up=" + std::to_string(nup.pages) + " " + layout);
            std::string output = Folder("nup" + std::to_string(nup.pages) + "-" + layout + ".xps");
            RunChain("layout", {"number-up=" + std::to_string(nup.pages), "number-up-layout=" + layout, kLetterMedia},
                     input, output);
            std::vector<RgbImage> sheets = Render(output, dpi);
            ASSERT_EQ(sheets.size(), 1u);
            Sheet sheet = LetterSheet(nup.turned);
            EXPECT_NEAR(sheets[0].Width(), sheet.width * dpi / 96, 1.5);
            EXPECT_NEAR(sheets[0].Height(), sheet.height * dpi / 96, 1.5);
            for (int k = 0; k < nup.pages; ++k) {
                Placement at = PlaceInCell(sheet, nup.grid, CellOf(k, nup.grid, layout), kLetterWidth - 2 * kMargin,
                                           kLetterHeight - 2 * kMargin);
                EXPECT_EQ(jobgen::DecodePageNumber(sheets[0], FrameAt(at, jobgen::kLetter, {}, dpi)), k + 1)
                    << "cell of page " << k + 1;
            }
        }
    }
}

TEST(LayoutEndToEnd, TwoUpOfPortraitLetterPagesIsALandscapeSheetWithPageOneLeftAndPageTwoRight)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("twoup.xps", 3);
    std::string output = Folder("twoup-out.xps");
    RunChain("layout", {"number-up=2", kLetterMedia}, input, output);
    std::vector<RgbImage> sheets = Render(output);
    // Three pages: the second sheet is sent at the end of the job with its
    // right half empty.
    ASSERT_EQ(sheets.size(), 2u);
    Sheet sheet = LetterSheet(true);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("page " + std::to_string(k + 1));
        const RgbImage& raster = sheets[k / 2];
        ExpectSheetSize(raster, sheet);
        Placement at = PlaceInCell(sheet, {2, 1}, {k % 2, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
        jobgen::PageFrame frame = FrameAt(at, jobgen::kLetter, {});
        EXPECT_EQ(jobgen::DecodePageNumber(raster, frame), k + 1);
        EXPECT_EQ(jobgen::DetectOrientation(raster, frame.area, jobgen::kLetter), jobgen::Orientation{});
    }
    Placement empty = PlaceInCell(sheet, {2, 1}, {1, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
    EXPECT_EQ(jobgen::DecodePageNumber(sheets[1], FrameAt(empty, jobgen::kLetter, {})), jobgen::kBlankPage);

    // The font and the image both pages use are parts of the first sheet,
    // once each.
    std::string rels = ZipItem(output, "_rels/" + OutputPages(output)[0] + ".rels");
    std::vector<std::string> resources = NamesAfter(rels, "required-resource\" Target=\"");
    std::sort(resources.begin(), resources.end());
    EXPECT_EQ(std::unique(resources.begin(), resources.end()), resources.end());
    EXPECT_EQ(std::count_if(resources.begin(), resources.end(),
                            [](const std::string& name) { return name.find(".odttf") != std::string::npos; }),
              1);
    EXPECT_EQ(std::count_if(resources.begin(), resources.end(),
                            [](const std::string& name) { return name.find(".png") != std::string::npos; }),
              1);
}

// N-up asked for the job goes on across documents: the sheets of both
// follow the first FixedDocument, which is the only one sent.
TEST(LayoutEndToEnd, FourUpOfTwoDocumentsFillsTheSheetsAcrossTheDocumentBoundary)
{
    REQUIRE_RENDERING();
    jobgen::JobSpec job = jobgen::MakeJob(2, 3, jobgen::kLetter);
    std::string input = Folder("twodocs.xps");
    jobgen::WriteXpsJob(job, input);
    std::string output = Folder("twodocs-out.xps");
    RunChain("layout", {"number-up=4", kLetterMedia}, input, output);
    EXPECT_EQ(NamesAfter(ZipItem(output, "FixedDocumentSequence.fdseq"), "Source=\"").size(), 1u);
    EXPECT_EQ(OutputPages(output).size(), 2u);
    std::vector<RgbImage> sheets = Render(output);
    ASSERT_EQ(sheets.size(), 2u);
    for (int k = 0; k < 6; ++k) {
        Placement at = PlaceInCell(LetterSheet(false), {2, 2}, CellOf(k % 4, {2, 2}, "lrtb"),
                                   kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
        EXPECT_EQ(jobgen::DecodePageNumber(sheets[k / 4], FrameAt(at, jobgen::kLetter, {})), k + 1) << "page " << k + 1;
    }
}

// A landscape page among portrait pages of a 4-up sheet is turned a quarter
// counter-clockwise into its cell, clockwise with a landscape rotation of
// 90; it is scaled to fit the cell across.
TEST(LayoutEndToEnd, ALandscapePageAmongPortraitOnesIsTurnedIntoItsCell)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("mixed4.xps", 4, {2});
    struct Case {
        std::vector<std::string> options;
        int quarterTurns;
    };
    const Case cases[] = {
        {{"number-up=4", kLetterMedia}, 3},
        {{"number-up=4", kLetterMedia, "--set-property LandscapeRotation=90"}, 1},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.quarterTurns);
        std::string output = Folder("mixed4-" + std::to_string(test.quarterTurns) + ".xps");
        RunChain("layout", test.options, input, output);
        std::vector<RgbImage> sheets = Render(output);
        ASSERT_EQ(sheets.size(), 1u);
        for (int k = 0; k < 4; ++k) {
            bool landscape = k == 1;
            // The turned page's printable extent lies down the cell.
            Placement at = PlaceInCell(LetterSheet(false), {2, 2}, CellOf(k, {2, 2}, "lrtb"),
                                       kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
            jobgen::PageSize size = landscape ? jobgen::Landscape(jobgen::kLetter) : jobgen::kLetter;
            jobgen::Orientation lying{landscape ? test.quarterTurns : 0, false};
            EXPECT_EQ(jobgen::DecodePageNumber(sheets[0], FrameAt(at, size, lying)), k + 1) << "page " << k + 1;
        }
    }
}

// Booklet spreads: the order filter sends 8, 1, 2, 7, 6, 3, 4, 5 and the
// layout filter pairs them on landscape sheet sides. With a 10 mm gutter
// (37.80 units) the two pages of each spread move apart from the fold, the
// left one left and the right one right.
TEST(LayoutEndToEnd, ABookletOfEightPagesIsFourSpreadsInBookletOrder)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("booklet8.xps", 8);
    for (double gutter : {0.0, 10000 / kMicronsPerUnit}) {
        SCOPED_TRACE("gutter " + std::to_string(gutter));
        std::string output = Folder(gutter == 0 ? "booklet8-out.xps" : "booklet8-gutter-out.xps");
        std::vector<std::string> options = {"booklet=on", kLetterMedia};
        if (gutter != 0) options.push_back("binding-gutter=10mm");
        RunChain("order,layout", options, input, output);
        std::vector<RgbImage> sheets = Render(output);
        const int spreads[4][2] = {{8, 1}, {2, 7}, {6, 3}, {4, 5}};
        ASSERT_EQ(sheets.size(), 4u);
        Sheet sheet = LetterSheet(true);
        for (int side = 0; side < 4; ++side) {
            ExpectSheetSize(sheets[side], sheet);
            for (int half = 0; half < 2; ++half) {
                Placement at =
                    PlaceInCell(sheet, {2, 1}, {half, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
                if (gutter != 0) {
                    EXPECT_NE(jobgen::DecodePageNumber(sheets[side], FrameAt(at, jobgen::kLetter, {})),
                              spreads[side][half])
                        << "side " << side + 1 << " half " << half + 1 << " did not move";
                }
                at.centreX += half == 0 ? -gutter : gutter;
                EXPECT_EQ(jobgen::DecodePageNumber(sheets[side], FrameAt(at, jobgen::kLetter, {})), spreads[side][half])
                    << "side " << side + 1 << " half " << half + 1;
            }
        }
    }
}

// Two-sided without N-up: every page on a sheet of the first page's size
// and orientation, a landscape page turned a quarter counter-clockwise and
// centred, never scaled.
TEST(LayoutEndToEnd, OneUpReimpositionPutsEveryPageOfATwoSidedJobOnAPortraitSheet)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("oneup.xps", 4, {2, 3});
    std::string output = Folder("oneup-out.xps");
    RunChain("layout", {"sides=two-sided-long-edge", kLetterMedia}, input, output);
    std::vector<RgbImage> sheets = Render(output);
    ASSERT_EQ(sheets.size(), 4u);
    Sheet sheet = LetterSheet(false);
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE("page " + std::to_string(k + 1));
        ExpectSheetSize(sheets[k], sheet);
        bool landscape = k == 1 || k == 2;
        Placement centred{sheet.width / 2, sheet.height / 2, 1.0};
        jobgen::PageSize size = landscape ? jobgen::Landscape(jobgen::kLetter) : jobgen::kLetter;
        EXPECT_EQ(jobgen::DecodePageNumber(sheets[k], FrameAt(centred, size, {landscape ? 3 : 0, false})), k + 1);
    }
}

// --- Border lines -----------------------------------------------------

// Darkness (255 - green) along the line between the columns of a 4-up sheet,
// sampled every half unit down a stretch away from the crossing line.
std::vector<int> DarknessDownTheMiddle(const RgbImage& sheet, int dpi)
{
    Sheet letter = LetterSheet(false);
    double ew = letter.Extent(true);
    double spanX = letter.width + ew;
    double cellWidth = ew * letter.width / spanX;
    double offX = (letter.width - ew) * ew / (2 * spanX);
    double lineX = kMargin - offX + cellWidth;
    std::vector<int> darkness;
    for (double y = 100; y < 400; y += 0.5) {
        int darkest = 0;
        for (double dx = -1; dx <= 1; dx += 0.25) {
            int x = static_cast<int>((lineX + dx) * dpi / 96), row = static_cast<int>(y * dpi / 96);
            darkest = std::max(darkest, 255 - static_cast<int>(sheet.At(x, row).g));
        }
        darkness.push_back(darkest);
    }
    return darkness;
}

TEST(LayoutEndToEnd, BorderLinesAreSolidOrDashedWhereAsked)
{
    REQUIRE_RENDERING();
    constexpr int kFine = 300;
    std::string input = LetterJob("border.xps", 4);
    for (const std::string border : {"none", "single", "dashed"}) {
        SCOPED_TRACE(border);
        std::string output = Folder("border-" + border + ".xps");
        RunChain("layout", {"number-up=4", "page-border=" + border, kLetterMedia}, input, output);
        std::vector<RgbImage> sheets = Render(output, kFine);
        ASSERT_EQ(sheets.size(), 1u);
        std::vector<int> darkness = DarknessDownTheMiddle(sheets[0], kFine);
        long dark = std::count_if(darkness.begin(), darkness.end(), [](int d) { return d > 60; });
        double share = double(dark) / darkness.size();
        if (border == "none") {
            EXPECT_EQ(dark, 0);
        } else if (border == "single") {
            EXPECT_GT(share, 0.98);
        } else {
            // Dashes and gaps of equal length.
            EXPECT_NEAR(share, 0.5, 0.15);
        }
    }
}

// --- Real documents -----------------------------------------------------

// The mean brightness of the blocks of a page region: a page whose render
// is placed scaled on a sheet keeps its blocks' brightness.
std::vector<double> BlockMeans(const RgbImage& raster, double x0, double y0, double width, double height, int blocks)
{
    std::vector<double> means;
    for (int by = 0; by < blocks; ++by) {
        for (int bx = 0; bx < blocks; ++bx) {
            double sum = 0;
            int count = 0;
            int left = static_cast<int>(x0 + width * bx / blocks),
                right = static_cast<int>(x0 + width * (bx + 1) / blocks);
            int top = static_cast<int>(y0 + height * by / blocks),
                bottom = static_cast<int>(y0 + height * (by + 1) / blocks);
            for (int y = std::max(top, 0); y < std::min(bottom, raster.Height()); ++y) {
                for (int x = std::max(left, 0); x < std::min(right, raster.Width()); ++x) {
                    jobgen::Rgb p = raster.At(x, y);
                    sum += (p.r + p.g + p.b) / 3.0;
                    ++count;
                }
            }
            means.push_back(count == 0 ? 0 : sum / count);
        }
    }
    return means;
}

// The printable part of an input page of pageWidth x pageHeight (rendered at
// kDpi) against the same part of the sheet, where the placement puts it
// upright, block by block: every corner's content is where it belongs.
void ExpectPageShownAt(const RgbImage& input, const RgbImage& sheet, const Placement& at,
                       double pageWidth = kLetterWidth, double pageHeight = kLetterHeight)
{
    constexpr int kBlocks = 8;
    double k = kDpi / 96.0;
    double printableWidth = pageWidth - 2 * kMargin, printableHeight = pageHeight - 2 * kMargin;
    std::vector<double> expected =
        BlockMeans(input, kMargin * k, kMargin * k, printableWidth * k, printableHeight * k, kBlocks);
    double left = (at.centreX - at.scale * (pageWidth / 2 - kMargin)) * k;
    double top = (at.centreY - at.scale * (pageHeight / 2 - kMargin)) * k;
    std::vector<double> actual =
        BlockMeans(sheet, left, top, printableWidth * at.scale * k, printableHeight * at.scale * k, kBlocks);
    double worst = 0;
    for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(expected[i] - actual[i]));
    EXPECT_LT(worst, 8) << "a block of the page differs by " << worst;
}

TEST(LayoutEndToEnd, RealDocumentsFourUpAndAsBookletsShowTheirPagesInTheirCells)
{
    REQUIRE_RENDERING();
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"}) {
        SCOPED_TRACE(fixture);
        std::string input = FixturesFolder() + "/" + fixture;
        std::vector<RgbImage> pages = Render(input);
        ASSERT_FALSE(pages.empty());

        std::string fourUp = Folder(std::string(fixture) + "-4up.xps");
        RunChain("layout", {"number-up=4", kLetterMedia}, input, fourUp);
        std::vector<RgbImage> sheets = Render(fourUp);
        ASSERT_EQ(sheets.size(), 1u);
        for (size_t k = 0; k < pages.size(); ++k) {
            SCOPED_TRACE("4-up page " + std::to_string(k + 1));
            ExpectPageShownAt(pages[k], sheets[0],
                              PlaceInCell(LetterSheet(false), {2, 2}, CellOf(int(k), {2, 2}, "lrtb"),
                                          kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin));
        }

        // As a booklet the pages are padded to four: blank, 1 | 2, 3 for
        // three pages, blank, 1 | blank, blank for one.
        std::string booklet = Folder(std::string(fixture) + "-booklet.xps");
        RunChain("order,layout", {"booklet=on", kLetterMedia}, input, booklet);
        std::vector<RgbImage> spreads = Render(booklet);
        ASSERT_EQ(spreads.size(), 2u);
        std::vector<int> order = pages.size() == 3 ? std::vector<int>{0, 1, 2, 3} : std::vector<int>{0, 1, 0, 0};
        RgbImage white(pages[0].Width(), pages[0].Height());
        for (int position = 0; position < 4; ++position) {
            SCOPED_TRACE("booklet position " + std::to_string(position + 1));
            const RgbImage& page = order[position] == 0 ? white : pages[order[position] - 1];
            ExpectPageShownAt(page, spreads[position / 2],
                              PlaceInCell(LetterSheet(true), {2, 1}, {position % 2, 0}, kLetterWidth - 2 * kMargin,
                                          kLetterHeight - 2 * kMargin));
        }
    }
}

TEST(LayoutEndToEnd, WithoutLayoutSettingsPagesPassThroughPixelIdentical)
{
    REQUIRE_RENDERING();
    std::vector<std::string> inputs = {LetterJob("plain.xps", 3, {2})};
    if (!FixturesFolder().empty()) {
        for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"})
            inputs.push_back(FixturesFolder() + "/" + fixture);
    }
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        std::string output = Folder("plain-" + input.substr(input.rfind('/') + 1) + "-out.xps");
        RunChain("layout", {}, input, output);
        std::vector<RgbImage> before = Render(input);
        std::vector<RgbImage> after = Render(output);
        ASSERT_EQ(after.size(), before.size());
        for (size_t page = 0; page < before.size(); ++page)
            EXPECT_TRUE(after[page].Bytes() == before[page].Bytes()) << "page " << page + 1 << " renders differently";
    }
}

// --- Tickets ------------------------------------------------------------

// The ticket part a page of the output has.
std::string TicketOf(const std::string& package, const std::string& page)
{
    size_t slash = page.rfind('/');
    std::string folder = slash == std::string::npos ? "" : page.substr(0, slash + 1);
    std::string rels = ZipItem(package, folder + "_rels/" + page.substr(slash + 1) + ".rels");
    std::vector<std::string> tickets = NamesAfter(rels, "printticket\" Target=\"");
    return tickets.empty() ? "" : ZipItem(package, tickets[0]);
}

std::string Option(const testsupport::TicketMarkup& ticket, const std::string& feature)
{
    return ticket.Text("/psf:PrintTicket/psf:Feature[@name='" + feature + "']/psf:Option/@name");
}

std::string PagesPerSheet(const testsupport::TicketMarkup& ticket)
{
    return ticket.Text(
        "/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Option/"
        "psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value");
}

// 2-up of three pages, two-sided, with a separate tray for the first sheet:
// the first sheet names the first page's bin, an empty back side follows it
// so that the next sheet starts on a front, and the last sheet names the
// second bin. Every sheet says one page per sheet, its landscape media, and
// that no tray is to be separated again, and keeps the page's mirror
// setting for the finisher; the job says one page per sheet too.
TEST(LayoutEndToEnd, SheetsAndEmptySidesCarryTicketsThatDescribeThem)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("tickets.xps", 3);
    std::string output = Folder("tickets-out.xps");
    RunChain("layout",
             {"number-up=2", "sides=two-sided-long-edge", "separate-tray=on", "input-slot=manual",
              "second-input-slot=tray2", "mirror=width", kLetterMedia},
             input, output);
    std::vector<std::string> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].rfind("LO_NUpPage_", 0), 0u) << pages[0];
    EXPECT_EQ(pages[1].rfind("LO_Empty_", 0), 0u) << pages[1];
    EXPECT_EQ(pages[2].rfind("LO_NUpPage_", 0), 0u) << pages[2];
    const char* bins[] = {"psk:Manual", "", "priv:Tray2"};
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(pages[i]);
        testsupport::TicketMarkup ticket(TicketOf(output, pages[i]));
        ASSERT_TRUE(ticket.Parsed());
        EXPECT_EQ(Option(ticket, "psk:PageOrientation"), "psk:Landscape");
        EXPECT_EQ(Option(ticket, "psk:PageMediaSize"), "psk:NorthAmericaLetter");
        EXPECT_EQ(PagesPerSheet(ticket), "1");
        EXPECT_EQ(Option(ticket, "psk:PageMirrorImage"), "psk:MirrorImageWidth");
        if (*bins[i] != 0) {
            std::string bin = Option(ticket, "psk:PageInputBin");
            // The private prefix is whatever the ticket declares.
            if (bin.rfind("psk:", 0) != 0) bin = "priv:" + bin.substr(bin.find(':') + 1);
            EXPECT_EQ(bin, bins[i]);
            EXPECT_EQ(ticket.Text("//psf:Property[substring-after(@name, ':') = 'SeparateTrayMode']/psf:Value"), "Off");
        }
    }
    std::vector<RgbImage> rendered = Render(output);
    ASSERT_EQ(rendered.size(), 3u);
    EXPECT_EQ(jobgen::DecodePageNumber(rendered[1], jobgen::WholeRasterFrame(rendered[1], jobgen::kLetter)),
              jobgen::kBlankPage);

    std::vector<std::string> jobTickets =
        NamesAfter(ZipItem(output, "_rels/FixedDocumentSequence.fdseq.rels"), "printticket\" Target=\"");
    ASSERT_EQ(jobTickets.size(), 1u);
    EXPECT_EQ(jobTickets[0].rfind("PT_LO_", 0), 0u);
    testsupport::TicketMarkup job(ZipItem(output, jobTickets[0]));
    EXPECT_EQ(PagesPerSheet(job), "1");
}

// A page ticket whose job setting data names the divide condition.
std::string DivideConditionTicket(const std::string& condition)
{
    return std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + testsupport::kFrameworkUri + "\" xmlns:xsi=\"" +
           testsupport::kSchemaInstanceUri + "\" xmlns:xsd=\"" + testsupport::kSchemaUri + "\" xmlns:ns0000=\"" +
           testsupport::kPrivateUri +
           "\"><psf:Property name=\"ns0000:JobSettingData\"><psf:Property name=\"ns0000:DivideCondition\">"
           "<psf:Value xsi:type=\"xsd:string\">" +
           condition + "</psf:Value></psf:Property></psf:Property></psf:PrintTicket>";
}

// 2-up, two-sided, the second of three pages starting a new division: the
// sheet holding page 1 alone is closed, an empty back side follows it, and
// the new division starts on the front of the next sheet.
TEST(LayoutEndToEnd, ADivideConditionChangeClosesTheOpenSheetAndStartsOnAFrontSide)
{
    REQUIRE_RENDERING();
    jobgen::JobSpec job = jobgen::MakeJob(1, 3, jobgen::kLetter);
    const char* conditions[] = {"A", "B", "B"};
    for (int page = 0; page < 3; ++page) job.documents[0].pages[page].ticket = DivideConditionTicket(conditions[page]);
    std::string input = Folder("divide.xps");
    jobgen::WriteXpsJob(job, input);
    std::string output = Folder("divide-out.xps");
    RunChain("layout", {"number-up=2", "sides=two-sided-long-edge", kLetterMedia}, input, output);

    std::vector<RgbImage> sides = Render(output);
    ASSERT_EQ(sides.size(), 3u);
    Sheet sheet = LetterSheet(true);
    auto pageIn = [&](const RgbImage& side, int half) {
        Placement at = PlaceInCell(sheet, {2, 1}, {half, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
        return jobgen::DecodePageNumber(side, FrameAt(at, jobgen::kLetter, {}));
    };
    EXPECT_EQ(pageIn(sides[0], 0), 1);
    EXPECT_EQ(pageIn(sides[0], 1), jobgen::kBlankPage);
    ExpectSheetSize(sides[1], sheet);
    EXPECT_EQ(pageIn(sides[1], 0), jobgen::kBlankPage);
    EXPECT_EQ(pageIn(sides[1], 1), jobgen::kBlankPage);
    EXPECT_EQ(pageIn(sides[2], 0), 2);
    EXPECT_EQ(pageIn(sides[2], 1), 3);
    std::vector<std::string> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[1].rfind("LO_Empty_", 0), 0u) << pages[1];
    EXPECT_FALSE(TicketOf(output, pages[1]).empty());
}

// --- Binding gutter -----------------------------------------------------

// A 10 mm gutter is 10000 / 264.58 = 37.80 units. Bound left, a long-edge
// two-sided job moves its fronts (odd pages) right and its backs left, so
// that the gutter stays on the bound edge of the paper; a one-sided job
// moves every page right. Bound at the top, short edge: fronts down, backs
// up. Each page stays whole on its own Letter sheet, only moved.
TEST(LayoutEndToEnd, TheBindingGutterMovesEachSideAwayFromTheBoundEdge)
{
    REQUIRE_RENDERING();
    const double gutter = 10000 / kMicronsPerUnit;
    struct Case {
        const char* binding;
        const char* sides;
        double frontX, frontY;  // the shift of odd pages; even ones below
        double backX, backY;
    };
    const Case cases[] = {
        {"left", "two-sided-long-edge", gutter, 0, -gutter, 0},
        {"left", "one-sided", gutter, 0, gutter, 0},
        {"top", "two-sided-short-edge", 0, gutter, 0, -gutter},
    };
    // Every page with a ticket of its own, which a page rewritten in place
    // keeps.
    jobgen::JobSpec job = jobgen::MakeJob(1, 4, jobgen::kLetter);
    std::string portrait = kLandscapeTicket;
    portrait.replace(portrait.find("psk:Landscape"), 13, "psk:Portrait");
    for (jobgen::PageSpec& page : job.documents[0].pages) page.ticket = portrait;
    std::string input = Folder("gutter.xps");
    jobgen::WriteXpsJob(job, input);
    Sheet sheet = LetterSheet(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.binding) + " " + c.sides);
        std::string output = Folder(std::string("gutter-") + c.binding + "-" + c.sides + ".xps");
        RunChain(
            "layout",
            {"binding=" + std::string(c.binding), "binding-gutter=10mm", "sides=" + std::string(c.sides), kLetterMedia},
            input, output);
        std::vector<RgbImage> sides = Render(output);
        ASSERT_EQ(sides.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE("page " + std::to_string(k + 1));
            ExpectSheetSize(sides[k], sheet);
            bool front = k % 2 == 0;
            Placement moved{sheet.width / 2 + (front ? c.frontX : c.backX),
                            sheet.height / 2 + (front ? c.frontY : c.backY), 1.0};
            EXPECT_EQ(jobgen::DecodePageNumber(sides[k], FrameAt(moved, jobgen::kLetter, {})), k + 1);
            Placement unmoved{sheet.width / 2, sheet.height / 2, 1.0};
            EXPECT_NE(jobgen::DecodePageNumber(sides[k], FrameAt(unmoved, jobgen::kLetter, {})), k + 1);
        }
        // Each page keeps a ticket of its own; one-sided pages are the input's
        // pages rewritten in place, with the input's tickets.
        std::vector<std::string> pages = OutputPages(output);
        ASSERT_EQ(pages.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            EXPECT_FALSE(TicketOf(output, pages[k]).empty()) << pages[k];
            std::string inputPage = "Documents/1/Pages/" + std::to_string(k + 1) + ".fpage";
            if (std::string(c.sides) == "one-sided") {
                EXPECT_EQ(pages[k], inputPage);
                EXPECT_EQ(TicketOf(output, pages[k]), TicketOf(input, inputPage));
            }
        }
    }
}

// The job's first page fixes which edge is bound. A landscape page lies on
// portrait paper turned a quarter counter-clockwise, its top along the
// paper's left edge; so in a job that starts portrait and is bound left,
// a landscape page moves down its own page, (0, +g), away from that edge.
// In a job that starts landscape the bound edge is the paper's bottom: the
// landscape page moves right, (+g, 0), and a portrait page up, (0, -g).
// Two-sided, every page lies on a sheet of the first page's orientation, so
// a landscape page turned onto a portrait sheet moves with the sheet side:
// right on fronts, left on backs.
TEST(LayoutEndToEnd, APageOfTheOtherOrientationMovesAwayFromTheSameEdgeOfThePaper)
{
    REQUIRE_RENDERING();
    const double g = 10000 / kMicronsPerUnit;
    struct Shift {
        double dx, dy;
    };
    struct Case {
        const char* name;
        std::vector<int> landscapePages;
        const char* sides;
        std::vector<Shift> shifts;  // of each page, in the side's coordinates
    };
    const Case cases[] = {
        {"portrait-first", {2}, "one-sided", {{g, 0}, {0, g}}},
        {"landscape-first", {1}, "one-sided", {{g, 0}, {0, -g}}},
        {"two-sided", {2, 3}, "two-sided-long-edge", {{g, 0}, {-g, 0}, {g, 0}, {-g, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int count = static_cast<int>(c.shifts.size());
        std::string input = LetterJob(std::string("turned-gutter-") + c.name + ".xps", count, c.landscapePages);
        std::string output = Folder(std::string("turned-gutter-") + c.name + "-out.xps");
        RunChain("layout", {"binding=left", "binding-gutter=10mm", std::string("sides=") + c.sides, kLetterMedia},
                 input, output);
        std::vector<RgbImage> sides = Render(output);
        ASSERT_EQ(sides.size(), c.shifts.size());
        auto isLandscape = [&](int page) {
            return std::find(c.landscapePages.begin(), c.landscapePages.end(), page) != c.landscapePages.end();
        };
        bool twoSided = std::string(c.sides) != "one-sided";
        for (int k = 0; k < count; ++k) {
            SCOPED_TRACE("page " + std::to_string(k + 1));
            // One-sided, the side is the page itself; two-sided, a sheet of
            // the first page's orientation, the page turned onto it.
            bool landscape = isLandscape(k + 1);
            Sheet sheet = LetterSheet(twoSided ? isLandscape(1) : landscape);
            jobgen::Orientation lying{twoSided && landscape != isLandscape(1) ? 3 : 0, false};
            jobgen::PageSize size = landscape ? jobgen::Landscape(jobgen::kLetter) : jobgen::kLetter;
            ExpectSheetSize(sides[k], sheet);
            Placement moved{sheet.width / 2 + c.shifts[k].dx, sheet.height / 2 + c.shifts[k].dy, 1.0};
            EXPECT_EQ(jobgen::DecodePageNumber(sides[k], FrameAt(moved, size, lying)), k + 1);
            Placement unmoved{sheet.width / 2, sheet.height / 2, 1.0};
            EXPECT_NE(jobgen::DecodePageNumber(sides[k], FrameAt(unmoved, size, lying)), k + 1);
        }
    }
}

// 2-up sheets lie landscape, so a job bound left is bound on a short edge
// of its sheets. Flipped over that edge (short edge), the back's bound edge
// is on the right and the back moves left; flipped over the long edge, the
// bound edge stays on the left and every side moves right. The shift moves
// the whole sheet side, both cells alike.
TEST(LayoutEndToEnd, TheGutterMovesWholeNUpSheetSidesOfTheirBoundEdge)
{
    REQUIRE_RENDERING();
    const double g = 10000 / kMicronsPerUnit;
    std::string input = LetterJob("nup-gutter.xps", 6);
    Sheet sheet = LetterSheet(true);
    for (const std::string sides : {"two-sided-short-edge", "two-sided-long-edge"}) {
        SCOPED_TRACE(sides);
        std::string output = Folder("nup-gutter-" + sides + ".xps");
        RunChain("layout", {"number-up=2", "binding=left", "binding-gutter=10mm", "sides=" + sides, kLetterMedia},
                 input, output);
        std::vector<RgbImage> rendered = Render(output);
        ASSERT_EQ(rendered.size(), 3u);
        for (int k = 0; k < 6; ++k) {
            SCOPED_TRACE("page " + std::to_string(k + 1));
            bool back = k / 2 == 1;
            Placement at =
                PlaceInCell(sheet, {2, 1}, {k % 2, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin);
            at.centreX += back && sides == "two-sided-short-edge" ? -g : g;
            EXPECT_EQ(jobgen::DecodePageNumber(rendered[k / 2], FrameAt(at, jobgen::kLetter, {})), k + 1);
        }
    }
}

// --- Posters ------------------------------------------------------------

// A poster of n x n tiles: tile (c, r) on its own Letter sheet shows, on
// the sheet's printable area, the part of the page's printable area that
// starts c/n across and r/n down, enlarged n times. So each tile rendered
// at kDpi matches that part of the page rendered at n x kDpi, block by
// block (anti-aliasing at the seams aside). Every page of the input is a
// poster, its tiles after the page before's; tag names the output.
void ExpectTilesAreThePageEnlarged(const std::string& input, int n, bool landscape, const std::string& tag = "")
{
    Sheet sheet = LetterSheet(landscape);
    const double printableWidth = sheet.width - 2 * kMargin, printableHeight = sheet.height - 2 * kMargin;
    std::string output = Folder("poster-" + std::to_string(n) + (landscape ? "-landscape" : "") + tag + ".xps");
    RunChain("layout", {"poster=" + std::to_string(n * n), kLetterMedia}, input, output);
    std::vector<RgbImage> tiles = Render(output);
    std::vector<RgbImage> enlarged = Render(input, kDpi * n);
    ASSERT_EQ(tiles.size(), enlarged.size() * n * n);
    double k = kDpi / 96.0;
    for (size_t t = 0; t < tiles.size(); ++t) {
        SCOPED_TRACE("page " + std::to_string(t / (n * n) + 1) + " tile " + std::to_string(t % (n * n)));
        ExpectSheetSize(tiles[t], sheet);
        int column = int(t) % n, row = int(t) % (n * n) / n;
        constexpr int kBlocks = 8;
        std::vector<double> expected =
            BlockMeans(enlarged[t / (n * n)], (kMargin + column * printableWidth / n) * k * n,
                       (kMargin + row * printableHeight / n) * k * n, printableWidth * k, printableHeight * k, kBlocks);
        std::vector<double> actual =
            BlockMeans(tiles[t], kMargin * k, kMargin * k, printableWidth * k, printableHeight * k, kBlocks);
        double worst = 0;
        for (size_t i = 0; i < expected.size(); ++i) worst = std::max(worst, std::abs(expected[i] - actual[i]));
        EXPECT_LT(worst, 8) << "a block of the tile differs by " << worst;
    }
}

TEST(LayoutEndToEnd, PosterTilesPutTogetherAreThePageEnlarged)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("poster.xps", 1);
    for (int n : {2, 3, 4, 5}) {
        SCOPED_TRACE("poster " + std::to_string(n * n));
        ExpectTilesAreThePageEnlarged(input, n, false);
    }
    // Landscape pages that say nothing of their orientation, on the Letter
    // medium asked for, lie on landscape tiles.
    jobgen::JobSpec wide = jobgen::MakeJob(1, 1, jobgen::Landscape(jobgen::kLetter));
    std::string landscape = Folder("poster-landscape.xps");
    jobgen::WriteXpsJob(wide, landscape);
    SCOPED_TRACE("landscape poster 4");
    ExpectTilesAreThePageEnlarged(landscape, 2, true);
}

// A page ticket asking for a poster of `sheets` tiles.
std::string PosterTicket(int sheets)
{
    return std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + testsupport::kFrameworkUri +
           "\" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" xmlns:xsi=\"" +
           testsupport::kSchemaInstanceUri + "\" xmlns:xsd=\"" + testsupport::kSchemaUri +
           "\"><psf:Feature name=\"psk:PagePoster\"><psf:Option><psf:ScoredProperty name=\"psk:SheetsPerPage\">"
           "<psf:Value xsi:type=\"xsd:integer\">" +
           std::to_string(sheets) + "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature></psf:PrintTicket>";
}

std::string JobWithPoster(const std::string& name, int pages, int posterPage)
{
    jobgen::JobSpec job = jobgen::MakeJob(1, pages, jobgen::kLetter);
    job.documents[0].pages[posterPage - 1].ticket = PosterTicket(4);
    std::string path = Folder(name);
    jobgen::WriteXpsJob(job, path);
    return path;
}

// 4-up with page 3 a poster: the sheet holding pages 1 and 2 is closed, the
// four tiles follow on sheets of their own, and pages 4 to 6 start a new
// sheet in its first cells.
TEST(LayoutEndToEnd, NUpStartsANewSheetAfterAPosterPage)
{
    REQUIRE_RENDERING();
    std::string input = JobWithPoster("nup-poster.xps", 6, 3);
    std::string output = Folder("nup-poster-out.xps");
    RunChain("layout", {"number-up=4", kLetterMedia}, input, output);
    std::vector<RgbImage> sides = Render(output);
    ASSERT_EQ(sides.size(), 6u);
    Sheet sheet = LetterSheet(false);
    auto pageIn = [&](const RgbImage& side, int k) {
        Placement at = PlaceInCell(sheet, {2, 2}, CellOf(k, {2, 2}, "lrtb"), kLetterWidth - 2 * kMargin,
                                   kLetterHeight - 2 * kMargin);
        return jobgen::DecodePageNumber(side, FrameAt(at, jobgen::kLetter, {}));
    };
    EXPECT_EQ(pageIn(sides[0], 0), 1);
    EXPECT_EQ(pageIn(sides[0], 1), 2);
    EXPECT_EQ(pageIn(sides[0], 2), jobgen::kBlankPage);
    for (int tile = 1; tile <= 4; ++tile) ExpectSheetSize(sides[tile], sheet);
    EXPECT_EQ(pageIn(sides[5], 0), 4);
    EXPECT_EQ(pageIn(sides[5], 1), 5);
    EXPECT_EQ(pageIn(sides[5], 2), 6);
    EXPECT_EQ(pageIn(sides[5], 3), jobgen::kBlankPage);
}

// Two-sided, page 2 a poster: its first tile starts on a front side, so an
// empty back follows page 1; each tile counts as two sides but sends no
// empty back, and page 3 after the four tiles is a front again.
TEST(LayoutEndToEnd, PosterTilesOfATwoSidedJobSendNoEmptyBacks)
{
    REQUIRE_RENDERING();
    std::string input = JobWithPoster("duplex-poster.xps", 3, 2);
    std::string output = Folder("duplex-poster-out.xps");
    RunChain("layout", {"sides=two-sided-long-edge", kLetterMedia}, input, output);
    std::vector<std::string> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 7u);
    for (int k = 0; k < 7; ++k) {
        bool empty = pages[k].rfind("LO_Empty_", 0) == 0;
        EXPECT_EQ(empty, k == 1) << k << " " << pages[k];
    }
    std::vector<RgbImage> sides = Render(output);
    ASSERT_EQ(sides.size(), 7u);
    Sheet sheet = LetterSheet(false);
    Placement centred{sheet.width / 2, sheet.height / 2, 1.0};
    EXPECT_EQ(jobgen::DecodePageNumber(sides[0], FrameAt(centred, jobgen::kLetter, {})), 1);
    EXPECT_EQ(jobgen::DecodePageNumber(sides[6], FrameAt(centred, jobgen::kLetter, {})), 3);
}

// The same job printed two-sided by hand with a 10 mm gutter bound left:
// the empty back after page 1 is counted but not sent, so page 3, after
// the tiles, is still a front side and moves right like page 1.
TEST(LayoutEndToEnd, ManualTwoSidedSendsNoEmptySidesButKeepsFrontsAndBacks)
{
    REQUIRE_RENDERING();
    std::string input = JobWithPoster("manual-poster.xps", 3, 2);
    std::string output = Folder("manual-poster-out.xps");
    RunChain("layout", {"sides=two-sided-long-edge", "duplex-mode=manual", "binding-gutter=10mm", kLetterMedia}, input,
             output);
    std::vector<std::string> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 6u);
    for (const std::string& page : pages) EXPECT_EQ(page.find("LO_Empty_"), std::string::npos) << page;
    std::vector<RgbImage> sides = Render(output);
    ASSERT_EQ(sides.size(), 6u);
    Sheet sheet = LetterSheet(false);
    Placement front{sheet.width / 2 + 10000 / kMicronsPerUnit, sheet.height / 2, 1.0};
    EXPECT_EQ(jobgen::DecodePageNumber(sides[0], FrameAt(front, jobgen::kLetter, {})), 1);
    EXPECT_EQ(jobgen::DecodePageNumber(sides[5], FrameAt(front, jobgen::kLetter, {})), 3);
}

// --- Separate tray -------------------------------------------------------

// The bin a sheet's ticket names, with the private prefix written "priv:"
// whatever the ticket declares.
std::string SheetBinOf(const std::string& package, const std::string& page)
{
    testsupport::TicketMarkup ticket(TicketOf(package, page));
    std::string bin = Option(ticket, "psk:PageInputBin");
    if (bin.empty() || bin.rfind("psk:", 0) == 0) return bin;
    return "priv:" + bin.substr(bin.find(':') + 1);
}

// Two-sided one-up from a separate tray for the first page ("Manual"), the
// rest from "Tray2". The first page's sheet alone comes from that tray, so
// its back is an empty side and page 2 starts the next sheet; with the
// first sheet separated, pages 1 and 2 both come from it and no empty side
// is needed. A poster page ends the phase at once: a first page printed as
// a poster sends its four tiles (each counting two sides) with no empty
// side among them, where the end of a two-side phase after the second tile
// would otherwise ask for one; the tiles name the first page's own bin and
// the pages after them the second bin. "E" is an empty side, "T" a tile.
TEST(LayoutEndToEnd, ASeparateTrayFeedsTheFirstSheetAndAPosterEndsIt)
{
    REQUIRE_RENDERING();
    struct Case {
        const char* name;
        int posterPage;  // 0 for none
        const char* scope;
        std::vector<std::string> sides;  // page number, "E" or "T"
        std::vector<std::string> bins;
    };
    const Case cases[] = {
        {"first-page", 0, "first-page", {"1", "E", "2", "3"}, {"psk:Manual", "", "priv:Tray2", "priv:Tray2"}},
        {"first-sheet", 0, "first-sheet", {"1", "2", "3"}, {"psk:Manual", "psk:Manual", "priv:Tray2"}},
        {"poster",
         1,
         "first-sheet",
         {"T", "T", "T", "T", "2", "3"},
         {"psk:Manual", "psk:Manual", "psk:Manual", "psk:Manual", "priv:Tray2", "priv:Tray2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = std::string("tray-") + c.name;
        std::string input =
            c.posterPage == 0 ? LetterJob(name + ".xps", 3) : JobWithPoster(name + ".xps", 3, c.posterPage);
        std::string output = Folder(name + "-out.xps");
        RunChain("layout",
                 {"sides=two-sided-long-edge", "separate-tray=on", std::string("separate-tray-scope=") + c.scope,
                  "input-slot=manual", "second-input-slot=tray2", kLetterMedia},
                 input, output);
        std::vector<std::string> pages = OutputPages(output);
        ASSERT_EQ(pages.size(), c.sides.size());
        std::vector<RgbImage> rendered = Render(output);
        ASSERT_EQ(rendered.size(), c.sides.size());
        Sheet sheet = LetterSheet(false);
        Placement centred{sheet.width / 2, sheet.height / 2, 1.0};
        for (size_t i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE(pages[i]);
            EXPECT_EQ(pages[i].rfind("LO_Empty_", 0) == 0, c.sides[i] == "E");
            ExpectSheetSize(rendered[i], sheet);
            if (c.sides[i] == "E") {
                EXPECT_EQ(jobgen::DecodePageNumber(rendered[i], FrameAt(centred, jobgen::kLetter, {})),
                          jobgen::kBlankPage);
                continue;
            }
            if (c.sides[i] != "T") {
                EXPECT_EQ(jobgen::DecodePageNumber(rendered[i], FrameAt(centred, jobgen::kLetter, {})),
                          std::stoi(c.sides[i]));
            }
            EXPECT_EQ(SheetBinOf(output, pages[i]), c.bins[i]);
        }
    }
}

// --- Pages of their own size and shape -----------------------------------

// A page ticket naming a medium in portrait, as office programs write one
// for every page whatever its shape.
std::string PortraitTicket(const std::string& medium, int widthMicrons, int heightMicrons)
{
    return std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + testsupport::kFrameworkUri +
           "\" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" xmlns:xsi=\"" +
           testsupport::kSchemaInstanceUri + "\" xmlns:xsd=\"" + testsupport::kSchemaUri +
           "\"><psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:" + medium +
           "\"><psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">" +
           std::to_string(widthMicrons) +
           "</psf:Value></psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value "
           "xsi:type=\"xsd:integer\">" +
           std::to_string(heightMicrons) +
           "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature><psf:Feature name=\"psk:PageOrientation\">"
           "<psf:Option name=\"psk:Portrait\"/></psf:Feature></psf:PrintTicket>";
}

// A slide: a landscape Letter page whose ticket says portrait Letter.
const double kSlideWidth = kLetterHeight, kSlideHeight = kLetterWidth;

std::string SlideJob(const std::string& name, int pages)
{
    jobgen::JobSpec job = jobgen::MakeJob(1, pages, jobgen::Landscape(jobgen::kLetter));
    job.images = jobgen::ImageResource::Shared;
    for (jobgen::PageSpec& page : job.documents[0].pages)
        page.ticket = PortraitTicket("NorthAmericaLetter", 215900, 279400);
    std::string path = Folder(name);
    jobgen::WriteXpsJob(job, path);
    return path;
}

// The slide's shape, not its ticket, says how it lies: 2-up and 6-up sheets
// and booklet spreads stand upright with the slides one above the other, a
// 4-up sheet lies across like the slides, two-sided one-up sheets are the
// slides' paper turned, and poster tiles are landscape. Each slide's
// printable part is found block by block, every corner of it, where its
// cell puts it.
TEST(LayoutEndToEnd, SlidesUnderPortraitTicketsArriveWholeWhereverTheyGo)
{
    REQUIRE_RENDERING();
    std::string input = SlideJob("slides.xps", 4);
    std::vector<RgbImage> slides = Render(input);
    ASSERT_EQ(slides.size(), 4u);
    const double extentWidth = kSlideWidth - 2 * kMargin, extentHeight = kSlideHeight - 2 * kMargin;
    struct Case {
        const char* name;
        const char* chain;
        std::vector<std::string> options;
        bool sheetAcross;
        Grid grid;
        std::vector<int> slideAt;  // the slide in each cell, sheet after sheet
    };
    const Case cases[] = {
        {"2-up", "layout", {"number-up=2", kLetterMedia}, false, {1, 2}, {1, 2, 3, 4}},
        {"4-up", "layout", {"number-up=4", kLetterMedia}, true, {2, 2}, {1, 2, 3, 4}},
        {"6-up", "layout", {"number-up=6", kLetterMedia}, false, {2, 3}, {1, 2, 3, 4}},
        {"booklet", "order,layout", {"booklet=on", kLetterMedia}, false, {1, 2}, {4, 1, 2, 3}},
        {"two-sided", "layout", {"sides=two-sided-long-edge", kLetterMedia}, true, {1, 1}, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string output = Folder(std::string("slides-") + c.name + ".xps");
        RunChain(c.chain, c.options, input, output);
        std::vector<RgbImage> sheets = Render(output);
        size_t cells = static_cast<size_t>(c.grid.columns * c.grid.rows);
        ASSERT_EQ(sheets.size(), (c.slideAt.size() + cells - 1) / cells);
        Sheet sheet = LetterSheet(c.sheetAcross);
        for (size_t position = 0; position < c.slideAt.size(); ++position) {
            SCOPED_TRACE("slide " + std::to_string(c.slideAt[position]));
            const RgbImage& raster = sheets[position / cells];
            ExpectSheetSize(raster, sheet);
            int cell = static_cast<int>(position % cells);
            Placement at = cells == 1
                               ? Placement{sheet.width / 2, sheet.height / 2, 1.0}
                               : PlaceInCell(sheet, c.grid, CellOf(cell, c.grid, "lrtb"), extentWidth, extentHeight);
            ExpectPageShownAt(slides[c.slideAt[position] - 1], raster, at, kSlideWidth, kSlideHeight);
        }
    }
    SCOPED_TRACE("poster 4");
    ExpectTilesAreThePageEnlarged(SlideJob("slide-poster.xps", 1), 2, true, "-slide");
}

// A Tabloid page (1056 x 1632, a ticket of its own) after a Letter page: 2-up
// it is fitted into its own cell, where the Letter page's scale let it
// spill over its neighbour; two-sided one-up it shrinks onto the Letter
// sheet, where it lost 120 units on either side.
TEST(LayoutEndToEnd, ATabloidPageAfterALetterPageIsFittedToItsCellOrItsSheet)
{
    REQUIRE_RENDERING();
    jobgen::JobSpec job = jobgen::MakeJob(1, 2, jobgen::kLetter);
    job.documents[0].pages[1].size = {1056, 1632};
    job.documents[0].pages[1].ticket = PortraitTicket("NorthAmericaTabloid", 279400, 431800);
    std::string input = Folder("letter-tabloid.xps");
    jobgen::WriteXpsJob(job, input);
    std::vector<RgbImage> pages = Render(input);
    ASSERT_EQ(pages.size(), 2u);
    const double tabloidWidth = 279400 / kMicronsPerUnit, tabloidHeight = 431800 / kMicronsPerUnit;

    std::string twoUp = Folder("letter-tabloid-2up.xps");
    RunChain("layout", {"number-up=2", kLetterMedia}, input, twoUp);
    std::vector<RgbImage> sheets = Render(twoUp);
    ASSERT_EQ(sheets.size(), 1u);
    Sheet across = LetterSheet(true);
    ExpectSheetSize(sheets[0], across);
    ExpectPageShownAt(pages[0], sheets[0],
                      PlaceInCell(across, {2, 1}, {0, 0}, kLetterWidth - 2 * kMargin, kLetterHeight - 2 * kMargin));
    ExpectPageShownAt(pages[1], sheets[0],
                      PlaceInCell(across, {2, 1}, {1, 0}, tabloidWidth - 2 * kMargin, tabloidHeight - 2 * kMargin),
                      tabloidWidth, tabloidHeight);

    std::string twoSided = Folder("letter-tabloid-two-sided.xps");
    RunChain("layout", {"sides=two-sided-long-edge", kLetterMedia}, input, twoSided);
    std::vector<RgbImage> sides = Render(twoSided);
    ASSERT_EQ(sides.size(), 2u);
    Sheet upright = LetterSheet(false);
    ExpectSheetSize(sides[1], upright);
    ExpectPageShownAt(pages[0], sides[0], {upright.width / 2, upright.height / 2, 1.0});
    double shrink = std::min(upright.width / tabloidWidth, upright.height / tabloidHeight);
    ExpectPageShownAt(pages[1], sides[1], {upright.width / 2, upright.height / 2, shrink}, tabloidWidth, tabloidHeight);
}

// The job ticket tavpipe makes of the options, with its "PagesPerSheet"
// value set to `pages`, in a file.
std::string TicketWithPagesPerSheet(const std::string& name, const std::vector<std::string>& options, int pages)
{
    std::vector<std::string> argv = {BuildFolder() + "/bin/tavpipe", "ticket"};
    for (const std::string& option : options) argv.insert(argv.end(), {"-o", option});
    jobgen::ProgramResult made = jobgen::RunProgram(argv);
    EXPECT_EQ(made.exitStatus, 0) << made.output;
    std::string ticket = made.output;
    size_t value = ticket.find("integer\">", ticket.find("PagesPerSheet"));
    EXPECT_NE(value, std::string::npos) << ticket;
    if (value != std::string::npos) {
        value += 9;
        ticket.replace(value, ticket.find('<', value) - value, std::to_string(pages));
    }
    std::string path = Folder(name);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    std::fwrite(ticket.data(), 1, ticket.size(), file);
    std::fclose(file);
    return path;
}

// A ticket asking for 3 pages per sheet, which no grid has, prints 4 per
// sheet, and one asking for a booklet of 4 pages per sheet prints 2-up
// spreads, each with a warning, where every page went to the first cell. On
// the command line such a booklet is refused.
TEST(LayoutEndToEnd, PagesPerSheetWithoutAGridOrOtherThanTwoForABookletAreLaidOutAsTheyCanBe)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("odd-nup.xps", 4);

    std::string three = TicketWithPagesPerSheet("nup3.xml", {"number-up=2", kLetterMedia}, 3);
    std::string output = Folder("nup3-out.xps");
    std::string said;
    RunChain("layout", {"--ticket " + three}, input, output, &said);
    EXPECT_NE(said.find("3 pages per sheet"), std::string::npos) << said;
    std::vector<RgbImage> sheets = Render(output);
    ASSERT_EQ(sheets.size(), 1u);
    for (int k = 0; k < 4; ++k) {
        Placement at = PlaceInCell(LetterSheet(false), {2, 2}, CellOf(k, {2, 2}, "lrtb"), kLetterWidth - 2 * kMargin,
                                   kLetterHeight - 2 * kMargin);
        EXPECT_EQ(jobgen::DecodePageNumber(sheets[0], FrameAt(at, jobgen::kLetter, {})), k + 1) << "page " << k + 1;
    }

    std::string fourBooklet = TicketWithPagesPerSheet("booklet4.xml", {"booklet=on", kLetterMedia}, 4);
    output = Folder("booklet4-out.xps");
    RunChain("order,layout", {"--ticket " + fourBooklet}, input, output, &said);
    EXPECT_NE(said.find("booklet with 4 pages per sheet"), std::string::npos) << said;
    sheets = Render(output);
    ASSERT_EQ(sheets.size(), 2u);
    const int spreads[2][2] = {{4, 1}, {2, 3}};
    for (int side = 0; side < 2; ++side) {
        for (int half = 0; half < 2; ++half) {
            Placement at = PlaceInCell(LetterSheet(true), {2, 1}, {half, 0}, kLetterWidth - 2 * kMargin,
                                       kLetterHeight - 2 * kMargin);
            EXPECT_EQ(jobgen::DecodePageNumber(sheets[side], FrameAt(at, jobgen::kLetter, {})), spreads[side][half])
                << "side " << side + 1 << " half " << half + 1;
        }
    }

    jobgen::ProgramResult refused = jobgen::RunProgram(
        {BuildFolder() + "/bin/tavpipe", "-o", "booklet=on", "-o", "number-up=4", input, Folder("refused.xps")});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(std::count(refused.output.begin(), refused.output.end(), '\n'), 1) << refused.output;
    EXPECT_FALSE(FileExists(Folder("refused.xps")));
}

// Every page a poster in a 2-up job: each tile is a portrait Letter sheet
// of its own, and its ticket says portrait, not the 2-up sheet's landscape.
TEST(LayoutEndToEnd, PosterTilesOfAnNUpJobHaveTicketsOfTheirOwnSheets)
{
    REQUIRE_RENDERING();
    std::string input = LetterJob("nup-posters.xps", 2);
    std::string output = Folder("nup-posters-out.xps");
    RunChain("layout", {"number-up=2", "poster=4", kLetterMedia}, input, output);
    std::vector<std::string> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 8u);
    std::vector<RgbImage> tiles = Render(output);
    ASSERT_EQ(tiles.size(), 8u);
    for (size_t tile = 0; tile < pages.size(); ++tile) {
        SCOPED_TRACE(pages[tile]);
        ExpectSheetSize(tiles[tile], LetterSheet(false));
        testsupport::TicketMarkup ticket(TicketOf(output, pages[tile]));
        ASSERT_TRUE(ticket.Parsed());
        EXPECT_EQ(Option(ticket, "psk:PageOrientation"), "psk:Portrait");
        EXPECT_EQ(Option(ticket, "psk:PageMediaSize"), "psk:NorthAmericaLetter");
    }
}

TEST(LayoutEndToEnd, RealDocumentsAsPostersAreTheirPagesEnlarged)
{
    REQUIRE_RENDERING();
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"}) {
        SCOPED_TRACE(fixture);
        ExpectTilesAreThePageEnlarged(FixturesFolder() + "/" + fixture, 2, false, std::string("-") + fixture);
    }
}

}  // namespace
