// An image decoded in its own pixel format, as the imaging component hands
// it out: rows from the top, each (width * bits per pixel + 7) / 8 bytes,
// multi-byte samples in the machine's order, with its palette and its ICC
// profile. Decoders check the size against the limits of decoded_image.h
// (and the bytes of the pixels against kMaxNativePixelBytes) before they
// allocate anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoded_image.h"
#include "platform/guid.h"

namespace tav::imaging {

// The most bytes of pixels an image may have in its own format: the most
// pixels at 64 bits each, so that wider formats allow fewer pixels.
constexpr uint64_t kMaxNativePixelBytes = kMaxImagePixels * 8;

struct NativeImage {
    uint32_t width = 0;
    uint32_t height = 0;
    // Dots per inch; 0 when the file gives none.
    double dpiX = 0;
    double dpiY = 0;
    GUID pixelFormat{};
    uint32_t bitsPerPixel = 0;
    size_t stride = 0;
    std::vector<uint8_t> pixels;
    // 0xAARRGGBB, for the indexed formats.
    std::vector<uint32_t> palette;
    // The embedded ICC profile; empty when there is none.
    std::string profile;

    uint8_t* Row(uint32_t y) { return pixels.data() + y * stride; }
    const uint8_t* Row(uint32_t y) const { return pixels.data() + y * stride; }
};

// Checks width x height against the limits and the bytes of the pixels
// against kMaxNativePixelBytes, then sets the size, format and stride and
// allocates the pixels (all 0), with the format's name in the reason of a
// refusal.
ImageOutcome AllocateNativePixels(NativeImage* image, uint64_t width, uint64_t height, const GUID& pixelFormat,
                                  uint32_t bitsPerPixel, const char* format);

// The image's own decoders; each fails like those of image_decoders.h.
ImageOutcome DecodeNativePng(const uint8_t* data, size_t size, NativeImage* image);
ImageOutcome DecodeNativeJpeg(const uint8_t* data, size_t size, NativeImage* image);
ImageOutcome DecodeNativeTiff(const uint8_t* data, size_t size, NativeImage* image);
ImageOutcome DecodeNativeJpegXr(const uint8_t* data, size_t size, NativeImage* image);

// "PNG", "JPEG", "TIFF" or "JPEG XR" for data that starts with that
// format's signature; null for any other.
const char* NativeFormatName(const uint8_t* data, size_t size);

// Decodes the image of the format its signature names; UnknownImageFormat
// for data of any other kind.
ImageOutcome DecodeNativeImage(const uint8_t* data, size_t size, NativeImage* image);

}  // namespace tav::imaging
