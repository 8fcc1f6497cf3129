#include "tile_brush.h"

#include <cmath>
#include <limits>

namespace tav::render {

namespace {

Rect Relative(const Rect& rect, const Rect& frame)
{
    return {frame.x + rect.x * frame.width, frame.y + rect.y * frame.height, rect.width * frame.width,
            rect.height * frame.height};
}

double Determinant(const Affine& a) { return a.m11 * a.m22 - a.m12 * a.m21; }

}  // namespace

TilePlacement PlaceTile(const Brush& brush, const Rect& bounds, const Rect& content)
{
    TilePlacement placement;
    placement.viewbox =
        brush.viewboxUnits == MappingMode::RelativeToBoundingBox ? Relative(brush.viewbox, content) : brush.viewbox;
    placement.viewport =
        brush.mapping == MappingMode::RelativeToBoundingBox ? Relative(brush.viewport, bounds) : brush.viewport;
    const Rect& box = placement.viewbox;
    const Rect& port = placement.viewport;
    if (!(box.width > 0 && box.height > 0 && port.width > 0 && port.height > 0)) return placement;
    double sx = port.width / box.width, sy = port.height / box.height;
    Affine contentToViewport{sx, 0, 0, sy, port.x - box.x * sx, port.y - box.y * sy};
    placement.contentToUser = Then(contentToViewport, brush.transform);
    double determinant = Determinant(placement.contentToUser);
    if (!std::isfinite(determinant) || std::abs(determinant) < 1e-12) return placement;
    bool flipX = brush.tileMode == TileMode::FlipX || brush.tileMode == TileMode::FlipXY;
    bool flipY = brush.tileMode == TileMode::FlipY || brush.tileMode == TileMode::FlipXY;
    placement.copiesX = flipX ? 2 : 1;
    placement.copiesY = flipY ? 2 : 1;
    placement.empty = false;
    return placement;
}

Affine ContentToCell(const TilePlacement& placement, int ix, int iy)
{
    const Rect& box = placement.viewbox;
    // Unmirrored: x - box.x + ix * width. Mirrored: the copy's right edge
    // holds the viewbox's left edge.
    Affine cell;
    if (ix % 2 == 1) {
        cell.m11 = -1;
        cell.dx = box.x + (ix + 1) * box.width;
    } else {
        cell.dx = -box.x + ix * box.width;
    }
    if (iy % 2 == 1) {
        cell.m22 = -1;
        cell.dy = box.y + (iy + 1) * box.height;
    } else {
        cell.dy = -box.y + iy * box.height;
    }
    return cell;
}

double CellsOver(const TilePlacement& placement, const Rect& area)
{
    double cellArea = std::abs(Determinant(placement.contentToUser)) * placement.viewbox.width *
                      placement.viewbox.height * placement.copiesX * placement.copiesY;
    if (!(cellArea > 0)) return std::numeric_limits<double>::infinity();
    // Cells that touch the area's edges count too.
    return area.width * area.height / cellArea;
}

Point AxisScales(const Affine& transform)
{
    return {std::hypot(transform.m11, transform.m12), std::hypot(transform.m21, transform.m22)};
}

}  // namespace tav::render
