#include "binding_gutter.h"

#include "platform/units.h"

namespace {

// Quarter turns clockwise from upright: Portrait 0, Landscape 1,
// ReversePortrait 2, ReverseLandscape 3.
int QuarterTurns(PageOrientation orientation)
{
    switch (orientation) {
    case PageOrientation::Portrait: return 0;
    case PageOrientation::Landscape: return 1;
    case PageOrientation::ReversePortrait: return 2;
    case PageOrientation::ReverseLandscape: return 3;
    }
    return 0;
}

// Away from the bound edge, on an upright side.
Gdiplus::PointF EdgeBase(INT option, float gutter)
{
    switch (option) {
    case kBindLeft: return {gutter, 0};
    case kBindRight: return {-gutter, 0};
    case kBindTop: return {0, gutter};
    case kBindBottom: return {0, -gutter};
    }
    return {0, 0};
}

// Flipping the paper over mirrors the bound edge for a short-edge flip when
// the binding runs along the sheet's long side, and for a long-edge flip
// when it runs along the short side.
bool BackMirrorsEdge(INT option, INT duplexKind, PageOrientation reference)
{
    bool sideEdge = option == kBindLeft || option == kBindRight;
    bool landscape = IsLandscapeLike(reference);
    bool shortEdge = duplexKind == kDuplexShortEdge || duplexKind == kDuplexShortEdgeManual;
    if (shortEdge) return sideEdge == landscape;
    return sideEdge != landscape;
}

}  // namespace

Gdiplus::PointF GutterShift(const GutterRequest& request)
{
    const BindingSettings& binding = request.binding;
    if (binding.optionControl != 1 || binding.gutterControl != 1 || binding.gutter == 0) return {0, 0};
    float gutter = MicronsToXpsUnits(binding.gutter);

    if (binding.option == kBindBooklet || binding.option == kBindBookletReverseFlip) {
        float signedGutter = request.bookletCounter % 2 == 0 ? -gutter : gutter;
        if (IsLandscapeLike(request.reference)) return {signedGutter, 0};
        return {0, signedGutter};
    }

    Gdiplus::PointF shift = EdgeBase(binding.option, gutter);
    int turns = ((QuarterTurns(request.current) - QuarterTurns(request.reference)) % 4 + 4) % 4;
    // Each quarter turn takes (x, y) to (-y, x); subtracting from 0 keeps
    // a zero component +0, so that it never prints as "-0.00".
    for (int i = 0; i < turns; ++i) shift = Gdiplus::PointF(0.0f - shift.Y, shift.X);

    bool back = request.duplexKind != kDuplexOneSided && request.sideCounter % 2 != 0;
    if (back && BackMirrorsEdge(binding.option, request.duplexKind, request.reference))
        shift = Gdiplus::PointF(0.0f - shift.X, 0.0f - shift.Y);
    return shift;
}
