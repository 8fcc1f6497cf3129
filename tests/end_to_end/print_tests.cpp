// Printing through tavpipe: jobs to PDF and PWG Raster by OUTPUT's extension
// or output-format, read back by tools that are not ours (pdfinfo,
// pdffonts, pdftotext, libcups's raster reader), and the sheets of the whole
// chain rendered by the rendering converter against MuPDF's render of the
// XPS sheets the same chain writes.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <iterator>
#include <sstream>

#include "page_images.h"
#include "support/command_run.h"
#include "support/test_package.h"

namespace {

using tav::host::testing::BuildFolder;
using tav::host::testing::CommandResult;
using tav::host::testing::FixturesFolder;
using tav::host::testing::HaveTool;
using tav::host::testing::Quote;
using tav::host::testing::ReadFile;
using tav::host::testing::RunCommand;
using tav::host::testing::TemporaryFolder;
using tav::render::testing::Compare;
using tav::render::testing::GreyImage;
using tav::render::testing::ImageDifference;
using tav::render::testing::MutoolRender;
using tav::render::testing::ReadPwgRaster;

std::string Folder(const std::string& name)
{
    std::string folder = TemporaryFolder() + "/print-" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

CommandResult Tavpipe(const std::string& arguments)
{
    return RunCommand(Quote(BuildFolder() + "/bin/tavpipe") + " " + arguments);
}

std::string GeneratedJob(const std::string& folder, int pages)
{
    std::string job = folder + "/job.xps";
    CommandResult made =
        RunCommand(Quote(BuildFolder() + "/bin/tavmakejob") + " -n " + std::to_string(pages) + " " + Quote(job));
    EXPECT_EQ(made.status, 0) << made.err;
    return job;
}

// The "Pages:" line of pdfinfo.
int PdfPages(const std::string& pdf)
{
    CommandResult info = RunCommand("pdfinfo " + Quote(pdf));
    size_t at = info.out.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.out.substr(at + 6));
}

// The "emb" column of each font pdffonts lists: the fifth word from the end
// of each line after the two heading lines.
std::vector<std::string> EmbeddedColumn(const std::string& listing)
{
    std::vector<std::string> column;
    std::istringstream lines(listing);
    std::string line;
    for (int skipped = 0; skipped < 2 && std::getline(lines, line); ++skipped) {
    }
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> split{std::istream_iterator<std::string>(words), {}};
        if (split.size() >= 5) column.push_back(split[split.size() - 5]);
    }
    return column;
}

// The image turned a quarter turn counter-clockwise, as the default device
// feeds a landscape sheet (its landscape rotation is 270 degrees).
GreyImage TurnedCounterClockwise(const GreyImage& image)
{
    GreyImage turned;
    turned.width = image.height;
    turned.height = image.width;
    turned.pixels.resize(image.pixels.size());
    for (int y = 0; y < turned.height; ++y) {
        for (int x = 0; x < turned.width; ++x)
            turned.pixels[static_cast<size_t>(y) * turned.width + x] = image.At(image.width - 1 - y, x);
    }
    return turned;
}

TEST(PrintEndToEnd, AJobBecomesAPdfWithItsTextAndFontsAndItsSheets)
{
    if (!HaveTool("pdfinfo") || !HaveTool("pdffonts") || !HaveTool("pdftotext")) GTEST_SKIP() << "no poppler-utils";
    std::string folder = Folder("pdf");
    std::string job = GeneratedJob(folder, 16);

    CommandResult plain = Tavpipe(Quote(job) + " " + Quote(folder + "/job.pdf"));
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(PdfPages(folder + "/job.pdf"), 16);
    // Every font is embedded, and the page numbers the generator writes are
    // text that can be found.
    CommandResult fonts = RunCommand("pdffonts " + Quote(folder + "/job.pdf"));
    std::vector<std::string> embedded = EmbeddedColumn(fonts.out);
    EXPECT_FALSE(embedded.empty()) << fonts.out;
    for (const std::string& column : embedded) EXPECT_EQ(column, "yes") << fonts.out;
    CommandResult text = RunCommand("pdftotext -f 13 -l 13 " + Quote(folder + "/job.pdf") + " -");
    EXPECT_NE(text.out.find("13"), std::string::npos) << text.out;

    // Sixteen pages 4-up are four sheets, through the default chain that
    // gains the rip filter; output-format names the language whatever the
    // file is called.
    CommandResult fourUp =
        Tavpipe("-o number-up=4 -o output-format=pdf " + Quote(job) + " " + Quote(folder + "/sheets.out"));
    ASSERT_EQ(fourUp.status, 0) << fourUp.err;
    EXPECT_EQ(PdfPages(folder + "/sheets.out"), 4);
}

