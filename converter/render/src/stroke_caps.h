// Line caps that a drawing library cannot draw by itself (triangles, or a
// start cap that differs from the end cap): the outline each cap adds at an
// end of an open figure, and the direction in which the figure leaves that
// end.
#pragma once

#include <optional>
#include <vector>

#include "geometry.h"
#include "page_model.h"

namespace tav::render {

// The polygon a cap adds at `at`, where the line leaves in the unit
// direction `outward`, for a line of the given half width. Empty for flat
// caps and for round ones (a round cap is a disc of radius halfWidth).
std::vector<Point> CapOutline(Point at, Point outward, double halfWidth, LineCap cap);

// The unit direction pointing out of the figure at its start (away from the
// first segment) and at its end (along the last segment); nothing when the
// figure has no length.
std::optional<Point> OutwardAtStart(const Figure& figure);
std::optional<Point> OutwardAtEnd(const Figure& figure);

}  // namespace tav::render
