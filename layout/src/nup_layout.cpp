#include "nup_layout.h"

#include "platform/units.h"

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
