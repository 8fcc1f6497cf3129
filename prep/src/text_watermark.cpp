#include "text_watermark.h"

#include <utility>

#include "decoration_type.h"
#include "fragment_attributes.h"
#include "platform/wformat.h"
#include "text_watermark_geometry.h"

namespace {

std::u16string_view TextOf(const RecordString& text)
{
    return text.Get() == nullptr ? std::u16string_view() : std::u16string_view(text.Get(), SysStringLen(text.Get()));
}

std::u16string Coordinate(float value) { return FormatWideString(u"%.2f", static_cast<double>(value)); }

// "m11,m12,m21,m22,dx,dy" of the matrix; empty when its elements cannot be
// had.
std::u16string MatrixText(const Gdiplus::Matrix& matrix)
{
    Gdiplus::REAL m[6] = {};
    if (matrix.GetElements(m) != Gdiplus::Ok) return std::u16string();
    return FormatWideString(u"%.6f,%.6f,%.6f,%.6f,%.2f,%.2f", static_cast<double>(m[0]), static_cast<double>(m[1]),
                            static_cast<double>(m[2]), static_cast<double>(m[3]), static_cast<double>(m[4]),
                            static_cast<double>(m[5]));
}

}  // namespace

TextWatermark::TextWatermark(const DecorationData& data, TextFontCache& fonts)
    : TextWatermark(data, std::make_unique<FontResource>(data, TextOf(data.activeEntry.text), fonts))
{
}

TextWatermark::TextWatermark(const DecorationData& data, std::unique_ptr<FontResource> font)
    : PageDecoration(data, nullptr), font_(font.get())
{
    resource = std::move(font);
}

bool TextWatermark::DrawnFrom(const DecorationData& other) const
{
    return other.kind == data.kind && other.watermarkOptions == data.watermarkOptions &&
           other.activeEntry == data.activeEntry;
}

HRESULT TextWatermark::RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF&)
{
    if (!document || resourceUri.Get() == nullptr || resourceUri.Length() == 0) return E_UNEXPECTED;
    const WatermarkEntry& entry = data.activeEntry;
    const TextMeasurement& measured = font_->Measurement();

    GlyphsText text;
    text.fill = font_->Fill();
    text.opacity = WatermarkOpacityText(data);
    text.emSize = font_->EmSize();
    text.simulations = font_->Simulations();
    text.unicodeString = GlyphsUnicodeString(TextOf(entry.text));
    text.transform = MatrixText(
        WatermarkTransform(entry.angle, WatermarkAnchor(entry.positionX, entry.positionY, pageWidth, pageHeight)));
    if (text.transform.empty()) return E_FAIL;
    bool outlined = DecorationTypeOf(data) == DecorationType::TextWatermark && data.watermarkOptions.outlineTxt != 0;
    bool transparent = data.watermarkOptions.overlayMethod == 0;
    Gdiplus::PointF origin =
        CentredGlyphOrigin(measured.textSize.cx, measured.metrics.tmAscent, measured.metrics.tmDescent);

    fragment.Reset();
    underContentCopy.Reset();
    OwnedBstr canvas = OwnedBstr::Copy(u"Canvas");
    HRESULT hr = document->createElement(canvas.Get(), fragment.Out());
    if (FAILED(hr)) return hr;
    if (!outlined) return AppendGlyphs(text, origin, false);

    // A copy that cannot be made leaves the outline without it; the others
    // still draw.
    for (const OutlineCopy& copy : OutlineCopies(origin)) AppendGlyphs(text, copy.origin, copy.white);
    hr = fragment->cloneNode(VARIANT_TRUE, underContentCopy.Out());
    if (SUCCEEDED(hr) && transparent) hr = SetFragmentAttribute(fragment.Get(), u"Opacity", u"0.5");
    return hr;
}

HRESULT TextWatermark::AppendGlyphs(const GlyphsText& text, Gdiplus::PointF origin, bool white)
{
    ComPtr<IXMLDOMElement> glyphs;
    OwnedBstr name = OwnedBstr::Copy(u"Glyphs");
    HRESULT hr = document->createElement(name.Get(), glyphs.Out());
    std::u16string originX = Coordinate(origin.X);
    std::u16string originY = Coordinate(origin.Y);
    const std::pair<const char16_t*, std::u16string_view> attributes[] = {
        {u"Fill", white ? std::u16string_view(u"#ffffff") : std::u16string_view(text.fill)},
        {u"Opacity", text.opacity},
        {u"RenderTransform", text.transform},
        {u"FontUri", std::u16string_view(resourceUri.Get(), resourceUri.Length())},
        {u"FontRenderingEmSize", text.emSize},
        {u"StyleSimulations", text.simulations},
        {u"OriginX", originX},
        {u"OriginY", originY},
        {u"UnicodeString", text.unicodeString},
    };
    for (const auto& [attribute, value] : attributes) {
        if (SUCCEEDED(hr)) hr = SetFragmentAttribute(glyphs.Get(), attribute, value);
    }
    if (SUCCEEDED(hr)) hr = fragment->appendChild(glyphs.Get(), nullptr);
    return hr;
}
