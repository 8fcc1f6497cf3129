#include "installed_fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <fstream>
#include <iterator>

std::optional<std::vector<uint8_t>> InstalledFontFile(const std::string& family)
{
    FcInit();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* path = nullptr;
    FcChar8* found = nullptr;
    std::optional<std::vector<uint8_t>> bytes;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
        family == reinterpret_cast<const char*>(found)) {
        std::ifstream in(reinterpret_cast<const char*>(path), std::ios::binary);
        bytes = std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return bytes;
}

namespace {

struct Library {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    Library(const std::vector<uint8_t>& data, long index)
    {
        if (FT_Init_FreeType(&library) == 0 &&
            FT_New_Memory_Face(library, data.data(), static_cast<FT_Long>(data.size()), index, &face) != 0) {
            face = nullptr;
        }
    }
    ~Library()
    {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

}  // namespace

FreeTypeFace ReadWithFreeType(const std::vector<uint8_t>& data, long faceIndex)
{
    Library ft(data, faceIndex);
    if (!ft.face) return {};
    return {true, ft.face->family_name ? ft.face->family_name : "", ft.face->num_glyphs, ft.face->num_faces};
}

long FreeTypeAdvance(const std::vector<uint8_t>& data, int em, char32_t codePoint)
{
    Library ft(data, 0);
    if (!ft.face || FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(em)) != 0 ||
        FT_Load_Char(ft.face, codePoint, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
        return -1;
    }
    return std::lround(ft.face->glyph->linearHoriAdvance / 65536.0);
}

uint32_t FreeTypeGlyph(const std::vector<uint8_t>& data, char32_t codePoint)
{
    Library ft(data, 0);
    return ft.face ? FT_Get_Char_Index(ft.face, codePoint) : 0;
}

std::optional<FreeTypeLineUnits> FreeTypeLines(const std::vector<uint8_t>& data)
{
    Library ft(data, 0);
    if (!ft.face) return std::nullopt;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft.face, FT_SFNT_OS2));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(ft.face, FT_SFNT_POST));
    if (!os2 || !post) return std::nullopt;
    return FreeTypeLineUnits{ft.face->units_per_EM, os2->yStrikeoutPosition, os2->yStrikeoutSize,
                             post->underlinePosition, post->underlineThickness};
}
