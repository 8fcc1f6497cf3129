// HeaderFooterText: the line of date, time and identification at the top or
// bottom of the page, inside the printable area, drawn one Glyphs per
// character in a font part of the job, over an optional background box and
// with an optional underline and strikeout.
#pragma once

#include <string>
#include <string_view>

#include "font_resource.h"
#include "page_decoration.h"

class HeaderFooterText final : public PageDecoration {
public:
    // The line composed for data (ComposeLine), measured and its font read,
    // or had from the job's fonts. Raises CXDException with E_INVALIDARG for
    // an empty line, or the failure of the font (see FontResource).
    HeaderFooterText(const DecorationData& data, std::u16string line, TextFontCache& fonts);

    const std::u16string& Line() const { return line_; }
    // Whether the line is the one data and line ask for (the same settings
    // and text), so that it may serve that page as well.
    bool Prints(const DecorationData& data, std::u16string_view line) const;

private:
    // E_UNEXPECTED until PrepareResources gave the font part's name.
    HRESULT RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea) override;

    HRESULT AppendBand(float left, float top, float right, float bottom, const std::u16string& fill);
    HRESULT AppendCharacters(float startX, float baseline);

    // Composed once: what is measured is what is drawn.
    std::u16string line_;
    FontResource* font_;  // owned by the base as its resource
};
