// TextWatermark: a text turned and placed on the page, drawn with Glyphs
// in a font part of the job. The glyph run is centred on its own (0, 0),
// which the RenderTransform turns by the angle and moves to the anchor.
// Outlined, it is nine copies: eight in the colour around the text and a
// white one on top; transparent and outlined, a copy of those nine goes
// under the content at full strength and the Canvas over the content is
// drawn at half.
#pragma once

#include "font_resource.h"
#include "page_decoration.h"

class TextWatermark final : public PageDecoration {
public:
    // Measures the active entry's text and reads its font, or has them from
    // the job's fonts; raises CXDException when that fails (see
    // FontResource).
    TextWatermark(const DecorationData& data, TextFontCache& fonts);

    // Whether the watermark is the one data asks for (the same entry and
    // options), so that it may serve that page as well.
    bool DrawnFrom(const DecorationData& data) const;

private:
    // E_UNEXPECTED until PrepareResources gave the font part's name.
    HRESULT RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea) override;

    TextWatermark(const DecorationData& data, std::unique_ptr<FontResource> font);

    // The attributes every Glyphs of the watermark shares.
    struct GlyphsText {
        std::u16string fill;
        std::u16string opacity;
        std::u16string transform;
        std::u16string emSize;
        std::u16string simulations;
        std::u16string unicodeString;
    };
    HRESULT AppendGlyphs(const GlyphsText& text, Gdiplus::PointF origin, bool white);

    FontResource* font_;  // owned by the base as its resource
};
