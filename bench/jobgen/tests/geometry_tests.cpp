// Orientations, page sizes, the identity mark layout and markup text, checked
// against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "jobgen/identity_marks.h"
#include "jobgen/markup_text.h"
#include "jobgen/opc_parts.h"
#include "jobgen/orientation.h"
#include "jobgen/page_size.h"

namespace jobgen {
namespace {

void ExpectPoint(Point actual, double x, double y)
{
    EXPECT_NEAR(actual.x, x, 1e-9);
    EXPECT_NEAR(actual.y, y, 1e-9);
}

TEST(Orientation, UnitPointsMoveAsTheTurnedPageShows)
{
    // A point near the top-left corner: a quarter turn clockwise takes it
    // near the top-right, a half turn near the bottom-right, three quarters
    // near the bottom-left; a mirror image near the top-right.
    Point p{0.25, 0.1};
    ExpectPoint(MapUnitPoint({0, false}, p), 0.25, 0.1);
    ExpectPoint(MapUnitPoint({1, false}, p), 0.9, 0.25);
    ExpectPoint(MapUnitPoint({2, false}, p), 0.75, 0.9);
    ExpectPoint(MapUnitPoint({3, false}, p), 0.1, 0.75);
    ExpectPoint(MapUnitPoint({0, true}, p), 0.75, 0.1);
    // Mirrored first, then turned: top-right, then bottom-right.
    ExpectPoint(MapUnitPoint({1, true}, p), 0.9, 0.75);
    ExpectPoint(MapUnitPoint({2, true}, p), 0.25, 0.9);
}

TEST(Orientation, MatricesDrawTheA4PageOnTheTurnedSheet)
{
    PageSize a4 = kA4;
    auto expect = [&](Orientation o, Matrix e) {
        Matrix m = OrientationMatrix(o, a4);
        SCOPED_TRACE(OrientationName(o));
        EXPECT_NEAR(m.m11, e.m11, 1e-9);
        EXPECT_NEAR(m.m12, e.m12, 1e-9);
        EXPECT_NEAR(m.m21, e.m21, 1e-9);
        EXPECT_NEAR(m.m22, e.m22, 1e-9);
        EXPECT_NEAR(m.dx, e.dx, 1e-9);
        EXPECT_NEAR(m.dy, e.dy, 1e-9);
    };
    expect({0, false}, {1, 0, 0, 1, 0, 0});
    // x' = 1123 - y, y' = x on a 1123 x 794 sheet.
    expect({1, false}, {0, 1, -1, 0, 1123, 0});
    expect({2, false}, {-1, 0, 0, -1, 794, 1123});
    expect({3, false}, {0, -1, 1, 0, 0, 794});
    expect({0, true}, {-1, 0, 0, 1, 794, 0});
    // Mirror x1 = 794 - x, then turn: x' = 1123 - y, y' = 794 - x.
    expect({1, true}, {0, -1, -1, 0, 1123, 794});

    EXPECT_EQ(OrientedSize({1, true}, a4), (PageSize{1123, 794}));
    EXPECT_EQ(OrientedSize({2, true}, a4), a4);
}

TEST(Orientation, NamesParse)
{
    EXPECT_EQ(ParseOrientation("0"), (Orientation{0, false}));
    EXPECT_EQ(ParseOrientation("270"), (Orientation{3, false}));
    EXPECT_EQ(ParseOrientation("m90"), (Orientation{1, true}));
    for (const char* bad : {"", "m", "45", "360", "90m", "-90"}) EXPECT_FALSE(ParseOrientation(bad)) << bad;
    EXPECT_EQ(AllOrientations().size(), 8u);
}

TEST(PageSizes, NamesAndDimensionsParse)
{
    EXPECT_EQ(ParsePageSize("a4"), (PageSize{794, 1123}));
    EXPECT_EQ(ParsePageSize("letter-landscape"), (PageSize{1056, 816}));
    EXPECT_EQ(ParsePageSize("500x600.5"), (PageSize{500, 600.5}));
    // Too small for the marks, too large, malformed, unknown.
    for (const char* bad :
         {"100x1000", "500x20000", "a4x", "500x", "x500", "500x600x7", "a5", "500x600-landscape", "nanxnan", "infx500"})
        EXPECT_FALSE(ParsePageSize(bad)) << bad;
}

bool Inside(const Rect& outer, const Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

Rect Bounds(const std::array<Point, 3>& t)
{
    double left = std::min({t[0].x, t[1].x, t[2].x}), right = std::max({t[0].x, t[1].x, t[2].x});
    double top = std::min({t[0].y, t[1].y, t[2].y}), bottom = std::max({t[0].y, t[1].y, t[2].y});
    return Rect{left, top, right - left, bottom - top};
}

TEST(IdentityMarks, A4BarsSpanTheMiddleHalfBelowTheTopMargin)
{
    // 14 bars of 794/28 units from x = 794/4.
    Rect first = IdentityBar(kA4, 0), last = IdentityBar(kA4, kIdentityBits - 1);
    EXPECT_NEAR(first.x, 198.5, 1e-9);
    EXPECT_NEAR(first.width, 794.0 / 28, 1e-9);
    EXPECT_NEAR(last.x + last.width, 595.5, 1e-9);
    EXPECT_EQ(first.height, 40);
    EXPECT_GE(IdentityFrame(kA4).y, 48);
}

TEST(IdentityMarks, StayInsideTheMarginsAndApartOnEveryUsableSize)
{
    for (PageSize page : {kA4, Landscape(kA4), kLetter, Landscape(kLetter), PageSize{384, 384}, PageSize{384, 19200},
                          PageSize{19200, 384}, PageSize{397, 559}}) {
        SCOPED_TRACE(std::to_string(page.width) + "x" + std::to_string(page.height));
        Rect safe{kMarkMargin, kMarkMargin, page.width - 2 * kMarkMargin, page.height - 2 * kMarkMargin};
        Rect triangle = Bounds(OrientationTriangle(page));
        EXPECT_TRUE(Inside(safe, IdentityFrame(page)));
        EXPECT_TRUE(Inside(safe, ColourBand(page)));
        EXPECT_TRUE(Inside(safe, triangle));
        // The triangle stays in the top-left quadrant, so that its image
        // under any of the eight orientations lands in a different quadrant.
        EXPECT_TRUE(Inside(Rect{0, 0, page.width / 2, page.height / 2}, triangle));
        EXPECT_FALSE(Overlap(triangle, IdentityFrame(page)));
        EXPECT_FALSE(Overlap(triangle, ColourBand(page)));
        EXPECT_FALSE(Overlap(ColourBand(page), IdentityFrame(page)));
        EXPECT_FALSE(Overlap(ContentArea(page), IdentityFrame(page)));
        EXPECT_FALSE(Overlap(ContentArea(page), ColourBand(page)));
        EXPECT_FALSE(Overlap(ContentArea(page), triangle));
        EXPECT_GT(ContentArea(page).height, 0);
        // The probe lies inside the right triangle: right of its left leg,
        // below its top leg and above its hypotenuse.
        auto [a, b, c] = OrientationTriangle(page);
        Point probe = TriangleProbe(page);
        EXPECT_GT(probe.x, a.x);
        EXPECT_GT(probe.y, a.y);
        EXPECT_LT((probe.x - a.x) / (b.x - a.x) + (probe.y - a.y) / (c.y - a.y), 1);
        // Adjacent bars touch without overlapping.
        for (int bit = 1; bit < kIdentityBits; ++bit) {
            Rect left = IdentityBar(page, bit - 1), right = IdentityBar(page, bit);
            EXPECT_NEAR(left.x + left.width, right.x, 1e-9);
        }
    }
}

TEST(MarkupText, NumbersUseAPointAndNoTrailingZeros)
{
    auto text = [](double value, int decimals) {
        std::string out;
        AppendNumber(out, value, decimals);
        return out;
    };
    EXPECT_EQ(text(794, 2), "794");
    EXPECT_EQ(text(12.5, 2), "12.5");
    EXPECT_EQ(text(1.0 / 3, 2), "0.33");
    EXPECT_EQ(text(-0.001, 2), "0");
    EXPECT_EQ(text(-12.3456789, 6), "-12.345679");
    EXPECT_EQ(text(10000000, 2), "10000000");
    EXPECT_THROW(text(std::nan(""), 2), std::invalid_argument);
    EXPECT_THROW(text(INFINITY, 2), std::invalid_argument);
}

TEST(MarkupText, AttributeValuesAreEscaped)
{
    std::string out;
    AppendEscaped(out, "a&b<\"c\">'");
    EXPECT_EQ(out, "a&amp;b&lt;&quot;c&quot;&gt;'");
}

TEST(OpcNames, RelationshipsAndPiecesFollowThePartName)
{
    EXPECT_EQ(RelationshipsPartName("/Documents/1/Pages/3.fpage"), "/Documents/1/Pages/_rels/3.fpage.rels");
    EXPECT_EQ(RelationshipsPartName("/FixedDocumentSequence.fdseq"), "/_rels/FixedDocumentSequence.fdseq.rels");
    EXPECT_EQ(RelationshipsPartName("/"), "/_rels/.rels");
    EXPECT_EQ(PieceEntryName("/Documents/1/Pages/3.fpage", 0, false), "Documents/1/Pages/3.fpage/[0].piece");
    EXPECT_EQ(PieceEntryName("/a.fdoc", 4, true), "a.fdoc/[4].last.piece");
    EXPECT_THROW(ZipEntryName("relative.xml"), std::invalid_argument);
}

}  // namespace
}  // namespace jobgen
