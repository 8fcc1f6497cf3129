// Sheet planning with page numbers alone. A page's plan is written as its
// slots: C content, T tile, F flush, B blank side, P the back of a tile;
// "[" before a slot when it starts a sheet, "]" after it when the sheet is
// complete after it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheet_bins.h"
#include "sheet_plan.h"

namespace {

std::string Written(const PagePlan& plan)
{
    std::string text;
    for (const SheetSlot& slot : plan.slots) {
        if (!text.empty()) text += ' ';
        if (slot.startsSheet) text += '[';
        text += "CBFTP"[static_cast<int>(slot.kind)];
        bool holdsPage = slot.kind == SlotKind::Content || slot.kind == SlotKind::Tile;
        if (holdsPage && slot.completesSheet) text += ']';
    }
    return text;
}

// Plans count plain pages of a one-sided job.
std::vector<std::string> PlanPages(SheetPlanner& planner, int count)
{
    std::vector<std::string> plans;
    for (int page = 0; page < count; ++page) plans.push_back(Written(planner.Plan({})));
    return plans;
}

TEST(SheetPlanner, PagesFillTheCellsOfEachSheetInTurn)
{
    // 4-up, 6 pages: pages 1-4 make sheet 1, complete at page 4; pages 5
    // and 6 open sheet 2, which the job's end must close with 2 cells filled.
    SheetPlanner planner;
    planner.SetPagesPerSheet(4);
    EXPECT_EQ(PlanPages(planner, 6), (std::vector<std::string>{"[C", "C", "C", "C]", "[C", "C"}));
    EXPECT_EQ(planner.CellsFilled(), 2);

    // One page per sheet: every page is a sheet of its own.
    SheetPlanner oneUp;
    oneUp.SetPagesPerSheet(1);
    EXPECT_EQ(PlanPages(oneUp, 3), (std::vector<std::string>{"[C]", "[C]", "[C]"}));
    EXPECT_EQ(oneUp.CellsFilled(), 0);

    // Without sheets every page passes through.
    SheetPlanner none;
    EXPECT_EQ(PlanPages(none, 2), (std::vector<std::string>{"C]", "C]"}));
}

// The cell of each page's content slot; -1 for a page without one.
int CellOf(const PagePlan& plan)
{
    for (const SheetSlot& slot : plan.slots)
        if (slot.kind == SlotKind::Content) return slot.cell;
    return -1;
}

TEST(SheetPlanner, EachPageNamesItsCellAndTheCellsCountAgainAfterATileOrADivide)
{
    SheetPlanner planner;
    planner.SetPagesPerSheet(4);
    std::vector<int> cells;
    for (const PageFacts& page :
         std::vector<PageFacts>{{}, {}, {.posterSheets = 4}, {}, {}, {.divideChanged = true}, {}})
        cells.push_back(CellOf(planner.Plan(page)));
    EXPECT_EQ(cells, (std::vector<int>{0, 1, -1, 0, 1, 0, 1}));
}

TEST(SheetPlanner, TheLayoutIsWorkedOutOnlyAfterARestart)
{
    SheetPlanner planner;
    planner.SetPagesPerSheet(2);
    EXPECT_TRUE(planner.Plan({}).layoutAnew);
    EXPECT_FALSE(planner.Plan({}).layoutAnew);
    EXPECT_FALSE(planner.Plan({}).layoutAnew);  // begins sheet 2 in the same layout
    planner.Plan({});
    EXPECT_TRUE(planner.Plan({.divideChanged = true}).layoutAnew);
    planner.Restart();
    EXPECT_TRUE(planner.Plan({}).layoutAnew);
    SheetPlanner none;
    EXPECT_FALSE(none.Plan({}).layoutAnew);
}

TEST(SheetPlanner, ADivisionStartsOnANewSheetAndOnAFrontSide)
{
    // Two-sided 2-up with one cell filled: the open front side is closed and
    // an empty back side follows before the page begins the next sheet.
    SheetPlanner planner;
    planner.SetPagesPerSheet(2);
    planner.Plan({.duplex = true});
    EXPECT_EQ(Written(planner.Plan({.divideChanged = true, .duplex = true, .frontSide = true})), "F B [C");
    // Closed on a back side: no empty side is due.
    planner.Plan({.duplex = true});
    planner.Plan({.duplex = true});
    EXPECT_EQ(Written(planner.Plan({.divideChanged = true, .duplex = true, .frontSide = false})), "F [C");
    // No sheet open but the next side is a back: an empty side fills it.
    SheetPlanner oneUp;
    oneUp.SetPagesPerSheet(1);
    EXPECT_EQ(Written(oneUp.Plan({.divideChanged = true, .duplex = true, .frontSide = false})), "B [C]");
    // One-sided jobs only close the sheet (the one begun above).
    EXPECT_EQ(Written(planner.Plan({.divideChanged = true})), "F [C");
    // Every slot of a two-sided job says so.
    for (const SheetSlot& slot : planner.Plan({.duplex = true}).slots) EXPECT_TRUE(slot.duplex);
}

TEST(SheetPlanner, APosterPageClosesTheSheetAndTilesOnSheetsOfItsOwn)
{
    // Two-sided 4-up: the open sheet is flushed and, being a front side,
    // gets an empty back; each tile is a sheet with a back side; the page
    // after the poster starts a new sheet with a new layout.
    SheetPlanner planner;
    planner.SetPagesPerSheet(4);
    planner.Plan({.duplex = true});
    PageFacts poster = {.duplex = true, .frontSide = true, .posterSheets = 2};
    EXPECT_EQ(Written(planner.Plan(poster)), "F B [T] P [T] P");
    PagePlan after = planner.Plan({.duplex = true});
    EXPECT_EQ(Written(after), "[C");
    EXPECT_TRUE(after.layoutAnew);
    // Nothing open, a back side next: it is filled before the first tile.
    SheetPlanner none;
    EXPECT_EQ(Written(none.Plan({.duplex = true, .frontSide = false, .posterSheets = 1})), "B [T] P");
    // A divide-condition change has closed the sheet already.
    planner.Plan({});
    EXPECT_EQ(Written(planner.Plan({.divideChanged = true, .posterSheets = 1})), "F [T] P");
}

TEST(SheetBins, FirstPageBinThenTheSecondBinOrEachPagesOwn)
{
    InputBins bins;
    bins.SetSecondBin(kSameTrayBin);
    bins.PageArrives(4);
    bins.PageArrives(5);
    EXPECT_EQ(bins.FirstPageBin(), 4);
    EXPECT_EQ(bins.CurrentBin(), 5);
    bins.Reset();
    bins.SetSecondBin(7);
    bins.PageArrives(3);
    EXPECT_EQ(bins.CurrentBin(), 3);
    bins.PageArrives(5);
    EXPECT_EQ(bins.CurrentBin(), 7);
    EXPECT_EQ(bins.FirstPageBin(), 3);

    // Two-sided, first paper separated: two sides from the first page's
    // bin; the second side sent ends the phase, and later sheets name the
    // current bin. A second Begin in the same job changes nothing.
    SeparateTray tray;
    tray.Begin(true, true, true);
    EXPECT_EQ(tray.SheetBin(bins), 3);
    EXPECT_FALSE(tray.SideSent());
    tray.Begin(true, true, true);
    EXPECT_TRUE(tray.SideSent());
    EXPECT_FALSE(tray.InPhase());
    EXPECT_EQ(tray.SheetBin(bins), 7);
    EXPECT_FALSE(tray.SideSent());
    // One side otherwise; a poster page or a new division ends it early.
    tray.Reset();
    tray.Begin(true, false, true);
    EXPECT_TRUE(tray.SideSent());
    tray.Reset();
    tray.Begin(true, true, false);
    tray.End();
    EXPECT_FALSE(tray.InPhase());
    EXPECT_FALSE(tray.SideSent());
    tray.Reset();
    tray.Begin(false, true, true);
    EXPECT_FALSE(tray.InPhase());
}

}  // namespace
