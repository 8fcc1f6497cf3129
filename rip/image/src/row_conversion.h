// One row of pixels of a format into the samples of an image block.
#pragma once

#include <cstdint>
#include <vector>

#include "pixel_formats.h"

namespace tav::rip {

// Converts width pixels of the row (as CopyPixels gives them: packed,
// multi-byte samples little-endian) into width * format.samples bytes.
// palette holds the colours (0xAARRGGBB) of an indexed format; an index
// past its end gives transparent black.
void ConvertRow(const PixelFormat& format, const uint8_t* row, uint32_t width, const std::vector<uint32_t>& palette,
                uint8_t* out);

}  // namespace tav::rip
