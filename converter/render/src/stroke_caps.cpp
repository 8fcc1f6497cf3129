#include "stroke_caps.h"

#include <algorithm>
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

// The directions in which a segment leaves `from` and arrives at its end.
std::optional<Point> StartDirection(Point from, const Segment& segment)
{
    if (segment.kind == Segment::Cubic) {
        for (Point next : {segment.control1, segment.control2, segment.end})
            if (auto direction = Unit(from, next)) return direction;
        return std::nullopt;
    }
    return Unit(from, segment.end);
}

std::optional<Point> EndDirection(Point from, const Segment& segment)
{
    if (segment.kind == Segment::Cubic) {
        for (Point previous : {segment.control2, segment.control1, from})
            if (auto direction = Unit(previous, segment.end)) return direction;
        return std::nullopt;
    }
    return Unit(from, segment.end);
}

double Dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }

// The clipped part of the miter at `corner`, arriving along `in` and
// leaving along `out`; empty when the miter is within the limit.
std::vector<Point> ClippedMiter(Point corner, Point in, Point out, double half, double limit)
{
    double cross = in.x * out.y - in.y * out.x;
    double cosTurn = Dot(in, out);
    if (std::abs(cross) < 1e-12 && cosTurn > 0) return {};  // straight on
    // The outer side of the turn.
    double side = cross > 0 ? -1 : 1;
    Point a{corner.x - side * half * in.y, corner.y + side * half * in.x};
    Point b{corner.x - side * half * out.y, corner.y + side * half * out.x};
    Point bisector{a.x + b.x - 2 * corner.x, a.y + b.y - 2 * corner.y};
    double length = std::hypot(bisector.x, bisector.y);
    if (length < 1e-12) {
        // A full reversal: the miter points straight back along `in`.
        bisector = in;
        length = 1;
    }
    Point m{bisector.x / length, bisector.y / length};
    // The miter reaches half / cos(turn / 2) from the corner.
    double halfTurnCos = std::sqrt(std::max(0.0, (1 + cosTurn) / 2));
    if (halfTurnCos * limit >= 1) return {};
    double clip = limit * half;
    double alongIn = Dot(in, m), alongOut = Dot(out, m);
    if (std::abs(alongIn) < 1e-12 || std::abs(alongOut) < 1e-12) return {};
    Point relativeA{a.x - corner.x, a.y - corner.y}, relativeB{b.x - corner.x, b.y - corner.y};
    double t = (clip - Dot(relativeA, m)) / alongIn;
    double u = (Dot(relativeB, m) - clip) / alongOut;
    return {corner, a, {a.x + in.x * t, a.y + in.y * t}, {b.x - out.x * u, b.y - out.y * u}, b};
}

struct FlatPiece {
    Point from, to;
    bool stroked;
};

// The figure as straight pieces, closing line included; curves in pieces
// no more than about a hundredth of a unit off the curve.
std::vector<FlatPiece> Flatten(const Figure& figure)
{
    std::vector<FlatPiece> pieces;
    Point current = figure.start;
    for (const Segment& segment : figure.segments) {
        if (segment.kind == Segment::Line) {
            pieces.push_back({current, segment.end, segment.stroked});
        } else {
            Point p0 = current, p1 = segment.control1, p2 = segment.control2, p3 = segment.end;
            double bend = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                   std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
            int steps = std::clamp(static_cast<int>(std::ceil(std::sqrt(0.75 * bend / 0.01))), 1, 256);
            Point previous = p0;
            for (int i = 1; i <= steps; ++i) {
                double t = static_cast<double>(i) / steps, u = 1 - t;
                Point next{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                           u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y};
                pieces.push_back({previous, next, segment.stroked});
                previous = next;
            }
        }
        current = segment.end;
    }
    if (figure.closed && !(current == figure.start)) pieces.push_back({current, figure.start, true});
    return pieces;
}

}  // namespace

