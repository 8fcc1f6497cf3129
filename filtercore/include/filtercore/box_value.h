// Numbers and boxes of page markup: the FixedPage's Width and Height and its
// ContentBox and BleedBox ("x,y,width,height").
#pragma once

#include "platform/types.h"

struct BoxValue {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// The number a markup value starts with, read with '.' as the decimal point
// whatever the locale, as the runtime's wide-string conversion reads it:
// leading blanks are skipped, trailing text is ignored and a text that does
// not start with a number gives 0. A value that is not finite or does not fit
// a float gives 0 as well, so that no infinite size reaches page geometry.
// A null text gives 0.
float ParseMarkupNumber(const WCHAR* text);

// Splits text at "," (NextToken: a run of commas counts as one) and sets x,
// y, width and height, in this order, from the first four tokens with
// ParseMarkupNumber; a member without a token keeps its value. A null text
// changes nothing. Raises CXDException(E_OUTOFMEMORY).
void ParseBox(const WCHAR* text, BoxValue& box);
