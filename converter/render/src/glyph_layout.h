// Placing the glyphs of a Glyphs element: its Indices value read, each glyph
// given its index and origin, and the text mapped to the glyphs in clusters
// so that output languages that keep text can keep it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "affine.h"
#include "parsed.h"

namespace tav::render {

// One entry of Indices: "(codeUnits:glyphs)index,advance,uOffset,vOffset",
// every part optional. Advance and offsets are hundredths of the em size.
struct GlyphMapping {
    int clusterCodeUnits = 1;
    int clusterGlyphs = 1;
    bool startsCluster = false;  // a "(n:m)" was given
    std::optional<uint32_t> index;
    std::optional<double> advance, uOffset, vOffset;
};
Parsed<std::vector<GlyphMapping>> ParseIndices(std::string_view text, size_t maxEntries);

// What the layout needs of a font, in ems.
class FontMetrics {
public:
    virtual ~FontMetrics() = default;
    // 0 when the font has no glyph for the character.
    virtual uint32_t GlyphFor(char32_t codePoint) const = 0;
    virtual double Advance(uint32_t glyph) const = 0;
    virtual double VerticalAdvance(uint32_t glyph) const = 0;
    virtual double Ascent() const = 0;
    // The number of glyphs; indices from 0 to one less.
    virtual uint32_t GlyphCount() const = 0;
};

struct GlyphRunInput {
    Point origin;
    double emSize = 0;
    std::u16string text;  // UnicodeString, "{}" escape already removed
    std::vector<GlyphMapping> mappings;
    bool sideways = false;
    bool rightToLeft = false;  // odd BidiLevel
};

struct PlacedGlyph {
    uint32_t index = 0;
    Point origin;  // where the glyph's own origin lands, in the element's space
    bool operator==(const PlacedGlyph&) const = default;
};

struct TextCluster {
    int bytes = 0;
    int glyphs = 0;
    bool operator==(const TextCluster&) const = default;
};

struct GlyphRunLayout {
    std::vector<PlacedGlyph> glyphs;
    std::string utf8;
    // Text to glyphs in glyph order; empty when the run has glyphs without
    // text or text without glyphs, so no mapping can be given.
    std::vector<TextCluster> clusters;
};

Parsed<GlyphRunLayout> LayOutGlyphRun(const GlyphRunInput& input, const FontMetrics& metrics);

// The UnicodeString value without its "{}" escape.
std::u16string_view UnescapeUnicodeString(std::u16string_view value);

}  // namespace tav::render
