#include "nup_layout.h"

#include "filtercore/page_on_paper.h"
#include "platform/units.h"

namespace {

// Whether the page's printable extent is the printable size of its
// orientation on the page the layout was made for.
bool IsLayoutsPage(const PrintableSizes& printable, const OwnPage& page)
{
    bool across = IsLandscapeLike(page.orientation);
    float width = across ? printable.landscapeWidth : printable.portraitWidth;
    float height = across ? printable.landscapeHeight : printable.portraitHeight;
    return IsSameSize(page.printable.Width, page.printable.Height, width, height);
}

}  // namespace

SheetLayout LayOutSheet(const SheetLayoutRequest& request)
{
    SheetLayout layout;
    layout.pagesPerSheet = request.pagesPerSheet;
    layout.turnsAgainstPage = SheetTurnsAgainstPage(request.pagesPerSheet, request.booklet);
    layout.sheetOrientation = request.pageOrientation;
    layout.sheetArea = request.pageArea;
    if (layout.turnsAgainstPage) {
        layout.sheetOrientation = TurnedOrientation(request.pageOrientation);
        layout.sheetArea = request.turnedArea.value_or(ExchangedImageableArea(request.pageArea));
    }
    layout.grid = GridFor(request.pagesPerSheet, request.booklet, request.pageOrientation);
    layout.order = CellOrder(layout.grid, request.booklet ? PresentationDirection::RightBottom : request.direction);
    layout.pitch = CellPitchFor(layout.sheetArea, layout.grid);
    layout.scale = CellScale(layout.pitch, request.printable, layout.turnsAgainstPage, layout.sheetOrientation);
    layout.borders = BorderLinesFor(layout.pitch, layout.grid, request.borderLine, request.booklet);
    layout.printable = request.printable;
    return layout;
}

Gdiplus::Matrix PlacementOnSheet(const SheetLayout& layout, INT cellIndex, PageOrientation pageOrientation,
                                 float pageWidth, float pageHeight, bool turnOtherWay)
{
    if (layout.pagesPerSheet == 1) {
        return OneUpMatrix(layout.sheetOrientation, pageOrientation, turnOtherWay, pageWidth, pageHeight,
                           MicronsToXpsUnits(layout.sheetArea.imageableSizeWidth),
                           MicronsToXpsUnits(layout.sheetArea.imageableSizeHeight));
    }
    float angle = CellTurnAngle(layout.sheetOrientation, pageOrientation, layout.turnsAgainstPage, turnOtherWay);
    return CellMatrix(layout.pitch, CellAt(layout.order, cellIndex), angle, layout.scale, pageWidth, pageHeight);
}

Gdiplus::Matrix PlacementOfPage(const SheetLayout& layout, INT cellIndex, const OwnPage& page, bool turnOtherWay)
{
    if (layout.pagesPerSheet == 1 || IsLayoutsPage(layout.printable, page))
        return PlacementOnSheet(layout, cellIndex, page.orientation, page.width, page.height, turnOtherWay);
    float angle = CellTurnAngle(layout.sheetOrientation, page.orientation, layout.turnsAgainstPage, turnOtherWay);
    bool quarterTurned = angle == 90.0f || angle == -90.0f;
    float scale = CellFitScale(layout.pitch, page.printable.Width, page.printable.Height, quarterTurned);
    return CellMatrix(layout.pitch, CellAt(layout.order, cellIndex), angle, scale, page.width, page.height);
}
