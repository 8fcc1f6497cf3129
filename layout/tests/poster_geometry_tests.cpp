// Poster tiles against values worked out by hand for a printable area at
// (16, 16) of 784 x 1024 units.
#include <gtest/gtest.h>

#include "poster_geometry.h"

namespace {

const Gdiplus::RectF kArea{16, 16, 784, 1024};

// A tile's expected part of the page by its corners.
struct Corners {
    float left, top, right, bottom;
};

void ExpectTile(const PosterTile& tile, float scale, float dx, float dy, Corners clip)
{
    Gdiplus::REAL m[6];
    tile.matrix.GetElements(m);
    EXPECT_FLOAT_EQ(m[0], scale);
    EXPECT_FLOAT_EQ(m[1], 0);
    EXPECT_FLOAT_EQ(m[2], 0);
    EXPECT_FLOAT_EQ(m[3], scale);
    EXPECT_NEAR(m[4], dx, 1e-3);
    EXPECT_NEAR(m[5], dy, 1e-3);
    EXPECT_NEAR(tile.clip.X, clip.left, 1e-3);
    EXPECT_NEAR(tile.clip.Y, clip.top, 1e-3);
    EXPECT_NEAR(tile.clip.GetRight(), clip.right, 1e-3);
    EXPECT_NEAR(tile.clip.GetBottom(), clip.bottom, 1e-3);
}

TEST(PosterGeometry, GridsAndTileCounts)
{
    EXPECT_EQ(PosterGridSize(4), 2);
    EXPECT_EQ(PosterGridSize(9), 3);
    EXPECT_EQ(PosterGridSize(16), 4);
    EXPECT_EQ(PosterGridSize(25), 5);
    EXPECT_EQ(PosterTileCount(25), 25);
    // Values without a grid: one sheet with the whole page.
    for (INT odd : {2, 6, 0, -4, 100}) {
        EXPECT_EQ(PosterGridSize(odd), 1) << odd;
        EXPECT_EQ(PosterTileCount(odd), 1) << odd;
    }
}

TEST(PosterGeometry, FourTilesAreTheQuartersEnlargedAboutTheOrigin)
{
    // x' = 2 (x - 16) + 16 - c * 784: dx = -16 - c * 784, and the same down.
    ExpectTile(PosterTileAt(2, 0, kArea), 2, -16, -16, {16, 16, 408, 528});
    ExpectTile(PosterTileAt(2, 1, kArea), 2, -800, -16, {408, 16, 800, 528});
    ExpectTile(PosterTileAt(2, 2, kArea), 2, -16, -1040, {16, 528, 408, 1040});
    ExpectTile(PosterTileAt(2, 3, kArea), 2, -800, -1040, {408, 528, 800, 1040});
}

TEST(PosterGeometry, EachTileLandsExactlyOnThePrintableArea)
{
    for (INT n : {2, 3, 4, 5}) {
        for (INT k = 0; k < n * n; ++k) {
            SCOPED_TRACE(std::to_string(n) + " tile " + std::to_string(k));
            PosterTile tile = PosterTileAt(n, k, kArea);
            Gdiplus::PointF corners[2] = {{tile.clip.X, tile.clip.Y}, {tile.clip.GetRight(), tile.clip.GetBottom()}};
            tile.matrix.TransformPoints(corners, 2);
            EXPECT_NEAR(corners[0].X, 16, 1e-2);
            EXPECT_NEAR(corners[0].Y, 16, 1e-2);
            EXPECT_NEAR(corners[1].X, 800, 1e-2);
            EXPECT_NEAR(corners[1].Y, 1040, 1e-2);
        }
    }
}

TEST(PosterGeometry, NineTilesRunAlongTheRows)
{
    // Tile 5 is column 2 of row 1: dx = 16 - 48 - 2 * 784, dy = 16 - 48 - 1024.
    ExpectTile(PosterTileAt(3, 5, kArea), 3, -1600, -1056,
               {16 + 2 * 784 / 3.0f, 16 + 1024 / 3.0f, 800, 16 + 2 * 1024 / 3.0f});
    // A grid of one is the page itself; an index outside the grid the first tile.
    ExpectTile(PosterTileAt(1, 0, kArea), 1, 0, 0, {16, 16, 800, 1040});
    ExpectTile(PosterTileAt(2, 7, kArea), 2, -16, -16, {16, 16, 408, 528});
}

// A Tabloid page's printable area (16, 16, 1024 x 1600) on Letter tiles
// (16, 16, 784 x 1024): the two by two sheets hold 1568 x 2048, the page fits
// them by 2 min(784 / 1024, 1024 / 1600) = 1.28 and is 1310.72 wide, 128.64
// to spare on either side. x' = 16 + 1.28 (x - 16) + 128.64 - c * 784, and
// y' = 16 + 1.28 (y - 16) - r * 1024; each tile shows the sheet's printable
// area, 612.5 x 800 of the page, within the page's printable area.
TEST(PosterGeometry, APageOfAnotherSizeThanItsTilesIsFittedToThemAll)
{
    const Gdiplus::RectF tabloid{16, 16, 1024, 1600};
    ExpectTile(PosterTileOn(2, 0, tabloid, kArea), 1.28f, 124.16f, -4.48f, {16, 16, 528, 816});
    ExpectTile(PosterTileOn(2, 3, tabloid, kArea), 1.28f, -659.84f, -1028.48f, {528, 816, 1040, 1616});
    // Areas alike within a millimetre are tiled as they are.
    ExpectTile(PosterTileOn(2, 1, {17, 15, 786, 1025}, kArea), 2, -803, -15, {410, 15, 803, 527.5f});
}

}  // namespace
