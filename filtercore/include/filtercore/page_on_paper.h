// A page against the paper its ticket names. Applications print pages of
// their own size and shape whatever the ticket says (a slide is a landscape
// page under a portrait ticket): a page is of the paper's size, the paper
// turned, or a size of its own, and the paper's printable area falls on it
// accordingly. Lengths are XPS units (1/96 inch), any origin.
#pragma once

#include "platform/gdiplus_types.h"

// Sizes that differ by no more than a millimetre are the same: page markup
// and tickets round sizes differently (A4 is 793.7 x 1122.5 units).
inline constexpr float kSameSizeTolerance = 96 / 25.4f;

// Width and height each within kSameSizeTolerance of the other's.
bool IsSameSize(float width, float height, float otherWidth, float otherHeight);

// One of the two is wider than tall and the other taller than wide: the
// page lies across the paper. A square lies either way.
bool LiesAcross(float pageWidth, float pageHeight, float paperWidth, float paperHeight);

// Where the paper's printable area falls on the page: the area itself on a
// page of the paper's size; the whole page when the paper has no size (it
// says nothing of margins); on any other page the paper's four margins around the page's own size, the margins
// turned with the paper when the page lies across it (left and top, right
// and bottom exchanged: the paper's area exchanged, for a page of the
// paper's size turned). A page smaller than the margins gets an empty area
// at its left and top margins.
Gdiplus::RectF PrintableAreaOnPage(const Gdiplus::RectF& area, float paperWidth, float paperHeight, float pageWidth,
                                   float pageHeight);
