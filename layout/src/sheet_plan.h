// SheetPlanner: what each input page turns into, as a short list of slots:
// the page itself in the next cell of a sheet (the one place that counts
// cells), the close of the sheet that
// is open, an empty side that keeps two-sided output in step, or the tiles
// of a poster page. It counts the cells of the open sheet, so that the
// decisions can be checked with page numbers alone; the filter holds the
// sheets and carries the slots out.
#pragma once

#include <vector>

#include "platform/types.h"

enum class SlotKind {
    Content,      // the page, on a sheet or passed through
    Blank,        // an empty sheet side
    Flush,        // close the open sheet
    Tile,         // one tile of a poster page, a sheet of its own
    PosterBlank,  // the back of a tile: counts a side, sends nothing
};

struct SheetSlot {
    SlotKind kind = SlotKind::Content;
    bool duplex = false;         // the job is two-sided
    bool startsSheet = false;    // this content begins a new sheet
    bool completesSheet = true;  // the sheet is complete after this content
    INT cell = 0;                // the cell this content fills, from 0
    bool operator==(const SheetSlot&) const = default;
};

// What is known of an input page when it is planned.
struct PageFacts {
    bool divideChanged = false;  // its divide condition differs from the page before
    bool duplex = false;         // the job is two-sided
    bool frontSide = true;       // the next side out is a front side
    INT posterSheets = 0;        // sheets of a poster page; below 1 for other pages
};

struct PagePlan {
    std::vector<SheetSlot> slots;
    // The page begins a sheet after a restart (the job's first page, a
    // divide-condition change, a poster page): the sheet's layout is worked
    // out afresh from this page.
    bool layoutAnew = false;
};

class SheetPlanner {
public:
    // Pages per sheet: 0 when no pages are gathered on sheets (every page
    // passes through or is tiled), 1 for one page per sheet, more for N-up
    // and booklets.
    void SetPagesPerSheet(INT pagesPerSheet) { pagesPerSheet_ = pagesPerSheet; }
    INT PagesPerSheet() const { return pagesPerSheet_; }

    // Plans the next input page and counts the cells it fills.
    PagePlan Plan(const PageFacts& page);

    // Cells of the open sheet already filled: 0 when no sheet is open.
    INT CellsFilled() const { return filled_; }

    // The job ended or restarts: the next page begins a new sheet with a
    // new layout.
    void Restart();

private:
    void AddClosingSlots(const PageFacts& page, std::vector<SheetSlot>& slots) const;
    void MarkSheetCells(const PageFacts& page, std::vector<SheetSlot>& slots);

    INT pagesPerSheet_ = 0;
    INT filled_ = 0;
    bool layoutDue_ = true;
};
