// Reading an image block that the image callback handed back: the 512-byte
// header checked against the number of bytes the block really has, before
// the raster or the profile behind it is touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "parsed.h"

namespace tav::render {

struct ImageBlockView {
    uint32_t width = 0, height = 0;
    double dpiX = 96, dpiY = 96;
    uint32_t samples = 0;              // bytes a pixel
    uint8_t colourModel = 0;           // ImageColourModel
    bool hasAlpha = false;             // the last sample of each pixel
    const uint8_t* raster = nullptr;   // rows from the top, samples * width bytes each
    const uint8_t* profile = nullptr;  // null when the block has none
    uint32_t profileSize = 0;
};

// The block of `size` bytes read strictly: "TITN", a colour model this
// converter knows with a sample count that fits it, a raster that fits the
// block, and a profile, when one is announced, that lies wholly behind the
// raster. The resolution falls back to 96 dpi when the header has none.
Parsed<ImageBlockView> ReadImageBlock(const uint8_t* block, size_t size);

}  // namespace tav::render
