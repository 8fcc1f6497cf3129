#include "decoded_image.h"

#include <cmath>
#include <new>

namespace tav::imaging {

ImageOutcome CheckImageSize(uint64_t width, uint64_t height, const char* format)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width == 0 || height == 0) {
        return ImageFailure(Gdiplus::GenericError,
                            std::string("the ") + format + " image has no pixels (" + size + ")");
    }
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
        return ImageFailure(Gdiplus::ValueOverflow, std::string("the ") + format + " image is " + size +
                                                        ", more than an image may have (" +
                                                        std::to_string(kMaxImageSide) + " a side, " +
                                                        std::to_string(kMaxImagePixels) + " in all)");
    }
    return {};
}

ImageOutcome AllocatePixels(DecodedImage* image, uint64_t width, uint64_t height, const char* format)
{
    ImageOutcome outcome = CheckImageSize(width, height, format);
    if (outcome.Failed()) return outcome;
    try {
        image->rgba.assign(width * height * 4, 0);
    } catch (const std::bad_alloc&) {
        return ImageFailure(Gdiplus::OutOfMemory, std::string("no memory for the pixels of the ") + format + " image");
    }
    image->width = static_cast<uint32_t>(width);
    image->height = static_cast<uint32_t>(height);
    return {};
}

double DotsPerInchFromPixelsPerMetre(uint32_t pixelsPerMetre)
{
    // A whole number of dots per inch is stored rounded to whole pixels per
    // metre (150 dpi as 5906, which is 150.0124 dpi); such a value gives the
    // whole number back, so that the image keeps the size it was made for.
    const double dotsPerInch = pixelsPerMetre * 0.0254;
    const double whole = std::round(dotsPerInch);
    return std::lround(whole / 0.0254) == static_cast<long>(pixelsPerMetre) ? whole : dotsPerInch;
}

}  // namespace tav::imaging
