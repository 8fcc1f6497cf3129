// Brushes of the page model, already resolved: no markup, no resource keys.
#pragma once

#include <vector>

#include "affine.h"
#include "colour.h"
#include "decoded_image.h"

namespace tav::render {

struct GradientStop {
    double offset = 0;
    Rgba colour;
    bool operator==(const GradientStop&) const = default;
};

enum class SpreadMethod { Pad, Reflect, Repeat };
enum class MappingMode { Absolute, RelativeToBoundingBox };
enum class ColourInterpolation { SRgb, ScRgb };
// How an image or visual brush repeats its tile beyond the viewport; the
// flips mirror every other tile across the edge they share.
enum class TileMode { None, Tile, FlipX, FlipY, FlipXY };

struct Brush {
    enum Kind {
        Solid,
        LinearGradient,
        RadialGradient,
        Image,
        Visual,
    } kind = Solid;
    Rgba colour;  // Solid
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

    // Image and visual brushes: the viewbox of the content (the image in
    // units of 1/96 inch at its resolution, or the visual in its own
    // coordinates) is stretched onto the viewport, which the tile mode
    // repeats and the transform places. `mapping` gives the viewport's
    // units, `viewboxUnits` the viewbox's.
    const DecodedImage* image = nullptr;  // owned by the job's image cache
    int visual = -1;                      // the node list of Page::visuals
    Rect viewbox, viewport;
    MappingMode viewboxUnits = MappingMode::Absolute;
    TileMode tileMode = TileMode::None;

    bool IsTileBrush() const { return kind == Image || kind == Visual; }
};

// Stops sorted by offset (equal offsets keep their order) and confined to
// [0, 1]: stops outside are replaced by the colour interpolated at the edge,
// so the renderer can hand them to any drawing library as they are.
std::vector<GradientStop> NormaliseStops(std::vector<GradientStop> stops);

// The stops of a gradient that interpolates in linear light, approximated
// by `steps` sRGB stops between each pair.
std::vector<GradientStop> LinearLightStops(const std::vector<GradientStop>& stops, int steps);

}  // namespace tav::render
