// The machine's own fonts for the tests, found through fontconfig, and
// FreeType's reading of font data to check ours against.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The bytes of the installed file of a family, when fontconfig's best match
// for the family is the family itself.
std::optional<std::vector<uint8_t>> InstalledFontFile(const std::string& family);

// What FreeType reads from font data (face index in a collection).
struct FreeTypeFace {
    bool opened = false;
    std::string family;
    long glyphCount = 0;
    long faceCount = 0;
};
FreeTypeFace ReadWithFreeType(const std::vector<uint8_t>& data, long faceIndex = 0);
// FreeType's unhinted advance of a code point at an em of em pixels,
// rounded to whole pixels.
long FreeTypeAdvance(const std::vector<uint8_t>& data, int em, char32_t codePoint);
// FreeType's glyph of a code point, 0 for none.
uint32_t FreeTypeGlyph(const std::vector<uint8_t>& data, char32_t codePoint);

// FreeType's raw values of the "OS/2" strikeout and "post" underline and
// the em, in font units.
struct FreeTypeLineUnits {
    int unitsPerEm = 0;
    int strikeoutPosition = 0;
    int strikeoutSize = 0;
    int underlinePosition = 0;
    int underlineThickness = 0;
};
std::optional<FreeTypeLineUnits> FreeTypeLines(const std::vector<uint8_t>& data);
