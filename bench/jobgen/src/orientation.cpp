#include "jobgen/orientation.h"

namespace jobgen {

std::array<Orientation, 8> AllOrientations()
{
    std::array<Orientation, 8> all;
    for (int i = 0; i < 8; ++i) all[i] = Orientation{i % 4, i >= 4};
    return all;
}

Point MapUnitPoint(Orientation orientation, Point unit)
{
    Point p = unit;
    if (orientation.mirrored) p.x = 1 - p.x;
    int turns = ((orientation.quarterTurns % 4) + 4) % 4;
    for (int i = 0; i < turns; ++i) {
        // A clockwise quarter turn moves the top edge to the right edge.
        p = Point{1 - p.y, p.x};
    }
    return p;
}

PageSize OrientedSize(Orientation orientation, PageSize page)
{
    bool sideways = ((orientation.quarterTurns % 2) + 2) % 2 == 1;
    return sideways ? PageSize{page.height, page.width} : page;
}

Matrix OrientationMatrix(Orientation orientation, PageSize page)
{
    // The mapping is affine; its images of the origin and of the ends of the
    // two page axes fix the matrix.
    PageSize target = OrientedSize(orientation, page);
    auto place = [&](Point unit) {
        Point p = MapUnitPoint(orientation, unit);
        return Point{p.x * target.width, p.y * target.height};
    };
    Point origin = place({0, 0});
    Point xEnd = place({1, 0});
    Point yEnd = place({0, 1});
    Matrix m;
    m.m11 = (xEnd.x - origin.x) / page.width;
    m.m12 = (xEnd.y - origin.y) / page.width;
    m.m21 = (yEnd.x - origin.x) / page.height;
    m.m22 = (yEnd.y - origin.y) / page.height;
    m.dx = origin.x;
    m.dy = origin.y;
    return m;
}

std::optional<Orientation> ParseOrientation(std::string_view text)
{
    Orientation orientation;
    if (text.starts_with('m')) {
        orientation.mirrored = true;
        text.remove_prefix(1);
    }
    constexpr std::string_view kTurns[] = {"0", "90", "180", "270"};
    for (int turns = 0; turns < 4; ++turns) {
        if (text == kTurns[turns]) {
            orientation.quarterTurns = turns;
            return orientation;
        }
    }
    return std::nullopt;
}

std::string OrientationName(Orientation orientation)
{
    int turns = ((orientation.quarterTurns % 4) + 4) % 4;
    return (orientation.mirrored ? "mirrored, turned " : "turned ") + std::to_string(turns * 90) + " degrees clockwise";
}

}  // namespace jobgen
