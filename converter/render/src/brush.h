// Brushes of the page model, already resolved: no markup, no resource keys.
#pragma once

#include <vector>

#include "affine.h"
#include "colour.h"

namespace tav::render {

struct GradientStop {
    double offset = 0;
    Rgba colour;
    bool operator==(const GradientStop&) const = default;
};

enum class SpreadMethod { Pad, Reflect, Repeat };
enum class MappingMode { Absolute, RelativeToBoundingBox };
enum class ColourInterpolation { SRgb, ScRgb };

struct Brush {
    enum Kind {
        Solid,
        LinearGradient,
        RadialGradient,
        // What cannot be drawn yet (an image or a visual): a flat colour in
        // its place.
        StandIn,
    } kind = Solid;
    Rgba colour;  // Solid and StandIn
    double opacity = 1;

    // Gradients. Linear: from start to end. Radial: from origin (offset 0)
    // out to the ellipse around center with radii radiusX, radiusY.
    std::vector<GradientStop> stops;  // sorted by offset, at least one
    SpreadMethod spread = SpreadMethod::Pad;
    MappingMode mapping = MappingMode::Absolute;
    ColourInterpolation interpolation = ColourInterpolation::SRgb;
    Affine transform;
    Point start, end;
    Point center, origin;
    double radiusX = 0, radiusY = 0;
};

// Stops sorted by offset (equal offsets keep their order) and confined to
// [0, 1]: stops outside are replaced by the colour interpolated at the edge,
// so the renderer can hand them to any drawing library as they are.
std::vector<GradientStop> NormaliseStops(std::vector<GradientStop> stops);

// The stops of a gradient that interpolates in linear light, approximated
// by `steps` sRGB stops between each pair.
std::vector<GradientStop> LinearLightStops(const std::vector<GradientStop>& stops, int steps);

}  // namespace tav::render
