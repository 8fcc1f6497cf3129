#include "poster_geometry.h"

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
    INT column = 0, row = 0;
    if (index >= 0 && index < n * n) {
        column = index % n;
        row = index / n;
    }
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
