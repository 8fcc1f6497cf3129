// Font measuring on the display context, against figures worked out from
// the faces' published metrics and against FreeType's own advances for the
// face fontconfig gives.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace {

// The file fontconfig's plain best match gives for a family, if that
// match is the family itself (not a substitute).
std::optional<std::string> InstalledFile(const char* family, const char* wantedFamily)
{
    FcInit();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::optional<std::string> file;
    FcChar8* path = nullptr;
    FcChar8* matchedFamily = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        std::string(reinterpret_cast<char*>(matchedFamily)) == wantedFamily) {
        file = reinterpret_cast<char*>(path);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

std::vector<BYTE> FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

LOGFONTW Font(const char16_t* face, LONG height, LONG weight = FW_NORMAL, BYTE italic = 0)
{
    LOGFONTW logfont{};
    logfont.lfHeight = height;
    logfont.lfWeight = weight;
    logfont.lfItalic = italic;
    logfont.lfCharSet = DEFAULT_CHARSET;
    logfont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    logfont.lfQuality = CLEARTYPE_QUALITY;
    std::char_traits<char16_t>::copy(logfont.lfFaceName, face, std::char_traits<char16_t>::length(face) + 1);
    return logfont;
}

// A display context with one font selected, released in the order the
// filters release it.
class Measuring {
public:
    explicit Measuring(const LOGFONTW& logfont)
    {
        dc_ = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
        font_ = CreateFontIndirectW(&logfont);
        if (dc_ && font_) replaced_ = SelectObject(dc_, font_);
    }
    ~Measuring()
    {
        if (replaced_) SelectObject(dc_, replaced_);
        if (font_) DeleteObject(font_);
        if (dc_) DeleteDC(dc_);
    }
    bool Ready() const { return replaced_ != nullptr; }
    HDC Dc() const { return dc_; }
    LONG Width(const std::u16string& text) const
    {
        SIZE size{-1, -1};
        EXPECT_TRUE(GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size));
        return size.cx;
    }
    std::u16string Face() const
    {
        WCHAR name[LF_FACESIZE] = {};
        GetTextFaceW(dc_, LF_FACESIZE, name);
        return name;
    }

private:
    HDC dc_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
};

#define REQUIRE_FAMILY(family)                \
    if (!InstalledFile(family, family))       \
    GTEST_SKIP() << "the " family             \
                    " face is not installed " \
                    "(scripts/install-deps installs it)"

TEST(Gdi, CommonFaceNamesGiveTheirMetricCompatibleFreeFaces)
{
    REQUIRE_FAMILY("Liberation Sans");
    REQUIRE_FAMILY("Liberation Serif");
    EXPECT_EQ(Measuring(Font(u"Arial", -96)).Face(), u"Liberation Sans");
    EXPECT_EQ(Measuring(Font(u"Times New Roman", -96)).Face(), u"Liberation Serif");
    // The vertical form of a name is the same face.
    EXPECT_EQ(Measuring(Font(u"@Arial", -96)).Face(), u"Liberation Sans");
}

TEST(Gdi, ArialMeasuresAsItsPublishedMetricsAt72Points)
{
    REQUIRE_FAMILY("Liberation Sans");
    // 72 points on the 96 dpi display: an em of 96 pixels over 2048 font
    // units. Advances of Arial: A 1366, W 1933, space 569, i 455; Windows
    // ascent 1854, descent 434.
    Measuring arial(Font(u"Arial", -MulDiv(72, 96, 72)));
    ASSERT_TRUE(arial.Ready());
    EXPECT_EQ(arial.Width(u"A"), 64);      // 64.03
    EXPECT_EQ(arial.Width(u"W"), 91);      // 90.61
    EXPECT_EQ(arial.Width(u"AW i"), 203);  // 64 + 91 + 27 (26.67) + 21 (21.33)
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(arial.Dc(), &metrics));
    EXPECT_EQ(metrics.tmAscent, 87);   // 86.91
    EXPECT_EQ(metrics.tmDescent, 20);  // 20.34
    EXPECT_EQ(metrics.tmHeight, 107);
    EXPECT_EQ(metrics.tmInternalLeading, 11);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(arial.Dc(), u"A", 1, &size));
    EXPECT_EQ(size.cy, 107);
    // A positive height is the cell height, 2288/2048 of the em: 143
    // pixels make an em of 128, where W advances 120.81 pixels.
    EXPECT_EQ(Measuring(Font(u"Arial", 143)).Width(u"W"), 121);
}

