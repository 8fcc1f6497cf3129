// Colours of the page model: sRGB components and alpha from 0 to 1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parsed.h"

namespace tav::render {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
    bool operator==(const Rgba&) const = default;
};

// A colour value of the markup. "#RRGGBB" and "#AARRGGBB" are sRGB;
// "sc#R,G,B" and "sc#A,R,G,B" are scRGB (linear light), converted to sRGB
// and clamped; "ContextColor profile a,c1,c2..." names a colour profile
// through which its channels are to be converted: `fromProfile` is set, the
// profile and channels are kept for the caller to convert, and `colour`
// holds the nearest sRGB without the profile (one channel grey, three RGB,
// four or more CMYK), for when the profile cannot be had.
struct ParsedColour {
    Rgba colour;
    bool fromProfile = false;
    std::string profileUri;
    std::vector<double> channels;  // from 0 to 1
};
Parsed<ParsedColour> ParseColour(std::string_view text);

// The colour of an image source: "uri", or "{ColorConvertedBitmap uri
// profile}" that names the profile to convert the image through.
struct ImageSourceValue {
    std::string uri;
    std::string profileUri;  // empty when the image's own colours count
};
Parsed<ImageSourceValue> ParseImageSource(std::string_view text);

// scRGB to sRGB for one component, clamped to [0, 1].
double LinearToSrgb(double linear);
double SrgbToLinear(double srgb);

}  // namespace tav::render
