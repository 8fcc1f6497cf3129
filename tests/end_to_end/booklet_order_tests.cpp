// tavpipe -f order -o booklet=on on generated jobs and on a real document:
// the output pages, rendered by MuPDF, are the input pages in booklet order
// with blank padding pages of the first page's size.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jobgen/package_writer.h"
#include "jobgen/page_decoder.h"
#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "jobgen/rgb_image.h"
#include "support/test_package.h"

namespace {

using tav::host::testing::BuildFolder;
using tav::host::testing::FixturesFolder;
using tav::host::testing::TemporaryFolder;

constexpr int kDpi = 40;
// A padding page in the expected orders.
constexpr int kPad = 0;

// The booklet order of 1 to 9 pages, worked out by hand: the pages padded
// to whole sheets of four, then for each sheet from the outside its outer
// side (last page, first page) and its inner side.
const std::vector<int> kBookletOrders[] = {
    {kPad, 1, kPad, kPad},
    {kPad, 1, 2, kPad},
    {kPad, 1, 2, 3},
    {4, 1, 2, 3},
    {kPad, 1, 2, kPad, kPad, 3, 4, 5},
    {kPad, 1, 2, kPad, 6, 3, 4, 5},
    {kPad, 1, 2, 7, 6, 3, 4, 5},
    {8, 1, 2, 7, 6, 3, 4, 5},
    {kPad, 1, 2, kPad, kPad, 3, 4, 9, 8, 5, 6, 7},
};

// tavpipe with the Order filter alone and the booklet option; its messages
// when it fails.
void RunBooklet(const std::string& input, const std::string& output)
{
    jobgen::ProgramResult run =
        jobgen::RunProgram({BuildFolder() + "/bin/tavpipe", "-f", "order", "-o", "booklet=on", input, output});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
}

double Pixels(double units) { return units * kDpi / 96.0; }

bool IsWhite(const jobgen::RgbImage& raster)
{
    for (uint8_t value : raster.Bytes())
        if (value != 255) return false;
    return true;
}

TEST(BookletEndToEnd, GeneratedJobsOfOneToNinePagesComeOutInBookletOrder)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    for (int pages = 1; pages <= 9; ++pages) {
        SCOPED_TRACE(std::to_string(pages) + " pages");
        // A first page of another size than the rest shows whose size the
        // padding pages take.
        jobgen::JobSpec job = jobgen::MakeJob(1, pages);
        job.font = jobgen::FontEmbedding::None;
        job.documents[0].pages[0].size = jobgen::kLetter;
        const std::string base = TemporaryFolder() + "/booklet" + std::to_string(pages);
        jobgen::WriteXpsJob(job, base + "-in.xps");
        RunBooklet(base + "-in.xps", base + "-out.xps");

        std::vector<std::string> rendered = jobgen::RenderWithMutool(base + "-out.xps", kDpi, base + "-render");
        const std::vector<int>& expected = kBookletOrders[pages - 1];
        ASSERT_EQ(rendered.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("output page " + std::to_string(i + 1));
            jobgen::RgbImage raster = jobgen::ReadPngFile(rendered[i]);
            const int source = expected[i] == kPad ? 1 : expected[i];
            jobgen::PageSize size = job.documents[0].pages[source - 1].size;
            EXPECT_NEAR(raster.Width(), Pixels(size.width), 1.5);
            EXPECT_NEAR(raster.Height(), Pixels(size.height), 1.5);
            int decoded = jobgen::DecodePageNumber(raster, jobgen::WholeRasterFrame(raster, size));
            EXPECT_EQ(decoded, expected[i] == kPad ? jobgen::kBlankPage : expected[i]);
            if (expected[i] == kPad) {
                EXPECT_TRUE(IsWhite(raster));
            }
        }
    }
}

TEST(BookletEndToEnd, ThreePagesOfARealDocumentFollowAPaddingPage)
{
    JOBGEN_REQUIRE_PROGRAM("mutool");
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    const std::string input = FixturesFolder() + "/mb06.xps";
    const std::string output = TemporaryFolder() + "/mb06-booklet.xps";
    RunBooklet(input, output);

    std::vector<std::string> before = jobgen::RenderWithMutool(input, kDpi, TemporaryFolder() + "/mb06-in");
    std::vector<std::string> after = jobgen::RenderWithMutool(output, kDpi, TemporaryFolder() + "/mb06-out");
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(after.size(), 4u);
    jobgen::RgbImage first = jobgen::ReadPngFile(before[0]);
    jobgen::RgbImage padding = jobgen::ReadPngFile(after[0]);
    EXPECT_EQ(padding.Width(), first.Width());
    EXPECT_EQ(padding.Height(), first.Height());
    EXPECT_TRUE(IsWhite(padding));
    for (size_t page = 0; page < 3; ++page) {
        jobgen::RgbImage expected = jobgen::ReadPngFile(before[page]);
        jobgen::RgbImage actual = jobgen::ReadPngFile(after[page + 1]);
        EXPECT_EQ(actual.Width(), expected.Width()) << "page " << page + 1;
        EXPECT_EQ(actual.Height(), expected.Height()) << "page " << page + 1;
        EXPECT_TRUE(actual.Bytes() == expected.Bytes()) << "page " << page + 1 << " renders differently";
    }
}

}  // namespace
