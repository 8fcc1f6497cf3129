// Numbers and boxes of page markup: the FixedPage's Width and Height and its
// ContentBox and BleedBox ("x,y,width,height").
#pragma once

#include "platform/gdiplus_types.h"
#include "platform/types.h"

// The number a markup value starts with, read with '.' as the decimal point
// whatever the locale, as the runtime's wide-string conversion reads it:
// leading blanks are skipped, trailing text is ignored and a text that does
// not start with a number gives 0. A value that is not finite or does not fit
// a float gives 0 as well, so that no infinite size reaches page geometry.
// A null text gives 0.
float ParseMarkupNumber(const WCHAR* text);

// Splits text at "," (NextToken: a run of commas counts as one) and sets X,
// Y, Width and Height, in this order, from the first four tokens with
// ParseMarkupNumber; a member without a token keeps its value. A null text
// changes nothing. Raises CXDException(E_OUTOFMEMORY).
void ParseBox(const WCHAR* text, Gdiplus::RectF& box);
