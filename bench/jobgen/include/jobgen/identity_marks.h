// Where a generated page draws the marks that identify it after rendering,
// shared by the page writer and the decoder so both agree on one layout.
//
// - A row of kIdentityBits bars near the top: bar i is black when bit i of
//   the page's number in the job is 1 and white otherwise, inside a thin frame.
// - A red band near the left edge.
// - A blue right triangle in the top-left quadrant, so that mirror images and
//   half turns can be told apart.
// Every mark keeps at least kMarkMargin units from every edge, so it survives
// printer margins and reduction onto a sheet with several pages.
#pragma once

#include <array>

#include "jobgen/orientation.h"
#include "jobgen/page_size.h"

namespace jobgen {

// 14 bits number the pages of the largest benchmark jobs (up to 16383).
inline constexpr int kIdentityBits = 14;
inline constexpr double kMarkMargin = 48;

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    Point Centre() const { return {x + width / 2, y + height / 2}; }
};

// Bar `bit` (0 = least significant, at the left).
Rect IdentityBar(PageSize page, int bit);
// The rectangle the thin frame around the bar row is stroked along.
Rect IdentityFrame(PageSize page);
Rect ColourBand(PageSize page);
// Right angle at the top-left vertex, legs along the top and the left.
std::array<Point, 3> OrientationTriangle(PageSize page);
// A point well inside the triangle: the decoder looks for blue there.
Point TriangleProbe(PageSize page);

// Where the human-readable page number goes (baseline origin and em size).
Point PageNumberOrigin(PageSize page);
double PageNumberEmSize(PageSize page);

// The region left for the page's other content (images, paths, extra
// elements); nothing in it may be red or blue.
Rect ContentArea(PageSize page);

}  // namespace jobgen
