// Where a bitmap watermark lies on the page, from numbers alone: the
// image's size in XPS units, its rectangle on the page, and the texts of
// the Path and ImageBrush that draw it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdiplus_types.h"

// An image's size in XPS units (1/96 inch).
struct ImageExtent {
    double width = 0;
    double height = 0;
};

// width x 96 / horizontal dpi by height x 96 / vertical dpi when both
// resolutions are above 0; the pixel counts otherwise.
ImageExtent ImageExtentInXpsUnits(uint32_t widthPixels, uint32_t heightPixels, float dpiX, float dpiY);

// Where the watermark is and how large.
struct BitmapWatermarkPlacement {
    // -100 (left edge) to 100 (right edge); 0 is the centre.
    int32_t positionX = 0;
    // -100 (bottom edge) to 100 (top edge); 0 is the centre.
    int32_t positionY = 0;
    // Percent of the image's own size.
    uint16_t scalingPercent = 100;
};

// The image's rectangle on a page of pageWidth x pageHeight XPS units,
// centred on the anchor ((x + 100) / 200 of the width from the left,
// (100 - y) / 200 of the height from the top) and scaled.
Gdiplus::RectF BitmapWatermarkRect(const ImageExtent& image, const BitmapWatermarkPlacement& placement,
                                   double pageWidth, double pageHeight);

// The attribute values that draw the image into its rectangle: the Path's
// Data and the ImageBrush's Viewbox (the whole image, unscaled) and
// Viewport (the rectangle).
struct BitmapWatermarkMarkup {
    std::u16string data;
    std::u16string viewbox;
    std::u16string viewport;
};

BitmapWatermarkMarkup BitmapWatermarkMarkupValues(const ImageExtent& image, const Gdiplus::RectF& rect);