TEST(PrintEndToEnd, PwgRasterCarriesTheResolutionMediaAndDuplexOfTheJob)
{
    std::string folder = Folder("pwg");
    std::string job = GeneratedJob(folder, 3);
    CommandResult printed = Tavpipe(
        "-o media=A4 -o printer-resolution=150dpi -o sides=two-sided-short-edge "
        "-o print-color-mode=monochrome " +
        Quote(job) + " " + Quote(folder + "/job.pwg"));
    ASSERT_EQ(printed.status, 0) << printed.err;

    std::vector<cups_page_header2_t> headers;
    std::vector<GreyImage> pages;
    ASSERT_TRUE(ReadPwgRaster(ReadFile(folder + "/job.pwg"), &headers, &pages));
    ASSERT_EQ(headers.size(), 3u);
    for (const cups_page_header2_t& header : headers) {
        EXPECT_EQ(header.HWResolution[0], 150u);
        EXPECT_EQ(header.HWResolution[1], 150u);
        // A4 is 595 x 842 points, 1240 x 1754 pixels at 150 dpi.
        EXPECT_EQ(header.PageSize[0], 595u);
        EXPECT_EQ(header.PageSize[1], 842u);
        EXPECT_EQ(header.cupsWidth, 1240u);
        EXPECT_EQ(header.cupsHeight, 1754u);
        EXPECT_TRUE(header.Duplex);
        EXPECT_TRUE(header.Tumble);
        EXPECT_EQ(header.cupsColorSpace, CUPS_CSPACE_SW);
        EXPECT_EQ(header.cupsBitsPerPixel, 8u);
    }
    // In colour by default, one-sided.
    CommandResult colour = Tavpipe("-o printer-resolution=150dpi " + Quote(job) + " " + Quote(folder + "/colour.pwg"));
    ASSERT_EQ(colour.status, 0) << colour.err;
    std::vector<cups_page_header2_t> colourHeaders;
    std::vector<GreyImage> colourPages;
    ASSERT_TRUE(ReadPwgRaster(ReadFile(folder + "/colour.pwg"), &colourHeaders, &colourPages));
    ASSERT_EQ(colourHeaders.size(), 3u);
    EXPECT_EQ(colourHeaders[0].cupsColorSpace, CUPS_CSPACE_SRGB);
    EXPECT_EQ(colourHeaders[0].cupsBitsPerPixel, 24u);
    EXPECT_FALSE(colourHeaders[0].Duplex);

    // CUPS's own raster-to-PDF filter reads the stream as a printer would.
    const char* rasterToPdf = "/usr/lib/cups/filter/rastertopdf";
    if (std::filesystem::exists(rasterToPdf) && HaveTool("pdfinfo")) {
        CommandResult converted = RunCommand("(" + std::string(rasterToPdf) + " 1 user job 1 '' " +
                                             Quote(folder + "/job.pwg") + " > " + Quote(folder + "/back.pdf") + ")");
        ASSERT_EQ(converted.status, 0) << converted.err;
        EXPECT_EQ(PdfPages(folder + "/back.pdf"), 3);
        EXPECT_NE(RunCommand("pdfinfo " + Quote(folder + "/back.pdf")).out.find("(A4)"), std::string::npos);
    }
}

