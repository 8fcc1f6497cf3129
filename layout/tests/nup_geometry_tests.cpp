// The imposition geometry with numbers alone. Expected values are worked out
// by hand from the rules in the comments; most sheets measure whole
// multiples of 264.58 microns, so that they are round numbers of XPS units.
#include <gtest/gtest.h>

#include <vector>

#include "nup_geometry.h"
#include "nup_layout.h"

namespace {

constexpr float kTolerance = 1e-3f;

// 1000 x 1500 XPS units with a margin of 100 on every side.
constexpr ImageableArea kTallSheet = {264580, 396870, 26458, 26458, 211664, 343954};
// The same size without margins.
constexpr ImageableArea kTallSheetNoMargins = {264580, 396870, 0, 0, 264580, 396870};
// Letter turned across (279400 x 215900 microns) with 4233-micron margins.
constexpr ImageableArea kLetterAcross = {279400, 215900, 4233, 4233, 270934, 207434};

void ExpectNear(const std::vector<float>& actual, const std::vector<float>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << "value " << i;
}

void ExpectElements(const Gdiplus::Matrix& matrix, const std::vector<float>& expected)
{
    std::vector<float> elements(6);
    ASSERT_EQ(matrix.GetElements(elements.data()), Gdiplus::Ok);
    ExpectNear(elements, expected);
}

std::vector<float> Flattened(const std::vector<BorderSegment>& segments)
{
    std::vector<float> values;
    for (const BorderSegment& segment : segments) values.insert(values.end(), {segment.x, segment.y, segment.end});
    return values;
}

Gdiplus::PointF Transformed(const Gdiplus::Matrix& matrix, float x, float y)
{
    Gdiplus::PointF point(x, y);
    matrix.TransformPoints(&point);
    return point;
}

TEST(NUpGeometry, GridsAndWhichSheetsTurn)
{
    using O = PageOrientation;
    const std::pair<INT, CellGrid> portraitGrids[] = {{2, {2, 1}},  {6, {3, 2}},  {4, {2, 2}}, {9, {3, 3}},
                                                      {16, {4, 4}}, {25, {5, 5}}, {1, {1, 1}}, {7, {1, 1}}};
    for (const auto& [count, grid] : portraitGrids) EXPECT_EQ(GridFor(count, false, O::Portrait), grid) << count;
    EXPECT_EQ(GridFor(2, false, O::ReverseLandscape), (CellGrid{1, 2}));
    EXPECT_EQ(GridFor(6, false, O::Landscape), (CellGrid{2, 3}));
    // A booklet is two pages side by side whatever the count.
    EXPECT_EQ(GridFor(4, true, O::Portrait), (CellGrid{2, 1}));
    EXPECT_EQ(GridFor(1, true, O::Landscape), (CellGrid{1, 2}));

    EXPECT_TRUE(SheetTurnsAgainstPage(2, false) && SheetTurnsAgainstPage(6, false) && SheetTurnsAgainstPage(4, true));
    EXPECT_FALSE(SheetTurnsAgainstPage(4, false) || SheetTurnsAgainstPage(1, false));
    EXPECT_EQ(TurnedOrientation(O::Portrait), O::Landscape);
    EXPECT_EQ(TurnedOrientation(O::ReverseLandscape), O::ReversePortrait);
    EXPECT_EQ(ExchangedImageableArea({1, 2, 3, 4, 5, 6}), (ImageableArea{2, 1, 4, 3, 6, 5}));
}

TEST(NUpGeometry, CellsFillInTheOrderOfTheDirection)
{
    using P = CellPosition;
    EXPECT_EQ(CellOrder({2, 2}, PresentationDirection::RightBottom), (std::vector<P>{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    // Down the right column first: page 1 at column 1 row 0, page 2 below it.
    EXPECT_EQ(CellOrder({2, 2}, PresentationDirection::BottomLeft), (std::vector<P>{{1, 0}, {1, 1}, {0, 0}, {0, 1}}));
    // 3 x 2 (6-up) down the columns from the right.
    EXPECT_EQ(CellOrder({3, 2}, PresentationDirection::BottomLeft),
              (std::vector<P>{{2, 0}, {2, 1}, {1, 0}, {1, 1}, {0, 0}, {0, 1}}));
    // 5 x 5: page 7 (index 6) is column 1 row 1 across; column 1 row 1 down
    // (6 = 1 x 5 + 1); column 3 row 1 right to left (2 x 5 - 1 - 1 = 8 is
    // column 1, so index 6 is column 5 - 1 - 1 = 3).
    EXPECT_EQ(CellAt(CellOrder({5, 5}, PresentationDirection::RightBottom), 6), (P{1, 1}));
    EXPECT_EQ(CellAt(CellOrder({5, 5}, PresentationDirection::BottomRight), 6), (P{1, 1}));
    EXPECT_EQ(CellAt(CellOrder({5, 5}, PresentationDirection::LeftBottom), 6), (P{3, 1}));
    EXPECT_EQ(CellAt(CellOrder({5, 5}, PresentationDirection::BottomLeft), 24), (P{0, 4}));
    // A cell the grid does not have falls back to the first.
    EXPECT_EQ(CellAt(CellOrder({1, 1}, PresentationDirection::RightBottom), 3), (P{0, 0}));
    EXPECT_EQ(CellAt(CellOrder({2, 2}, PresentationDirection::RightBottom), -1), (P{0, 0}));
}

TEST(NUpGeometry, CellsAreTheSheetScaledDown)
{
    // 2 x 2 on 1000 x 1500 with margins of 100 (extent 800 x 1300):
    // across dx = 1000 + 800 = 1800, cell 800 x 1000 / 1800 = 444.444,
    // margin 200 x 800 / 3600 = 44.444, printable 800 x 800 / 1800 = 355.556;
    // down dy = 1500 + 1300 = 2800, cell 1300 x 1500 / 2800 = 696.429,
    // margin 200 x 1300 / 5600 = 46.429, printable 1300 x 1300 / 2800 = 603.571.
    CellPitch pitch = CellPitchFor(kTallSheet, {2, 2});
    ExpectNear(
        {pitch.cellWidth, pitch.cellHeight, pitch.marginX, pitch.marginY, pitch.printableWidth, pitch.printableHeight},
        {444.444f, 696.429f, 44.444f, 46.429f, 355.556f, 603.571f});
    // Cell (1, 1) starts at 100 - 44.444 + 444.444 = 500 and 100 - 46.429 +
    // 696.429 = 750; its printable part ends where the sheet's does, at
    // 500 + 44.444 + 355.556 = 900 and 750 + 46.429 + 603.571 = 1400.
    Gdiplus::RectF last = CellRect(pitch, {1, 1});
    ExpectNear(
        {last.X, last.Y, last.X + pitch.marginX + pitch.printableWidth, last.Y + pitch.marginY + pitch.printableHeight},
        {500, 750, 900, 1400});
    Gdiplus::PointF centre = CellCentre(pitch, {1, 0});  // 500 + 444.444 / 2, 53.571 + 696.429 / 2
    ExpectNear({centre.X, centre.Y}, {722.222f, 401.786f});

    // Without margins the cells split the sheet evenly, and a page of the
    // sheet's size is scaled by one over the columns.
    CellPitch even = CellPitchFor(kTallSheetNoMargins, {4, 4});
    ExpectNear({even.cellWidth, even.cellHeight, even.marginX}, {250, 375, 0});
    PrintableSizes sheetSized = MediumAsPrintableSizes(264580, 396870);
    EXPECT_NEAR(CellScale(even, sheetSized, false, PageOrientation::Portrait), 0.25f, kTolerance);

    // A sheet with no printable area has no cells, and does not divide by 0.
    CellPitch none = CellPitchFor({}, {1, 1});
    ExpectNear({none.cellWidth, none.printableWidth}, {0, 0});
}

TEST(NUpGeometry, ScaleFitsThePageAsItLiesInTheCell)
{
    // 2-up of portrait Letter on Letter across with 4233-micron margins:
    // W 1056.013, ew 1024.015, dx = W + ew = 2080.029, px = ew^2 / dx =
    // 504.131; eh 784.012 is the single row's printable height. The page's
    // printable part is 784.012 x 1024.015 upright: the scale is
    // min(504.131 / 784.012, 784.012 / 1024.015) = 0.643 and 0.766, so 0.643.
    CellPitch pitch = CellPitchFor(kLetterAcross, GridFor(2, false, PageOrientation::Portrait));
    ExpectNear({pitch.printableWidth, pitch.printableHeight}, {504.131f, 784.012f});
    PrintableSizes letter = {784.0124f, 1024.0154f, 1024.0154f, 784.0124f};
    EXPECT_NEAR(CellScale(pitch, letter, true, PageOrientation::Landscape), 0.64301f, 1e-4f);

    // The page's sizes are taken as it lies in the cell: on a tall 1 x 1
    // sheet (printable 800 x 1300) a page of 400 x 1000 upright scales by
    // min(800/400, 1300/1000) = 1.3; on a turned sheet it lies across, as
    // 1000 x 400, and scales by 800/1000.
    CellPitch single = CellPitchFor(kTallSheet, {1, 1});
    PrintableSizes tall = {400, 1000, 1000, 400};
    EXPECT_NEAR(CellScale(single, tall, false, PageOrientation::Portrait), 1.3f, kTolerance);
    EXPECT_NEAR(CellScale(single, tall, true, PageOrientation::Portrait), 0.8f, kTolerance);  // 800 / 1000
    // The device's sizes need not be each other's exchange: the smallest of
    // all four ratios wins (1300 / 1625 = 0.8 from the across width).
    PrintableSizes uneven = {400, 1000, 1625, 400};
    EXPECT_NEAR(CellScale(single, uneven, false, PageOrientation::Portrait), 0.8f, kTolerance);
    // Sizes the device reports as nothing limit nothing.
    EXPECT_NEAR(CellScale(single, {}, false, PageOrientation::Portrait), 1.0f, kTolerance);

    PrintableSizes medium = MediumAsPrintableSizes(215900, 279400);
    ExpectNear({medium.portraitWidth, medium.portraitHeight, medium.landscapeWidth, medium.landscapeHeight},
               {816.010f, 1056.013f, 1056.013f, 816.010f});
}

TEST(NUpGeometry, BorderLinesRunMidwayBetweenThePrintableParts)
{
    // 3 x 3 on 1000 x 1500 with margins of 100: dx = 2800, cell 285.714,
    // margin 28.571; dy = 4300, cell 453.488, margin 30.233. Across lines at
    // y = i x 453.488 + 100 - 30.233 = 523.256 and 976.744 from x 100 to
    // 900; down lines at x = i x 285.714 + 71.429 = 357.143 and 642.857
    // from y 100 to 1400 (midway between printable parts ending at 328.571
    // and starting at 385.714).
    CellPitch pitch = CellPitchFor(kTallSheet, {3, 3});
    BorderLines lines = BorderLinesFor(pitch, {3, 3}, BorderLineKind::Dashed, false);
    EXPECT_EQ(lines.kind, BorderLineKind::Dashed);
    EXPECT_NEAR(lines.thickness, 0.30237f, 1e-5f);   // 80 microns
    EXPECT_NEAR(lines.dashLength, 6.38748f, 1e-5f);  // 1690 microns
    ExpectNear(Flattened(lines.across), {100, 523.256f, 900, 100, 976.744f, 900});
    ExpectNear(Flattened(lines.down), {357.143f, 100, 1400, 642.857f, 100, 1400});

    // 2-up has one line down the middle and none across; booklets and
    // "None" have none at all.
    BorderLines twoUp = BorderLinesFor(CellPitchFor(kTallSheet, {2, 1}), {2, 1}, BorderLineKind::Solid, false);
    EXPECT_EQ(twoUp.kind, BorderLineKind::Solid);
    EXPECT_TRUE(twoUp.across.empty());
    ExpectNear(Flattened(twoUp.down), {500, 100, 1400});  // 800 x 1000 / 1800 + 100 - 44.444
    BorderLines booklet = BorderLinesFor(pitch, {2, 1}, BorderLineKind::Solid, true);
    EXPECT_EQ(booklet.kind, BorderLineKind::None);
    EXPECT_TRUE(booklet.down.empty());
    EXPECT_TRUE(BorderLinesFor(pitch, {3, 3}, BorderLineKind::None, false).across.empty());
}

TEST(NUpGeometry, PagesTurnToSuitTheSheet)
{
    using O = PageOrientation;
    // 4-up keeps the page's orientation: a page of the other class turns a
    // quarter, -90 for a landscape page and 90 for a portrait one.
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::Portrait, false, false), 0.0f);
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::Landscape, false, false), -90.0f);
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::Landscape, false, true), 90.0f);
    EXPECT_EQ(CellTurnAngle(O::Landscape, O::Portrait, false, false), 90.0f);
    // A reverse orientation on one side only turns the quarter the other way,
    // or by half when no quarter turn is due; on both sides it cancels.
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::ReverseLandscape, false, false), 90.0f);
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::ReversePortrait, false, false), 180.0f);
    EXPECT_EQ(CellTurnAngle(O::ReversePortrait, O::ReversePortrait, false, false), 0.0f);
    // 2-up, booklet and 6-up sheets lie across the first page: that page
    // stays upright, and a page of the sheet's own class turns.
    EXPECT_EQ(CellTurnAngle(O::Landscape, O::Portrait, true, false), 0.0f);
    EXPECT_EQ(CellTurnAngle(O::Landscape, O::Landscape, true, false), -90.0f);
    EXPECT_EQ(CellTurnAngle(O::Landscape, O::Landscape, true, true), 90.0f);
    EXPECT_EQ(CellTurnAngle(O::Portrait, O::Portrait, true, false), 90.0f);
}

