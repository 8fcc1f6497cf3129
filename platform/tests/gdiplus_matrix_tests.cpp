// The GDI+ matrix, against values worked out by hand with the row-vector
// convention x' = x m11 + y m21 + dx, y' = x m12 + y m22 + dy.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "platform/gdiplus.h"
#include "testsupport/geometry_printers.h"

namespace {

using namespace Gdiplus;
using Elements = std::array<REAL, 6>;

Elements ElementsOf(const Matrix& matrix)
{
    Elements elements{};
    EXPECT_EQ(matrix.GetElements(elements.data()), Ok);
    return elements;
}

PointF Transformed(const Matrix& matrix, PointF point)
{
    EXPECT_EQ(matrix.TransformPoints(&point), Ok);
    return point;
}

TEST(GdiplusMatrix, AppendActsAfterAndPrependBefore)
{
    // Translate by (10, 20), then scale by (2, 3): (1, 1) -> (11, 21) -> (22, 63).
    Matrix appended;
    appended.Translate(10, 20);
    appended.Scale(2, 3, MatrixOrderAppend);
    EXPECT_EQ(ElementsOf(appended), (Elements{2, 0, 0, 3, 20, 60}));
    EXPECT_EQ(Transformed(appended, {1, 1}), PointF(22, 63));

    // The scale prepended acts first: (1, 1) -> (2, 3) -> (12, 23).
    Matrix prepended;
    prepended.Translate(10, 20);
    prepended.Scale(2, 3);
    EXPECT_EQ(ElementsOf(prepended), (Elements{2, 0, 0, 3, 10, 20}));
    EXPECT_EQ(Transformed(prepended, {1, 1}), PointF(12, 23));

    // Multiply composes the same way: translate (5, 0) and scale 2.
    Matrix scale(2, 0, 0, 2, 0, 0);
    Matrix after(1, 0, 0, 1, 5, 0);
    Matrix before(1, 0, 0, 1, 5, 0);
    EXPECT_EQ(after.Multiply(&scale, MatrixOrderAppend), Ok);
    EXPECT_EQ(before.Multiply(&scale, MatrixOrderPrepend), Ok);
    EXPECT_EQ(Transformed(after, {1, 1}), PointF(12, 2));  // (6, 1) doubled
    EXPECT_EQ(Transformed(before, {1, 1}), PointF(7, 2));  // (2, 2) moved by 5
}

TEST(GdiplusMatrix, PositiveAngleTurnsClockwiseWithYDown)
{
    // The x axis turns onto the y axis, which points down the page.
    Matrix quarter;
    quarter.Rotate(90);
    EXPECT_EQ(ElementsOf(quarter), (Elements{0, 1, -1, 0, 0, 0}));
    EXPECT_EQ(Transformed(quarter, {1, 0}), PointF(0, 1));
    EXPECT_EQ(Transformed(quarter, {0, 1}), PointF(-1, 0));

    Matrix back;
    back.Rotate(-90);
    EXPECT_EQ(ElementsOf(back), (Elements{0, -1, 1, 0, 0, 0}));
    Matrix half;
    half.Rotate(180);
    EXPECT_EQ(ElementsOf(half), (Elements{-1, 0, 0, -1, 0, 0}));
    Matrix threeQuarters;
    threeQuarters.Rotate(270);
    EXPECT_EQ(ElementsOf(threeQuarters), ElementsOf(back));
    // Quarter turns leave no negative zeros to be written as "-0.000000".
    for (REAL element : ElementsOf(half)) EXPECT_FALSE(element == 0 && std::signbit(element));

    // cos 30 = 0.8660254, sin 30 = 0.5.
    Matrix thirty;
    thirty.Rotate(30);
    Elements elements = ElementsOf(thirty);
    EXPECT_NEAR(elements[0], 0.8660254f, 1e-6);
    EXPECT_NEAR(elements[1], 0.5f, 1e-6);
    EXPECT_NEAR(elements[2], -0.5f, 1e-6);
    EXPECT_NEAR(elements[3], 0.8660254f, 1e-6);
}

TEST(GdiplusMatrix, QuarterTurnOfAPageMovesItsTopToTheRightEdge)
{
    // A page 100 high turned a quarter clockwise and moved back onto the
    // sheet: (x, y) -> (100 - y, x).
    Matrix turn;
    turn.Rotate(90);
    turn.Translate(100, 0, MatrixOrderAppend);
    EXPECT_EQ(ElementsOf(turn), (Elements{0, 1, -1, 0, 100, 0}));
    EXPECT_EQ(Transformed(turn, {0, 0}), PointF(100, 0));
    EXPECT_EQ(Transformed(turn, {30, 40}), PointF(60, 30));
    // Rotating after the translation instead turns the offset too.
    Matrix turnedOffset;
    turnedOffset.Translate(100, 0);
    turnedOffset.Rotate(90, MatrixOrderAppend);
    EXPECT_EQ(ElementsOf(turnedOffset), (Elements{0, 1, -1, 0, 0, 100}));
}

TEST(GdiplusMatrix, TransformsSeveralPointsInPlace)
{
    Matrix matrix(2, 0, 0, 3, 1, 1);
    PointF points[] = {{0, 0}, {1, 2}, {-1, -1}};
    EXPECT_EQ(matrix.TransformPoints(points, 3), Ok);
    EXPECT_EQ(points[0], PointF(1, 1));
    EXPECT_EQ(points[1], PointF(3, 7));
    EXPECT_EQ(points[2], PointF(-1, -2));
    EXPECT_EQ(matrix.TransformPoints(points, 0), InvalidParameter);
    EXPECT_EQ(matrix.TransformPoints(nullptr, 1), InvalidParameter);
}

TEST(GdiplusMatrix, InvertsOrReportsASingularMatrix)
{
    // Scale (2, 4) then translate (10, 20): undone by translating (-10, -20)
    // and scaling by (1/2, 1/4), that is (0.5, 0, 0, 0.25, -5, -5).
    Matrix matrix(2, 0, 0, 4, 10, 20);
    ASSERT_TRUE(matrix.IsInvertible());
    EXPECT_EQ(matrix.Invert(), Ok);
    EXPECT_EQ(ElementsOf(matrix), (Elements{0.5f, 0, 0, 0.25f, -5, -5}));
    EXPECT_EQ(Transformed(matrix, {12, 24}), PointF(1, 1));

    Matrix singular(1, 2, 2, 4, 3, 3);
    EXPECT_FALSE(singular.IsInvertible());
    EXPECT_EQ(singular.Invert(), InvalidParameter);
    EXPECT_EQ(ElementsOf(singular), (Elements{1, 2, 2, 4, 3, 3}));
}

TEST(GdiplusMatrix, KeepsTheLastFailureUntilItIsRead)
{
    Matrix matrix;
    EXPECT_EQ(matrix.GetLastStatus(), Ok);
    EXPECT_EQ(matrix.Multiply(nullptr), InvalidParameter);
    // A later success does not clear the failure.
    EXPECT_EQ(matrix.Translate(1, 1), Ok);
    EXPECT_EQ(matrix.GetLastStatus(), InvalidParameter);
    EXPECT_EQ(matrix.GetLastStatus(), Ok);
    EXPECT_EQ(matrix.GetElements(nullptr), InvalidParameter);
    EXPECT_EQ(matrix.GetLastStatus(), InvalidParameter);
}

TEST(GdiplusMatrix, IdentityCloneAndReset)
{
    Matrix matrix;
    EXPECT_TRUE(matrix.IsIdentity());
    matrix.Translate(0, 1);
    EXPECT_FALSE(matrix.IsIdentity());
    EXPECT_EQ(matrix.OffsetY(), 1);
    Matrix* copy = matrix.Clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->Equals(&matrix));
    delete copy;
    matrix.Reset();
    EXPECT_TRUE(matrix.IsIdentity());
}

TEST(GdiplusRect, ComparesWholeValues)
{
    RectF rect(1, 2, 3, 4);
    EXPECT_EQ(rect.GetRight(), 4);
    EXPECT_EQ(rect.GetBottom(), 6);
    EXPECT_EQ(rect, RectF(1, 2, 3, 4));
    EXPECT_NE(rect, RectF(1, 2, 3, 5));
}

}  // namespace
