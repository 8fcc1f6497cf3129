// The PNG encoder: an image as a PNG file, made in memory.
#pragma once

#include <string>

#include "decoded_image.h"

namespace tav::imaging {

// Encodes the image as 8-bit RGB, or RGBA when it has transparency, with its
// resolution (a pHYs chunk) when it has one. The bytes are appended to
// *png.
ImageOutcome EncodePng(const DecodedImage& image, std::string* png);

}  // namespace tav::imaging