TEST(PrintEndToEnd, AnOutputFormatTheChainCannotWriteIsAUsageError)
{
    std::string folder = Folder("usage");
    std::string job = GeneratedJob(folder, 1);
    CommandResult unknown = Tavpipe("-o output-format=bmp " + Quote(job) + " " + Quote(folder + "/out"));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("output-format: \"bmp\" is not one of"), std::string::npos) << unknown.err;
    CommandResult xpsChain = Tavpipe("-f layout " + Quote(job) + " " + Quote(folder + "/out.pdf"));
    EXPECT_EQ(xpsChain.status, 2);
    EXPECT_NE(xpsChain.err.find("the chain ends with layout, which writes an XPS package"), std::string::npos)
        << xpsChain.err;
    CommandResult streamChain = Tavpipe("-f rip -o output-format=xps " + Quote(job) + " " + Quote(folder + "/o"));
    EXPECT_EQ(streamChain.status, 2);
    EXPECT_FALSE(std::filesystem::exists(folder + "/out.pdf"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/o"));
}

// A PNG file in grey, read with libpng.
GreyImage ReadPng(const std::string& path)
{
    GreyImage image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
    png.format = PNG_FORMAT_GRAY;
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        image.pixels.clear();
        return image;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    return image;
}

// The runs of indices at which any pixel of a row (or column) differs from
// the background, as [first, last] pairs.
std::vector<std::pair<int, int>> ForegroundRuns(const GreyImage& image, bool columns)
{
    const uint8_t background = image.At(0, 0);
    int count = columns ? image.width : image.height;
    int across = columns ? image.height : image.width;
    std::vector<std::pair<int, int>> runs;
    for (int index = 0; index < count; ++index) {
        bool foreground = false;
        for (int other = 0; other < across && !foreground; ++other)
            foreground = (columns ? image.At(index, other) : image.At(other, index)) != background;
        if (!foreground) continue;
        if (!runs.empty() && runs.back().second == index - 1)
            runs.back().second = index;
        else
            runs.push_back({index, index});
    }
    return runs;
}

// The part of the image in the box, scaled to width x height by averaging.
GreyImage Shrunk(const GreyImage& image, int width, int height)
{
    GreyImage shrunk;
    shrunk.width = width;
    shrunk.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int x0 = x * image.width / width, x1 = std::max(x0 + 1, (x + 1) * image.width / width);
            int y0 = y * image.height / height, y1 = std::max(y0 + 1, (y + 1) * image.height / height);
            long sum = 0;
            for (int v = y0; v < y1; ++v) {
                for (int u = x0; u < x1; ++u) sum += image.At(u, v);
            }
            shrunk.pixels.push_back(static_cast<uint8_t>(sum / ((x1 - x0) * (y1 - y0))));
        }
    }
    return shrunk;
}

GreyImage Cropped(const GreyImage& image, int x0, int y0, int x1, int y1)
{
    GreyImage cropped;
    cropped.width = x1 - x0 + 1;
    cropped.height = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) cropped.pixels.push_back(image.At(x, y));
    }
    return cropped;
}

// The preview draws every sheet side the job prints, through the same
// chain: each side matches MuPDF's render of the chain's XPS sheets, and
// the contact sheet shows the sides one sheet a row, fronts left and backs
// right, each cell the side itself made small.
TEST(PrintEndToEnd, APreviewShowsEverySideAndAContactSheetOfFrontsAndBacks)
{
    if (!HaveTool("mutool")) GTEST_SKIP() << "no mutool";
    std::string folder = Folder("preview");
    const std::pair<int, std::string> cases[] = {
        {16, "-o number-up=4 -o sides=two-sided-long-edge"},
        {8, "-o booklet=on"},
    };
    for (const auto& [pages, options] : cases) {
        SCOPED_TRACE(options);
        std::string job = GeneratedJob(folder, pages);
        CommandResult sheets = Tavpipe(options + " " + Quote(job) + " " + Quote(folder + "/sheets.xps"));
        ASSERT_EQ(sheets.status, 0) << sheets.err;
        std::string images = folder + "/images";
        CommandResult preview = Tavpipe("preview " + options + " " + Quote(job) + " " + Quote(images));
        ASSERT_EQ(preview.status, 0) << preview.err;
        // 16 pages 4-up and 8 pages as a booklet are two sheets each.
        const char* sides[] = {"sheet-1-front.png", "sheet-1-back.png", "sheet-2-front.png", "sheet-2-back.png"};
        EXPECT_FALSE(std::filesystem::exists(images + "/sheet-3-front.png"));
        GreyImage contact = ReadPng(images + "/contact.png");
        ASSERT_GT(contact.width, 0);
        std::vector<std::pair<int, int>> columns = ForegroundRuns(contact, true);
        std::vector<std::pair<int, int>> rows = ForegroundRuns(contact, false);
        ASSERT_EQ(columns.size(), 2u);
        ASSERT_EQ(rows.size(), 2u);
        for (int side = 0; side < 4; ++side) {
            SCOPED_TRACE(sides[side]);
            GreyImage drawn = ReadPng(images + "/" + sides[side]);
            GreyImage expected;
            std::string error;
            ASSERT_TRUE(MutoolRender(folder + "/sheets.xps", side + 1, 96, &expected, &error)) << error;
            // The two round a size of a fraction of a pixel differently.
            ASSERT_NEAR(drawn.width, expected.width, 1);
            ASSERT_NEAR(drawn.height, expected.height, 1);
            int width = std::min(drawn.width, expected.width) - 1;
            int height = std::min(drawn.height, expected.height) - 1;
            ImageDifference difference =
                Compare(Cropped(expected, 0, 0, width, height), Cropped(drawn, 0, 0, width, height));
            EXPECT_LT(difference.meanAbsolute, 2.5);
            EXPECT_LE(difference.differingBlocks, 8);
            // The side's cell: the white sheet in its row and column, with
            // the sheet's shape.
            auto [x0, x1] = columns[side % 2];
            auto [y0, y1] = rows[side / 2];
            GreyImage cell = Cropped(contact, x0, y0, x1, y1);
            EXPECT_NEAR(static_cast<double>(cell.width) / cell.height, static_cast<double>(drawn.width) / drawn.height,
                        0.02);
            // Closer to its own side than the cell beside it is: fronts and
            // backs differ only in their page numbers and marks.
            auto [otherX0, otherX1] = columns[1 - side % 2];
            GreyImage beside = Cropped(contact, otherX0, y0, otherX1, y1);
            ImageDifference own = Compare(Shrunk(drawn, cell.width, cell.height), cell);
            ImageDifference other = Compare(Shrunk(drawn, beside.width, beside.height), beside);
            EXPECT_LT(own.meanAbsolute, 3);
            EXPECT_EQ(own.differingBlocks, 0);
            EXPECT_LT(own.meanAbsolute, other.meanAbsolute);
        }
    }
}

