#include "poster_geometry.h"

#include <algorithm>
#include <utility>

#include "filtercore/page_on_paper.h"

namespace {

// The column and row of tile `index` of an n x n grid, counted along the
// rows; the first tile for an index outside the grid.
std::pair<INT, INT> TilePosition(INT n, INT index)
{
    if (index < 0 || index >= n * n) return {0, 0};
    return {index % n, index / n};
}

// Origins and extents each within a millimetre.
bool SameArea(const Gdiplus::RectF& a, const Gdiplus::RectF& b)
{
    return IsSameSize(a.X, a.Y, b.X, b.Y) && IsSameSize(a.Width, a.Height, b.Width, b.Height);
}

}  // namespace

INT PosterGridSize(INT sheetsPerPage)
{
    switch (sheetsPerPage) {
    case 4: return 2;
    case 9: return 3;
    case 16: return 4;
    case 25: return 5;
    }
    return 1;
}

INT PosterTileCount(INT sheetsPerPage)
{
    INT n = PosterGridSize(sheetsPerPage);
    return n * n;
}

PosterTile PosterTileAt(INT gridSize, INT index, const Gdiplus::RectF& area)
{
    INT n = gridSize < 1 ? 1 : gridSize;
    auto [column, row] = TilePosition(n, index);
    float scale = static_cast<float>(n);
    PosterTile tile;
    // x' = n (x - ox) + ox - column * ew, and the same down.
    tile.matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(area.X - scale * area.X, area.Y - scale * area.Y, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(-column * area.Width, -row * area.Height, Gdiplus::MatrixOrderAppend);
    float tileWidth = area.Width / scale, tileHeight = area.Height / scale;
    tile.clip = Gdiplus::RectF(area.X + column * tileWidth, area.Y + row * tileHeight, tileWidth, tileHeight);
    return tile;
}

PosterTile PosterTileOn(INT gridSize, INT index, const Gdiplus::RectF& pageArea, const Gdiplus::RectF& sheetArea)
{
    bool sized = pageArea.Width > 0 && pageArea.Height > 0 && sheetArea.Width > 0 && sheetArea.Height > 0;
    if (!sized || SameArea(pageArea, sheetArea)) return PosterTileAt(gridSize, index, pageArea);
    INT n = gridSize < 1 ? 1 : gridSize;
    auto [column, row] = TilePosition(n, index);
    float count = static_cast<float>(n);
    float scale = count * std::min(sheetArea.Width / pageArea.Width, sheetArea.Height / pageArea.Height);
    // The spare room of the grid of sheets, split on either side.
    float spareX = (count * sheetArea.Width - scale * pageArea.Width) / 2;
    float spareY = (count * sheetArea.Height - scale * pageArea.Height) / 2;
    // x' = sheet.x + scale (x - page.x) + spareX - column * sheet.width, and
    // the same down.
    PosterTile tile;
    tile.matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(pageArea.X - scale * pageArea.X, pageArea.Y - scale * pageArea.Y, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(sheetArea.X - pageArea.X + spareX - column * sheetArea.Width,
                          sheetArea.Y - pageArea.Y + spareY - row * sheetArea.Height, Gdiplus::MatrixOrderAppend);
    // The sheet's printable area in page coordinates, within the page's.
    float left = pageArea.X + (column * sheetArea.Width - spareX) / scale;
    float top = pageArea.Y + (row * sheetArea.Height - spareY) / scale;
    float clipLeft = std::max(left, pageArea.X);
    float clipTop = std::max(top, pageArea.Y);
    float clipRight = std::max(clipLeft, std::min(left + sheetArea.Width / scale, pageArea.GetRight()));
    float clipBottom = std::max(clipTop, std::min(top + sheetArea.Height / scale, pageArea.GetBottom()));
    tile.clip = Gdiplus::RectF(clipLeft, clipTop, clipRight - clipLeft, clipBottom - clipTop);
    return tile;
}
