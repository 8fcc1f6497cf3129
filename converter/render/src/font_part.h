// Font parts as the page names them: the part name and face index of a
// FontUri value, and the obfuscated form of embedded fonts (".odttf"), whose
// first 32 bytes are XORed with a key made from the GUID in the part's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parsed.h"

namespace tav::render {

struct FontReference {
    std::string part;   // the part name, without fragment
    uint32_t face = 0;  // face of a TrueType collection, from "#n"
};
Parsed<FontReference> ParseFontUri(std::string_view uri);

// The 16-byte key of an obfuscated font part: the GUID of the part's file
// name ("B03B02B01B00-B11B10-B21B20-B30B31-B32B33B34B35B36B37.odttf", braces
// allowed) read as 16 hexadecimal byte pairs, last pair first. False when
// the name holds no GUID.
bool ObfuscationKey(std::string_view partName, uint8_t key[16]);

// Whether the part is obfuscated: named ".odttf" or by a GUID, and not
// starting like a font file.
bool LooksObfuscated(std::string_view partName, const std::vector<uint8_t>& data);

// Undoes (or applies: the operation is its own inverse) the obfuscation in
// place. Fails when the name holds no GUID or the data is shorter than 32
// bytes.
Parsed<bool> Deobfuscate(std::string_view partName, std::vector<uint8_t>* data);

}  // namespace tav::render
