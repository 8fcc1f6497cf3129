// What one page may ask of the converter. A hostile page that goes past any
// of these is refused with the element that went too far, before it can make
// the converter run out of memory or stack.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tav::render {

struct ModelLimits {
    size_t maxDepth = 200;        // nested elements
    size_t maxNodes = 1'000'000;  // canvases, paths and glyph runs of a page
    size_t maxSegmentsPerGeometry = 1'000'000;
    size_t maxSegmentsPerPage = 4'000'000;
    size_t maxGlyphsPerRun = 100'000;
    size_t maxGlyphsPerPage = 1'000'000;
    size_t maxGradientStops = 1'000;
    size_t maxDashes = 1'000;
    size_t maxResources = 100'000;         // keyed resources of a page
    size_t maxAttributes = 256;            // of one element
    size_t maxAttributeBytes = 16u << 20;  // one value
    double maxPageExtent = 100'000;        // 1/96 inch, about 26 m
    double maxEmSize = 100'000;
    // Visual brushes whose visuals draw visual brushes: each level is drawn
    // through a tile of its own, so the depth bounds the tiles held at once.
    size_t maxVisualDepth = 16;
    // Elements drawn for the page, each visual brush counted with all it
    // draws each time it is used: a few visuals that draw each other twice
    // over cannot multiply into more work than this.
    uint64_t maxDrawnElements = 4'000'000;
};

}  // namespace tav::render
