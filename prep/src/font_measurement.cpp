#include "font_measurement.h"

#include "filtercore/errors.h"
#include "text_characters.h"

namespace {

HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// GetFontData of a whole table into a buffer; GDI_ERROR raises.
std::vector<uint8_t> ReadFontTable(HDC dc, DWORD table, DWORD size)
{
    std::vector<uint8_t> bytes(size);
    if (GetFontData(dc, table, 0, bytes.data(), size) != size) throw CXDException(LastErrorResult());
    return bytes;
}

// The face of a collection to embed: the one whose full name is the face
// name asked for, or else the one whose name is the family the context
// actually chose (a substitute of a face that is not installed).
std::vector<uint8_t> CollectionFace(HDC dc, FontBytesView collection, std::u16string_view faceName)
{
    try {
        return ExtractCollectionFace(collection, faceName);
    } catch (const FontDataError&) {
        WCHAR chosen[LF_FACESIZE] = {};
        if (GetTextFaceW(dc, LF_FACESIZE, chosen) == 0 || faceName == std::u16string_view(chosen)) throw;
        return ExtractCollectionFace(collection, chosen);
    }
}

}  // namespace

LOGFONTW LogFontFor(const TextFont& font, bool bold, bool italic, int logPixelsY)
{
    if (font.faceName.empty() || font.faceName.size() >= LF_FACESIZE) throw CXDException(E_INVALIDARG);
    LOGFONTW logfont{};
    logfont.lfHeight = -MulDiv(font.pointSize, logPixelsY, 72);
    logfont.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    logfont.lfItalic = italic ? 1 : 0;
    logfont.lfCharSet = font.charSet;
    logfont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    logfont.lfQuality = CLEARTYPE_QUALITY;
    font.faceName.copy(logfont.lfFaceName, font.faceName.size());
    return logfont;
}

DisplayFont::DisplayFont()
{
    dc_ = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    if (dc_ == nullptr) throw CXDException(LastErrorResult());
}

DisplayFont::~DisplayFont()
{
    Release();
    DeleteDC(dc_);
}

void DisplayFont::Select(const TextFont& font, bool bold, bool italic)
{
    LOGFONTW logfont = LogFontFor(font, bold, italic, GetDeviceCaps(dc_, LOGPIXELSY));
    Release();
    font_ = CreateFontIndirectW(&logfont);
    if (font_ == nullptr) throw CXDException(LastErrorResult());
    replaced_ = SelectObject(dc_, font_);
    if (replaced_ == nullptr) {
        HRESULT result = LastErrorResult();
        DeleteObject(font_);
        font_ = nullptr;
        throw CXDException(result);
    }
}

void DisplayFont::Release()
{
    if (replaced_ != nullptr) SelectObject(dc_, replaced_);
    if (font_ != nullptr) DeleteObject(font_);
    replaced_ = nullptr;
    font_ = nullptr;
}

TextMeasurement MeasureText(DisplayFont& display, const TextFont& font, std::u16string_view text)
{
    display.Select(font, font.bold, font.italic);
    TextMeasurement measured;
    std::vector<TextCharacter> characters = SplitCharacters(text);
    measured.glyphCount = characters.size();
    measured.advances.reserve(characters.size());
    for (const TextCharacter& character : characters) {
        SIZE extent{};
        if (!GetTextExtentPoint32W(display.Dc(), text.data() + character.first, static_cast<int>(character.units),
                                   &extent)) {
            throw CXDException(LastErrorResult());
        }
        measured.advances.push_back(extent.cx);
    }
    if (!GetTextExtentPoint32W(display.Dc(), text.data(), static_cast<int>(text.size()), &measured.textSize) ||
        !GetTextMetricsW(display.Dc(), &measured.metrics)) {
        throw CXDException(LastErrorResult());
    }
    return measured;
}

EmbeddedFont ReadEmbeddedFont(DisplayFont& display, const TextFont& font)
{
    display.Select(font, false, false);
    HDC dc = display.Dc();
    EmbeddedFont embedded;
    DWORD collectionSize = GetFontData(dc, FontTableTag("ttcf"), 0, nullptr, 0);
    if (collectionSize != GDI_ERROR && collectionSize != 0) {
        std::vector<uint8_t> collection = ReadFontTable(dc, FontTableTag("ttcf"), collectionSize);
        embedded.bytes = CollectionFace(dc, collection, font.faceName);
    } else {
        DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
        if (size == GDI_ERROR) throw CXDException(LastErrorResult());
        embedded.bytes = ReadFontTable(dc, 0, size);
    }
    embedded.lines = ReadLineMetrics(embedded.bytes);
    return embedded;
}
