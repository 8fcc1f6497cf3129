#include "scaled_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>

#include "platform/base.h"

namespace tav::text {
namespace {

// The em height when the LOGFONTW gives none: 12 points on the display.
constexpr double kDefaultEmPixels = 16;

// Each face has its own FreeType library, so fonts never share FreeType
// state.
struct FreeTypeHandles {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeHandles()
    {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

LONG Round(double value) { return static_cast<LONG>(std::lround(value)); }

bool IsCollection(const std::vector<BYTE>& bytes)
{
    return bytes.size() >= 4 && bytes[0] == 't' && bytes[1] == 't' && bytes[2] == 'c' && bytes[3] == 'f';
}

std::string FaceNameUtf8(const LOGFONTW& logfont)
{
    const WCHAR* name = logfont.lfFaceName;
    size_t length = 0;
    while (length < LF_FACESIZE && name[length] != 0) ++length;
    // "@Name" is the vertical form of Name: the same face.
    if (length > 0 && name[0] == u'@') {
        ++name;
        --length;
    }
    if (length == 0) return {};
    int needed = WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(length), utf8.data(), needed, nullptr, nullptr);
    }
    return utf8;
}

// Vertical extents in font units: the Windows ascent and descent of the
// OS/2 table, which is what the display measures with, or the horizontal
// header's when the face has no OS/2 table.
struct VerticalUnits {
    double ascent;
    double descent;
    double lineGap;
};

VerticalUnits VerticalUnitsOf(FT_Face face)
{
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    double hheaAscent = hhea ? hhea->Ascender : face->ascender;
    double hheaDescent = hhea ? -hhea->Descender : -face->descender;
    double hheaGap = hhea ? hhea->Line_Gap : 0;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        double ascent = os2->usWinAscent;
        double descent = os2->usWinDescent;
        // The external leading is what the horizontal line spacing adds
        // beyond the Windows extents.
        double gap = std::max(0.0, hheaAscent + hheaDescent + hheaGap - ascent - descent);
        return {ascent, descent, gap};
    }
    return {hheaAscent, hheaDescent, std::max(0.0, hheaGap)};
}

std::u16string Utf16(const char* text)
{
    if (text == nullptr) return {};
    int needed = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (needed <= 1) return {};
    std::u16string result(static_cast<size_t>(needed), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, result.data(), needed);
    result.pop_back();
    return result;
}

}  // namespace

struct ScaledFont::Face : FreeTypeHandles {};

