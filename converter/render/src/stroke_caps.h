// Parts of a stroke that a drawing library cannot draw by itself: caps it
// lacks (triangles, or a start cap that differs from the end cap), and
// miter joins past the miter limit, which page markup clips at the limit
// where the library bevels them.
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

// For every miter join of the figure whose miter reaches further than
// miterLimit half widths from its corner, the outline between the bevel the
// library draws there and the miter clipped at that distance. Joins next
// to unstroked segments have none.
std::vector<std::vector<Point>> ClippedMiters(const Figure& figure, double halfWidth, double miterLimit);

// One dash of a dashed figure: straight segments along the figure, the
// directions of the figure where the dash begins and ends (a dash of no
// length still has them, for its caps), and whether it begins at the
// figure's start or ends at the figure's end.
struct Dash {
    Figure piece;
    Point startDirection, endDirection;
    bool atStart = false, atEnd = false;
};

// The dashes of a figure: curves flattened, then the figure walked along
// the pattern (lengths in the figure's units, starting `offset` into it).
// Unstroked segments take their length of the pattern but draw nothing.
// False when the figure has more than maxDashes dashes.
bool DashFigure(const Figure& figure, const std::vector<double>& pattern, double offset, size_t maxDashes,
                std::vector<Dash>* dashes);

}  // namespace tav::render
