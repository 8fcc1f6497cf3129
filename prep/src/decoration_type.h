// What a decoration's data asks to be drawn on a page: a text or bitmap
// watermark, a header/footer line, or nothing; and the opacity a watermark
// is drawn with.
#pragma once

#include <string>

#include "decoration_data.h"

enum class DecorationType {
    None,
    TextWatermark,
    BitmapWatermark,
    HeaderFooterLine,
};

// Watermark data: nothing when PageWatermark is Off, otherwise what the
// active entry's Type says. Header/footer data: the line, unless it is Off
// or it would be empty: date and time print only with a printer handle, a
// custom identification only with a name.
DecorationType DecorationTypeOf(const DecorationData& data);

// The Opacity of a watermark's Glyphs or image: "1.00" when it is opaque or
// an outlined text, "0.50" otherwise.
std::u16string WatermarkOpacityText(const DecorationData& data);
