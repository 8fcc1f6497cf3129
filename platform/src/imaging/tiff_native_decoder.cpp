// TIFF through libtiff in the image's own samples where they have a pixel
// format (tiff_layout.h), with its palette and its ICC profile; any other
// TIFF libtiff can read (tiled, planar, YCbCr, Lab, ...) through libtiff's
// RGBA interface, which premultiplies alpha, as 32bppPBGRA.
#include <cstring>
#include <new>
#include <vector>

#include "native_image.h"
#include "platform/wincodec.h"
#include "tiff_layout.h"
#include "tiff_reading.h"

namespace tav::imaging {

namespace {

TiffFacts ReadTiffFacts(TIFF* tiff)
{
    TiffFacts facts;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &facts.photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &facts.samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &facts.bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &facts.sampleFormat);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &facts.planarConfig);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &facts.inkSet);
    uint16_t* extraTypes = nullptr;
    if (TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &facts.extraSamples, &extraTypes) == 1 &&
        facts.extraSamples > 0 && extraTypes != nullptr) {
        facts.firstExtraType = extraTypes[0];
    }
    facts.tiled = TIFFIsTiled(tiff) != 0;
    // JPEG-compressed YCbCr is delivered as RGB by libtiff's JPEG codec.
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (facts.photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG &&
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB) == 1) {
        facts.photometric = PHOTOMETRIC_RGB;
    }
    return facts;
}

// The colour map, whose 16-bit values are taken by their high bytes; old
// writers stored 8-bit values, recognised by all being below 256.
void ReadTiffPalette(TIFF* tiff, uint16_t bitsPerSample, NativeImage* image)
{
    uint16_t* red = nullptr;
    uint16_t* green = nullptr;
    uint16_t* blue = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) != 1) return;
    const uint32_t count = 1u << bitsPerSample;
    bool eightBit = true;
    for (uint32_t i = 0; i < count; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const int shift = eightBit ? 0 : 8;
    for (uint32_t i = 0; i < count; ++i) {
        image->palette.push_back(0xFF000000u | uint32_t{static_cast<uint8_t>(red[i] >> shift)} << 16 |
                                 uint32_t{static_cast<uint8_t>(green[i] >> shift)} << 8 |
                                 static_cast<uint8_t>(blue[i] >> shift));
    }
}

void ReadTiffProfile(TIFF* tiff, NativeImage* image)
{
    uint32_t size = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &profile) == 1 && profile != nullptr) {
        image->profile.assign(static_cast<const char*>(profile), size);
    }
}

void FormRow(TiffRowForm form, const uint8_t* stored, uint32_t width, NativeImage* image, uint8_t* row)
{
    switch (form) {
    case TiffRowForm::kAsStored: std::memcpy(row, stored, image->stride); break;
    case TiffRowForm::kInverted:
        for (size_t i = 0; i < image->stride; ++i) row[i] = static_cast<uint8_t>(~stored[i]);
        break;
    case TiffRowForm::kSwapRedBlue:
        for (uint32_t x = 0; x < width; ++x, stored += 4, row += 4) {
            const uint8_t pixel[4] = {stored[2], stored[1], stored[0], stored[3]};
            std::memcpy(row, pixel, 4);
        }
        break;
    case TiffRowForm::kGreyAlphaToBgra:
        for (uint32_t x = 0; x < width; ++x, stored += 2, row += 4) {
            const uint8_t pixel[4] = {stored[0], stored[0], stored[0], stored[1]};
            std::memcpy(row, pixel, 4);
        }
        break;
    case TiffRowForm::kGreyAlphaToRgba16:
        for (uint32_t x = 0; x < width; ++x, stored += 4, row += 8) {
            for (int channel = 0; channel < 3; ++channel) std::memcpy(row + channel * 2, stored, 2);
            std::memcpy(row + 6, stored + 2, 2);
        }
        break;
    case TiffRowForm::kPadFloatRgb:
        for (uint32_t x = 0; x < width; ++x, stored += 12, row += 16) {
            const float one = 1.0f;
            std::memcpy(row, stored, 12);
            std::memcpy(row + 12, &one, 4);
        }
        break;
    }
}

