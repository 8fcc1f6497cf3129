#include <cstring>

#include "image_decoders.h"

namespace tav::imaging {

namespace {

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length)
{
    return size >= length && std::memcmp(data, signature, length) == 0;
}

}  // namespace

ImageOutcome DecodeImage(const uint8_t* data, size_t size, DecodedImage* image)
{
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return DecodePng(data, size, image);
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return DecodeJpeg(data, size, image);
    // Classic and big TIFF, in either byte order.
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4)) {
        return DecodeTiff(data, size, image);
    }
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return DecodeGif(data, size, image);
    if (StartsWith(data, size, "BM", 2)) return DecodeBmp(data, size, image);
    return ImageFailure(Gdiplus::UnknownImageFormat, "the data is no PNG, JPEG, TIFF, GIF or BMP image");
}

}  // namespace tav::imaging
