// The rules that tie a Glyphs element's UnicodeString, Indices and
// BidiLevel together, as pure functions of the attributes' text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tav::host::page_schema {

// What an Indices value holds, read by ReadIndices.
struct GlyphIndices {
    size_t glyphs = 0;                      // glyph entries (separated by ';')
    size_t codeUnits = 0;                   // UTF-16 code units the entries map
    bool clusterMap = false;                // some entry carries "(characters[:glyphs])"
    std::optional<uint32_t> maxGlyphIndex;  // the largest index given, if any
};

// Reads an Indices value: entries separated by ';', each an optional
// cluster mapping "(characters[:glyphs])", an optional glyph index and up
// to three numbers after commas (advance, u and v offset). Null, or why
// the value is malformed.
const char* ReadIndices(std::string_view text, GlyphIndices* indices);

// The characters of a UnicodeString as the markup means them: a value
// beginning with "{}" has that escape removed. Null, or why the value
// cannot stand (a "{" without the escape).
const char* UnescapeUnicodeString(std::string_view text, std::string_view* characters);

// The length of UTF-8 text in UTF-16 code units.
size_t Utf16Length(std::string_view utf8);

struct GlyphsAttributes {
    std::optional<std::string_view> unicodeString;  // as given, escape included
    std::optional<std::string_view> indices;
    std::optional<std::string_view> bidiLevel;
    std::optional<std::string_view> isSideways;
};

// The rules between the attributes of one Glyphs element (each value
// already of its own valid form): some text or indices to show, no more
// glyph entries than characters unless a cluster map says how they map, a
// cluster map only over text it covers, no sideways right-to-left run.
// Null, or the rule broken; *indices receives what Indices holds.
const char* CheckGlyphsRules(const GlyphsAttributes& attributes, GlyphIndices* indices);

}  // namespace tav::host::page_schema