ImageOutcome ReadLaidOutTiff(TIFF* tiff, const TiffSource& source, const TiffFacts& facts, const TiffLayout& layout,
                             NativeImage* image)
{
    const tmsize_t storedSize = TIFFScanlineSize(tiff);
    std::vector<uint8_t> stored;
    try {
        stored.resize(storedSize > 0 ? static_cast<size_t>(storedSize) : 0);
    } catch (const std::bad_alloc&) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the TIFF image");
    }
    // The samples fix the bytes of a stored row; libtiff must agree.
    const uint64_t expected = (uint64_t{image->width} * facts.samplesPerPixel * facts.bitsPerSample + 7) / 8;
    if (static_cast<uint64_t>(storedSize) != expected) {
        return ImageFailure(Gdiplus::GenericError, "the TIFF image is damaged: its rows have an unexpected size");
    }
    for (uint32_t y = 0; y < image->height; ++y) {
        if (TIFFReadScanline(tiff, stored.data(), y, 0) != 1) return TiffFailure(source, "its pixels cannot be read");
        FormRow(layout.form, stored.data(), image->width, image, image->Row(y));
    }
    return {};
}

// libtiff fills each pixel as a 32-bit value in the machine's byte order,
// premultiplied; this turns the values into B, G, R, A bytes.
ImageOutcome ReadTiffThroughRgba(TIFF* tiff, const TiffSource& source, uint32_t width, uint32_t height,
                                 NativeImage* image)
{
    char unsupported[1024] = "";
    if (!TIFFRGBAImageOK(tiff, unsupported)) {
        return ImageFailure(Gdiplus::UnknownImageFormat,
                            std::string("the TIFF image has a form that cannot be read: ") + unsupported);
    }
    ImageOutcome outcome = AllocateNativePixels(image, width, height, GUID_WICPixelFormat32bppPBGRA, 32, "TIFF");
    if (outcome.Failed()) return outcome;
    if (TIFFReadRGBAImageOriented(tiff, width, height, reinterpret_cast<uint32_t*>(image->pixels.data()),
                                  ORIENTATION_TOPLEFT, 1) != 1) {
        return TiffFailure(source, "its pixels cannot be read");
    }
    uint8_t* pixel = image->pixels.data();
    for (size_t count = size_t{width} * height; count > 0; --count, pixel += 4) {
        uint32_t value = 0;
        std::memcpy(&value, pixel, 4);
        const uint8_t bytes[4] = {static_cast<uint8_t>(TIFFGetB(value)), static_cast<uint8_t>(TIFFGetG(value)),
                                  static_cast<uint8_t>(TIFFGetR(value)), static_cast<uint8_t>(TIFFGetA(value))};
        std::memcpy(pixel, bytes, 4);
    }
    return {};
}

}  // namespace

ImageOutcome DecodeNativeTiff(const uint8_t* data, size_t size, NativeImage* image)
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
    const TiffFacts facts = ReadTiffFacts(tiff);
    const std::optional<TiffLayout> layout = PlanTiffLayout(facts);
    ImageOutcome outcome;
    try {
        if (layout) {
            outcome = AllocateNativePixels(image, width, height, layout->format, layout->bitsPerPixel, "TIFF");
            if (!outcome.Failed()) outcome = ReadLaidOutTiff(tiff, source, facts, *layout, image);
            if (!outcome.Failed() && facts.photometric == PHOTOMETRIC_PALETTE) {
                ReadTiffPalette(tiff, facts.bitsPerSample, image);
            }
        } else {
            outcome = ReadTiffThroughRgba(tiff, source, width, height, image);
        }
        if (!outcome.Failed()) ReadTiffProfile(tiff, image);
    } catch (const std::bad_alloc&) {
        outcome = ImageFailure(Gdiplus::OutOfMemory, "no memory to read the TIFF image");
    }
    if (outcome.Failed()) {
        image->pixels.clear();
        return outcome;
    }
    ReadTiffResolution(tiff, &image->dpiX, &image->dpiY);
    return {};
}

}  // namespace tav::imaging
