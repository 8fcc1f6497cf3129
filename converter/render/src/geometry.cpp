#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tav::render {

namespace {

struct BoundsBuilder {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    void Add(Point p)
    {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
};

double CubicAt(double p0, double p1, double p2, double p3, double t)
{
    double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// The parameters in (0, 1) where one coordinate of a cubic has an extreme.
int CubicExtremes(double p0, double p1, double p2, double p3, double t[2])
{
    // Derivative / 3: a t^2 + b t + c.
    double a = -p0 + 3 * p1 - 3 * p2 + p3;
    double b = 2 * (p0 - 2 * p1 + p2);
    double c = p1 - p0;
    int count = 0;
    auto keep = [&](double value) {
        if (value > 0 && value < 1) t[count++] = value;
    };
    if (std::abs(a) < 1e-12) {
        if (std::abs(b) > 1e-12) keep(-c / b);
        return count;
    }
    double discriminant = b * b - 4 * a * c;
    if (discriminant < 0) return 0;
    double root = std::sqrt(discriminant);
    keep((-b + root) / (2 * a));
    keep((-b - root) / (2 * a));
    return count;
}

}  // namespace

size_t Geometry::SegmentCount() const
{
    size_t count = 0;
    for (const Figure& figure : figures) count += figure.segments.size();
    return count;
}

void Geometry::TransformBy(const Affine& transform)
{
    if (transform.IsIdentity()) return;
    for (Figure& figure : figures) {
        figure.start = transform.Apply(figure.start);
        for (Segment& segment : figure.segments) {
            segment.control1 = transform.Apply(segment.control1);
            segment.control2 = transform.Apply(segment.control2);
            segment.end = transform.Apply(segment.end);
        }
    }
}

Rect Geometry::Bounds() const
{
    BoundsBuilder bounds;
    for (const Figure& figure : figures) {
        Point current = figure.start;
        bounds.Add(current);
        for (const Segment& segment : figure.segments) {
            if (segment.kind == Segment::Cubic) {
                double t[2];
                int n = CubicExtremes(current.x, segment.control1.x, segment.control2.x, segment.end.x, t);
                for (int i = 0; i < n; ++i)
                    bounds.Add({CubicAt(current.x, segment.control1.x, segment.control2.x, segment.end.x, t[i]),
                                CubicAt(current.y, segment.control1.y, segment.control2.y, segment.end.y, t[i])});
                n = CubicExtremes(current.y, segment.control1.y, segment.control2.y, segment.end.y, t);
                for (int i = 0; i < n; ++i)
                    bounds.Add({CubicAt(current.x, segment.control1.x, segment.control2.x, segment.end.x, t[i]),
                                CubicAt(current.y, segment.control1.y, segment.control2.y, segment.end.y, t[i])});
            }
            bounds.Add(segment.end);
            current = segment.end;
        }
    }
    if (figures.empty()) return {};
    return {bounds.minX, bounds.minY, bounds.maxX - bounds.minX, bounds.maxY - bounds.minY};
}

Segment QuadraticToCubic(Point from, Point control, Point to)
{
    Segment segment;
    segment.kind = Segment::Cubic;
    segment.control1 = {from.x + 2.0 / 3.0 * (control.x - from.x), from.y + 2.0 / 3.0 * (control.y - from.y)};
    segment.control2 = {to.x + 2.0 / 3.0 * (control.x - to.x), to.y + 2.0 / 3.0 * (control.y - to.y)};
    segment.end = to;
    return segment;
}

void AppendArc(Point from, Point size, double rotationDegrees, bool largeArc, bool clockwise, Point to,
               std::vector<Segment>* out)
{
    if (from == to) return;
    double rx = std::abs(size.x), ry = std::abs(size.y);
    if (rx == 0 || ry == 0) {
        out->push_back({Segment::Line, {}, {}, to, true});
        return;
    }
    double phi = rotationDegrees * std::numbers::pi / 180;
    double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
    // The end points in the ellipse's own axes, centred between them.
    double hx = (from.x - to.x) / 2, hy = (from.y - to.y) / 2;
    double x1 = cosPhi * hx + sinPhi * hy;
    double y1 = -sinPhi * hx + cosPhi * hy;
    double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
    if (lambda > 1) {
        double scale = std::sqrt(lambda);
        rx *= scale, ry *= scale;
    }
    double numerator = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    double denominator = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double factor = std::sqrt(std::max(0.0, numerator / denominator));
    if (largeArc == clockwise) factor = -factor;
    double cx1 = factor * rx * y1 / ry;
    double cy1 = -factor * ry * x1 / rx;
    double cx = cosPhi * cx1 - sinPhi * cy1 + (from.x + to.x) / 2;
    double cy = sinPhi * cx1 + cosPhi * cy1 + (from.y + to.y) / 2;

    auto angle = [](double ux, double uy, double vx, double vy) {
        return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    double startAngle = angle(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
    double sweep = angle((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
    if (!clockwise && sweep > 0) sweep -= 2 * std::numbers::pi;
    if (clockwise && sweep < 0) sweep += 2 * std::numbers::pi;
    // Radii or points so large that the centre overflows: a straight line,
    // as for an arc without radius.
    if (!std::isfinite(startAngle) || !std::isfinite(sweep) || !std::isfinite(cx) || !std::isfinite(cy)) {
        out->push_back({Segment::Line, {}, {}, to, true});
        return;
    }

    int pieces = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)), 1, 4);
    double step = sweep / pieces;
    double k = 4.0 / 3.0 * std::tan(step / 4);
    auto onEllipse = [&](double t) {
        double ex = rx * std::cos(t), ey = ry * std::sin(t);
        return Point{cosPhi * ex - sinPhi * ey + cx, sinPhi * ex + cosPhi * ey + cy};
    };
    auto derivative = [&](double t) {
        double ex = -rx * std::sin(t), ey = ry * std::cos(t);
        return Point{cosPhi * ex - sinPhi * ey, sinPhi * ex + cosPhi * ey};
    };
    double t = startAngle;
    Point current = from;
    for (int i = 0; i < pieces; ++i) {
        double next = t + step;
        Point d0 = derivative(t), d1 = derivative(next);
        Point end = i == pieces - 1 ? to : onEllipse(next);
        Segment segment;
        segment.kind = Segment::Cubic;
        segment.control1 = {current.x + k * d0.x, current.y + k * d0.y};
        segment.control2 = {end.x - k * d1.x, end.y - k * d1.y};
        segment.end = end;
        out->push_back(segment);
        current = end;
        t = next;
    }
}

}  // namespace tav::render
