#include "filtercore/page_on_paper.h"

#include <algorithm>
#include <cmath>
#include <utility>

bool IsSameSize(float width, float height, float otherWidth, float otherHeight)
{
    return std::fabs(width - otherWidth) <= kSameSizeTolerance && std::fabs(height - otherHeight) <= kSameSizeTolerance;
}

bool LiesAcross(float pageWidth, float pageHeight, float paperWidth, float paperHeight)
{
    return (pageWidth > pageHeight && paperHeight > paperWidth) || (pageHeight > pageWidth && paperWidth > paperHeight);
}

Gdiplus::RectF PrintableAreaOnPage(const Gdiplus::RectF& area, float paperWidth, float paperHeight, float pageWidth,
                                   float pageHeight)
{
    if (!(paperWidth > 0 && paperHeight > 0)) return {0, 0, pageWidth, pageHeight};
    if (IsSameSize(pageWidth, pageHeight, paperWidth, paperHeight)) return area;
    float left = area.X, top = area.Y;
    float right = paperWidth - area.X - area.Width, bottom = paperHeight - area.Y - area.Height;
    if (LiesAcross(pageWidth, pageHeight, paperWidth, paperHeight)) {
        std::swap(left, top);
        std::swap(right, bottom);
    }
    return {left, top, std::max(0.0f, pageWidth - left - right), std::max(0.0f, pageHeight - top - bottom)};
}
