// The abbreviated path syntax and the simple markup values, checked against
// coordinates worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "brush.h"
#include "colour.h"
#include "markup_values.h"
#include "path_syntax.h"

namespace tav::render {
namespace {

constexpr size_t kMany = 1000;

void ExpectNear(Point actual, Point expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

TEST(PathSyntax, ReadsEveryCommandAbsoluteAndRelative)
{
    Parsed<Geometry> parsed = ParsePathData("F1 M 10,20 l 5,0 H 30 v 10 Z m 1,1 L 2,2 3,3", kMany);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const Geometry& g = parsed.value;
    EXPECT_EQ(g.fillRule, FillRule::NonZero);
    ASSERT_EQ(g.figures.size(), 2u);
    EXPECT_TRUE(g.figures[0].closed);
    ASSERT_EQ(g.figures[0].segments.size(), 3u);
    ExpectNear(g.figures[0].segments[0].end, {15, 20});
    ExpectNear(g.figures[0].segments[1].end, {30, 20});
    ExpectNear(g.figures[0].segments[2].end, {30, 30});
    // After Z the current point is the closed figure's start.
    ExpectNear(g.figures[1].start, {11, 21});
    ASSERT_EQ(g.figures[1].segments.size(), 2u);  // L repeats
    ExpectNear(g.figures[1].segments[1].end, {3, 3});
    EXPECT_FALSE(g.figures[1].closed);

    // Even-odd by default; the points after M are lines.
    Parsed<Geometry> implicit = ParsePathData("M0,0 10,0,10 10", kMany);
    ASSERT_TRUE(implicit.ok()) << implicit.error;
    EXPECT_EQ(implicit.value.fillRule, FillRule::EvenOdd);
    EXPECT_EQ(implicit.value.figures[0].segments.size(), 2u);
}

TEST(PathSyntax, CurvesBecomeCubicsWithTheRightControlPoints)
{
    Parsed<Geometry> parsed = ParsePathData("M 0,0 C 0,10 10,10 10,0 S 20,-10 20,0 Q 50,30 80,0", kMany);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const auto& s = parsed.value.figures[0].segments;
    ASSERT_EQ(s.size(), 3u);
    // S reflects the previous second control point (10,10) about (10,0).
    ExpectNear(s[1].control1, {10, -10});
    ExpectNear(s[1].control2, {20, -10});
    // Q from (20,0) via (50,30) to (80,0): controls two thirds of the way.
    ExpectNear(s[2].control1, {40, 20});
    ExpectNear(s[2].control2, {60, 20});
}

TEST(PathSyntax, ArcsFollowTheirSweepAndGrowTooSmallRadii)
{
    // Clockwise with y down: from the left end of the circle up over the top.
    Parsed<Geometry> clockwise = ParsePathData("M 0,0 A 10,10 0 0 1 20,0", kMany);
    ASSERT_TRUE(clockwise.ok()) << clockwise.error;
    const auto& up = clockwise.value.figures[0].segments;
    ASSERT_EQ(up.size(), 2u);
    ExpectNear(up[0].end, {10, -10});
    ExpectNear(up[1].end, {20, 0});
    Rect bounds = clockwise.value.Bounds();
    EXPECT_NEAR(bounds.y, -10, 1e-3);  // the curve's extreme, not its control points
    EXPECT_NEAR(bounds.height, 10, 1e-3);

    // A radius of 1 cannot reach 20 units away: scaled to 10, the other way round.
    Parsed<Geometry> grown = ParsePathData("M 0,0 A 1,1 0 0 0 20,0", kMany);
    ASSERT_TRUE(grown.ok()) << grown.error;
    ExpectNear(grown.value.figures[0].segments[0].end, {10, 10});

    // A zero radius is a straight line.
    Parsed<Geometry> flat = ParsePathData("M 0,0 A 0,5 0 0 0 20,0", kMany);
    ASSERT_TRUE(flat.ok());
    EXPECT_EQ(flat.value.figures[0].segments[0].kind, Segment::Line);

    // An end point so far out that the centre overflows: a straight line too.
    Parsed<Geometry> far = ParsePathData("M 0,0 A 141,10 0 1 0 999999990,1e308", kMany);
    ASSERT_TRUE(far.ok()) << far.error;
    ASSERT_EQ(far.value.figures[0].segments.size(), 1u);
    EXPECT_EQ(far.value.figures[0].segments[0].kind, Segment::Line);
}

TEST(PathSyntax, RefusesWhatIsNotTheSyntaxAndSaysWhere)
{
    struct Case {
        const char* data;
        const char* error;
    } cases[] = {
        {"L 1,2", "a path must begin with M at character 2"},
        {"M 1", "expected a number at the end"},
        {"M 1,,2", "two commas in a row at character 5"},
        {"M 0,0 T 1,1", "'T' is not a path command at character 7"},
        {"M 0,0 A 1,1 0 2 0 5,5", "an arc's large-arc and sweep flags are 0 or 1 at the end"},
        {"M 1e999,0", "expected a number at character 3"},
        {"F2 M 0,0", "F must be followed by 0 or 1 at character 3"},
        {"M 0,0 L 1,1 #", "expected a command letter, found '#' at character 13"},
    };
    for (const Case& c : cases) {
        Parsed<Geometry> parsed = ParsePathData(c.data, kMany);
        EXPECT_EQ(parsed.error, c.error) << c.data;
    }
    Parsed<Geometry> tooLong = ParsePathData("M 0,0 1,1 2,2 3,3", 2);
    EXPECT_NE(tooLong.error.find("more than 2 segments"), std::string::npos) << tooLong.error;
}

TEST(MarkupValues, ColoursInEveryForm)
{
    Parsed<ParsedColour> argb = ParseColour("#80FF0000");
    ASSERT_TRUE(argb.ok());
    EXPECT_EQ(argb.value.colour, (Rgba{1, 0, 0, 128 / 255.0}));
    EXPECT_EQ(ParseColour(" #00ff00 ").value.colour, (Rgba{0, 1, 0, 1}));
    // scRGB is linear light: 0.5 is sRGB 0.7354.
    Parsed<ParsedColour> sc = ParseColour("sc#0.25, 0.5,1.2,-1");
    ASSERT_TRUE(sc.ok()) << sc.error;
    EXPECT_NEAR(sc.value.colour.a, 0.25, 1e-9);
    EXPECT_NEAR(sc.value.colour.r, 0.7354, 1e-4);
    EXPECT_NEAR(sc.value.colour.g, 1, 1e-12);  // clamped
    EXPECT_EQ(sc.value.colour.b, 0);
    Parsed<ParsedColour> cmyk = ParseColour("ContextColor /Resources/cmyk.icc 1,0,1,0,0.5");
    ASSERT_TRUE(cmyk.ok()) << cmyk.error;
    EXPECT_TRUE(cmyk.value.fromProfile);
    EXPECT_EQ(cmyk.value.colour, (Rgba{0.5, 0, 0.5, 1}));
    for (const char* bad : {"#12345", "red", "#GG0000", "sc#1,2", "ContextColor /p.icc"})
        EXPECT_FALSE(ParseColour(bad).ok()) << bad;
}

TEST(MarkupValues, MatricesPointsAndRectanglesAreReadWhole)
{
    Parsed<Affine> matrix = ParseMatrixValue("1, 0, 0, 1, 80.6664, -9.5e1");
    ASSERT_TRUE(matrix.ok()) << matrix.error;
    EXPECT_EQ(matrix.value, (Affine{1, 0, 0, 1, 80.6664, -95}));
    EXPECT_FALSE(ParseMatrixValue("1,0,0,1,5").ok());
    EXPECT_FALSE(ParseMatrixValue("1,0,0,1,5,6,7").ok());
    EXPECT_FALSE(ParseMatrixValue("1,0,0,1,5,nan").ok());
    EXPECT_EQ(ParseRectValue("0,0,816,1056").value, (Rect{0, 0, 816, 1056}));
    EXPECT_FALSE(ParseRectValue("0,0,-1,5").ok());
    Parsed<std::vector<Point>> points = ParsePointList("1,2 3,4");
    ASSERT_TRUE(points.ok());
    EXPECT_EQ(points.value.size(), 2u);
    EXPECT_FALSE(ParsePointList("1,2 3").ok());
    EXPECT_EQ(ParseNumberList("1 1.5").value, (std::vector<double>{1, 1.5}));
}

TEST(GradientStops, AreSortedAndConfinedToTheGradient)
{
    std::vector<GradientStop> stops = NormaliseStops({{1.5, {0, 0, 1, 1}}, {-0.5, {1, 0, 0, 1}}, {0.5, {0, 1, 0, 1}}});
    ASSERT_EQ(stops.size(), 3u);
    // At 0, halfway from red (-0.5) to green (0.5); at 1, halfway from green to blue.
    EXPECT_EQ(stops[0].offset, 0);
    EXPECT_EQ(stops[0].colour, (Rgba{0.5, 0.5, 0, 1}));
    EXPECT_EQ(stops[1].colour, (Rgba{0, 1, 0, 1}));
    EXPECT_EQ(stops[2].offset, 1);
    EXPECT_EQ(stops[2].colour, (Rgba{0, 0.5, 0.5, 1}));
    // Linear-light interpolation: halfway between black and white is sRGB 0.7354.
    std::vector<GradientStop> light = LinearLightStops({{0, {0, 0, 0, 1}}, {1, {1, 1, 1, 1}}}, 2);
    ASSERT_EQ(light.size(), 3u);
    EXPECT_NEAR(light[1].offset, 0.5, 1e-12);
    EXPECT_NEAR(light[1].colour.r, 0.7354, 1e-4);
}

}  // namespace
}  // namespace tav::render
