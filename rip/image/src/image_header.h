// The 512-byte header of an image block and the arithmetic around it, as
// pure functions: the resolution the header is given, the block's size with
// its 32-bit bound, and the header's bytes.
#pragma once

#include <cstdint>
#include <optional>

namespace tav::rip {

// A resolution as the header holds it: whole dots per inch and the
// fraction times 65536, truncated.
struct HeaderResolution {
    uint16_t whole = 0;
    uint16_t fraction = 0;

    bool operator==(const HeaderResolution&) const = default;
};

// The resolution of the image's dots per inch: 96 x 96 when the horizontal
// value is 0, and also when either value is not a positive number below
// 65536, which the header could not hold.
void ChooseResolution(double dpiX, double dpiY, HeaderResolution* x, HeaderResolution* y);

// The most pixels a side of an image block can have.
constexpr uint32_t kMaxImageBlockSide = 65535;

// header + samples * width * height + profile bytes, or none when that is
// past what a 32-bit size can hold.
std::optional<uint32_t> ImageBlockSize(uint32_t samples, uint32_t width, uint32_t height, uint32_t profileSize);

struct ImageHeader {
    uint16_t width = 0;
    uint16_t height = 0;
    HeaderResolution resolutionX;
    HeaderResolution resolutionY;
    uint8_t samples = 0;
    uint8_t colourModel = 0;
    uint32_t rasterSize = 0;
    // The profile behind the raster; 0 for none.
    uint32_t profileSize = 0;
};

// Writes the 512 bytes of the header.
void WriteImageHeader(const ImageHeader& header, uint8_t* out);

}  // namespace tav::rip
