// JPEG XR in the pixel format the file was written in: the integer, packed,
// fixed-point, half, float, shared-exponent, CMYK and n-channel formats of
// the imaging component, alpha planes included, with the container's ICC
// profile.
#include <new>

#include "child_decode.h"
#include "jpegxr_reader.h"
#include "native_image.h"
#include "platform/wincodec.h"

namespace tav::imaging {

namespace {

// The formats numbered 0x05 to 0x42 in the family are those jxrlib shares
// with the imaging component (no palettes; its YCC and direct-CMYK formats
// come after); 0x3C is none.
bool HasPixelFormatHere(uint8_t number) { return number >= 0x05 && number <= 0x42 && number != 0x3C; }

ImageOutcome Damaged(std::string reason) { return ImageFailure(Gdiplus::GenericError, std::move(reason)); }

ImageOutcome DecodeInThisProcess(const uint8_t* data, size_t size, NativeImage* image)
{
    try {
        JpegXrReader reader(data, size);
        std::string reason;
        if (!reader.Open(&reason)) return Damaged(reason);
        if (!HasPixelFormatHere(reader.formatNumber())) {
            return ImageFailure(Gdiplus::UnknownImageFormat,
                                "the JPEG XR image has a pixel format that cannot be read");
        }
        ImageOutcome outcome =
            AllocateNativePixels(image, reader.width(), reader.height(), WICPixelFormat(reader.formatNumber()),
                                 reader.bitsPerPixel(), "JPEG XR");
        if (outcome.Failed()) return outcome;
        if (!reader.ReadProfile(&image->profile, &reason) ||
            !reader.Decode(image->pixels.data(), image->stride, &reason)) {
            image->pixels.clear();
            return Damaged(reason);
        }
        image->dpiX = reader.dpiX();
        image->dpiY = reader.dpiY();
        return {};
    } catch (const std::bad_alloc&) {
        image->pixels.clear();
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the JPEG XR image");
    }
}

}  // namespace

// jxrlib asserts, ending the process, on some damaged data deep in its
// decoder: the image is decoded in a child process.
ImageOutcome DecodeNativeJpegXr(const uint8_t* data, size_t size, NativeImage* image)
{
    return DecodeInChildProcess([=](NativeImage* decoded) { return DecodeInThisProcess(data, size, decoded); }, size,
                                "JPEG XR", image);
}

}  // namespace tav::imaging