// FreeType's unhinted advance of each character at an em of em pixels,
// rounded to whole pixels character by character, from the file alone.
LONG FreeTypeWidth(const std::string& path, int em, const std::u32string& text)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    EXPECT_EQ(FT_New_Face(library, path.c_str(), 0, &face), 0);
    EXPECT_EQ(FT_Set_Pixel_Sizes(face, 0, em), 0);
    LONG width = 0;
    for (char32_t c : text) {
        EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
        width += std::lround(face->glyph->linearHoriAdvance / 65536.0);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return width;
}

TEST(Gdi, AdvancesAreFreeTypesAdvancesOfTheChosenFace)
{
    std::optional<std::string> path = InstalledFile("DejaVu Sans", "DejaVu Sans");
    if (!path) GTEST_SKIP() << "DejaVu Sans is not installed";
    for (int em : {13, 37, 96, 133}) {
        Measuring dejavu(Font(u"DejaVu Sans", -em));
        ASSERT_TRUE(dejavu.Ready());
        EXPECT_EQ(dejavu.Width(u"Watermark {draft} 2026"), FreeTypeWidth(*path, em, U"Watermark {draft} 2026"))
            << "em " << em;
        // A supplementary-plane character (MATHEMATICAL DOUBLE-STRUCK
        // CAPITAL A) is one character of two units, not two missing ones.
        EXPECT_EQ(dejavu.Width(u"x\U0001D538y"), FreeTypeWidth(*path, em, U"x\U0001D538y")) << "em " << em;
    }
}

TEST(Gdi, FontDataGivesTheFileAndItsTables)
{
    std::optional<std::string> path = InstalledFile("DejaVu Sans", "DejaVu Sans");
    if (!path) GTEST_SKIP() << "DejaVu Sans is not installed";
    std::vector<BYTE> file = FileBytes(*path);
    Measuring dejavu(Font(u"DejaVu Sans", -20));
    ASSERT_TRUE(dejavu.Ready());
    EXPECT_EQ(GetFontData(dejavu.Dc(), FontTableTag("ttcf"), 0, nullptr, 0), GDI_ERROR);
    DWORD size = GetFontData(dejavu.Dc(), 0, 0, nullptr, 0);
    ASSERT_EQ(size, file.size());
    std::vector<BYTE> data(size);
    ASSERT_EQ(GetFontData(dejavu.Dc(), 0, 0, data.data(), size), size);
    EXPECT_EQ(data, file);
    // The "head" table: 54 bytes, its magic number 5F0F3CF5 at byte 12.
    BYTE head[60] = {};
    ASSERT_EQ(GetFontData(dejavu.Dc(), FontTableTag("head"), 0, head, sizeof head), 54u);
    EXPECT_EQ(head[12] << 24 | head[13] << 16 | head[14] << 8 | head[15], 0x5F0F3CF5);
    BYTE tail[4] = {};
    EXPECT_EQ(GetFontData(dejavu.Dc(), FontTableTag("head"), 52, tail, sizeof tail), 2u);
    EXPECT_EQ(GetFontData(dejavu.Dc(), FontTableTag("head"), 55, tail, sizeof tail), GDI_ERROR);
    EXPECT_EQ(GetFontData(dejavu.Dc(), FontTableTag("zzzz"), 0, nullptr, 0), GDI_ERROR);
}

TEST(Gdi, HandlesAreCheckedAndSelectedFontsAreNotDeleted)
{
    EXPECT_EQ(CreateDCW(u"PRINTER", nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    HDC dc = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    LOGFONTW logfont = Font(u"DejaVu Sans", -12);
    HFONT font = CreateFontIndirectW(&logfont);
    ASSERT_NE(font, nullptr);
    HGDIOBJ stock = SelectObject(dc, font);
    ASSERT_NE(stock, nullptr);
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(GetLastError(), ERROR_BUSY);
    EXPECT_EQ(SelectObject(dc, stock), font);
    EXPECT_TRUE(DeleteObject(font));
    // The handle is gone: using it again fails instead of touching freed memory.
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc, font), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(DeleteDC(dc));
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32W(dc, u"a", 1, &size));
    EXPECT_EQ(GetFontData(dc, 0, 0, nullptr, 0), GDI_ERROR);
}

TEST(Gdi, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(72, 96, 72), 96);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);  // 13.33
    EXPECT_EQ(MulDiv(11, 96, 72), 15);  // 14.67
    EXPECT_EQ(MulDiv(3, 1, 2), 2);      // 1.5
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);  // does not fit
}

}  // namespace