TEST(NUpGeometry, CellMatricesCentreTheScaledPageOnItsCell)
{
    // 2-up of 1000 x 1500 portrait pages on the sheet turned across without
    // margins (1500 x 1000): cells 750 x 1000 with centres (375, 500) and
    // (1125, 500); the scale is min(750/1000, 1000/1500) = 2/3, so the page
    // is 666.667 x 1000 and its centre (333.333, 500) moves to the cell's.
    ImageableArea across = ExchangedImageableArea(kTallSheetNoMargins);
    CellGrid grid = GridFor(2, false, PageOrientation::Portrait);
    CellPitch pitch = CellPitchFor(across, grid);
    float scale = CellScale(pitch, MediumAsPrintableSizes(264580, 396870), true, PageOrientation::Landscape);
    EXPECT_NEAR(scale, 2.0f / 3.0f, 1e-5f);
    std::vector<CellPosition> order = CellOrder(grid, PresentationDirection::RightBottom);
    ExpectElements(CellMatrix(pitch, CellAt(order, 0), 0, scale, 1000, 1500), {2.0f / 3, 0, 0, 2.0f / 3, 41.667f, 0});
    ExpectElements(CellMatrix(pitch, CellAt(order, 1), 0, scale, 1000, 1500), {2.0f / 3, 0, 0, 2.0f / 3, 791.667f, 0});

    // A 1500 x 1000 landscape page in the second cell turns by -90: x' = y,
    // y' = -x, scaled: its centre (750, 500) becomes (333.333, -500) and
    // moves to (1125, 500); its top-left corner lands at the cell's lower
    // left (791.667, 1000), its top-right at the upper left (791.667, 0).
    Gdiplus::Matrix turned = CellMatrix(pitch, CellAt(order, 1), -90, scale, 1500, 1000);
    ExpectElements(turned, {0, -2.0f / 3, 2.0f / 3, 0, 791.667f, 1000});
    Gdiplus::PointF topRight = Transformed(turned, 1500, 0);
    ExpectNear({topRight.X, topRight.Y}, {791.667f, 0});

    // A half turn about the centre keeps the page on its cell: 4-up of
    // 1000 x 1500 pages without margins, cell (1, 1) centred at (750, 1125),
    // scale 1/2: the page's corner (0, 0) lands at the cell's far corner.
    CellPitch four = CellPitchFor(kTallSheetNoMargins, {2, 2});
    Gdiplus::Matrix halfTurn = CellMatrix(four, {1, 1}, 180, 0.5f, 1000, 1500);
    Gdiplus::PointF corner = Transformed(halfTurn, 0, 0);
    ExpectNear({corner.X, corner.Y}, {1000, 1500});
}

