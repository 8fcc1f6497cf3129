// Reading the data of a TrueType or OpenType font, as the text decorations
// embed and use it: one face copied out of a font collection, the face's
// full name, the metrics of underline and strikeout, and the glyph of a
// supplementary-plane character.
//
// Font data comes from files anybody may have installed, so it is read as
// untrusted: every count, offset and length is checked against the size of
// the data before it is used, and a font that does not hold together raises
// FontDataError saying what is wrong with it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using FontBytesView = std::span<const uint8_t>;

class FontDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A table of a font: its tag ("head"), checksum and place in the data.
struct FontTableEntry {
    uint32_t tag;
    uint32_t checksum;
    uint32_t offset;
    uint32_t length;
};

// The tag as the font writes it, the first character in the highest byte.
constexpr uint32_t FontTag(const char (&tag)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(tag[0])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(tag[1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(tag[2])) << 8 | static_cast<uint8_t>(tag[3]);
}

// The table directory of the face whose offset table starts at faceOffset
// (0 for a font file; a collection lists its faces' offsets). Every table
// must lie within the data.
std::vector<FontTableEntry> ReadTableDirectory(FontBytesView data, size_t faceOffset);

// The table of that tag in a directory, or nothing.
std::optional<FontBytesView> FindTable(FontBytesView data, const std::vector<FontTableEntry>& directory, uint32_t tag);

// Whether the face's "name" table holds a full font name (Windows platform,
// Unicode encoding, name 4, any language) equal to faceName. A leading "@",
// which names the vertical form of a face, is left out of faceName.
bool HasFullName(FontBytesView data, const std::vector<FontTableEntry>& directory, std::u16string_view faceName);

// Whether the data is a font collection (it begins with "ttcf").
bool IsFontCollection(FontBytesView data);

// The face of a collection whose full name is faceName, copied out as a
// font file of its own: offset table, table directory and the tables, each
// table starting on a four-byte boundary right after the one before it,
// with lengths and checksums as they were. Raises FontDataError when no
// face has that name.
std::vector<uint8_t> ExtractCollectionFace(FontBytesView collection, std::u16string_view faceName);

// Underline and strikeout of a face, in fractions of its em, y upwards.
struct FontLineMetrics {
    float strikeoutPosition;
    float strikeoutSize;
    float underlinePosition;
    float underlineThickness;
};

// The line metrics used when a font lacks "head", "OS/2" or "post": a
// strikeout 5/96 em above the baseline, an underline 0.28125 em below it,
// both 1/16 em thick.
inline constexpr FontLineMetrics kDefaultLineMetrics = {0.052083336f, 0.0625f, -0.28125f, 0.0625f};

// The line metrics of a font file: from "head" (its em), "OS/2" (the
// strikeout) and "post" (the underline) when it has all three, long enough
// to hold the values; kDefaultLineMetrics otherwise.
FontLineMetrics ReadLineMetrics(FontBytesView font);

// The glyph of a code point in a font file's segmented coverage (format 12)
// character map, the only map with characters beyond the Basic
// Multilingual Plane; nothing when the font has no such map, the map lacks
// the character, or the glyph lies past the font's glyph count.
std::optional<uint32_t> GlyphIndexFor(FontBytesView font, char32_t codePoint);
