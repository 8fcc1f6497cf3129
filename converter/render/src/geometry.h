// Path geometry of the page model: figures of straight and cubic segments in
// the element's own coordinates. Quadratic curves and elliptical arcs are
// turned into cubic curves when the markup is read, so the renderer knows
// only lines and cubics.
#pragma once

#include <cstddef>
#include <vector>

#include "affine.h"

namespace tav::render {

enum class FillRule { EvenOdd, NonZero };

struct Segment {
    enum Kind { Line, Cubic } kind = Line;
    Point control1;  // cubics only
    Point control2;  // cubics only
    Point end;
    bool stroked = true;
    bool operator==(const Segment&) const = default;
};

struct Figure {
    Point start;
    std::vector<Segment> segments;
    bool closed = false;
    bool filled = true;
    bool operator==(const Figure&) const = default;
};

struct Geometry {
    FillRule fillRule = FillRule::EvenOdd;
    std::vector<Figure> figures;

    size_t SegmentCount() const;
    // Every point through transform (a geometry's own Transform).
    void TransformBy(const Affine& transform);
    // The smallest rectangle holding every figure (curves by their extremes,
    // not their control points); empty when there is no figure.
    Rect Bounds() const;
};

// A quadratic curve from `from` as a cubic segment.
Segment QuadraticToCubic(Point from, Point control, Point to);

// An elliptical arc from `from` to `to` with radii `size`, the ellipse turned
// by rotationDegrees, as cubic segments appended to out (at most four, one per
// quarter turn). A zero radius gives a straight line; radii too small to
// reach `to` are scaled up as far as needed. clockwise is the sweep direction
// with y growing downward.
void AppendArc(Point from, Point size, double rotationDegrees, bool largeArc, bool clockwise, Point to,
               std::vector<Segment>* out);

}  // namespace tav::render
