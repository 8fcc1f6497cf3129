#include "header_footer_geometry.h"

float HeaderFooterLineWidth(LONG measuredWidth, INT emSize, bool italic)
{
    return static_cast<float>(measuredWidth + (italic ? emSize / 2 : 0));
}

float HeaderFooterStartX(INT positionX, float pageWidth, const Gdiplus::RectF& area, float lineWidth)
{
    switch (positionX) {
    case kLineLeft: return area.X;
    case kLineCenter: return (pageWidth - lineWidth) * 0.5f;
    default: return area.X + area.Width - lineWidth;
    }
}

float HeaderFooterBaseline(INT positionY, const Gdiplus::RectF& area, LONG ascent, LONG descent)
{
    if (positionY == kLineTop) return area.Y + static_cast<float>(ascent);
    return area.Y + area.Height - static_cast<float>(descent);
}

LineBand BackgroundBand(float startX, float lineWidth, float baseline, LONG ascent, LONG descent)
{
    return {startX, baseline - static_cast<float>(ascent), startX + lineWidth, baseline + static_cast<float>(descent)};
}

LineBand DecorationLineBand(float startX, float lineWidth, float baseline, INT emSize, float position, float thickness)
{
    float em = static_cast<float>(emSize);
    float top = baseline - position * em;
    return {startX, top, startX + lineWidth, top + thickness * em};
}
