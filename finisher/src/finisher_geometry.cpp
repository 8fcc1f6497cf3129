#include "finisher_geometry.h"

#include <algorithm>

#include "filtercore/job_settings.h"

namespace {

// Microns per XPS unit (1/96 inch).
constexpr float kMicronsPerUnit = 264.58f;
// The cut-out marks lie this far inside the printable area, and are this
// much shorter than its sides together, so that their strokes stay inside.
constexpr float kMarkInset = 0.64f;
constexpr float kMarkFraction = 15.0f;

float ToUnits(INT microns)
{
    return static_cast<float>(microns) / kMicronsPerUnit;
}

using P = PageSide;

// The transforms of the turn and flip combinations, by mirror kind 1 to 3,
// without and with the quarter turn. The quarter turn maps (x, y) to
// (H - y, x): the content's top goes to the right edge of the turned page.
constexpr ContentTurn kFlips[] = {
    {-1, 0, 0, 1, P::Width, P::None},    // across the width
    {1, 0, 0, -1, P::None, P::Height},   // across the height
    {-1, 0, 0, -1, P::Width, P::Height}, // half turn
};
constexpr ContentTurn kQuarterTurn = {0, 1, -1, 0, P::Height, P::None};
constexpr ContentTurn kTurnedFlips[] = {
    {0, -1, -1, 0, P::Height, P::Width},  // across the width, then turned
    {0, 1, 1, 0, P::None, P::None},       // across the height, then turned
    {0, -1, 1, 0, P::None, P::Width},     // half turn, then turned
};

}  // namespace

INT MirrorKindOf(INT mirrorOption, INT reverse)
{
    bool halfTurn = reverse != 0;
    switch (mirrorOption) {
    case kMirrorImageWidth: return halfTurn ? kFlipAcrossHeight : kFlipAcrossWidth;
    case kMirrorImageHeight: return halfTurn ? kFlipAcrossWidth : kFlipAcrossHeight;
    default: return halfTurn ? kHalfTurn : kNoMirror;
    }
}

INT RotationKindOf(BOOL transverse, INT orientation)
{
    if (!transverse) return kNoTransverseFeed;
    // A ReverseLandscape page is as wide as a Landscape one: it fits the
    // turned media as it is.
    bool wide = orientation == kOrientationLandscape || orientation == kOrientationReverseLandscape;
    return wide ? kTransverseLandscape : kTransverseTurned;
}

std::optional<ContentTurn> ContentTurnFor(INT rotationKind, INT mirrorKind)
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

PageExtent FinishedPageSize(INT rotationKind, float width, float height)
{
    if (rotationKind == kTransverseTurned) return {height, width};
    return {width, height};
}

BoxValue TurnBox(const ContentTurn& turn, float width, float height, const BoxValue& box)
{
    float dx = SideLength(turn.dx, width, height);
    float dy = SideLength(turn.dy, width, height);
    // Two opposite corners, transformed; the factors are -1, 0 or 1, so the
    // transformed box is the rectangle between them.
    float x1 = turn.m11 * box.x + turn.m21 * box.y + dx;
    float y1 = turn.m12 * box.x + turn.m22 * box.y + dy;
    float x2 = turn.m11 * (box.x + box.width) + turn.m21 * (box.y + box.height) + dx;
    float y2 = turn.m12 * (box.x + box.width) + turn.m22 * (box.y + box.height) + dy;
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) - std::min(x1, x2),
            std::max(y1, y2) - std::min(y1, y2)};
}

PrintableRect ClipRectangle(const ImageableArea& area)
{
    return {ToUnits(area.originWidth), ToUnits(area.originHeight), ToUnits(std::max(area.extentWidth, 0)),
            ToUnits(std::max(area.extentHeight, 0))};
}

std::array<CutMark, kCutMarkCount> CutOutMarks(const ImageableArea& area)
{
    float left = ToUnits(area.originWidth) + kMarkInset;
    float top = ToUnits(area.originHeight) + kMarkInset;
    float width = ToUnits(area.extentWidth) - 2 * kMarkInset;
    float height = ToUnits(area.extentHeight) - 2 * kMarkInset;
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
    bool turned = geometry.orientation == kOrientationLandscape ||
                  geometry.orientation == kOrientationReverseLandscape;
    ImageableArea area;
    area.imageableSizeWidth = turned ? geometry.height : geometry.width;
    area.imageableSizeHeight = turned ? geometry.width : geometry.height;
    area.originWidth = kDefaultDeviceMargin;
    area.originHeight = kDefaultDeviceMargin;
    // In 64 bits: a size near the 32-bit limits cannot overflow.
    auto extent = [](INT side) {
        return static_cast<INT>(std::max<long long>(0, static_cast<long long>(side) - 2LL * kDefaultDeviceMargin));
    };
    area.extentWidth = extent(area.imageableSizeWidth);
    area.extentHeight = extent(area.imageableSizeHeight);
    return area;
}