// The same chain writes the sheets as XPS, which MuPDF renders, and prints
// them to PWG Raster at 150 dpi; each sheet must look the same within the
// threshold the converter's own fidelity tests hold (anti-aliasing and
// glyph rasterising differ along edges, a lost or misplaced shape does not
// pass).
TEST(PrintEndToEnd, SheetsOfTheWholeChainPrintAsTheirXpsRenders)
{
    if (!HaveTool("mutool")) GTEST_SKIP() << "no mutool";
    std::string folder = Folder("sheets");
    std::string generated = GeneratedJob(folder, 8);
    struct Case {
        std::string input;
        std::string options;
    };
    std::vector<Case> cases = {
        {generated, "-o number-up=4 -o page-border=single"},
        {generated, "-o booklet=on"},
        {generated, "-o poster=4"},
        {generated, "-o watermark-text=DRAFT -o header-footer=on -o header-footer-id=user"},
        {generated, "-o number-up=2 -o sides=two-sided-long-edge"},
    };
    if (!FixturesFolder().empty()) {
        cases.push_back({FixturesFolder() + "/mb06.xps", "-o number-up=4"});
        cases.push_back({FixturesFolder() + "/mb08.xps", "-o watermark-text=DRAFT"});
        cases.push_back({FixturesFolder() + "/mb01.xps", "-o booklet=on"});
        // Every page of each real document, as the default chain prints it.
        for (const char* document : {"mb01.xps", "mb06.xps", "mb06.oxps", "mb08.xps"})
            cases.push_back({FixturesFolder() + "/" + document, ""});
    }
    for (const Case& job : cases) {
        SCOPED_TRACE(job.input + " " + job.options);
        std::string options = job.options + " --user tester ";
        CommandResult sheets = Tavpipe(options + Quote(job.input) + " " + Quote(folder + "/sheets.xps"));
        ASSERT_EQ(sheets.status, 0) << sheets.err;
        CommandResult printed =
            Tavpipe(options + "-o printer-resolution=150dpi " + Quote(job.input) + " " + Quote(folder + "/sheets.pwg"));
        ASSERT_EQ(printed.status, 0) << printed.err;
        std::vector<cups_page_header2_t> headers;
        std::vector<GreyImage> printedSheets;
        ASSERT_TRUE(ReadPwgRaster(ReadFile(folder + "/sheets.pwg"), &headers, &printedSheets));
        ASSERT_GE(printedSheets.size(), 1u);
        for (size_t sheet = 0; sheet < std::min<size_t>(printedSheets.size(), 3); ++sheet) {
            SCOPED_TRACE("sheet " + std::to_string(sheet + 1));
            GreyImage expected;
            std::string error;
            ASSERT_TRUE(MutoolRender(folder + "/sheets.xps", static_cast<int>(sheet) + 1, 150, &expected, &error))
                << error;
            if (expected.width > expected.height && printedSheets[sheet].width < printedSheets[sheet].height)
                expected = TurnedCounterClockwise(expected);
            ASSERT_EQ(expected.width, printedSheets[sheet].width);
            ASSERT_EQ(expected.height, printedSheets[sheet].height);
            ImageDifference difference = Compare(expected, printedSheets[sheet]);
            EXPECT_LT(difference.meanAbsolute, 2.5);
            EXPECT_LE(difference.differingBlocks, 8);
        }
    }
}

}  // namespace
