// The PWG Raster header and sheet geometry, the DEVMODE members read, and
// the outlines of caps the drawing library lacks, checked with numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/devmode.h"
#include "raster_header.h"
#include "raster_row_code.h"
#include "stroke_caps.h"

namespace tav::render {
namespace {

SheetSetup Letter(int dpi)
{
    SheetSetup setup;
    setup.pageWidth = 816;
    setup.pageHeight = 1056;
    setup.device.known = true;
    setup.device.widthMicrons = 215900;
    setup.device.heightMicrons = 279400;
    setup.device.resolutionX = setup.device.resolutionY = dpi;
    return setup;
}

TEST(RasterHeader, FollowsThePageDeviceAndTheDevmode)
{
    SheetSetup setup = Letter(150);
    setup.settings.colourKnown = true;
    setup.settings.colour = false;
    Parsed<cups_page_header2_t> grey = MakeRasterHeader(setup);
    ASSERT_TRUE(grey.ok()) << grey.error;
    EXPECT_EQ(grey.value.cupsWidth, 1275u);  // 8.5 in at 150 dpi
    EXPECT_EQ(grey.value.cupsHeight, 1650u);
    EXPECT_EQ(grey.value.PageSize[0], 612u);
    EXPECT_EQ(grey.value.cupsColorSpace, CUPS_CSPACE_SW);
    EXPECT_EQ(grey.value.cupsBytesPerLine, 1275u);
    EXPECT_STREQ(grey.value.cupsPageSizeName, "na_letter_8.5x11in");
    EXPECT_EQ(grey.value.Duplex, CUPS_FALSE);

    setup = Letter(600);
    setup.device.widthMicrons = 210000;  // A4
    setup.device.heightMicrons = 297000;
    setup.settings.duplex = DMDUP_HORIZONTAL;
    setup.settings.sourceKnown = true;
    setup.settings.defaultSource = DMBIN_USER + 2;
    setup.settings.mediaType = 3;
    Parsed<cups_page_header2_t> colour = MakeRasterHeader(setup);
    ASSERT_TRUE(colour.ok()) << colour.error;
    EXPECT_EQ(colour.value.cupsWidth, 4961u);  // 210 mm at 600 dpi, rounded
    EXPECT_EQ(colour.value.cupsHeight, 7016u);
    EXPECT_EQ(colour.value.cupsColorSpace, CUPS_CSPACE_SRGB);
    EXPECT_EQ(colour.value.cupsBitsPerPixel, 24u);
    EXPECT_EQ(colour.value.Duplex, CUPS_TRUE);
    EXPECT_EQ(colour.value.Tumble, CUPS_TRUE);
    EXPECT_EQ(colour.value.MediaPosition, 22u);  // tray-3
    EXPECT_STREQ(colour.value.MediaType, "photographic-glossy");

    // Without a DEVMODE colour setting, one plane means grey.
    setup = Letter(300);
    setup.device.planes = 1;
    EXPECT_EQ(MakeRasterHeader(setup).value.cupsColorSpace, CUPS_CSPACE_SW);

    EXPECT_FALSE(MakeRasterHeader(Letter(0)).ok());
    EXPECT_FALSE(MakeRasterHeader(Letter(4800)).ok());
    setup = Letter(2400);
    setup.device.widthMicrons = setup.device.heightMicrons = 2000000;  // 2 m square
    EXPECT_NE(MakeRasterHeader(setup).error.find("too large"), std::string::npos);
}

TEST(RasterHeader, RotationCodesTurnThePageOntoTheSheet)
{
    SheetSetup setup = Letter(96);  // one pixel a unit
    setup.pageWidth = 1056;         // a landscape page on a portrait sheet
    setup.pageHeight = 816;
    cups_page_header2_t header = MakeRasterHeader(setup).value;
    setup.device.rotationCode = 3;
    // A quarter turn clockwise: the page's top left corner goes to the top right.
    EXPECT_EQ(PageToSheetPixels(setup, header).Apply({0, 0}), (Point{816, 0}));
    EXPECT_EQ(PageToSheetPixels(setup, header).Apply({1056, 816}), (Point{0, 1056}));
    setup.device.rotationCode = 5;
    EXPECT_EQ(PageToSheetPixels(setup, header).Apply({0, 0}), (Point{0, 1056}));
    setup.device.rotationCode = 2;
    EXPECT_EQ(PageToSheetPixels(setup, header).Apply({10, 20}), (Point{10, 20}));
}

TEST(RasterRowCode, RunsAndLiteralsOfAtMost128Pixels)
{
    auto encode = [](const std::vector<uint32_t>& row, bool grey) {
        std::string out;
        EncodeRasterRow(row.data(), static_cast<unsigned>(row.size()), grey, &out);
        return std::vector<uint8_t>(out.begin(), out.end());
    };
    // Three of one colour (the unused top byte differs), two unlike their
    // neighbours, two of another colour.
    std::vector<uint32_t> mixed{0xFF112233, 0x00112233, 0xFF112233, 0x00445566, 0xFF778899, 0x12AABBCC, 0xFFAABBCC};
    EXPECT_EQ(encode(mixed, false), (std::vector<uint8_t>{0x02, 0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0x77, 0x88,
                                                          0x99, 0x01, 0xAA, 0xBB, 0xCC}));
    // 300 white pixels in grey: runs of 128, 128 and 44.
    EXPECT_EQ(encode(std::vector<uint32_t>(300, 0xFFFFFFFF), true),
              (std::vector<uint8_t>{0x7F, 0xFF, 0x7F, 0xFF, 0x2B, 0xFF}));
    // 130 greys all unlike: 128 as they are, then 2; red is grey 77
    // (255 x 77 / 256, rounded).
    std::vector<uint32_t> ramp;
    for (uint32_t v = 0; v < 130; ++v) ramp.push_back(v * 0x010101);
    std::vector<uint8_t> expected{0x81};
    for (uint8_t v = 0; v < 128; ++v) expected.push_back(v);
    expected.insert(expected.end(), {0xFF, 128, 129});
    EXPECT_EQ(encode(ramp, true), expected);
    EXPECT_EQ(encode({0xFF0000}, true), (std::vector<uint8_t>{0x00, 77}));
}

TEST(DeviceSettings, ReadsOnlyWhatTheDevmodeHolds)
{
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = DM_COLOR | DM_DUPLEX | DM_MEDIATYPE;
    devmode.dmColor = DMCOLOR_MONOCHROME;
    devmode.dmDuplex = DMDUP_VERTICAL;
    devmode.dmDefaultSource = DMBIN_LOWER;  // not marked in dmFields
    devmode.dmMediaType = 2;
    DeviceSettings settings = ReadDeviceSettings(&devmode, sizeof devmode);
    EXPECT_TRUE(settings.colourKnown);
    EXPECT_FALSE(settings.colour);
    EXPECT_EQ(settings.duplex, DMDUP_VERTICAL);
    EXPECT_FALSE(settings.sourceKnown);
    EXPECT_EQ(settings.mediaType, 2u);
    // A DEVMODE cut short before dmColor: colour unknown, nothing read past it.
    DeviceSettings cut = ReadDeviceSettings(&devmode, offsetof(DEVMODEW, dmColor));
    EXPECT_TRUE(cut.known);
    EXPECT_FALSE(cut.colourKnown);
    EXPECT_FALSE(ReadDeviceSettings(&devmode, 10).known);
    EXPECT_FALSE(ReadDeviceSettings(nullptr, 0).known);
}

TEST(StrokeCaps, OutlinesAndDirectionsAtFigureEnds)
{
    // A line ending at (10,0) going right, half width 2.
    std::vector<Point> triangle = CapOutline({10, 0}, {1, 0}, 2, LineCap::Triangle);
    ASSERT_EQ(triangle.size(), 5u);
    EXPECT_EQ(triangle[2], (Point{12, 0}));  // the tip, a half width ahead
    EXPECT_EQ(triangle[1], (Point{10, 2}));
    EXPECT_EQ(triangle[3], (Point{10, -2}));
    std::vector<Point> square = CapOutline({10, 0}, {1, 0}, 2, LineCap::Square);
    ASSERT_EQ(square.size(), 4u);
    EXPECT_EQ(square[1], (Point{12, 2}));
    EXPECT_TRUE(CapOutline({10, 0}, {1, 0}, 2, LineCap::Flat).empty());

    Figure figure;
    figure.start = {0, 0};
    // A cubic whose first control point sits on the start: the direction
    // comes from the next one.
    figure.segments.push_back({Segment::Cubic, {0, 0}, {0, 10}, {10, 10}, true});
    EXPECT_EQ(*OutwardAtStart(figure), (Point{0, -1}));
    EXPECT_EQ(*OutwardAtEnd(figure), (Point{1, 0}));
    Figure dot;
    dot.segments.push_back({Segment::Line, {}, {}, {0, 0}, true});
    EXPECT_FALSE(OutwardAtStart(dot).has_value());
}

TEST(StrokeCaps, MitersPastTheLimitAreClippedAtIt)
{
    // Right along y = 0 to (10,0), then down: a quarter turn whose miter
    // reaches sqrt(2) half widths from the corner.
    Figure corner;
    corner.start = {0, 0};
    corner.segments.push_back({Segment::Line, {}, {}, {10, 0}, true});
    corner.segments.push_back({Segment::Line, {}, {}, {10, 10}, true});
    EXPECT_TRUE(ClippedMiters(corner, 1, 1.5).empty());
    std::vector<std::vector<Point>> clipped = ClippedMiters(corner, 1, 1);
    ASSERT_EQ(clipped.size(), 1u);
    // Clipped one half width out along the bisector (1/sqrt2, -1/sqrt2):
    // the outer edges are cut sqrt(2) - 1 past the bevel's ends.
    const std::vector<Point>& outline = clipped[0];
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_EQ(outline[1], (Point{10, -1}));
    EXPECT_NEAR(outline[2].x, 10 + std::sqrt(2) - 1, 1e-12);
    EXPECT_NEAR(outline[2].y, -1, 1e-12);
    EXPECT_NEAR(outline[3].x, 11, 1e-12);
    EXPECT_NEAR(outline[3].y, -(std::sqrt(2) - 1), 1e-12);
    // A closed square has four such corners; an unstroked side spares two.
    Figure square = corner;
    square.segments.push_back({Segment::Line, {}, {}, {0, 10}, true});
    square.closed = true;
    EXPECT_EQ(ClippedMiters(square, 1, 1).size(), 4u);
    square.segments[1].stroked = false;
    EXPECT_EQ(ClippedMiters(square, 1, 1).size(), 2u);
}

TEST(StrokeCaps, DashesWalkThePatternAlongTheFigure)
{
    Figure line;
    line.start = {0, 0};
    line.segments.push_back({Segment::Line, {}, {}, {10, 0}, true});
    // On 2, off 3, starting 1 into the pattern: dashes 0-1, 4-6 and 9-10.
    std::vector<Dash> dashes;
    ASSERT_TRUE(DashFigure(line, {2, 3}, 1, 100, &dashes));
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_TRUE(dashes[0].atStart);
    EXPECT_EQ(dashes[0].piece.segments.back().end, (Point{1, 0}));
    EXPECT_EQ(dashes[1].piece.start, (Point{4, 0}));
    EXPECT_EQ(dashes[1].piece.segments.back().end, (Point{6, 0}));
    EXPECT_FALSE(dashes[1].atStart || dashes[1].atEnd);
    EXPECT_EQ(dashes[2].piece.start, (Point{9, 0}));
    EXPECT_TRUE(dashes[2].atEnd);
    EXPECT_EQ(dashes[2].endDirection, (Point{1, 0}));

    // Dashes of no length are dots, each with the figure's direction.
    dashes.clear();
    ASSERT_TRUE(DashFigure(line, {0, 4}, 0, 100, &dashes));
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_EQ(dashes[1].piece.start, (Point{4, 0}));
    EXPECT_TRUE(dashes[1].piece.segments.empty());
    EXPECT_EQ(dashes[1].startDirection, (Point{1, 0}));

    // A closed figure: the closing side is dashed too, no dash takes the
    // figure's caps, and a dash running over the start point is one dash.
    Figure square;
    square.start = {0, 0};
    square.closed = true;
    for (Point p : {Point{4, 0}, Point{4, 4}, Point{0, 4}}) square.segments.push_back({Segment::Line, {}, {}, p, true});
    dashes.clear();
    ASSERT_TRUE(DashFigure(square, {3, 1}, 0, 100, &dashes));
    ASSERT_EQ(dashes.size(), 4u);
    EXPECT_FALSE(dashes[0].atStart);
    EXPECT_EQ(dashes[3].piece.start, (Point{0, 4}));
    EXPECT_EQ(dashes[3].piece.segments.back().end, (Point{0, 1}));
    EXPECT_FALSE(dashes[3].atEnd);
    dashes.clear();
    ASSERT_TRUE(DashFigure(square, {3, 1}, 2, 100, &dashes));  // dashes 0-1, 2-5, 6-9, 10-13, 14-16
    ASSERT_EQ(dashes.size(), 4u);
    EXPECT_EQ(dashes[3].piece.start, (Point{0, 2}));  // from 14 round to 1
    EXPECT_EQ(dashes[3].piece.segments.back().end, (Point{1, 0}));
    // Too many dashes for the limit.
    dashes.clear();
    EXPECT_FALSE(DashFigure(line, {0.001, 0.001}, 0, 100, &dashes));
}

}  // namespace
}  // namespace tav::render
