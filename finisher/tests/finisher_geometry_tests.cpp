// The finisher's geometry with numbers alone: the kinds chosen from the
// settings, the content transforms, the turned boxes, the clip rectangle and
// the cut-out marks, and the stand-in imageable area.
#include <gtest/gtest.h>

#include <vector>

#include "filtercore/job_settings.h"
#include "finisher_geometry.h"

namespace {

struct Point {
    float x, y;
};

Point Apply(const ContentTurn& turn, float width, float height, Point p)
{
    return {turn.m11 * p.x + turn.m21 * p.y + SideLength(turn.dx, width, height),
            turn.m12 * p.x + turn.m22 * p.y + SideLength(turn.dy, width, height)};
}

void ExpectPoint(Point actual, Point expected, const char* what)
{
    EXPECT_FLOAT_EQ(actual.x, expected.x) << what;
    EXPECT_FLOAT_EQ(actual.y, expected.y) << what;
}

// The default device's area on Letter portrait: 4233 microns on every side.
ImageableArea LetterArea() { return {215900, 279400, 4233, 4233, 207434, 270934}; }

TEST(FinisherKinds, MirrorAndReverseImageCombine)
{
    EXPECT_EQ(MirrorKindOf(kMirrorImageWidth, 0), kFlipAcrossWidth);
    EXPECT_EQ(MirrorKindOf(kMirrorImageWidth, 1), kFlipAcrossHeight);
    EXPECT_EQ(MirrorKindOf(kMirrorImageHeight, 0), kFlipAcrossHeight);
    EXPECT_EQ(MirrorKindOf(kMirrorImageHeight, 1), kFlipAcrossWidth);
    EXPECT_EQ(MirrorKindOf(kMirrorNone, 0), kNoMirror);
    EXPECT_EQ(MirrorKindOf(kMirrorNone, 1), kHalfTurn);
    EXPECT_EQ(MirrorKindOf(7, 1), kHalfTurn);
}

TEST(FinisherKinds, OnlyTransverseFeedTurnsAndLandscapeKeepsItsContent)
{
    EXPECT_EQ(RotationKindOf(FALSE, PageOrientation::Portrait), kNoTransverseFeed);
    EXPECT_EQ(RotationKindOf(FALSE, PageOrientation::Landscape), kNoTransverseFeed);
    for (PageOrientation orientation : {PageOrientation::Landscape, PageOrientation::ReverseLandscape})
        EXPECT_EQ(RotationKindOf(TRUE, orientation), kTransverseLandscape) << static_cast<INT>(orientation);
    for (PageOrientation orientation : {PageOrientation::Portrait, PageOrientation::ReversePortrait})
        EXPECT_EQ(RotationKindOf(TRUE, orientation), kTransverseTurned) << static_cast<INT>(orientation);
}

TEST(FinisherTransforms, NoTransformWhenNothingTurnsOrFlips)
{
    EXPECT_FALSE(ContentTurnFor(kNoTransverseFeed, kNoMirror));
    EXPECT_FALSE(ContentTurnFor(kTransverseLandscape, kNoMirror));
}

// Each transform checked by where it takes the corners of an 816 x 1056
// page: the top-left corner and the top-right one.
TEST(FinisherTransforms, CornersOfTheContentGoWhereTheTurnAndFlipPutThem)
{
    const float w = 816, h = 1056;
    struct Case {
        RotationKind rotation;
        MirrorKind mirror;
        Point topLeft, topRight;
    };
    const std::vector<Case> cases = {
        // Quarter turn clockwise onto a 1056 x 816 page.
        {kTransverseTurned, kNoMirror, {h, 0}, {h, w}},
        // Mirrored across the width first, then turned.
        {kTransverseTurned, kFlipAcrossWidth, {h, w}, {h, 0}},
        {kTransverseTurned, kFlipAcrossHeight, {0, 0}, {0, w}},
        {kTransverseTurned, kHalfTurn, {0, w}, {0, 0}},
        {kNoTransverseFeed, kFlipAcrossWidth, {w, 0}, {0, 0}},
        {kNoTransverseFeed, kFlipAcrossHeight, {0, h}, {w, h}},
        {kNoTransverseFeed, kHalfTurn, {w, h}, {0, h}},
        // A Landscape page in transverse feed is flipped, never turned.
        {kTransverseLandscape, kFlipAcrossWidth, {w, 0}, {0, 0}},
        {kTransverseLandscape, kHalfTurn, {w, h}, {0, h}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation << ", mirror " << c.mirror);
        std::optional<ContentTurn> turn = ContentTurnFor(c.rotation, c.mirror);
        ASSERT_TRUE(turn);
        ExpectPoint(Apply(*turn, w, h, {0, 0}), c.topLeft, "top left");
        ExpectPoint(Apply(*turn, w, h, {w, 0}), c.topRight, "top right");
    }
}

// The table of transforms is the matrix the steps make: flip the content
// (a scale by -1 moved back onto the page), then turn it a quarter
// clockwise onto the turned page (a rotation by 90 degrees moved right by
// the page's height).
TEST(FinisherTransforms, TurnsAreTheFlipThenTheQuarterTurn)
{
    using Gdiplus::Matrix;
    using Gdiplus::MatrixOrderAppend;
    const float w = 816, h = 1056;
    auto flip = [&](MirrorKind mirror, Matrix* m) {
        if (mirror == kFlipAcrossWidth) {
            m->Scale(-1, 1, MatrixOrderAppend);
            m->Translate(w, 0, MatrixOrderAppend);
        } else if (mirror == kFlipAcrossHeight) {
            m->Scale(1, -1, MatrixOrderAppend);
            m->Translate(0, h, MatrixOrderAppend);
        } else if (mirror == kHalfTurn) {
            m->Rotate(180, MatrixOrderAppend);
            m->Translate(w, h, MatrixOrderAppend);
        }
    };
    for (RotationKind rotation : {kNoTransverseFeed, kTransverseTurned}) {
        for (MirrorKind mirror : {kNoMirror, kFlipAcrossWidth, kFlipAcrossHeight, kHalfTurn}) {
            std::optional<ContentTurn> turn = ContentTurnFor(rotation, mirror);
            if (!turn) continue;
            Matrix expected;
            flip(mirror, &expected);
            if (rotation == kTransverseTurned) {
                expected.Rotate(90, MatrixOrderAppend);
                expected.Translate(h, 0, MatrixOrderAppend);
            }
            Matrix actual = ContentTurnMatrix(*turn, w, h);
            float a[6], e[6];
            actual.GetElements(a);
            expected.GetElements(e);
            EXPECT_TRUE(actual.Equals(&expected))
                << "rotation " << rotation << ", mirror " << mirror << ": " << a[0] << "," << a[1] << "," << a[2] << ","
                << a[3] << "," << a[4] << "," << a[5] << " instead of " << e[0] << "," << e[1] << "," << e[2] << ","
                << e[3] << "," << e[4] << "," << e[5];
        }
    }
}

TEST(FinisherTransforms, OnlyTheQuarterTurnExchangesThePageSize)
{
    PageExtent turned = FinishedPageSize(kTransverseTurned, 816, 1056);
    EXPECT_FLOAT_EQ(turned.width, 1056);
    EXPECT_FLOAT_EQ(turned.height, 816);
    for (RotationKind rotation : {kNoTransverseFeed, kTransverseLandscape}) {
        PageExtent kept = FinishedPageSize(rotation, 1056, 816);
        EXPECT_FLOAT_EQ(kept.width, 1056);
        EXPECT_FLOAT_EQ(kept.height, 816);
    }
}

TEST(FinisherTransforms, BoxesFollowTheContent)
{
    // A ContentBox 10 from the left, 20 from the top, 100 wide, 50 high on
    // an 816 x 1056 page.
    const Gdiplus::RectF box = {10, 20, 100, 50};
    struct Case {
        RotationKind rotation;
        MirrorKind mirror;
        Gdiplus::RectF expected;
    };
    const std::vector<Case> cases = {
        // Turned clockwise: its top edge now lies 1056 - 20 from the left,
        // its left edge 10 from the top.
        {kTransverseTurned, kNoMirror, {1056 - 20 - 50, 10, 50, 100}},
        {kTransverseTurned, kFlipAcrossWidth, {1056 - 20 - 50, 816 - 10 - 100, 50, 100}},
        {kTransverseTurned, kFlipAcrossHeight, {20, 10, 50, 100}},
        {kTransverseTurned, kHalfTurn, {20, 816 - 10 - 100, 50, 100}},
        {kNoTransverseFeed, kFlipAcrossWidth, {816 - 10 - 100, 20, 100, 50}},
        {kNoTransverseFeed, kFlipAcrossHeight, {10, 1056 - 20 - 50, 100, 50}},
        {kNoTransverseFeed, kHalfTurn, {816 - 10 - 100, 1056 - 20 - 50, 100, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation << ", mirror " << c.mirror);
        Gdiplus::RectF turned = TurnBox(*ContentTurnFor(c.rotation, c.mirror), 816, 1056, box);
        EXPECT_FLOAT_EQ(turned.X, c.expected.X);
        EXPECT_FLOAT_EQ(turned.Y, c.expected.Y);
        EXPECT_FLOAT_EQ(turned.Width, c.expected.Width);
        EXPECT_FLOAT_EQ(turned.Height, c.expected.Height);
    }
}

TEST(FinisherPrintableArea, ClipIsTheAreaInUnitsOfAnInch96th)
{
    Gdiplus::RectF clip = ClipRectangle(LetterArea());
    // 4233 / 264.58, 207434 / 264.58, 270934 / 264.58.
    EXPECT_NEAR(clip.X, 15.99894, 1e-3);
    EXPECT_NEAR(clip.Y, 15.99894, 1e-3);
    EXPECT_NEAR(clip.Width, 784.01248, 1e-3);
    EXPECT_NEAR(clip.Height, 1024.01550, 1e-3);

    Gdiplus::RectF none = ClipRectangle({0, 0, 100, 100, -5, -5});
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.Height, 0);
}

TEST(FinisherPrintableArea, TwelveMarksAtTheCornersAndEdgeMiddles)
{
    std::array<CutMark, kCutMarkCount> marks = CutOutMarks(LetterArea());
    // 0.64 inside the area, whose sides lose 1.28: left = top = 16.63894,
    // width 782.73248, height 1022.73550, each mark a fifteenth long.
    const float left = 16.63894f, top = 16.63894f, right = 799.37142f, bottom = 1039.37444f;
    const float dx = 52.18217f, dy = 68.18237f;
    const float middleY = top + 1022.73550f / 2 - dy / 2;
    const float middleX = left + 782.73248f / 2 - dx / 2;
    const CutMark expected[kCutMarkCount] = {
        {left, top, true, dy},     {left, top, false, dx},     {right, top, true, dy},     {right, top, false, -dx},
        {left, bottom, true, -dy}, {left, bottom, false, dx},  {right, bottom, true, -dy}, {right, bottom, false, -dx},
        {left, middleY, true, dy}, {right, middleY, true, dy}, {middleX, top, false, dx},  {middleX, bottom, false, dx},
    };
    for (size_t i = 0; i < kCutMarkCount; ++i) {
        SCOPED_TRACE(testing::Message() << "mark " << i + 1);
        EXPECT_NEAR(marks[i].x, expected[i].x, 2e-3);
        EXPECT_NEAR(marks[i].y, expected[i].y, 2e-3);
        EXPECT_EQ(marks[i].vertical, expected[i].vertical);
        EXPECT_NEAR(marks[i].length, expected[i].length, 2e-3);
    }
}

TEST(FinisherPrintableArea, WithoutCapabilitiesTheDefaultMarginsOnThePageInItsOrientation)
{
    PageGeometry letter;  // NorthAmericaLetter portrait
    ImageableArea portrait = DefaultDeviceImageableArea(letter);
    EXPECT_EQ(portrait.imageableSizeWidth, 215900);
    EXPECT_EQ(portrait.imageableSizeHeight, 279400);
    EXPECT_EQ(portrait.originWidth, 4233);
    EXPECT_EQ(portrait.originHeight, 4233);
    EXPECT_EQ(portrait.extentWidth, 207434);
    EXPECT_EQ(portrait.extentHeight, 270934);

    for (PageOrientation orientation : {PageOrientation::Landscape, PageOrientation::ReverseLandscape}) {
        letter.orientation = orientation;
        ImageableArea turned = DefaultDeviceImageableArea(letter);
        EXPECT_EQ(turned.imageableSizeWidth, 279400);
        EXPECT_EQ(turned.extentWidth, 270934);
        EXPECT_EQ(turned.extentHeight, 207434);
    }

    PageGeometry tiny;
    tiny.SetMedia(tiny.MediaName(), 5000, 8000, FALSE);
    ImageableArea small = DefaultDeviceImageableArea(tiny);
    EXPECT_EQ(small.extentWidth, 0);
    EXPECT_EQ(small.extentHeight, 0);
}

}  // namespace