TEST(NUpGeometry, OneUpCentresThePageTurnedToTheSheet)
{
    using O = PageOrientation;
    // A 1500 x 1000 landscape page on a 1000 x 1500 portrait sheet turns by
    // -90 (x' = y, y' = -x): its centre (750, 500) becomes (500, -750) and
    // moves to the sheet's centre (500, 750), so the page fills the sheet.
    ExpectElements(OneUpMatrix(O::Portrait, O::Landscape, false, 1500, 1000, 1000, 1500), {0, -1, 1, 0, 0, 1500});
    // Turned the other way (90: x' = -y, y' = x) the centre becomes
    // (-500, 750) and moves by (1000, 0).
    ExpectElements(OneUpMatrix(O::Portrait, O::Landscape, true, 1500, 1000, 1000, 1500), {0, 1, -1, 0, 1000, 0});
    // A portrait page on a landscape sheet turns by 90.
    ExpectElements(OneUpMatrix(O::Landscape, O::Portrait, false, 1000, 1500, 1500, 1000), {0, 1, -1, 0, 1500, 0});
    // A smaller page of the sheet's class is only centred, never scaled nor
    // turned by half: 800 x 1000 on 1000 x 1500 moves by (100, 250).
    ExpectElements(OneUpMatrix(O::Portrait, O::ReversePortrait, false, 800, 1000, 1000, 1500), {1, 0, 0, 1, 100, 250});
    // A page larger than the sheet shrinks to it: 2000 x 3000 by 1/2, its
    // centre (1000, 1500) at (500, 750) already. One larger by less than a
    // millimetre (3.78 units) is only centred.
    ExpectElements(OneUpMatrix(O::Portrait, O::Portrait, false, 2000, 3000, 1000, 1500), {0.5f, 0, 0, 0.5f, 0, 0});
    ExpectElements(OneUpMatrix(O::Portrait, O::Portrait, false, 1003, 1500, 1000, 1500), {1, 0, 0, 1, -1.5f, 0});
    // Turned, 3000 x 2000 lies as 2000 x 3000 and shrinks the same.
    ExpectElements(OneUpMatrix(O::Portrait, O::Landscape, false, 3000, 2000, 1000, 1500), {0, -0.5f, 0.5f, 0, 0, 1500});
}

