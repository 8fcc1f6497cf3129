// Where and how a text watermark is drawn, as numbers: the point of the
// page its text is centred on, the matrix that turns and places it, the
// origin that centres the glyph run on its own (0, 0), the nine copies of
// an outlined text, the opacity rule and the em size of a point size.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gdiplus.h"
#include "platform/types.h"

// The point of a W x H page a watermark is centred on: positions run from
// -100 (left, bottom) to 100 (right, top), 0 being the page's centre.
Gdiplus::PointF WatermarkAnchor(INT positionX, INT positionY, float pageWidth, float pageHeight);

// A rotation by angle degrees counter-clockwise on the page (y grows
// downward), then a move to the anchor.
Gdiplus::Matrix WatermarkTransform(uint16_t angle, Gdiplus::PointF anchor);

// The glyph run's origin that centres a text of that width, ascent and
// descent on (0, 0): -(width / 2) and (ascent - descent) / 2, each divided
// as integers, truncating towards zero.
Gdiplus::PointF CentredGlyphOrigin(LONG textWidth, LONG ascent, LONG descent);

// One of the nine copies of an outlined text: eight in the text colour,
// one unit (0.707 on the diagonals) around the origin, then one in white on
// the origin itself.
struct OutlineCopy {
    Gdiplus::PointF origin;
    bool white;
};
std::array<OutlineCopy, 9> OutlineCopies(Gdiplus::PointF origin);

// The opacity of a watermark: 1 when it is opaque, or when it is an
// outlined text; 0.5 otherwise.
float WatermarkOpacity(bool opaque, bool outlined, bool bitmap);

// The em size, in XPS units, of a font of pointSize points: MulDiv(points,
// 96, 72).
INT EmSizeOfPoints(INT pointSize);

// The StyleSimulations value for a face drawn bold and/or italic from its
// regular face.
std::u16string_view StyleSimulations(bool bold, bool italic);

// The text as a Glyphs UnicodeString: a text beginning with "{" would read
// as an escape, so "{}" goes before it.
std::u16string GlyphsUnicodeString(std::u16string_view text);
