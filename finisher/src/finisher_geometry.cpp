#include "finisher_geometry.h"

#include <algorithm>

#include "filtercore/imageable_area.h"
#include "filtercore/job_settings.h"
#include "platform/units.h"

using Gdiplus::Matrix;
using Gdiplus::PointF;
using Gdiplus::RectF;

namespace {

// The cut-out marks lie this far inside the printable area, and are this
// much shorter than its sides together, so that their strokes stay inside.
constexpr float kMarkInset = 0.64f;
constexpr float kMarkFraction = 15.0f;

using P = PageSide;

// The transforms of the turn and flip combinations, by mirror kind 1 to 3,
// without and with the quarter turn. The quarter turn maps (x, y) to
// (H - y, x): the content's top goes to the right edge of the turned page.
constexpr ContentTurn kFlips[] = {
    {-1, 0, 0, 1, P::Width, P::None},     // across the width
    {1, 0, 0, -1, P::None, P::Height},    // across the height
    {-1, 0, 0, -1, P::Width, P::Height},  // half turn
};
constexpr ContentTurn kQuarterTurn = {0, 1, -1, 0, P::Height, P::None};
constexpr ContentTurn kTurnedFlips[] = {
    {0, -1, -1, 0, P::Height, P::Width},  // across the width, then turned
    {0, 1, 1, 0, P::None, P::None},       // across the height, then turned
    {0, -1, 1, 0, P::None, P::Width},     // half turn, then turned
};

}  // namespace

MirrorKind MirrorKindOf(INT mirrorOption, INT reverse)
{
    bool halfTurn = reverse != 0;
    switch (mirrorOption) {
    case kMirrorImageWidth: return halfTurn ? kFlipAcrossHeight : kFlipAcrossWidth;
    case kMirrorImageHeight: return halfTurn ? kFlipAcrossWidth : kFlipAcrossHeight;
    default: return halfTurn ? kHalfTurn : kNoMirror;
    }
}

RotationKind RotationKindOf(BOOL transverse, PageOrientation orientation)
{
    if (!transverse) return kNoTransverseFeed;
    // A ReverseLandscape page is as wide as a Landscape one: it fits the
    // turned media as it is.
    return IsLandscapeLike(orientation) ? kTransverseLandscape : kTransverseTurned;
}

std::optional<ContentTurn> ContentTurnFor(RotationKind rotationKind, MirrorKind mirrorKind)
{
    bool turned = rotationKind == kTransverseTurned;
    bool flipped = mirrorKind >= kFlipAcrossWidth && mirrorKind <= kHalfTurn;
    if (!flipped) return turned ? std::optional<ContentTurn>(kQuarterTurn) : std::nullopt;
    return turned ? kTurnedFlips[mirrorKind - 1] : kFlips[mirrorKind - 1];
}

float SideLength(PageSide side, float width, float height)
{
    switch (side) {
    case PageSide::Width: return width;
    case PageSide::Height: return height;
    case PageSide::None: break;
    }
    return 0;
}

Matrix ContentTurnMatrix(const ContentTurn& turn, float width, float height)
{
    return Matrix(turn.m11, turn.m12, turn.m21, turn.m22, SideLength(turn.dx, width, height),
                  SideLength(turn.dy, width, height));
}

PageExtent FinishedPageSize(RotationKind rotationKind, float width, float height)
{
    if (rotationKind == kTransverseTurned) return {height, width};
    return {width, height};
}

Gdiplus::RectF TurnBox(const ContentTurn& turn, float width, float height, const Gdiplus::RectF& box)
{
    // Two opposite corners, transformed; the factors are -1, 0 or 1, so the
    // transformed box is the rectangle between them.
    PointF corners[] = {{box.X, box.Y}, {box.X + box.Width, box.Y + box.Height}};
    ContentTurnMatrix(turn, width, height).TransformPoints(corners, 2);
    float left = std::min(corners[0].X, corners[1].X);
    float top = std::min(corners[0].Y, corners[1].Y);
    return {left, top, std::max(corners[0].X, corners[1].X) - left, std::max(corners[0].Y, corners[1].Y) - top};
}

RectF ClipRectangle(const ImageableArea& area)
{
    RectF rect = PrintableRectInPageUnits(area);
    rect.Width = std::max(rect.Width, 0.0f);
    rect.Height = std::max(rect.Height, 0.0f);
    return rect;
}

std::array<CutMark, kCutMarkCount> CutOutMarks(const ImageableArea& area)
{
    float left = MicronsToXpsUnits(area.originWidth) + kMarkInset;
    float top = MicronsToXpsUnits(area.originHeight) + kMarkInset;
    float width = MicronsToXpsUnits(area.extentWidth) - 2 * kMarkInset;
    float height = MicronsToXpsUnits(area.extentHeight) - 2 * kMarkInset;
    float right = left + width;
    float bottom = top + height;
    float dx = width / kMarkFraction;
    float dy = height / kMarkFraction;
    float middleY = top + height / 2 - dy / 2;
    float middleX = left + width / 2 - dx / 2;
    return {{
        {left, top, true, dy},
        {left, top, false, dx},
        {right, top, true, dy},
        {right, top, false, -dx},
        {left, bottom, true, -dy},
        {left, bottom, false, dx},
        {right, bottom, true, -dy},
        {right, bottom, false, -dx},
        {left, middleY, true, dy},
        {right, middleY, true, dy},
        {middleX, top, false, dx},
        {middleX, bottom, false, dx},
    }};
}

ImageableArea DefaultDeviceImageableArea(const PageGeometry& geometry)
{
    bool turned = IsLandscapeLike(geometry.orientation);
    ImageableArea area;
    area.imageableSizeWidth = turned ? geometry.height : geometry.width;
    area.imageableSizeHeight = turned ? geometry.width : geometry.height;
    area.originWidth = kDefaultDeviceMarginMicrons;
    area.originHeight = kDefaultDeviceMarginMicrons;
    // In 64 bits: a size near the 32-bit limits cannot overflow.
    auto extent = [](INT side) {
        return static_cast<INT>(
            std::max<long long>(0, static_cast<long long>(side) - 2LL * kDefaultDeviceMarginMicrons));
    };
    area.extentWidth = extent(area.imageableSizeWidth);
    area.extentHeight = extent(area.imageableSizeHeight);
    return area;
}
