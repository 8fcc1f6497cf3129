// Colours of the page model: sRGB components and alpha from 0 to 1.
#pragma once

#include <string_view>

#include "parsed.h"

namespace tav::render {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
    bool operator==(const Rgba&) const = default;
};

// A colour value of the markup. "#RRGGBB" and "#AARRGGBB" are sRGB;
// "sc#R,G,B" and "sc#A,R,G,B" are scRGB (linear light), converted to sRGB
// and clamped; "ContextColor profile a,c1,c2..." names a colour profile this
// converter does not apply yet: its channels are read as grey (one), RGB
// (three) or CMYK (four) and `fromProfile` is set so the caller can say the
// colour was approximated.
struct ParsedColour {
    Rgba colour;
    bool fromProfile = false;
};
Parsed<ParsedColour> ParseColour(std::string_view text);

// scRGB to sRGB for one component, clamped to [0, 1].
double LinearToSrgb(double linear);
double SrgbToLinear(double srgb);

}  // namespace tav::render