TEST(SheetLayout, APageOfAnotherSizeThanTheFirstIsFittedToItsCell)
{
    using O = PageOrientation;
    // 2-up laid out for 1000 x 1500 pages without margins: cells of 750 x
    // 1000 whose printable part is the whole cell, scale 2/3.
    SheetLayoutRequest request = {
        .pagesPerSheet = 2, .pageArea = kTallSheetNoMargins, .printable = MediumAsPrintableSizes(264580, 396870)};
    SheetLayout twoUp = LayOutSheet(request);
    // The layout's page keeps the layout's scale.
    OwnPage same{O::Portrait, 1000, 1500, {0, 0, 1000, 1500}};
    ExpectElements(PlacementOfPage(twoUp, 1, same, false), {2.0f / 3, 0, 0, 2.0f / 3, 791.667f, 0});
    // A page twice as large fits by min(750 / 2000, 1000 / 3000) = 1/3:
    // its centre (1000, 1500) becomes (333.333, 500), moved to (1125, 500).
    OwnPage large{O::Portrait, 2000, 3000, {0, 0, 2000, 3000}};
    ExpectElements(PlacementOfPage(twoUp, 1, large, false), {1.0f / 3, 0, 0, 1.0f / 3, 791.667f, 0});
    // Turned into the cell by -90, a 3000 x 1200 page lies 1200 x 3000:
    // min(750 / 1200, 1000 / 3000) = 1/3; its centre (1500, 600) becomes
    // (200, -500), moved to the first cell's centre (375, 500).
    OwnPage wide{O::Landscape, 3000, 1200, {0, 0, 3000, 1200}};
    ExpectElements(PlacementOfPage(twoUp, 0, wide, false), {0, -1.0f / 3, 1.0f / 3, 0, 175, 1000});
}

