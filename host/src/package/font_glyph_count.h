// The number of glyphs a font part holds, read from its own tables (the
// numGlyphs of 'maxp'), so that glyph indices in page markup can be
// checked against it. Only the bytes up to that table are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "content/byte_reader.h"
#include "package/font_obfuscation.h"

namespace tav::host {

// The glyph count of face faceIndex (0 unless the font is a collection).
// key undoes the obfuscation of an obfuscated font part. Nothing, with
// *fault set, when the bytes are no font with a glyph count.
std::optional<uint32_t> FontGlyphCount(const PartContent& font, const std::optional<FontKey>& key, uint32_t faceIndex,
                                       std::string* fault);

}  // namespace tav::host
