// Lengths of the print system. Tickets and device descriptions measure in
// microns, as integers; page markup measures in XPS units of 1/96 inch, as
// single-precision floats. The filters convert in one of two ways, each
// where its own rules say so: dividing by 264.58 in single precision, or
// multiplying by 96 / 25.4 / 1000.
#pragma once

#include "platform/types.h"

inline constexpr INT kMicronsPerInch = 25400;
inline constexpr INT kXpsUnitsPerInch = 96;
inline constexpr INT kPointsPerInch = 72;
// The divisor of the single-precision conversion: microns per XPS unit,
// rounded.
inline constexpr float kMicronsPerXpsUnit = 264.58f;

// microns / 264.58, in single precision.
constexpr float MicronsToXpsUnits(INT microns) { return static_cast<float>(microns) / kMicronsPerXpsUnit; }

// microns x 96 / 25.4 / 1000, in double precision and then single.
constexpr float MicronsToXpsUnitsByInch(INT microns)
{
    return static_cast<float>(static_cast<double>(microns) * kXpsUnitsPerInch / 25.4 / 1000.0);
}
