// The geometry of N-up, booklet and one-up sheets as pure functions of
// numbers: which way the sheet lies, the grid of cells, the order in which
// the cells fill, their pitch and printable part, the scale of the pages in
// them, the border lines between them, and the matrices that carry a page
// onto its cell or, one-up, onto the middle of its own sheet.
//
// The imageable area is in microns and converted with MicronsToXpsUnits;
// everything else is in XPS units (1/96 inch), in single precision.
#pragma once

#include <vector>

#include "nup_options.h"
#include "platform/gdiplus.h"
#include "platform/page_media.h"
#include "platform/types.h"

// The stroke of border lines: 80 microns, and dashes of 1690 microns.
inline constexpr float kBorderStrokeThickness = 0.30236602f;
inline constexpr float kBorderDashLength = 6.3874822f;

// Whether the sheet lies across the page (a portrait page on a landscape
// sheet and the other way round): booklets, 2-up and 6-up, whose cells are
// the two halves or six parts of the turned sheet.
bool SheetTurnsAgainstPage(INT pagesPerSheet, bool booklet);

// The orientation a quarter turn of the sheet gives: Portrait and Landscape
// exchange, as do ReversePortrait and ReverseLandscape.
PageOrientation TurnedOrientation(PageOrientation orientation);

// The imageable area of the turned sheet when the device cannot say: the
// page's with widths and heights exchanged.
ImageableArea ExchangedImageableArea(const ImageableArea& area);

struct CellGrid {
    INT columns = 1;
    INT rows = 1;
    bool operator==(const CellGrid&) const = default;
};

// The grid of a sheet for pages of the given orientation: 2 side by side for
// booklets and 2-up (one above the other for landscape pages), 3 x 2 for 6-up
// (2 x 3 for landscape pages), 2 x 2, 3 x 3, 4 x 4 and 5 x 5 for 4, 9, 16 and
// 25; a single cell for any other count.
CellGrid GridFor(INT pagesPerSheet, bool booklet, PageOrientation pageOrientation);

// The pages per sheet a count of more than one is laid out as: the count
// itself when it has a grid, else the next larger count that has one (3 as
// 4, 7 as 9, ...), and 25 for more than 25.
INT PagesPerSheetWithGrid(INT pagesPerSheet);

struct CellPosition {
    INT column = 0;
    INT row = 0;
    bool operator==(const CellPosition&) const = default;
};

// The cells of the grid in the order they fill: element k is the column and
// row of the k-th page of a sheet.
std::vector<CellPosition> CellOrder(CellGrid grid, PresentationDirection direction);

// Element cellIndex of the order, or the first cell (0, 0) when the order
// has no such element.
CellPosition CellAt(const std::vector<CellPosition>& order, INT cellIndex);

// The pitch of the cells on a sheet. Each cell is a copy of the sheet scaled
// down, so its printable part keeps the sheet's proportions of printable
// area to margin: the printable parts of the outer cells meet the edges of
// the sheet's printable area.
struct CellPitch {
    float originX = 0, originY = 0;  // the sheet's printable origin
    float extentX = 0, extentY = 0;  // the sheet's printable extent
    float cellWidth = 0, cellHeight = 0;
    float marginX = 0, marginY = 0;                 // from a cell's edge to its printable part
    float printableWidth = 0, printableHeight = 0;  // the printable part of one cell
};

CellPitch CellPitchFor(const ImageableArea& sheetArea, CellGrid grid);

// The whole cell and its centre.
Gdiplus::RectF CellRect(const CellPitch& pitch, CellPosition cell);
Gdiplus::PointF CellCentre(const CellPitch& pitch, CellPosition cell);

// The printable size of the page the device reports for each orientation,
// in XPS units.
struct PrintableSizes {
    float portraitWidth = 0, portraitHeight = 0;
    float landscapeWidth = 0, landscapeHeight = 0;
};

// The sizes to use when the device cannot say: the whole medium, upright
// for portrait and across for landscape.
PrintableSizes MediumAsPrintableSizes(INT mediaWidthMicrons, INT mediaHeightMicrons);

// The scale that fits a page into the printable part of a cell, upright or
// turned: the smallest ratio of the cell's printable part to the page's
// printable size in the orientation the page takes in the cell.
float CellScale(const CellPitch& pitch, const PrintableSizes& page, bool sheetTurnsAgainstPage,
                PageOrientation sheetOrientation);

// A border line: from (x, y) to x = end (across) or y = end (down).
struct BorderSegment {
    float x = 0, y = 0, end = 0;
    bool operator==(const BorderSegment&) const = default;
};

struct BorderLines {
    BorderLineKind kind = BorderLineKind::None;
    float thickness = kBorderStrokeThickness;
    float dashLength = kBorderDashLength;
    std::vector<BorderSegment> across{};
    std::vector<BorderSegment> down{};
};

// The lines between the cells, across the sheet's printable area; none for
// booklets or when no line is asked for.
BorderLines BorderLinesFor(const CellPitch& pitch, CellGrid grid, BorderLineKind kind, bool booklet);

// How a page is turned in its cell, in degrees (0, 90, -90 or 180). Pages
// are turned a quarter when their orientation class does not suit the sheet
// (a different class, or on a turned sheet the same one), half when exactly
// one of page and sheet is a reverse orientation; turnOtherWay (a landscape
// rotation of 90) turns quarter turns the other way.
float CellTurnAngle(PageOrientation sheetOrientation, PageOrientation pageOrientation, bool sheetTurnsAgainstPage,
                    bool turnOtherWay);

// Carries a page of pageWidth x pageHeight, turned by angle and scaled,
// so that its centre lands on the centre of the cell.
Gdiplus::Matrix CellMatrix(const CellPitch& pitch, CellPosition cell, float angle, float scale, float pageWidth,
                           float pageHeight);

// The scale that fits a page's printable extent, as it lies in the cell
// (exchanged when it is turned a quarter), into the cell's printable part:
// for a page that is not the one the layout was made for. 1 when the page
// has no extent.
float CellFitScale(const CellPitch& pitch, float printableWidth, float printableHeight, bool quarterTurned);

// One page per sheet: a page whose orientation class differs from the
// sheet's is turned a quarter (90 degrees for a portrait page, -90 for a
// landscape one, the other way with turnOtherWay); the page is centred on
// the sheet of sheetWidth x sheetHeight. A page larger than the sheet, as
// it lies, by more than a millimetre is shrunk to fit it, uniformly; any
// other keeps its size.
Gdiplus::Matrix OneUpMatrix(PageOrientation sheetOrientation, PageOrientation pageOrientation, bool turnOtherWay,
                            float pageWidth, float pageHeight, float sheetWidth, float sheetHeight);
