#include "sheet_plan.h"

void SheetPlanner::Restart()
{
    filled_ = 0;
    layoutDue_ = true;
}

// A poster page closes what is open unless a divide-condition change
// already did: an open sheet is flushed; on a two-sided job the poster's
// first tile must start on a front side, so a blank side follows a flushed
// front side, or fills the back when no sheet was open.
void SheetPlanner::AddClosingSlots(const PageFacts& page, std::vector<SheetSlot>& slots) const
{
    if (filled_ < 1) {
        if (page.duplex && !page.frontSide) slots.push_back({SlotKind::Blank});
        return;
    }
    slots.push_back({SlotKind::Flush});
    if (page.duplex && page.frontSide) slots.push_back({SlotKind::Blank});
}

// Content and tiles in list order: a sheet starts at its first cell, and a
// sheet is complete when its last cell is filled. A tile is a sheet of its
// own; the cells count again from the first after it.
void SheetPlanner::MarkSheetCells(const PageFacts& page, std::vector<SheetSlot>& slots)
{
    for (SheetSlot& slot : slots) {
        if (slot.kind != SlotKind::Content && slot.kind != SlotKind::Tile) continue;
        slot.duplex = page.duplex;
        if (slot.kind == SlotKind::Tile) {
            slot.startsSheet = true;
            Restart();
            continue;
        }
        if (pagesPerSheet_ < 1) continue;
        slot.startsSheet = filled_ == 0;
        slot.cell = filled_;
        if (++filled_ >= pagesPerSheet_) {
            filled_ = 0;
        } else {
            slot.completesSheet = false;
        }
    }
}

PagePlan SheetPlanner::Plan(const PageFacts& page)
{
    PagePlan plan;
    std::vector<SheetSlot>& slots = plan.slots;
    bool sheetOpen = pagesPerSheet_ > 0 && filled_ != 0;
    if (page.divideChanged) {
        // A new division starts on a new sheet, and on a front side: the
        // open sheet is closed, and an empty side fills the back of a front
        // side left over.
        if (sheetOpen) {
            slots.push_back({SlotKind::Flush});
            if (page.duplex && page.frontSide) slots.push_back({SlotKind::Blank});
        } else if (page.duplex && !page.frontSide) {
            slots.push_back({SlotKind::Blank});
        }
        if (pagesPerSheet_ > 0) Restart();
    }
    if (pagesPerSheet_ > 0 && filled_ == 0) {
        plan.layoutAnew = layoutDue_;
        layoutDue_ = false;
    }
    if (page.posterSheets < 1) {
        slots.push_back({SlotKind::Content});
    } else {
        if (!page.divideChanged) AddClosingSlots(page, slots);
        for (INT tile = 0; tile < page.posterSheets; ++tile) {
            slots.push_back({SlotKind::Tile});
            slots.push_back({SlotKind::PosterBlank});
        }
    }
    MarkSheetCells(page, slots);
    return plan;
}
