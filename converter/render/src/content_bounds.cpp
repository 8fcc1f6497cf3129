#include "content_bounds.h"

#include <algorithm>
#include <limits>

namespace tav::render {

namespace {

bool IsEmpty(const Rect& rect) { return rect.width <= 0 && rect.height <= 0; }

struct Extent {
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    void Add(Point p)
    {
        minX = std::min(minX, p.x), minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x), maxY = std::max(maxY, p.y);
    }
    void Add(const Rect& rect)
    {
        if (IsEmpty(rect)) return;
        Add(Point{rect.x, rect.y});
        Add(Point{rect.x + rect.width, rect.y + rect.height});
    }
    Rect Result() const { return minX > maxX ? Rect{} : Rect{minX, minY, maxX - minX, maxY - minY}; }
};

// Nodes [begin, end) of a list, each through its own transform.
Rect RangeBounds(const Page& page, const std::vector<Node>& nodes, size_t begin, size_t end)
{
    Extent extent;
    for (size_t i = begin; i < end;) {
        const Node& node = nodes[i];
        extent.Add(TransformedBounds(node.transform, NodeBounds(page, nodes, i)));
        i = node.kind == Node::Canvas ? std::max(node.end, i + 1) : i + 1;
    }
    return extent.Result();
}

}  // namespace

Rect TransformedBounds(const Affine& transform, const Rect& rect)
{
    if (IsEmpty(rect)) return {};
    Extent extent;
    for (Point corner : {Point{rect.x, rect.y}, Point{rect.x + rect.width, rect.y}, Point{rect.x, rect.y + rect.height},
                         Point{rect.x + rect.width, rect.y + rect.height}})
        extent.Add(transform.Apply(corner));
    return extent.Result();
}

Rect NodeBounds(const Page& page, const std::vector<Node>& nodes, size_t index)
{
    const Node& node = nodes[index];
    switch (node.kind) {
    case Node::Canvas: return RangeBounds(page, nodes, index + 1, node.end);
    case Node::Path: {
        Rect box = page.geometries[node.geometry].Bounds();
        if (node.stroke == kNone) return box;
        double half = node.strokeStyle.thickness / 2;
        return {box.x - half, box.y - half, box.width + 2 * half, box.height + 2 * half};
    }
    case Node::Glyphs: {
        const GlyphRun& run = page.glyphRuns[node.glyphRun];
        Extent extent;
        for (const PlacedGlyph& glyph : run.layout.glyphs)
            extent.Add({glyph.origin.x, glyph.origin.y - run.emSize, run.emSize, run.emSize * 1.25});
        return extent.Result();
    }
    }
    return {};
}

Rect ListBounds(const Page& page, const std::vector<Node>& nodes) { return RangeBounds(page, nodes, 0, nodes.size()); }

}  // namespace tav::render
