#include "native_image.h"

#include <cstring>
#include <new>

namespace tav::imaging {

namespace {

bool StartsWith(const uint8_t* data, size_t size, const char* signature, size_t length)
{
    return size >= length && std::memcmp(data, signature, length) == 0;
}

}  // namespace

ImageOutcome AllocateNativePixels(NativeImage* image, uint64_t width, uint64_t height, const GUID& pixelFormat,
                                  uint32_t bitsPerPixel, const char* format)
{
    ImageOutcome outcome = CheckImageSize(width, height, format);
    if (outcome.Failed()) return outcome;
    // Within the limits of the size, neither product can overflow.
    const uint64_t stride = (width * bitsPerPixel + 7) / 8;
    if (stride * height > kMaxNativePixelBytes) {
        return ImageFailure(Gdiplus::ValueOverflow, std::string("the ") + format + " image has " +
                                                        std::to_string(stride * height) +
                                                        " bytes of pixels, more than an image may have (" +
                                                        std::to_string(kMaxNativePixelBytes) + ")");
    }
    try {
        image->pixels.assign(stride * height, 0);
    } catch (const std::bad_alloc&) {
        return ImageFailure(Gdiplus::OutOfMemory, std::string("no memory for the pixels of the ") + format + " image");
    }
    image->width = static_cast<uint32_t>(width);
    image->height = static_cast<uint32_t>(height);
    image->pixelFormat = pixelFormat;
    image->bitsPerPixel = bitsPerPixel;
    image->stride = static_cast<size_t>(stride);
    return {};
}

const char* NativeFormatName(const uint8_t* data, size_t size)
{
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return "PNG";
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return "JPEG";
    // Classic and big TIFF, in either byte order.
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4)) {
        return "TIFF";
    }
    // JPEG XR: a little-endian container with its own magic number.
    if (StartsWith(data, size, "II\xBC", 3)) return "JPEG XR";
    return nullptr;
}

ImageOutcome DecodeNativeImage(const uint8_t* data, size_t size, NativeImage* image)
{
    const char* format = NativeFormatName(data, size);
    const std::string name = format != nullptr ? format : "";
    if (name == "PNG") return DecodeNativePng(data, size, image);
    if (name == "JPEG") return DecodeNativeJpeg(data, size, image);
    if (name == "TIFF") return DecodeNativeTiff(data, size, image);
    if (name == "JPEG XR") return DecodeNativeJpegXr(data, size, image);
    return ImageFailure(Gdiplus::UnknownImageFormat, "the data is no PNG, JPEG, TIFF or JPEG XR image");
}

}  // namespace tav::imaging
