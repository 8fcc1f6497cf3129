// Pages placed by their own size against the paper their ticket names:
// Letter (215900 x 279400 microns, 816.01 x 1056.01 units) with margins of
// 4233 microns (16.00 units).
#include <gtest/gtest.h>

#include "own_page.h"

namespace {

constexpr ImageableArea kLetter = {215900, 279400, 4233, 4233, 207434, 270934};
constexpr float kTolerance = 0.02f;

void ExpectRect(const Gdiplus::RectF& rect, float x, float y, float width, float height)
{
    EXPECT_NEAR(rect.X, x, kTolerance);
    EXPECT_NEAR(rect.Y, y, kTolerance);
    EXPECT_NEAR(rect.Width, width, kTolerance);
    EXPECT_NEAR(rect.Height, height, kTolerance);
}

TEST(OwnPage, APageIsPlacedAsItsPaperTurnedToItOrAtItsOwnSize)
{
    using O = PageOrientation;
    // A Letter page is the paper, its size and area as the ticket gives them.
    PaperAsLaid upright = PaperAsPageLies(O::Portrait, kLetter, 816, 1056);
    EXPECT_EQ(upright.orientation, O::Portrait);
    EXPECT_EQ(upright.area, kLetter);
    OwnPage letter = OwnPageOn(upright, 816, 1056);
    EXPECT_NEAR(letter.width, 816.01f, kTolerance);
    ExpectRect(letter.printable, 16, 16, 784, 1024);

    // A slide (1056 x 816) under a portrait ticket lies across: the paper
    // turns to Landscape with its area exchanged, and the slide is that.
    PaperAsLaid across = PaperAsPageLies(O::ReversePortrait, kLetter, 1056, 816);
    EXPECT_EQ(across.orientation, O::ReverseLandscape);
    EXPECT_EQ(across.area, (ImageableArea{279400, 215900, 4233, 4233, 270934, 207434}));
    OwnPage slide = OwnPageOn(across, 1056, 816);
    EXPECT_NEAR(slide.width, 1056.01f, kTolerance);
    ExpectRect(slide.printable, 16, 16, 1024, 784);

    // Tabloid (1056 x 1632) keeps its size with the paper's margins.
    OwnPage tabloid = OwnPageOn(PaperAsPageLies(O::Portrait, kLetter, 1056, 1632), 1056, 1632);
    EXPECT_EQ(tabloid.orientation, O::Portrait);
    EXPECT_FLOAT_EQ(tabloid.width, 1056);
    EXPECT_FLOAT_EQ(tabloid.height, 1632);
    ExpectRect(tabloid.printable, 16, 16, 1024, 1600);

    // A page whose size could not be read is the paper.
    EXPECT_EQ(PaperAsPageLies(O::Portrait, kLetter, 0, 0).area, kLetter);
    ExpectRect(OwnPageOn(upright, 0, 0).printable, 16, 16, 784, 1024);
}

}  // namespace
