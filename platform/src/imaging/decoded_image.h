// An image decoded from a file: 8-bit RGBA pixels, row by row from the top,
// with the resolution the file gives. Decoders refuse images past the limits
// below before they allocate anything, so a hostile file costs at most
// kMaxImagePixels * 4 bytes of pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdiplus_types.h"

namespace tav::imaging {

// An image file is read whole; larger files are refused unread.
constexpr size_t kMaxImageFileBytes = 128u * 1024 * 1024;
// Neither side may exceed this many pixels ...
constexpr uint32_t kMaxImageSide = 30000;
// ... nor the whole image this many (an A3 page at 500 dpi has 38.9 million).
constexpr uint64_t kMaxImagePixels = 40'000'000;

struct DecodedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    // Dots per inch; 0 when the file gives no resolution.
    double dpiX = 0;
    double dpiY = 0;
    // Whether any pixel may be less than opaque.
    bool hasAlpha = false;
    // width * height * 4 bytes: R, G, B, A.
    std::vector<uint8_t> rgba;

    uint8_t* Row(uint32_t y) { return rgba.data() + size_t{y} * width * 4; }
    const uint8_t* Row(uint32_t y) const { return rgba.data() + size_t{y} * width * 4; }
};

// The result of decoding or encoding: Ok, or a failure status with a reason
// a user can read ("the PNG data ends early", ...).
struct ImageOutcome {
    Gdiplus::Status status = Gdiplus::Ok;
    std::string reason;

    bool Failed() const { return status != Gdiplus::Ok; }
};

inline ImageOutcome ImageFailure(Gdiplus::Status status, std::string reason) { return {status, std::move(reason)}; }

// Ok when an image of width x height pixels is within the limits; otherwise
// the refusal, with the format's name in its reason.
ImageOutcome CheckImageSize(uint64_t width, uint64_t height, const char* format);

// Checks width x height against the limits and allocates the pixels (all
// transparent black), with the format's name in the reason of a refusal.
ImageOutcome AllocatePixels(DecodedImage* image, uint64_t width, uint64_t height, const char* format);

// Pixels per metre, as PNG and BMP store resolution, in dots per inch; the
// whole number of dots per inch that was stored, when the value is one
// rounded from such a number.
double DotsPerInchFromPixelsPerMetre(uint32_t pixelsPerMetre);

}  // namespace tav::imaging
