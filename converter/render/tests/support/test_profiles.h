// ICC profiles made by the tests with Little CMS, each with a colour
// conversion simple enough to work out by hand.
#pragma once

#include <string>

namespace tav::render::testing {

// sRGB itself.
std::string SrgbProfile();
// An RGB profile whose red primary is sRGB's blue and whose blue is sRGB's
// red, with sRGB's curve: its (255, 0, 0) is sRGB (0, 0, 255).
std::string SwappedRgbProfile();
// A grey profile of linear light: its 128 is sRGB 188.
std::string LinearGreyProfile();
// A CMYK profile whose corners are the plain ink colours: each of C, M, Y
// removes red, green or blue, K all three (cyan 100% is sRGB 0, 255, 255),
// interpolated between the corners.
std::string PlainCmykProfile();

}  // namespace tav::render::testing
