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
bool SameArea(const PrintableRect& a, const PrintableRect& b)
{
    return IsSameSize(a.x, a.y, b.x, b.y) && IsSameSize(a.width, a.height, b.width, b.height);
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

PosterTile PosterTileAt(INT gridSize, INT index, const PrintableRect& area)
{
    INT n = gridSize < 1 ? 1 : gridSize;
    auto [column, row] = TilePosition(n, index);
    float scale = static_cast<float>(n);
    PosterTile tile;
    // x' = n (x - ox) + ox - column * ew, and the same down.
    tile.matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(area.x - scale * area.x, area.y - scale * area.y, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(-column * area.width, -row * area.height, Gdiplus::MatrixOrderAppend);
    float tileWidth = area.width / scale, tileHeight = area.height / scale;
    tile.clip.left = area.x + column * tileWidth;
    tile.clip.top = area.y + row * tileHeight;
    tile.clip.right = tile.clip.left + tileWidth;
    tile.clip.bottom = tile.clip.top + tileHeight;
    return tile;
}

PosterTile PosterTileOn(INT gridSize, INT index, const PrintableRect& pageArea, const PrintableRect& sheetArea)
{
    bool sized = pageArea.width > 0 && pageArea.height > 0 && sheetArea.width > 0 && sheetArea.height > 0;
    if (!sized || SameArea(pageArea, sheetArea)) return PosterTileAt(gridSize, index, pageArea);
    INT n = gridSize < 1 ? 1 : gridSize;
    auto [column, row] = TilePosition(n, index);
    float count = static_cast<float>(n);
    float scale = count * std::min(sheetArea.width / pageArea.width, sheetArea.height / pageArea.height);
    // The spare room of the grid of sheets, split on either side.
    float spareX = (count * sheetArea.width - scale * pageArea.width) / 2;
    float spareY = (count * sheetArea.height - scale * pageArea.height) / 2;
    // x' = sheet.x + scale (x - page.x) + spareX - column * sheet.width, and
    // the same down.
    PosterTile tile;
    tile.matrix.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(pageArea.x - scale * pageArea.x, pageArea.y - scale * pageArea.y, Gdiplus::MatrixOrderAppend);
    tile.matrix.Translate(sheetArea.x - pageArea.x + spareX - column * sheetArea.width,
                          sheetArea.y - pageArea.y + spareY - row * sheetArea.height, Gdiplus::MatrixOrderAppend);
    // The sheet's printable area in page coordinates, within the page's.
    float left = pageArea.x + (column * sheetArea.width - spareX) / scale;
    float top = pageArea.y + (row * sheetArea.height - spareY) / scale;
    tile.clip.left = std::max(left, pageArea.x);
    tile.clip.top = std::max(top, pageArea.y);
    tile.clip.right = std::max(tile.clip.left, std::min(left + sheetArea.width / scale, pageArea.x + pageArea.width));
    tile.clip.bottom = std::max(tile.clip.top, std::min(top + sheetArea.height / scale, pageArea.y + pageArea.height));
    return tile;
}
