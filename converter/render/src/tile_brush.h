// Where the tiles of an image or visual brush fall: the viewbox of the
// content stretched onto the viewport, placed by the brush's transform, and
// the cell that repeats (one tile, or two or four mirrored copies for the
// flipping tile modes). Pure arithmetic, tested with numbers.
#pragma once

#include "brush.h"

namespace tav::render {

struct TilePlacement {
    bool empty = true;  // nothing to paint: a viewbox or viewport without area, or a flat transform
    Rect viewbox;       // in content units
    Rect viewport;      // in brush space
    // Content units to the element's user space.
    Affine contentToUser;
    // The repeating cell in content units, from the viewbox's corner:
    // copiesX by copiesY tiles, the second of each pair mirrored.
    int copiesX = 1, copiesY = 1;
};

// `bounds` is the element's bounding box in its user space (for relative
// viewports), `content` the content's own extent in content units (the
// image's size, or the visual's bounds, for relative viewboxes).
TilePlacement PlaceTile(const Brush& brush, const Rect& bounds, const Rect& content);

// Content units to the cell's own units for copy (ix, iy) of the cell:
// each copy is the viewbox moved beside the first, mirrored when its
// index along a flipping axis is odd.
Affine ContentToCell(const TilePlacement& placement, int ix, int iy);

// How many cells cover `area` (a rectangle in user space) at most; a
// very large number for cells of no area.
double CellsOver(const TilePlacement& placement, const Rect& area);

// The scales that take one unit along each axis of `transform` to length.
Point AxisScales(const Affine& transform);

}  // namespace tav::render
