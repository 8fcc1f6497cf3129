// How a page appears turned or mirrored: on a sheet after imposition or
// finishing, or in a generated job that draws its pages that way.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "jobgen/page_size.h"

namespace jobgen {

struct Point {
    double x = 0;
    double y = 0;
};

// The page is first mirrored left to right (when `mirrored`), then turned
// clockwise by `quarterTurns` quarter turns, as it is seen on the output.
struct Orientation {
    int quarterTurns = 0;
    bool mirrored = false;
    friend bool operator==(const Orientation&, const Orientation&) = default;
};

// The eight ways a rectangle can lie: four turns, each plain and mirrored.
std::array<Orientation, 8> AllOrientations();

// Where a point of the page, given as fractions of its width and height
// (0..1, y downwards), lies in the rectangle the oriented page fills, as
// fractions of that rectangle.
Point MapUnitPoint(Orientation orientation, Point unit);

// The size of the oriented page: width and height swap for odd quarter turns.
PageSize OrientedSize(Orientation orientation, PageSize page);

// An XPS RenderTransform: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Matrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

// The transform that draws a page of size `page` oriented on a page of size
// OrientedSize(orientation, page).
Matrix OrientationMatrix(Orientation orientation, PageSize page);

// "0", "90", "180", "270" (degrees clockwise), each optionally prefixed with
// "m" for mirrored; nothing for anything else.
std::optional<Orientation> ParseOrientation(std::string_view text);
std::string OrientationName(Orientation orientation);

}  // namespace jobgen
