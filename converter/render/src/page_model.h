// The page model: one FixedPage as the renderer needs it, built from the
// element and attribute calls and knowing nothing of the output. Nodes are
// kept in document order in one vector (the page's, or a visual brush's);
// a canvas holds the nodes up to its `end`. Geometries, brushes and glyph runs live in their own vectors and
// are referred to by index, so a resource used a thousand times is stored
// once.
//
// The model holds no polymorphic object of its own and no code pointer: a
// page left behind by an aborted page feed may be destroyed by code other
// than the code that built it (see model_builder.h).
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "brush.h"
#include "geometry.h"
#include "glyph_layout.h"

namespace tav::render {

enum class LineCap { Flat, Round, Square, Triangle };
enum class LineJoin { Miter, Bevel, Round };

struct StrokeStyle {
    double thickness = 1;
    std::vector<double> dashes;  // in multiples of the thickness
    double dashOffset = 0;       // likewise
    LineCap dashCap = LineCap::Flat;
    LineCap startCap = LineCap::Flat;
    LineCap endCap = LineCap::Flat;
    LineJoin join = LineJoin::Miter;
    double miterLimit = 10;
};

struct GlyphRun {
    const FontMetrics* font = nullptr;  // owned by the job's font cache
    double emSize = 0;
    bool sideways = false;
    bool boldSimulation = false;
    bool italicSimulation = false;
    GlyphRunLayout layout;
};

constexpr int kNone = -1;

struct Node {
    enum Kind { Canvas, Path, Glyphs } kind = Canvas;
    size_t end = 0;  // one past the last node this one holds (itself for paths and glyphs)
    Affine transform;
    int clip = kNone;  // geometry
    double opacity = 1;
    int geometry = kNone;  // Path
    int fill = kNone;      // brush; Path and Glyphs
    int stroke = kNone;    // brush; Path
    StrokeStyle strokeStyle;
    int glyphRun = kNone;     // Glyphs
    int opacityMask = kNone;  // brush whose alpha the element is drawn through
};

struct Page {
    double width = 0, height = 0;  // 1/96 inch
    Rect bleedBox, contentBox;
    std::vector<Node> nodes;
    // The content of visual brushes, each a list of nodes like the page's
    // own, drawn only through the brushes that name it.
    std::vector<std::vector<Node>> visuals;
    std::vector<Geometry> geometries;
    std::vector<Brush> brushes;
    std::vector<GlyphRun> glyphRuns;
};

static_assert(!std::is_polymorphic_v<Page> && !std::is_polymorphic_v<Node> && !std::is_polymorphic_v<Brush>,
              "the page model carries no code pointers");

}  // namespace tav::render
