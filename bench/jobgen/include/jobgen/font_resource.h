// The TrueType font a generated job embeds, and XPS font obfuscation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jobgen {

// DejaVu Sans from the system (package fonts-dejavu-core): its usual path,
// else what fontconfig's fc-match names. Throws std::runtime_error when
// neither gives a TrueType file.
std::string FindDefaultFont();

// The font file's bytes; throws std::runtime_error when it cannot be read or
// does not start like a TrueType or OpenType font.
std::vector<uint8_t> LoadFontFile(const std::string& path);

// XPS obfuscation: the first 32 bytes of the font are combined (XOR) with the
// 16-byte key that the GUID in the font part's name stands for. `guid` is
// the GUID's text form (32 hexadecimal digits, with or without dashes and
// braces). Applying it twice gives back the font. Throws
// std::invalid_argument for a malformed GUID or a font shorter than 32 bytes.
void ObfuscateFont(std::vector<uint8_t>& font, std::string_view guid);

}  // namespace jobgen
