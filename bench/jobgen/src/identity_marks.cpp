#include "jobgen/identity_marks.h"

#include <algorithm>

namespace jobgen {

namespace {

constexpr double kBarTop = kMarkMargin + 4;  // leaves room for the frame
constexpr double kBarHeight = 40;
constexpr double kFrameOutset = 3;
constexpr double kBandLeft = kMarkMargin + 8;
constexpr double kBandWidth = 24;
// The triangle starts right of the band and below the bar row, and stays a
// small gap inside the top-left quadrant.
constexpr double kTriangleLeftMin = kBandLeft + kBandWidth + 16;
constexpr double kTriangleTopMin = kBarTop + kBarHeight + 20;
constexpr double kQuadrantGap = 8;

}  // namespace

Rect IdentityBar(PageSize page, int bit)
{
    // The row spans the middle half of the page width.
    double width = page.width / (2.0 * kIdentityBits);
    return Rect{page.width / 4 + bit * width, kBarTop, width, kBarHeight};
}

Rect IdentityFrame(PageSize page)
{
    Rect first = IdentityBar(page, 0);
    return Rect{first.x - kFrameOutset, first.y - kFrameOutset, page.width / 2 + 2 * kFrameOutset,
                kBarHeight + 2 * kFrameOutset};
}

Rect ColourBand(PageSize page) { return Rect{kBandLeft, 0.3 * page.height, kBandWidth, 0.4 * page.height}; }

std::array<Point, 3> OrientationTriangle(PageSize page)
{
    double left = std::max(0.12 * page.width, kTriangleLeftMin);
    double top = std::max(0.12 * page.height, kTriangleTopMin);
    double across = std::min(0.26 * page.width, page.width / 2 - kQuadrantGap - left);
    double down = std::min(0.24 * page.height, page.height / 2 - kQuadrantGap - top);
    return {Point{left, top}, Point{left + across, top}, Point{left, top + down}};
}

Point TriangleProbe(PageSize page)
{
    auto [a, b, c] = OrientationTriangle(page);
    return Point{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3};
}

Point PageNumberOrigin(PageSize page) { return Point{0.45 * page.width, 0.36 * page.height}; }

double PageNumberEmSize(PageSize page) { return std::min(0.1 * page.height, 0.09 * page.width); }

Rect ContentArea(PageSize page)
{
    // Below the triangle even on pages far wider than tall.
    double top = std::max(0.40 * page.height, OrientationTriangle(page)[2].y + kQuadrantGap);
    double bottom = 0.78 * page.height;
    return Rect{0.28 * page.width, top, 0.44 * page.width, bottom - top};
}

}  // namespace jobgen