std::unique_ptr<ScaledFont> ScaledFont::Create(const LOGFONTW& logfont, DWORD* error)
{
    LONG weight = logfont.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(logfont.lfWeight, 1000);
    std::optional<FontLocation> location = FindFontFile(FaceNameUtf8(logfont), weight, logfont.lfItalic != 0);
    if (!location) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    FontBytes bytes = ReadFontFile(location->path);
    if (!bytes) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    auto face = std::make_unique<Face>();
    if (FT_Init_FreeType(&face->library) != 0) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    if (FT_New_Memory_Face(face->library, bytes->data(), static_cast<FT_Long>(bytes->size()), location->index,
                           &face->face) != 0 ||
        !FT_IS_SFNT(face->face) || !FT_IS_SCALABLE(face->face) || face->face->units_per_EM == 0) {
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    VerticalUnits units = VerticalUnitsOf(face->face);
    double emPixels = kDefaultEmPixels;
    if (logfont.lfHeight < 0) {
        emPixels = -static_cast<double>(logfont.lfHeight);
    } else if (logfont.lfHeight > 0 && units.ascent + units.descent > 0) {
        emPixels = logfont.lfHeight * face->face->units_per_EM / (units.ascent + units.descent);
    }
    std::unique_ptr<ScaledFont> font(new ScaledFont(std::move(face), std::move(bytes), emPixels));
    font->ReadMetrics(logfont);
    return font;
}

ScaledFont::ScaledFont(std::unique_ptr<Face> face, FontBytes bytes, double emPixels)
    : face_(std::move(face)), bytes_(std::move(bytes)), emPixels_(emPixels)
{
}

ScaledFont::~ScaledFont() = default;

void ScaledFont::ReadMetrics(const LOGFONTW& logfont)
{
    FT_Face face = face_->face;
    double scale = emPixels_ / face->units_per_EM;
    VerticalUnits units = VerticalUnitsOf(face);
    TEXTMETRICW& m = metrics_;
    m.tmAscent = Round(units.ascent * scale);
    m.tmDescent = Round(units.descent * scale);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max<LONG>(0, m.tmHeight - Round(emPixels_));
    m.tmExternalLeading = Round(units.lineGap * scale);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    bool hasOs2 = os2 != nullptr && os2->version != 0xFFFF;
    m.tmAveCharWidth = hasOs2 ? Round(os2->xAvgCharWidth * scale) : Advance(U'x');
    m.tmMaxCharWidth = hhea ? Round(hhea->advance_Width_Max * scale) : Round(face->max_advance_width * scale);
    m.tmWeight = hasOs2 && os2->usWeightClass != 0 ? os2->usWeightClass
                                                   : ((face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL);
    m.tmDigitizedAspectX = 96;
    m.tmDigitizedAspectY = 96;
    m.tmFirstChar = hasOs2 ? os2->usFirstCharIndex : 0x20;
    m.tmLastChar = hasOs2 ? os2->usLastCharIndex : 0xFFFF;
    m.tmDefaultChar = hasOs2 && os2->version >= 2 ? os2->usDefaultChar : 0;
    m.tmBreakChar = hasOs2 && os2->version >= 2 ? os2->usBreakChar : 0x20;
    m.tmItalic = (logfont.lfItalic != 0 || (face->style_flags & FT_STYLE_FLAG_ITALIC)) ? 1 : 0;
    m.tmUnderlined = logfont.lfUnderline != 0 ? 1 : 0;
    m.tmStruckOut = logfont.lfStrikeOut != 0 ? 1 : 0;
    // Scalable TrueType outlines; the lowest bit set means variable pitch.
    constexpr BYTE kVariablePitch = 0x01, kVector = 0x02, kTrueType = 0x04;
    m.tmPitchAndFamily = kVector | kTrueType | (FT_IS_FIXED_WIDTH(face) ? 0 : kVariablePitch);
    m.tmCharSet = logfont.lfCharSet == DEFAULT_CHARSET ? 0 : logfont.lfCharSet;
    familyName_ = Utf16(face->family_name);
}

LONG ScaledFont::Advance(char32_t codePoint) const
{
    FT_Face face = face_->face;
    FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
    FT_Fixed units = 0;
    if (FT_Get_Advance(face, glyph, FT_LOAD_NO_SCALE, &units) != 0) return 0;
    return Round(static_cast<double>(units) * emPixels_ / face->units_per_EM);
}

bool ScaledFont::TableData(DWORD table, const BYTE** data, size_t* length)
{
    const std::vector<BYTE>& file = *bytes_;
    if (table == 0 || (table == FontTableTag("ttcf") && IsCollection(file))) {
        *data = file.data();
        *length = file.size();
        return true;
    }
    auto cached = tables_.find(table);
    if (cached == tables_.end()) {
        // The tag as the font writes it: the first character highest.
        FT_ULong tag = FT_MAKE_TAG(table & 0xFF, (table >> 8) & 0xFF, (table >> 16) & 0xFF, table >> 24);
        FT_ULong size = 0;
        if (FT_Load_Sfnt_Table(face_->face, tag, 0, nullptr, &size) != 0) return false;
        std::vector<BYTE> copy(size);
        if (size > 0 && FT_Load_Sfnt_Table(face_->face, tag, 0, copy.data(), &size) != 0) return false;
        cached = tables_.emplace(table, std::move(copy)).first;
    }
    *data = cached->second.data();
    *length = cached->second.size();
    return true;
}

}  // namespace tav::text
