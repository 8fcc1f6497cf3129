// The binding gutter against shifts worked out by hand: 10000 microns are
// 10000 / 264.58 = 37.7958 units.
#include <gtest/gtest.h>

#include <cmath>

#include "binding_gutter.h"

namespace {

constexpr float kGutter = 37.7958f;

GutterRequest Bound(INT option, INT duplexKind)
{
    GutterRequest request;
    request.binding.scope = kSettingScopeJob;
    request.binding.option = option;
    request.binding.gutter = 10000;
    request.binding.gutterControl = 1;
    request.binding.optionControl = 1;
    request.duplexKind = duplexKind;
    return request;
}

void ExpectShift(const GutterRequest& request, float dx, float dy)
{
    Gdiplus::PointF shift = GutterShift(request);
    EXPECT_NEAR(shift.X, dx, 1e-3f);
    EXPECT_NEAR(shift.Y, dy, 1e-3f);
}

TEST(BindingGutter, EdgesPushFrontsAwayFromTheBoundEdge)
{
    ExpectShift(Bound(kBindLeft, kDuplexOneSided), kGutter, 0);
    ExpectShift(Bound(kBindRight, kDuplexOneSided), -kGutter, 0);
    ExpectShift(Bound(kBindTop, kDuplexOneSided), 0, kGutter);
    ExpectShift(Bound(kBindBottom, kDuplexOneSided), 0, -kGutter);
    // One-sided: every side is a front.
    GutterRequest second = Bound(kBindLeft, kDuplexOneSided);
    second.sideCounter = 1;
    ExpectShift(second, kGutter, 0);
}

TEST(BindingGutter, BacksKeepTheGutterOnTheBoundEdgeOfThePaper)
{
    // Portrait, bound left: long-edge backs move left, short-edge ones right.
    GutterRequest longEdge = Bound(kBindLeft, kDuplexLongEdge);
    longEdge.sideCounter = 1;
    ExpectShift(longEdge, -kGutter, 0);
    longEdge.sideCounter = 2;
    ExpectShift(longEdge, kGutter, 0);
    GutterRequest shortEdge = Bound(kBindLeft, kDuplexShortEdgeManual);
    shortEdge.sideCounter = 1;
    ExpectShift(shortEdge, kGutter, 0);
    // Portrait, bound at the top: short-edge backs move up, long-edge down.
    GutterRequest top = Bound(kBindTop, kDuplexShortEdge);
    top.sideCounter = 3;
    ExpectShift(top, 0, -kGutter);
    top.duplexKind = kDuplexLongEdgeManual;
    ExpectShift(top, 0, kGutter);
    // A landscape job turns the rule: bound left, short edge mirrors.
    GutterRequest across = Bound(kBindLeft, kDuplexShortEdge);
    across.reference = across.current = PageOrientation::Landscape;
    across.sideCounter = 1;
    ExpectShift(across, -kGutter, 0);
    across.duplexKind = kDuplexLongEdge;
    ExpectShift(across, kGutter, 0);
}

TEST(BindingGutter, TurnedSheetsTurnTheShift)
{
    GutterRequest request = Bound(kBindLeft, kDuplexOneSided);
    request.current = PageOrientation::Landscape;
    ExpectShift(request, 0, kGutter);
    request.current = PageOrientation::ReversePortrait;
    ExpectShift(request, -kGutter, 0);
    request.current = PageOrientation::ReverseLandscape;
    ExpectShift(request, 0, -kGutter);
    // Against a landscape first sheet, a portrait one is three turns on.
    request.reference = PageOrientation::Landscape;
    request.current = PageOrientation::Portrait;
    ExpectShift(request, 0, -kGutter);
}

TEST(BindingGutter, BookletPagesMoveApartFromTheFold)
{
    GutterRequest request = Bound(kBindBooklet, kDuplexShortEdge);
    request.reference = request.current = PageOrientation::Landscape;
    ExpectShift(request, -kGutter, 0);
    request.bookletCounter = 1;
    ExpectShift(request, kGutter, 0);
    // A portrait sheet folds across: the pages move up and down.
    request.binding.option = kBindBookletReverseFlip;
    request.reference = request.current = PageOrientation::Portrait;
    ExpectShift(request, 0, kGutter);
    request.bookletCounter = 0;
    ExpectShift(request, 0, -kGutter);
}

TEST(BindingGutter, SwitchedOffOrZeroGivesNoShift)
{
    GutterRequest request = Bound(kBindLeft, kDuplexOneSided);
    request.binding.gutterControl = 0;
    ExpectShift(request, 0, 0);
    request = Bound(kBindLeft, kDuplexOneSided);
    request.binding.optionControl = 0;
    ExpectShift(request, 0, 0);
    request = Bound(kBindTop, kDuplexLongEdge);
    request.binding.gutter = 0;
    ExpectShift(request, 0, 0);
    // The zero component of a mirrored shift is +0, never written "-0.00".
    request = Bound(kBindLeft, kDuplexLongEdge);
    request.sideCounter = 1;
    EXPECT_FALSE(std::signbit(GutterShift(request).Y));
}

}  // namespace
