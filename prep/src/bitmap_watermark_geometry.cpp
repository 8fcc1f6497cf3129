#include "bitmap_watermark_geometry.h"

#include "platform/units.h"
#include "platform/wformat.h"

ImageExtent ImageExtentInXpsUnits(uint32_t widthPixels, uint32_t heightPixels, float dpiX, float dpiY)
{
    if (dpiX > 0 && dpiY > 0) {
        return {static_cast<double>(widthPixels) * kXpsUnitsPerInch / dpiX,
                static_cast<double>(heightPixels) * kXpsUnitsPerInch / dpiY};
    }
    return {static_cast<double>(widthPixels), static_cast<double>(heightPixels)};
}

Gdiplus::RectF BitmapWatermarkRect(const ImageExtent& image, const BitmapWatermarkPlacement& placement,
                                   double pageWidth, double pageHeight)
{
    const double anchorX = (static_cast<double>(placement.positionX) + 100) * pageWidth / 200;
    const double anchorY = (100 - static_cast<double>(placement.positionY)) * pageHeight / 200;
    const double halfWidth = placement.scalingPercent * image.width / 100 * 0.5;
    const double halfHeight = placement.scalingPercent * image.height / 100 * 0.5;
    const double left = anchorX - halfWidth;
    const double top = anchorY - halfHeight;
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(left), static_cast<Gdiplus::REAL>(top),
                          static_cast<Gdiplus::REAL>(2 * halfWidth), static_cast<Gdiplus::REAL>(2 * halfHeight));
}

BitmapWatermarkMarkup BitmapWatermarkMarkupValues(const ImageExtent& image, const Gdiplus::RectF& rect)
{
    const double left = rect.GetLeft();
    const double top = rect.GetTop();
    const double right = rect.GetRight();
    const double bottom = rect.GetBottom();
    return {
        FormatWideString(u"M %.2f,%.2f L %.2f,%.2f %.2f,%.2f %.2f,%.2f z", left, top, left, bottom, right, bottom,
                         right, top),
        FormatWideString(u"0,0,%.2f,%.2f", image.width, image.height),
        FormatWideString(u"%.2f,%.2f,%.2f,%.2f", left, top, right - left, bottom - top),
    };
}
