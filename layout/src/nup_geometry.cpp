#include "nup_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "filtercore/page_on_paper.h"
#include "platform/units.h"

namespace {

bool IsReverse(PageOrientation orientation)
{
    return orientation == PageOrientation::ReversePortrait || orientation == PageOrientation::ReverseLandscape;
}

// The key of cell (column, row) in the order of the direction.
INT CellKey(CellGrid grid, PresentationDirection direction, INT column, INT row)
{
    switch (direction) {
    case PresentationDirection::BottomRight: return column * grid.rows + row;
    case PresentationDirection::LeftBottom: return (row + 1) * grid.columns - column - 1;
    case PresentationDirection::BottomLeft: return (grid.columns - column - 1) * grid.rows + row;
    case PresentationDirection::RightBottom: break;
    }
    return row * grid.columns + column;
}

}  // namespace

bool SheetTurnsAgainstPage(INT pagesPerSheet, bool booklet)
{
    return booklet || pagesPerSheet == 2 || pagesPerSheet == 6;
}

PageOrientation TurnedOrientation(PageOrientation orientation)
{
    switch (orientation) {
    case PageOrientation::Portrait: return PageOrientation::Landscape;
    case PageOrientation::ReversePortrait: return PageOrientation::ReverseLandscape;
    case PageOrientation::Landscape: return PageOrientation::Portrait;
    case PageOrientation::ReverseLandscape: return PageOrientation::ReversePortrait;
    }
    return orientation;
}

ImageableArea ExchangedImageableArea(const ImageableArea& area)
{
    return {area.imageableSizeHeight, area.imageableSizeWidth, area.originHeight,
            area.originWidth,         area.extentHeight,       area.extentWidth};
}

CellGrid GridFor(INT pagesPerSheet, bool booklet, PageOrientation pageOrientation)
{
    bool landscape = IsLandscapeLike(pageOrientation);
    if (booklet || pagesPerSheet == 2) return landscape ? CellGrid{1, 2} : CellGrid{2, 1};
    switch (pagesPerSheet) {
    case 6: return landscape ? CellGrid{2, 3} : CellGrid{3, 2};
    case 4: return {2, 2};
    case 9: return {3, 3};
    case 16: return {4, 4};
    case 25: return {5, 5};
    default: return {1, 1};
    }
}

INT PagesPerSheetWithGrid(INT pagesPerSheet)
{
    for (INT withGrid : {2, 4, 6, 9, 16, 25}) {
        if (pagesPerSheet <= withGrid) return withGrid;
    }
    return 25;
}

std::vector<CellPosition> CellOrder(CellGrid grid, PresentationDirection direction)
{
    std::vector<CellPosition> order(static_cast<size_t>(grid.columns) * static_cast<size_t>(grid.rows));
    for (INT row = 0; row < grid.rows; ++row) {
        for (INT column = 0; column < grid.columns; ++column) {
            order[static_cast<size_t>(CellKey(grid, direction, column, row))] = {column, row};
        }
    }
    return order;
}

CellPosition CellAt(const std::vector<CellPosition>& order, INT cellIndex)
{
    if (cellIndex < 0 || static_cast<size_t>(cellIndex) >= order.size()) return {};
    return order[static_cast<size_t>(cellIndex)];
}

// A cell is the sheet scaled by ew / dx across, where dx is the width of
// the grid's printable parts laid edge to edge with a whole sheet's margin
// between neighbours: (columns - 1) W + ew. The same holds down the sheet.
CellPitch CellPitchFor(const ImageableArea& sheetArea, CellGrid grid)
{
    float width = MicronsToXpsUnits(sheetArea.imageableSizeWidth);
    float height = MicronsToXpsUnits(sheetArea.imageableSizeHeight);
    CellPitch pitch;
    pitch.originX = MicronsToXpsUnits(sheetArea.originWidth);
    pitch.originY = MicronsToXpsUnits(sheetArea.originHeight);
    pitch.extentX = MicronsToXpsUnits(sheetArea.extentWidth);
    pitch.extentY = MicronsToXpsUnits(sheetArea.extentHeight);
    float spanX = static_cast<float>(grid.columns - 1) * width + pitch.extentX;
    float spanY = static_cast<float>(grid.rows - 1) * height + pitch.extentY;
    if (spanX <= 0 || spanY <= 0) return pitch;  // no printable area: nothing to lay out
    pitch.cellWidth = pitch.extentX * width / spanX;
    pitch.cellHeight = pitch.extentY * height / spanY;
    pitch.marginX = (width - pitch.extentX) * pitch.extentX / (2 * spanX);
    pitch.marginY = (height - pitch.extentY) * pitch.extentY / (2 * spanY);
    pitch.printableWidth = pitch.extentX * pitch.extentX / spanX;
    pitch.printableHeight = pitch.extentY * pitch.extentY / spanY;
    return pitch;
}

Gdiplus::RectF CellRect(const CellPitch& pitch, CellPosition cell)
{
    return {pitch.originX - pitch.marginX + static_cast<float>(cell.column) * pitch.cellWidth,
            pitch.originY - pitch.marginY + static_cast<float>(cell.row) * pitch.cellHeight, pitch.cellWidth,
            pitch.cellHeight};
}

Gdiplus::PointF CellCentre(const CellPitch& pitch, CellPosition cell)
{
    Gdiplus::RectF rect = CellRect(pitch, cell);
    return {rect.X + pitch.cellWidth / 2, rect.Y + pitch.cellHeight / 2};
}

