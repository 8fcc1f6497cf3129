// The pixel formats an image block is made from: for each, its size, the
// samples (d) and colour model of the block, and the rule that turns one
// of its pixels into those samples. Formats not in the table fail the image.
#pragma once

#include <array>
#include <cstdint>

#include "platform/guid.h"

namespace tav::rip {

enum class SampleRule : uint8_t {
    kPalette,            // an index of 1, 2, 4 or 8 bits: the palette colour as R, G, B, A
    kGreyBits,           // grey of 1, 2 or 4 bits: v * 255 / (2^bits - 1)
    kBytes,              // 8-bit samples as stored
    kHighBytes,          // 16-bit samples by their high bytes
    kPremultiplied,      // 8-bit B, G, R, A un-premultiplied
    kPremultipliedHigh,  // 16-bit R, G, B, A by their high bytes, un-premultiplied
    kBgr555,             // a 16-bit word of 5-bit B, G, R fields
    kBgr565,             // a 16-bit word of 5-bit B, 6-bit G, 5-bit R fields
    kBgr101010,          // a 32-bit word of 10-bit B, G, R fields, by their top 8 bits
    kFloat,              // 32-bit floats through the curve
    kPremultipliedFloat,
    kFixedPoint16,  // through the curve
    kFixedPoint32,
    kHalf,
    kSharedExponent,  // R, G, B, E
};

struct PixelFormat {
    GUID guid;
    const char* name;
    uint32_t bitsPerPixel;
    // Samples a pixel of the block has, and the block's colour model code.
    uint8_t samples;
    uint8_t colourModel;
    SampleRule rule;
    // For each sample of the block, the stored sample it comes from.
    std::array<uint8_t, 9> order;
};

// The format of the identifier, or null when it is not in the table
// (DontCare included).
const PixelFormat* FindPixelFormat(const GUID& guid);

}  // namespace tav::rip
