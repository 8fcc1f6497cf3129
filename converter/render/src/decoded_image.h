// An image as the renderer draws it: sRGB, premultiplied alpha, one 32-bit
// word a pixel in the drawing library's ARGB order, at the resolution the
// image gave.
#pragma once

#include <cstdint>
#include <vector>

namespace tav::render {

struct DecodedImage {
    int width = 0, height = 0;
    double dpiX = 96, dpiY = 96;
    std::vector<uint32_t> pixels;  // rows from the top, width words each
    bool opaque = true;
    uint64_t id = 0;  // unique in the job: outputs that keep images write each once

    // The image's size in page units (1/96 inch).
    double UnitWidth() const { return width * 96.0 / dpiX; }
    double UnitHeight() const { return height * 96.0 / dpiY; }
};

// One premultiplied pixel from 8-bit sRGB components and alpha.
inline uint32_t PremultipliedPixel(unsigned r, unsigned g, unsigned b, unsigned a)
{
    auto scale = [a](unsigned c) { return (c * a + 127) / 255; };
    return static_cast<uint32_t>(a) << 24 | scale(r) << 16 | scale(g) << 8 | scale(b);
}

}  // namespace tav::render
