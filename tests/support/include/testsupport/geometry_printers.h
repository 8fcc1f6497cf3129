// How test failures show the GDI+ geometry values: as their numbers, so that
// two rectangles that differ can be compared at a glance.
#pragma once

#include <ostream>

#include "platform/gdiplus_types.h"

namespace Gdiplus {

inline void PrintTo(const PointF& point, std::ostream* out) { *out << "(" << point.X << ", " << point.Y << ")"; }

inline void PrintTo(const RectF& rect, std::ostream* out)
{
    *out << "{x " << rect.X << ", y " << rect.Y << ", width " << rect.Width << ", height " << rect.Height << "}";
}

}  // namespace Gdiplus
