#include "text_watermark_geometry.h"

#include "platform/base.h"

Gdiplus::PointF WatermarkAnchor(INT positionX, INT positionY, float pageWidth, float pageHeight)
{
    // In double precision: a position far outside -100..100 must not
    // overflow the integer sum.
    double x = (static_cast<double>(positionX) + 100) * pageWidth / 200;
    double y = (100 - static_cast<double>(positionY)) * pageHeight / 200;
    return {static_cast<float>(x), static_cast<float>(y)};
}

Gdiplus::Matrix WatermarkTransform(uint16_t angle, Gdiplus::PointF anchor)
{
    Gdiplus::Matrix transform;
    // With y downward a positive angle turns clockwise: counter-clockwise
    // is the negative angle.
    transform.Rotate(-static_cast<Gdiplus::REAL>(angle));
    transform.Translate(anchor.X, anchor.Y, Gdiplus::MatrixOrderAppend);
    return transform;
}

Gdiplus::PointF CentredGlyphOrigin(LONG textWidth, LONG ascent, LONG descent)
{
    return {static_cast<float>(-(textWidth / 2)), static_cast<float>((ascent - descent) / 2)};
}

std::array<OutlineCopy, 9> OutlineCopies(Gdiplus::PointF origin)
{
    constexpr float kDiagonal = 0.707f;
    auto at = [origin](float dx, float dy) { return Gdiplus::PointF(origin.X + dx, origin.Y + dy); };
    return {{{at(1, 0), false},
             {at(-1, 0), false},
             {at(0, 1), false},
             {at(0, -1), false},
             {at(kDiagonal, kDiagonal), false},
             {at(-kDiagonal, kDiagonal), false},
             {at(kDiagonal, -kDiagonal), false},
             {at(-kDiagonal, -kDiagonal), false},
             {origin, true}}};
}

float WatermarkOpacity(bool opaque, bool outlined, bool bitmap)
{
    return opaque || (outlined && !bitmap) ? 1.0f : 0.5f;
}

INT EmSizeOfPoints(INT pointSize) { return MulDiv(pointSize, 96, 72); }

std::u16string_view StyleSimulations(bool bold, bool italic)
{
    if (bold && italic) return u"BoldItalicSimulation";
    if (bold) return u"BoldSimulation";
    if (italic) return u"ItalicSimulation";
    return u"None";
}

std::u16string GlyphsUnicodeString(std::u16string_view text)
{
    std::u16string result;
    if (!text.empty() && text.front() == u'{') result = u"{}";
    result += text;
    return result;
}
