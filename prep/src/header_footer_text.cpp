#include "header_footer_text.h"

#include <utility>

#include "filtercore/errors.h"
#include "fragment_attributes.h"
#include "header_footer_geometry.h"
#include "platform/wformat.h"
#include "text_characters.h"
#include "text_watermark_geometry.h"

namespace {

std::u16string Coordinate(float value) { return FormatWideString(u"%.2f", static_cast<double>(value)); }

HRESULT CreateElement(IXMLDOMDocument2* document, const char16_t* name, ComPtr<IXMLDOMElement>& element)
{
    OwnedBstr text = OwnedBstr::Copy(name);
    return document->createElement(text.Get(), element.Out());
}

}  // namespace

HeaderFooterText::HeaderFooterText(const DecorationData& data, std::u16string line, TextFontCache& fonts)
    : PageDecoration(data, nullptr), line_(std::move(line))
{
    if (line_.empty()) throw CXDException(E_INVALIDARG);
    auto font = std::make_unique<FontResource>(data, line_, fonts);
    font_ = font.get();
    resource = std::move(font);
}

bool HeaderFooterText::Prints(const DecorationData& other, std::u16string_view line) const
{
    return other.kind == data.kind && other.headerFooter == data.headerFooter && line == line_;
}

HRESULT HeaderFooterText::RenderFragment(float pageWidth, float, const Gdiplus::RectF& imageableArea)
{
    if (!document || resourceUri.Get() == nullptr || resourceUri.Length() == 0) return E_UNEXPECTED;
    const HeaderFooterSettings& settings = data.headerFooter;
    const TextMeasurement& measured = font_->Measurement();
    const FontLineMetrics& lines = font_->LineMetrics();
    INT em = EmSizeOfPoints(settings.fontSize);
    LONG ascent = measured.metrics.tmAscent;
    LONG descent = measured.metrics.tmDescent;

    float width = HeaderFooterLineWidth(measured.textSize.cx, em, settings.fontItalicStyle != 0);
    float startX = HeaderFooterStartX(settings.positionX, pageWidth, imageableArea, width);
    float baseline = HeaderFooterBaseline(settings.positionY, imageableArea, ascent, descent);

    fragment.Reset();
    HRESULT hr = CreateElement(document.Get(), u"Canvas", fragment);
    if (FAILED(hr)) return hr;
    std::u16string textFill = font_->Fill();
    if (settings.background != 0) {
        LineBand box = BackgroundBand(startX, width, baseline, ascent, descent);
        std::u16string fill = FormatWideString(u"#%06X", static_cast<unsigned>(settings.backgroudColor) & 0xFFFFFFu);
        hr = AppendBand(box.left, box.top, box.right, box.bottom, fill);
        if (FAILED(hr)) return hr;
    }
    if (settings.fontUnderLine != 0) {
        LineBand under =
            DecorationLineBand(startX, width, baseline, em, lines.underlinePosition, lines.underlineThickness);
        hr = AppendBand(under.left, under.top, under.right, under.bottom, textFill);
        if (FAILED(hr)) return hr;
    }
    if (settings.fontStruckOut != 0) {
        LineBand struck = DecorationLineBand(startX, width, baseline, em, lines.strikeoutPosition, lines.strikeoutSize);
        hr = AppendBand(struck.left, struck.top, struck.right, struck.bottom, textFill);
        if (FAILED(hr)) return hr;
    }
    return AppendCharacters(startX, baseline);
}

// A closed Path through the band's corners: down the left edge's top first.
HRESULT HeaderFooterText::AppendBand(float left, float top, float right, float bottom, const std::u16string& fill)
{
    ComPtr<IXMLDOMElement> path;
    HRESULT hr = CreateElement(document.Get(), u"Path", path);
    std::u16string geometry = FormatWideString(
        u"M %.2f,%.2f L %.2f,%.2f %.2f,%.2f %.2f,%.2f z", static_cast<double>(left), static_cast<double>(bottom),
        static_cast<double>(left), static_cast<double>(top), static_cast<double>(right), static_cast<double>(top),
        static_cast<double>(right), static_cast<double>(bottom));
    if (SUCCEEDED(hr)) hr = SetFragmentAttribute(path.Get(), u"Data", geometry);
    if (SUCCEEDED(hr)) hr = SetFragmentAttribute(path.Get(), u"Fill", fill);
    if (SUCCEEDED(hr)) hr = fragment->appendChild(path.Get(), nullptr);
    return hr;
}

// One Glyphs per character, each at the x the advances before it reach: a
// character beyond the Basic Multilingual Plane names its glyph when the
// embedded face maps it.
HRESULT HeaderFooterText::AppendCharacters(float startX, float baseline)
{
    const TextMeasurement& measured = font_->Measurement();
    std::u16string fill = font_->Fill();
    std::u16string emSize = font_->EmSize();
    std::u16string_view simulations = font_->Simulations();
    std::u16string fontUri(resourceUri.Get(), resourceUri.Length());
    std::u16string originY = Coordinate(baseline);
    std::u16string_view text = line_;
    std::vector<TextCharacter> characters = SplitCharacters(text);
    float x = startX;
    for (size_t i = 0; i < characters.size(); ++i) {
        const TextCharacter& character = characters[i];
        std::u16string unicodeString = GlyphsUnicodeString(text.substr(character.first, character.units));
        std::u16string indices;
        if (character.units == 2) {
            if (std::optional<uint32_t> glyph = font_->GlyphIndexFor(character.codePoint))
                indices = FormatWideString(u"(2:1)%u", static_cast<unsigned>(*glyph));
        }
        std::u16string originX = Coordinate(x);
        ComPtr<IXMLDOMElement> glyphs;
        HRESULT hr = CreateElement(document.Get(), u"Glyphs", glyphs);
        const std::pair<const char16_t*, std::u16string_view> attributes[] = {
            {u"Fill", fill},
            {u"FontUri", fontUri},
            {u"FontRenderingEmSize", emSize},
            {u"StyleSimulations", simulations},
            {u"OriginX", originX},
            {u"OriginY", originY},
            {u"UnicodeString", unicodeString},
        };
        for (const auto& [attribute, value] : attributes) {
            if (SUCCEEDED(hr)) hr = SetFragmentAttribute(glyphs.Get(), attribute, value);
        }
        if (SUCCEEDED(hr) && !indices.empty()) hr = SetFragmentAttribute(glyphs.Get(), u"Indices", indices);
        if (SUCCEEDED(hr)) hr = fragment->appendChild(glyphs.Get(), nullptr);
        if (FAILED(hr)) return hr;
        if (i < measured.advances.size()) x += static_cast<float>(measured.advances[i]);
    }
    return S_OK;
}