PrintableSizes MediumAsPrintableSizes(INT mediaWidthMicrons, INT mediaHeightMicrons)
{
    float width = MicronsToXpsUnits(mediaWidthMicrons);
    float height = MicronsToXpsUnits(mediaHeightMicrons);
    return {width, height, height, width};
}

// On a sheet that keeps the page's orientation a page sits in its cell in
// the sheet's orientation class; on a turned sheet in the other one. Both
// pairs of ratios are taken, so the page fits even when the device reports
// printable sizes that are not each other's exchange. A size the device
// reports as nothing limits nothing; with no size at all the page keeps its
// own.
float CellScale(const CellPitch& pitch, const PrintableSizes& page, bool sheetTurnsAgainstPage,
                PageOrientation sheetOrientation)
{
    bool pageLiesAcross = IsLandscapeLike(sheetOrientation) != sheetTurnsAgainstPage;
    const float upright[2] = {page.portraitWidth, page.portraitHeight};
    const float across[2] = {page.landscapeWidth, page.landscapeHeight};
    const float* inCell = pageLiesAcross ? across : upright;
    const float* other = pageLiesAcross ? upright : across;
    const float ratios[4][2] = {{pitch.printableWidth, inCell[0]},
                                {pitch.printableHeight, inCell[1]},
                                {pitch.printableWidth, other[1]},
                                {pitch.printableHeight, other[0]}};
    float scale = std::numeric_limits<float>::infinity();
    for (const auto& [extent, size] : ratios) {
        if (size > 0) scale = std::min(scale, extent / size);
    }
    return std::isinf(scale) ? 1.0f : scale;
}

BorderLines BorderLinesFor(const CellPitch& pitch, CellGrid grid, BorderLineKind kind, bool booklet)
{
    BorderLines lines;
    if (kind == BorderLineKind::None || booklet) return lines;
    lines.kind = kind;
    for (INT i = 1; i < grid.rows; ++i) {
        float y = static_cast<float>(i) * pitch.cellHeight + pitch.originY - pitch.marginY;
        lines.across.push_back({pitch.originX, y, pitch.originX + pitch.extentX});
    }
    for (INT i = 1; i < grid.columns; ++i) {
        float x = static_cast<float>(i) * pitch.cellWidth + pitch.originX - pitch.marginX;
        lines.down.push_back({x, pitch.originY, pitch.originY + pitch.extentY});
    }
    return lines;
}

float CellTurnAngle(PageOrientation sheetOrientation, PageOrientation pageOrientation, bool sheetTurnsAgainstPage,
                    bool turnOtherWay)
{
    bool sameClass = IsLandscapeLike(sheetOrientation) == IsLandscapeLike(pageOrientation);
    bool quarterTurn = sheetTurnsAgainstPage ? sameClass : !sameClass;
    bool halfTurn = IsReverse(sheetOrientation) != IsReverse(pageOrientation);
    if (!quarterTurn) return halfTurn ? 180.0f : 0.0f;
    float angle = IsLandscapeLike(pageOrientation) ? -90.0f : 90.0f;
    if (halfTurn) angle = -angle;
    if (turnOtherWay) angle = -angle;
    return angle;
}

Gdiplus::Matrix CellMatrix(const CellPitch& pitch, CellPosition cell, float angle, float scale, float pageWidth,
                           float pageHeight)
{
    Gdiplus::Matrix matrix;
    if (angle != 0) matrix.Rotate(angle, Gdiplus::MatrixOrderAppend);
    matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    Gdiplus::PointF centre(pageWidth / 2, pageHeight / 2);
    matrix.TransformPoints(&centre);
    Gdiplus::PointF cellCentre = CellCentre(pitch, cell);
    matrix.Translate(cellCentre.X - centre.X, cellCentre.Y - centre.Y, Gdiplus::MatrixOrderAppend);
    return matrix;
}

float CellFitScale(const CellPitch& pitch, float printableWidth, float printableHeight, bool quarterTurned)
{
    if (!(printableWidth > 0 && printableHeight > 0)) return 1.0f;
    if (quarterTurned) std::swap(printableWidth, printableHeight);
    return std::min(pitch.printableWidth / printableWidth, pitch.printableHeight / printableHeight);
}

Gdiplus::Matrix OneUpMatrix(PageOrientation sheetOrientation, PageOrientation pageOrientation, bool turnOtherWay,
                            float pageWidth, float pageHeight, float sheetWidth, float sheetHeight)
{
    Gdiplus::Matrix matrix;
    float lyingWidth = pageWidth, lyingHeight = pageHeight;
    if (IsLandscapeLike(sheetOrientation) != IsLandscapeLike(pageOrientation)) {
        float angle = IsLandscapeLike(pageOrientation) ? -90.0f : 90.0f;
        matrix.Rotate(turnOtherWay ? -angle : angle, Gdiplus::MatrixOrderAppend);
        std::swap(lyingWidth, lyingHeight);
    }
    bool larger = lyingWidth > sheetWidth + kSameSizeTolerance || lyingHeight > sheetHeight + kSameSizeTolerance;
    if (larger && lyingWidth > 0 && lyingHeight > 0) {
        float scale = std::min(sheetWidth / lyingWidth, sheetHeight / lyingHeight);
        matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    }
    Gdiplus::PointF centre(pageWidth / 2, pageHeight / 2);
    matrix.TransformPoints(&centre);
    matrix.Translate(sheetWidth / 2 - centre.X, sheetHeight / 2 - centre.Y, Gdiplus::MatrixOrderAppend);
    return matrix;
}
