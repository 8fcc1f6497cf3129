// TIFF through libtiff's RGBA interface, as 8-bit RGBA.
#include <cstring>

#include "image_decoders.h"
#include "tiff_reading.h"

namespace tav::imaging {

namespace {

// libtiff fills each pixel as a 32-bit value in the machine's byte order;
// this turns the values into R, G, B, A bytes on any machine.
void UnpackTiffPixels(DecodedImage* image)
{
    uint8_t* pixel = image->rgba.data();
    for (size_t count = size_t{image->width} * image->height; count > 0; --count, pixel += 4) {
        uint32_t value = 0;
        std::memcpy(&value, pixel, 4);
        const uint8_t bytes[4] = {static_cast<uint8_t>(TIFFGetR(value)), static_cast<uint8_t>(TIFFGetG(value)),
                                  static_cast<uint8_t>(TIFFGetB(value)), static_cast<uint8_t>(TIFFGetA(value))};
        std::memcpy(pixel, bytes, 4);
    }
}

}  // namespace

ImageOutcome DecodeTiff(const uint8_t* data, size_t size, DecodedImage* image)
{
    TiffSource source{data, size, 0, {}};
    TiffReader reader(&source);
    TIFF* tiff = reader.tiff();
    if (tiff == nullptr) return TiffFailure(source, "its header cannot be read");
    uint32_t width = 0;
    uint32_t height = 0;
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1 || TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1) {
        return TiffFailure(source, "it gives no image size");
    }
    char unsupported[1024] = "";
    if (!TIFFRGBAImageOK(tiff, unsupported)) {
        return ImageFailure(Gdiplus::UnknownImageFormat,
                            std::string("the TIFF image has a form that cannot be read: ") + unsupported);
    }
    ImageOutcome outcome = AllocatePixels(image, width, height, "TIFF");
    if (outcome.Failed()) return outcome;
    if (TIFFReadRGBAImageOriented(tiff, width, height, reinterpret_cast<uint32_t*>(image->rgba.data()),
                                  ORIENTATION_TOPLEFT, 1) != 1) {
        image->rgba.clear();
        return TiffFailure(source, "its pixels cannot be read");
    }
    UnpackTiffPixels(image);
    uint16_t extraSamples = 0;
    uint16_t* extraTypes = nullptr;
    image->hasAlpha =
        TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraSamples, &extraTypes) == 1 && extraSamples > 0;
    ReadTiffResolution(tiff, &image->dpiX, &image->dpiY);
    return {};
}

}  // namespace tav::imaging