TEST(SheetLayout, TheFirstPageSetsTheSheetAndLaterPagesTakeTheirCells)
{
    using O = PageOrientation;
    // 2-up of 1000 x 1500 portrait pages, no margins, the device silent
    // about the turned sheet: the page's area exchanged, 1500 x 1000 across,
    // cells of 750 x 1000, scale 2/3, one line down the middle at x = 750;
    // page 2 goes to the right cell (dx 1125 - 333.333, as worked out above).
    SheetLayoutRequest request = {.pagesPerSheet = 2,
                                  .borderLine = BorderLineKind::Solid,
                                  .pageArea = kTallSheetNoMargins,
                                  .printable = MediumAsPrintableSizes(264580, 396870)};
    SheetLayout twoUp = LayOutSheet(request);
    EXPECT_EQ(twoUp.sheetOrientation, O::Landscape);
    EXPECT_EQ(twoUp.sheetArea, (ImageableArea{396870, 264580, 0, 0, 396870, 264580}));
    EXPECT_NEAR(twoUp.scale, 2.0f / 3, 1e-5f);
    ExpectNear(Flattened(twoUp.borders.down), {750, 0, 1000});
    ExpectElements(PlacementOnSheet(twoUp, 1, O::Portrait, 1000, 1500, false), {2.0f / 3, 0, 0, 2.0f / 3, 791.667f, 0});

    // 6-up takes the device's turned area when it has one: 3 x 2 cells.
    request.pagesPerSheet = 6;
    request.turnedArea = ImageableArea{396870, 264580, 26458, 26458, 343954, 211664};
    SheetLayout sixUp = LayOutSheet(request);
    EXPECT_EQ(sixUp.sheetArea, *request.turnedArea);
    EXPECT_EQ(sixUp.grid, (CellGrid{3, 2}));
    // 4-up keeps the page's orientation and area whatever the device says
    // about the turned one: a quarter of a 1000 x 1500 page is 1/2.
    request.pagesPerSheet = 4;
    SheetLayout fourUp = LayOutSheet(request);
    EXPECT_EQ(fourUp.sheetOrientation, O::Portrait);
    EXPECT_EQ(fourUp.sheetArea, kTallSheetNoMargins);
    EXPECT_NEAR(fourUp.scale, 0.5f, 1e-5f);

    // A booklet reads left to right whatever the direction and has no lines.
    request = {.pagesPerSheet = 2,
               .booklet = true,
               .direction = PresentationDirection::BottomLeft,
               .borderLine = BorderLineKind::Solid,
               .pageArea = kTallSheetNoMargins};
    SheetLayout booklet = LayOutSheet(request);
    EXPECT_EQ(booklet.order, (std::vector<CellPosition>{{0, 0}, {1, 0}}));
    EXPECT_EQ(booklet.borders.kind, BorderLineKind::None);
    // A booklet of one page per sheet turns each page onto its own turned
    // sheet: 90 degrees and centred on 1500 x 1000 (as one-up above).
    request.pagesPerSheet = 1;
    ExpectElements(PlacementOnSheet(LayOutSheet(request), 0, O::Portrait, 1000, 1500, false), {0, 1, -1, 0, 1500, 0});
    // One-up keeps the first page's sheet; a landscape page turns onto it.
    request.booklet = false;
    ExpectElements(PlacementOnSheet(LayOutSheet(request), 0, O::Landscape, 1500, 1000, false), {0, -1, 1, 0, 0, 1500});
}

}  // namespace
