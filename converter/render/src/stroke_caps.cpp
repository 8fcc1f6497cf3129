#include "stroke_caps.h"

#include <cmath>

namespace tav::render {

namespace {

std::optional<Point> Unit(Point from, Point to)
{
    double dx = to.x - from.x, dy = to.y - from.y;
    double length = std::hypot(dx, dy);
    if (length < 1e-12) return std::nullopt;
    return Point{dx / length, dy / length};
}

}  // namespace

std::vector<Point> CapOutline(Point at, Point outward, double halfWidth, LineCap cap)
{
    Point normal{-outward.y * halfWidth, outward.x * halfWidth};
    Point ahead{outward.x * halfWidth, outward.y * halfWidth};
    // Each outline begins a little inside the line, so that it overlaps the
    // line's end instead of meeting it edge to edge, which would leave a
    // seam where both edges are anti-aliased.
    Point inside{at.x - outward.x * halfWidth / 2, at.y - outward.y * halfWidth / 2};
    switch (cap) {
    case LineCap::Square:
        return {{inside.x + normal.x, inside.y + normal.y},
                {at.x + normal.x + ahead.x, at.y + normal.y + ahead.y},
                {at.x - normal.x + ahead.x, at.y - normal.y + ahead.y},
                {inside.x - normal.x, inside.y - normal.y}};
    case LineCap::Triangle:
        return {{inside.x + normal.x, inside.y + normal.y},
                {at.x + normal.x, at.y + normal.y},
                {at.x + ahead.x, at.y + ahead.y},
                {at.x - normal.x, at.y - normal.y},
                {inside.x - normal.x, inside.y - normal.y}};
    case LineCap::Flat:
    case LineCap::Round: return {};
    }
    return {};
}

std::optional<Point> OutwardAtStart(const Figure& figure)
{
    Point start = figure.start;
    for (const Segment& segment : figure.segments) {
        if (segment.kind == Segment::Cubic) {
            for (Point next : {segment.control1, segment.control2, segment.end})
                if (auto direction = Unit(next, start)) return direction;
        } else if (auto direction = Unit(segment.end, start)) {
            return direction;
        }
    }
    return std::nullopt;
}

std::optional<Point> OutwardAtEnd(const Figure& figure)
{
    for (size_t i = figure.segments.size(); i-- > 0;) {
        const Segment& segment = figure.segments[i];
        Point from = i > 0 ? figure.segments[i - 1].end : figure.start;
        if (segment.kind == Segment::Cubic) {
            for (Point previous : {segment.control2, segment.control1, from})
                if (auto direction = Unit(previous, segment.end)) return direction;
        } else if (auto direction = Unit(from, segment.end)) {
            return direction;
        }
    }
    return std::nullopt;
}

}  // namespace tav::render
