// The image block GetXPSImageData hands a converter: an image part decoded
// by the platform's imaging component into a 512-byte header, a raster of
// 8-bit samples (rows from the top, no padding) converted from the image's
// pixel format, and the image's ICC profile behind it.
#pragma once

#include <cstdint>
#include <string>

#include "converter/converter_interface.h"
#include "platform/stream.h"

namespace tav::rip {

struct ImageBlock {
    // From the converter's allocate function; null when the image failed.
    void* data = nullptr;
    uint32_t size = 0;
    // Why the image failed, in words for the user ("the PNG image is
    // damaged: the data ends early").
    std::string failure;
};

// Decodes the image in the stream (read from its start) and builds its
// block with allocate. Needs COM initialised on the thread. On failure the
// block is null, anything allocated has been given back through release,
// and failure says why. Nothing is retried: a decoder that does not know
// the data, or finds it damaged, fails at once.
ImageBlock BuildImageBlock(IStream* stream, ConverterAllocate allocate, ConverterFree release);

}  // namespace tav::rip
