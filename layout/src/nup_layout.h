// The layout of an N-up, booklet or one-up sheet, worked out once from the
// page that begins it, and where each later page goes on it.
#pragma once

#include <optional>
#include <vector>

#include "nup_geometry.h"
#include "own_page.h"

struct SheetLayoutRequest {
    INT pagesPerSheet = 0;
    bool booklet = false;
    PresentationDirection direction = PresentationDirection::RightBottom;
    BorderLineKind borderLine = BorderLineKind::None;
    // The page that begins the sheet: its orientation, its imageable area
    // and the printable sizes the device reports for its medium.
    PageOrientation pageOrientation = PageOrientation::Portrait;
    ImageableArea pageArea{};
    PrintableSizes printable{};
    // The device's imageable area for the page turned a quarter, when it
    // could say; only used when the sheet turns against the page.
    std::optional<ImageableArea> turnedArea{};
};

struct SheetLayout {
    INT pagesPerSheet = 0;
    bool turnsAgainstPage = false;
    PageOrientation sheetOrientation = PageOrientation::Portrait;
    ImageableArea sheetArea;
    CellGrid grid;
    std::vector<CellPosition> order;
    CellPitch pitch;
    float scale = 1;
    BorderLines borders;
    // The printable sizes of the page the layout was made for.
    PrintableSizes printable;
};

// A booklet always fills its two cells in reading order and has no border
// lines; the sheet turns against the page for booklets, 2-up and 6-up,
// taking the device's turned imageable area or, failing that, the page's
// exchanged.
SheetLayout LayOutSheet(const SheetLayoutRequest& request);

// Where a page of pageWidth x pageHeight goes: into cell cellIndex of the
// layout, turned to suit the sheet and scaled, or, one page per sheet,
// turned and centred on the sheet.
Gdiplus::Matrix PlacementOnSheet(const SheetLayout& layout, INT cellIndex, PageOrientation pageOrientation,
                                 float pageWidth, float pageHeight, bool turnOtherWay);

// Where a page goes by its own size: a page whose printable extent is the
// one the layout was made for (the printable size of its orientation,
// within a millimetre) as PlacementOnSheet puts it; any other turned the
// same way but scaled to fit its printable extent into the cell's printable
// part (CellFitScale), centred on the cell. One page per sheet, every page
// is centred and shrunk only when larger than the sheet (OneUpMatrix).
Gdiplus::Matrix PlacementOfPage(const SheetLayout& layout, INT cellIndex, const OwnPage& page, bool turnOtherWay);
