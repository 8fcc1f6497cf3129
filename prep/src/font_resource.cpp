#include "font_resource.h"

#include "decoration_type.h"
#include "filtercore/errors.h"
#include "filtercore/failure_note.h"
#include "font_part.h"
#include "platform/wformat.h"
#include "text_watermark_geometry.h"

namespace {

std::u16string TextOf(const RecordString& text)
{
    return text.Get() == nullptr ? std::u16string() : std::u16string(text.Get(), SysStringLen(text.Get()));
}

HRESULT CopyOut(std::u16string_view text, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

TextFont TextFontFor(const DecorationData& data)
{
    TextFont font;
    if (data.kind == kWatermarkDecoration) {
        const WatermarkEntry& entry = data.activeEntry;
        font.faceName = TextOf(entry.fontName);
        font.pointSize = entry.fontSize;
        font.bold = entry.fontBoldStyle != 0;
        font.italic = entry.fontItalicStyle != 0;
        font.charSet = static_cast<BYTE>(entry.subData & 0xFF);
    } else {
        const HeaderFooterSettings& line = data.headerFooter;
        font.faceName = TextOf(line.fontName);
        font.pointSize = line.fontSize;
        font.bold = line.fontBoldStyle != 0;
        font.italic = line.fontItalicStyle != 0;
        font.charSet = line.fontCharSet;
    }
    return font;
}

FontResource::FontResource(const DecorationData& data, std::u16string_view text, TextFontCache& fonts)
    : font_(TextFontFor(data)),
      colour_(data.kind == kWatermarkDecoration ? data.activeEntry.fontColor : data.headerFooter.fontColor)
{
    HRESULT hr = CoCreateGuid(&partGuid_);
    if (FAILED(hr)) throw CXDException(hr);
    DecorationType type = DecorationTypeOf(data);
    if (type != DecorationType::TextWatermark && type != DecorationType::HeaderFooterLine)
        throw CXDException(E_INVALIDARG);
    // A size below one point would be drawn with an em size of 0 or less,
    // which no Glyphs may have.
    if (font_.pointSize < 1 || EmSizeOfPoints(font_.pointSize) < 1) throw CXDException(E_INVALIDARG);
    try {
        measured_ = fonts.Measure(font_, text);
        embedded_ = fonts.Embedded(font_);
    } catch (const FontDataError& damaged) {
        std::string reason = damaged.what();
        NoteFailure(E_FAIL, u"",
                    u"the font \"" + font_.faceName + u"\" cannot be embedded: " +
                        std::u16string(reason.begin(), reason.end()));
        throw CXDException(E_FAIL);
    }
}

HRESULT FontResource::WriteContent(IUnknown* part, IPrintWriteStream* stream)
{
    return WriteFontPart(part, stream, embedded_->bytes);
}

HRESULT FontResource::GetKey(BSTR* key) { return CopyOut(font_.faceName, key); }

HRESULT FontResource::GetPartUri(BSTR* uri) { return CopyOut(FontPartUri(partGuid_), uri); }

std::optional<uint32_t> FontResource::GlyphIndexFor(char32_t codePoint) const
{
    try {
        return ::GlyphIndexFor(embedded_->bytes, codePoint);
    } catch (const FontDataError&) {
        return std::nullopt;
    }
}

// Only the colour's 24 bits: a larger value would write a colour of seven
// or eight digits, which reads as another colour with an alpha or not at
// all.
std::u16string FontResource::Fill() const
{
    return FormatWideString(u"#%06X", static_cast<unsigned>(colour_) & 0xFFFFFFu);
}

std::u16string_view FontResource::Simulations() const { return StyleSimulations(font_.bold, font_.italic); }

std::u16string FontResource::EmSize() const { return FormatWideString(u"%d", EmSizeOfPoints(font_.pointSize)); }
