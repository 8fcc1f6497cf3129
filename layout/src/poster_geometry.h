// The geometry of poster pages as pure functions of numbers: the grid a
// poster request cuts the page's printable area into, and for each tile the
// matrix that enlarges it onto the printable area of a sheet of its own and
// the clip that keeps only the tile. Lengths are XPS units (1/96 inch).
#pragma once

#include "platform/gdiplus.h"
#include "platform/types.h"

// The tiles across (and down) for "SheetsPerPage": 2, 3, 4 and 5 for 4, 9,
// 16 and 25, and 1 for any other value.
INT PosterGridSize(INT sheetsPerPage);

// The sheets a poster page prints on: one per tile of the grid. A value the
// grid does not know gives one sheet with the whole page, rather than
// several identical ones.
INT PosterTileCount(INT sheetsPerPage);

struct PosterTile {
    Gdiplus::Matrix matrix;
    Gdiplus::RectF clip;  // the tile's part of the page, in page coordinates
};

// Tile `index` of an n x n grid, counted along the rows from the top left:
// the page enlarged n times about the printable area's origin and moved so
// that the tile's part lands exactly on the printable area. An index
// outside the grid gives the first tile.
PosterTile PosterTileAt(INT gridSize, INT index, const Gdiplus::RectF& area);

// Tile `index` of a page whose printable area is not that of the tile
// sheets (a page of another size than its paper): the page's printable area
// scaled uniformly to fit the n x n sheets' printable areas laid edge to
// edge, centred on them, each sheet showing its part, clipped to the page's
// printable area. Where the two areas are the same (within a millimetre),
// PosterTileAt.
PosterTile PosterTileOn(INT gridSize, INT index, const Gdiplus::RectF& pageArea, const Gdiplus::RectF& sheetArea);
