// HeaderFooterText: the line of date, time and identification at the top or
// bottom of the page, inside the printable area, drawn one Glyphs per
// character in a font part of the job, over an optional background box and
// with an optional underline and strikeout.
#pragma once

#include <string>

#include "font_resource.h"
#include "language_library.h"
#include "page_decoration.h"

class HeaderFooterText final : public PageDecoration {
public:
    // Composes the line (ComposeLine), measures it and reads its font, with
    // the job's language library and fonts. Raises CXDException with the
    // composition's failure (the page then goes without the line),
    // E_INVALIDARG for a line that composes empty, or the failure of the
    // font (see FontResource).
    HeaderFooterText(const DecorationData& data, LanguageLibrary& languages, TextFontCache& fonts);

    // E_UNEXPECTED until PrepareResources gave the font part's name.
    HRESULT Render(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea) override;

    const std::u16string& Line() const { return line_; }

private:
    HeaderFooterText(const DecorationData& data, std::u16string line, TextFontCache& fonts);

    HRESULT AppendBand(float left, float top, float right, float bottom, const std::u16string& fill);
    HRESULT AppendCharacters(float startX, float baseline);

    // Composed once: what is measured is what is drawn.
    std::u16string line_;
    FontResource* font_;  // owned by the base as its resource
};
