// Points, rectangles and affine transforms of the page model, in double
// precision (the converter draws through cairo, which works in doubles; the
// platform's single-precision matrix belongs to the filters' library, which
// the converter does not link).
#pragma once

#include <cmath>

namespace tav::render {

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
};

// The markup's matrix "m11,m12,m21,m22,offsetX,offsetY": a point (x, y)
// becomes (x m11 + y m21 + offsetX, x m12 + y m22 + offsetY).
struct Affine {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    bool operator==(const Affine&) const = default;

    Point Apply(Point p) const { return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy}; }
    // Only the linear part: a direction or a size.
    Point ApplyLinear(Point p) const { return {p.x * m11 + p.y * m21, p.x * m12 + p.y * m22}; }
    bool IsIdentity() const { return *this == Affine{}; }
};

// first acts, then second.
inline Affine Then(const Affine& first, const Affine& second)
{
    return {first.m11 * second.m11 + first.m12 * second.m21,
            first.m11 * second.m12 + first.m12 * second.m22,
            first.m21 * second.m11 + first.m22 * second.m21,
            first.m21 * second.m12 + first.m22 * second.m22,
            first.dx * second.m11 + first.dy * second.m21 + second.dx,
            first.dx * second.m12 + first.dy * second.m22 + second.dy};
}

inline Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
inline Affine Scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }

}  // namespace tav::render
