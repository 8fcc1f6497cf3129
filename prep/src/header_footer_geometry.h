// Where the header/footer line is drawn, as numbers: its width, where it
// starts, its baseline, and the bands of its background box, underline and
// strikeout. Lengths are XPS units; y grows downward.
#pragma once

#include "platform/gdiplus_types.h"
#include "platform/types.h"

// HeaderFooterSettings::positionX and positionY.
enum HeaderFooterColumn : INT { kLineLeft = 0, kLineCenter = 1, kLineRight = 2 };
enum HeaderFooterRow : INT { kLineTop = 0, kLineBottom = 1 };

// The measured width, and half the em more for an italic line, whose last
// letter leans past its advance.
float HeaderFooterLineWidth(LONG measuredWidth, INT emSize, bool italic);

// The x where the line starts: at the printable area's left edge, centred on
// the page, or ending at the area's right edge.
float HeaderFooterStartX(INT positionX, float pageWidth, const Gdiplus::RectF& area, float lineWidth);

// The baseline: the ascent below the area's top edge, or the descent above
// its bottom edge.
float HeaderFooterBaseline(INT positionY, const Gdiplus::RectF& area, LONG ascent, LONG descent);

// A horizontal band the width of the line, from top down to bottom.
struct LineBand {
    float left, top, right, bottom;
};

// The background box: from the ascent above the baseline to the descent
// below it.
LineBand BackgroundBand(float startX, float lineWidth, float baseline, LONG ascent, LONG descent);

// An underline or strikeout: position and thickness are fractions of the em
// as the font gives them (y upward, the underline's position negative); the
// band runs from the position down by the thickness.
LineBand DecorationLineBand(float startX, float lineWidth, float baseline, INT emSize, float position, float thickness);
