// The XPS obfuscation of embedded fonts: the first 32 bytes of the font are
// combined (exclusive or) with a key made from the GUID that names the font
// part, "/Resources/0B5C3C2E-8A1D-4C1E-9F2A-3D4E5F607182.odttf". The same
// operation undoes it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "content/byte_reader.h"

namespace tav::host {

using FontKey = std::array<uint8_t, 16>;

// The key of a part name whose last segment, without its extension, is a
// GUID (with or without braces): the GUID's 16 bytes in the order its text
// writes them, reversed. Nothing for any other name.
std::optional<FontKey> FontObfuscationKey(std::string_view partName);

// Combines the bytes of data that lie at offsets [0, 32) of the font with
// the key; data starts at offset start of the font.
void ObfuscateFontBytes(uint8_t* data, size_t length, uint64_t start, const FontKey& key);

// Reads content with its first 32 bytes obfuscated.
std::unique_ptr<ByteReader> ObfuscatingReader(std::unique_ptr<ByteReader> content, const FontKey& key);

}  // namespace tav::host
