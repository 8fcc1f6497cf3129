// The text watermark's numbers, against values worked out by hand.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "text_watermark_geometry.h"

namespace {

using Gdiplus::PointF;

TEST(WatermarkAnchor, PositionsRunFromEdgeToEdgeWithTheCentreAtZero)
{
    // A Letter page, 816 x 1056 units.
    EXPECT_EQ(WatermarkAnchor(0, 0, 816, 1056), PointF(408, 528));
    EXPECT_EQ(WatermarkAnchor(100, 100, 816, 1056), PointF(816, 0));  // the top-right corner
    EXPECT_EQ(WatermarkAnchor(-100, -100, 816, 1056), PointF(0, 1056));
    EXPECT_EQ(WatermarkAnchor(50, -50, 816, 1056), PointF(612, 792));
    // Far outside the range the sums do not overflow.
    PointF far = WatermarkAnchor(INT_MAX, INT_MIN, 200, 200);
    EXPECT_NEAR(far.X, 2147483747.0, 1000);
    EXPECT_NEAR(far.Y, 2147483748.0, 1000);
}

TEST(WatermarkTransform, TurnsCounterClockwiseOnThePageAboutTheAnchor)
{
    Gdiplus::REAL e[6];
    WatermarkTransform(45, PointF(408, 528)).GetElements(e);
    const float s = std::sqrt(0.5f);
    EXPECT_NEAR(e[0], s, 1e-6);
    EXPECT_NEAR(e[1], -s, 1e-6);
    EXPECT_NEAR(e[2], s, 1e-6);
    EXPECT_NEAR(e[3], s, 1e-6);
    EXPECT_EQ(e[4], 408);
    EXPECT_EQ(e[5], 528);
    // Along the baseline is up and to the right on the page.
    PointF along(100, 0);
    WatermarkTransform(45, PointF(408, 528)).TransformPoints(&along);
    EXPECT_NEAR(along.X, 408 + 70.7107, 1e-3);
    EXPECT_NEAR(along.Y, 528 - 70.7107, 1e-3);
    // A quarter turn sends the baseline straight up.
    PointF up(10, 0);
    WatermarkTransform(90, PointF(0, 0)).TransformPoints(&up);
    EXPECT_EQ(up, PointF(0, -10));
}

TEST(CentredGlyphOrigin, DividesAsIntegersTruncatingTowardsZero)
{
    // Width 203: -101; ascent 87, descent 20: 67 / 2 = 33.
    EXPECT_EQ(CentredGlyphOrigin(203, 87, 20), PointF(-101, 33));
    EXPECT_EQ(CentredGlyphOrigin(0, 20, 87), PointF(0, -33));
}

TEST(OutlineCopies, SurroundTheOriginAndEndWithWhiteOnIt)
{
    std::array<OutlineCopy, 9> copies = OutlineCopies(PointF(-101, 33));
    const PointF expected[9] = {{-100, 33},           {-102, 33},           {-101, 34},
                                {-101, 32},           {-100.293f, 33.707f}, {-101.707f, 33.707f},
                                {-100.293f, 32.293f}, {-101.707f, 32.293f}, {-101, 33}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(copies[i].origin.X, expected[i].X, 1e-4) << i;
        EXPECT_NEAR(copies[i].origin.Y, expected[i].Y, 1e-4) << i;
        EXPECT_EQ(copies[i].white, i == 8) << i;
    }
}

TEST(WatermarkOpacity, IsFullWhenOpaqueOrAnOutlinedText)
{
    EXPECT_EQ(WatermarkOpacity(true, false, false), 1.0f);
    EXPECT_EQ(WatermarkOpacity(false, true, false), 1.0f);
    EXPECT_EQ(WatermarkOpacity(false, false, false), 0.5f);
    EXPECT_EQ(WatermarkOpacity(false, true, true), 0.5f);  // a bitmap has no outline
    EXPECT_EQ(WatermarkOpacity(true, true, true), 1.0f);
}

TEST(GlyphsAttributes, EmSizeSimulationsAndEscapedText)
{
    EXPECT_EQ(EmSizeOfPoints(72), 96);
    EXPECT_EQ(EmSizeOfPoints(10), 13);  // 13.33
    EXPECT_EQ(EmSizeOfPoints(11), 15);  // 14.67
    EXPECT_EQ(StyleSimulations(false, false), u"None");
    EXPECT_EQ(StyleSimulations(false, true), u"ItalicSimulation");
    EXPECT_EQ(StyleSimulations(true, false), u"BoldSimulation");
    EXPECT_EQ(StyleSimulations(true, true), u"BoldItalicSimulation");
    EXPECT_EQ(GlyphsUnicodeString(u"{abc}"), u"{}{abc}");
    EXPECT_EQ(GlyphsUnicodeString(u"a{b}"), u"a{b}");
    EXPECT_EQ(GlyphsUnicodeString(u""), u"");
}

}  // namespace
