#include "path_syntax.h"

#include <cctype>
#include <string>

#include "number_scanner.h"

namespace tav::render {

namespace {

class PathParser {
public:
    PathParser(std::string_view text, size_t maxSegments) : scanner_(text), maxSegments_(maxSegments) {}

    Parsed<Geometry> Run()
    {
        ReadFillRule();
        if (!error_.empty()) return Parsed<Geometry>::Fail(error_);
        while (error_.empty() && !scanner_.AtEnd()) {
            char command = scanner_.Peek();
            if (!std::isalpha(static_cast<unsigned char>(command))) {
                Fail(std::string("expected a command letter, found '") + command + "'");
                break;
            }
            if (std::string_view("MmLlHhVvCcQqSsAaZz").find(command) == std::string_view::npos) {
                Fail(std::string("'") + command + "' is not a path command");
                break;
            }
            scanner_.Advance();
            Command(command);
        }
        if (!error_.empty()) return Parsed<Geometry>::Fail(error_);
        return {std::move(geometry_), {}};
    }

private:
    void Fail(const std::string& reason)
    {
        if (error_.empty()) error_ = reason + " " + scanner_.Where();
    }

    void ReadFillRule()
    {
        if (scanner_.Peek() != 'F') return;
        scanner_.Advance();
        double rule = -1;
        if (!scanner_.Number(&rule) || (rule != 0 && rule != 1)) {
            Fail("F must be followed by 0 or 1");
            return;
        }
        geometry_.fillRule = rule == 1 ? FillRule::NonZero : FillRule::EvenOdd;
    }

    bool NumberFollows()
    {
        char next = scanner_.Peek();
        return next == ',' || next == '+' || next == '-' || next == '.' || (next >= '0' && next <= '9');
    }

    bool ReadNumber(double* value, bool separated)
    {
        if (separated && !scanner_.SkipSeparator()) {
            Fail("two commas in a row");
            return false;
        }
        if (!scanner_.Number(value)) {
            Fail("expected a number");
            return false;
        }
        return true;
    }

    bool ReadPoint(Point* point, bool separated)
    {
        return ReadNumber(&point->x, separated) && ReadNumber(&point->y, true);
    }

    void Command(char command)
    {
        bool relative = std::islower(static_cast<unsigned char>(command));
        char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(command)));
        if (upper == 'Z') {
            Close();
            return;
        }
        if (upper != 'M' && geometry_.figures.empty()) {
            Fail("a path must begin with M");
            return;
        }
        bool first = true;
        // A command's numbers may repeat: each repetition is another segment
        // of the same kind (after M, straight lines).
        do {
            if (!first && !scanner_.SkipSeparator()) {
                Fail("two commas in a row");
                return;
            }
            One(upper, relative, first);
            first = false;
        } while (error_.empty() && NumberFollows());
    }

    Point Relative(Point p, bool relative) const { return relative ? Point{current_.x + p.x, current_.y + p.y} : p; }

    void One(char command, bool relative, bool first)
    {
        Point p;
        switch (command) {
        case 'M':
            if (!ReadPoint(&p, false)) return;
            if (first) {
                StartFigure(Relative(p, relative));
            } else {
                Line(Relative(p, relative));
            }
            return;
        case 'L':
            if (ReadPoint(&p, false)) Line(Relative(p, relative));
            return;
        case 'H': {
            double x = 0;
            if (ReadNumber(&x, false)) Line({relative ? current_.x + x : x, current_.y});
            return;
        }
        case 'V': {
            double y = 0;
            if (ReadNumber(&y, false)) Line({current_.x, relative ? current_.y + y : y});
            return;
        }
        case 'C': {
            Point c1, c2;
            if (!ReadPoint(&c1, false) || !ReadPoint(&c2, true) || !ReadPoint(&p, true)) return;
            Cubic(Relative(c1, relative), Relative(c2, relative), Relative(p, relative));
            return;
        }
        case 'S': {
            Point c2;
            if (!ReadPoint(&c2, false) || !ReadPoint(&p, true)) return;
            Point c1 = current_;
            if (lastWasCubic_) c1 = {2 * current_.x - lastControl_.x, 2 * current_.y - lastControl_.y};
            Cubic(c1, Relative(c2, relative), Relative(p, relative));
            return;
        }
        case 'Q': {
            Point control;
            if (!ReadPoint(&control, false) || !ReadPoint(&p, true)) return;
            Add(QuadraticToCubic(current_, Relative(control, relative), Relative(p, relative)));
            return;
        }
        case 'A': {
            Point size;
            double rotation = 0, large = 0, sweep = 0;
            if (!ReadPoint(&size, false) || !ReadNumber(&rotation, true) || !ReadNumber(&large, true) ||
                !ReadNumber(&sweep, true) || !ReadPoint(&p, true))
                return;
            if ((large != 0 && large != 1) || (sweep != 0 && sweep != 1)) {
                Fail("an arc's large-arc and sweep flags are 0 or 1");
                return;
            }
            std::vector<Segment> pieces;
            Point to = Relative(p, relative);
            AppendArc(current_, size, rotation, large == 1, sweep == 1, to, &pieces);
            for (const Segment& piece : pieces) Add(piece);
            current_ = to;
            lastWasCubic_ = false;
            return;
        }
        }
    }

    void StartFigure(Point start)
    {
        if (Full()) return;
        Figure figure;
        figure.start = start;
        geometry_.figures.push_back(std::move(figure));
        current_ = start;
        lastWasCubic_ = false;
        open_ = true;
    }

    // After Z, a drawing command starts a new figure where the closed one
    // began.
    void EnsureOpen()
    {
        if (!open_) StartFigure(geometry_.figures.back().start);
    }

    bool Full()
    {
        if (++count_ > maxSegments_) {
            Fail("the path has more than " + std::to_string(maxSegments_) + " segments");
            return true;
        }
        return false;
    }

    void Add(const Segment& segment)
    {
        EnsureOpen();
        if (!error_.empty() || Full()) return;
        geometry_.figures.back().segments.push_back(segment);
        current_ = segment.end;
        lastWasCubic_ = segment.kind == Segment::Cubic;
        lastControl_ = segment.control2;
    }

    void Line(Point to) { Add({Segment::Line, {}, {}, to, true}); }
    void Cubic(Point c1, Point c2, Point to) { Add({Segment::Cubic, c1, c2, to, true}); }

    void Close()
    {
        if (geometry_.figures.empty()) {
            Fail("a path must begin with M");
            return;
        }
        geometry_.figures.back().closed = true;
        current_ = geometry_.figures.back().start;
        lastWasCubic_ = false;
        open_ = false;
    }

    NumberScanner scanner_;
    size_t maxSegments_;
    size_t count_ = 0;
    Geometry geometry_;
    Point current_;
    Point lastControl_;
    bool lastWasCubic_ = false;
    bool open_ = false;
    std::string error_;
};

}  // namespace

Parsed<Geometry> ParsePathData(std::string_view text, size_t maxSegments)
{
    return PathParser(text, maxSegments).Run();
}

}  // namespace tav::render
