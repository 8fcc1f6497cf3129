// The options of an N-up request that the sheet geometry follows: the
// order in which the cells fill and the lines drawn between them.
#pragma once

#include "platform/types.h"

// The PresentationDirection options, by the index the N-up settings keep:
// the order in which the cells of a sheet fill.
enum class PresentationDirection : INT {
    RightBottom = 0,  // across the first row, then the next row down
    BottomRight = 1,  // down the first column, then the next column right
    LeftBottom = 2,   // right to left along the rows
    BottomLeft = 3,   // down the columns, from the rightmost
};

// The BorderLine options, by the index the N-up settings keep.
enum class BorderLineKind : INT {
    None = 0,
    Solid = 1,
    Dashed = 2,
};