bool DashFigure(const Figure& figure, const std::vector<double>& pattern, double offset, size_t maxDashes,
                std::vector<Dash>* dashes)
{
    double total = 0;
    for (double length : pattern) total += length;
    if (pattern.empty() || total <= 0) return false;
    // A pattern of odd length repeats twice over, so on and off alternate.
    std::vector<double> lengths = pattern;
    if (lengths.size() % 2 == 1) lengths.insert(lengths.end(), pattern.begin(), pattern.end()), total *= 2;
    double into = std::fmod(offset, total);
    if (into < 0) into += total;
    size_t index = 0;
    while (into > 0 && into >= lengths[index]) into -= lengths[index], index = (index + 1) % lengths.size();
    double left = lengths[index] - into;  // of the current dash or gap

    std::vector<FlatPiece> pieces = Flatten(figure);
    bool open = false;          // a dash is being drawn
    bool firstAtStart = false;  // the first dash begins where the figure does
    auto on = [&] { return index % 2 == 0; };
    auto begin = [&](Point at, Point direction, bool atStart) {
        Dash dash;
        dash.piece.start = at;
        dash.startDirection = dash.endDirection = direction;
        dash.atStart = atStart;
        dashes->push_back(std::move(dash));
        open = true;
    };
    auto finish = [&](bool atEnd) {
        if (open) dashes->back().atEnd = atEnd;
        open = false;
    };
    for (size_t p = 0; p < pieces.size(); ++p) {
        const FlatPiece& piece = pieces[p];
        double length = std::hypot(piece.to.x - piece.from.x, piece.to.y - piece.from.y);
        if (length < 1e-12) continue;
        Point direction{(piece.to.x - piece.from.x) / length, (piece.to.y - piece.from.y) / length};
        auto at = [&](double distance) {
            return Point{piece.from.x + direction.x * distance, piece.from.y + direction.y * distance};
        };
        if (!piece.stroked) finish(false);
        double done = 0;
        while (true) {
            if (piece.stroked && on() && !open) {
                bool figureStart = p == 0 && done == 0;
                if (figureStart) firstAtStart = true;
                begin(at(done), direction, figureStart && !figure.closed);
            }
            double step = std::min(left, length - done);
            done += step;
            left -= step;
            if (open && piece.stroked && step > 0) {
                dashes->back().piece.segments.push_back({Segment::Line, {}, {}, at(done), true});
                dashes->back().endDirection = direction;
            }
            if (left > 1e-12) break;  // the piece is used up; the dash or gap goes on
            // The dash or gap is used up: the next one begins here.
            if (open) finish(false);
            index = (index + 1) % lengths.size();
            left = lengths[index];
            if (dashes->size() > maxDashes) return false;
        }
    }
    // A dash that would begin right at the end of the figure has nothing to draw.
    if (open && dashes->back().piece.segments.empty()) {
        dashes->pop_back();
    } else if (open && figure.closed && firstAtStart && dashes->size() >= 2) {
        // Around a closed figure the last dash runs on into the first.
        Dash& last = dashes->back();
        Dash& first = dashes->front();
        last.piece.segments.insert(last.piece.segments.end(), first.piece.segments.begin(), first.piece.segments.end());
        last.endDirection = first.endDirection;
        dashes->erase(dashes->begin());
    } else if (open) {
        finish(!figure.closed);
    }
    return dashes->size() <= maxDashes;
}

std::vector<std::vector<Point>> ClippedMiters(const Figure& figure, double halfWidth, double miterLimit)
{
    // The segments as drawn, with the closing line of a closed figure.
    std::vector<Segment> segments = figure.segments;
    Point last = segments.empty() ? figure.start : segments.back().end;
    if (figure.closed && !(last == figure.start)) segments.push_back({Segment::Line, {}, {}, figure.start, true});
    std::vector<std::vector<Point>> outlines;
    size_t count = segments.size();
    size_t joins = figure.closed ? count : (count > 0 ? count - 1 : 0);
    for (size_t i = 0; i < joins; ++i) {
        const Segment& before = segments[i];
        const Segment& after = segments[(i + 1) % count];
        if (!before.stroked || !after.stroked) continue;
        Point beforeStart = i == 0 ? figure.start : segments[i - 1].end;
        auto in = EndDirection(beforeStart, before);
        auto out = StartDirection(before.end, after);
        if (!in || !out) continue;
        std::vector<Point> outline = ClippedMiter(before.end, *in, *out, halfWidth, miterLimit);
        if (!outline.empty()) outlines.push_back(std::move(outline));
    }
    return outlines;
}

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
    for (const Segment& segment : figure.segments)
        if (auto direction = StartDirection(figure.start, segment)) return Point{-direction->x, -direction->y};
    return std::nullopt;
}

std::optional<Point> OutwardAtEnd(const Figure& figure)
{
    for (size_t i = figure.segments.size(); i-- > 0;)
        if (auto direction = EndDirection(i > 0 ? figure.segments[i - 1].end : figure.start, figure.segments[i]))
            return direction;
    return std::nullopt;
}

}  // namespace tav::render
