// Decoders of the image file formats, each over the whole file in memory.
// Each checks the image's size against the limits of decoded_image.h before
// it allocates the pixels, checks every length it reads, and reports a
// failure with its reason; none prints anything or ends the process.
#pragma once

#include "decoded_image.h"

namespace tav::imaging {

ImageOutcome DecodePng(const uint8_t* data, size_t size, DecodedImage* image);
ImageOutcome DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* image);
ImageOutcome DecodeTiff(const uint8_t* data, size_t size, DecodedImage* image);
ImageOutcome DecodeGif(const uint8_t* data, size_t size, DecodedImage* image);
ImageOutcome DecodeBmp(const uint8_t* data, size_t size, DecodedImage* image);

// Recognises the format by its signature and decodes the image;
// UnknownImageFormat for data of no format above.
ImageOutcome DecodeImage(const uint8_t* data, size_t size, DecodedImage* image);

}  // namespace tav::imaging
