// TIFF through libtiff, over the file's bytes in memory. libtiff reports
// through the handlers of this handle only: the first error becomes the
// reason, nothing is printed.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "image_decoders.h"

namespace tav::imaging {

namespace {

// No single allocation of libtiff (a strip, a tile, a tag's values) may be
// larger than the pixels of the largest image we accept.
constexpr tmsize_t kMaxTiffAllocation = static_cast<tmsize_t>(kMaxImagePixels * 4);

struct TiffSource {
    const uint8_t* data;
    uint64_t size;
    uint64_t offset;
    char message[256];
};

TiffSource* SourceOf(thandle_t handle) { return static_cast<TiffSource*>(handle); }

tmsize_t ReadTiffBytes(thandle_t handle, void* out, tmsize_t count)
{
    TiffSource* source = SourceOf(handle);
    if (count < 0 || source->offset >= source->size) return 0;
    const uint64_t available = source->size - source->offset;
    const uint64_t taken = static_cast<uint64_t>(count) < available ? static_cast<uint64_t>(count) : available;
    std::memcpy(out, source->data + source->offset, taken);
    source->offset += taken;
    return static_cast<tmsize_t>(taken);
}

tmsize_t WriteTiffBytes(thandle_t, void*, tmsize_t) { return -1; }

// Any position may be sought, past the end too (reads there give nothing);
// a position before the start or past 2^63 is refused. For SEEK_CUR and
// SEEK_END the unsigned offset carries a signed move.
toff_t SeekTiff(thandle_t handle, toff_t offset, int whence)
{
    TiffSource* source = SourceOf(handle);
    const auto base = static_cast<int64_t>(whence == SEEK_SET ? 0 : whence == SEEK_CUR ? source->offset : source->size);
    int64_t target = 0;
    if (__builtin_add_overflow(base, static_cast<int64_t>(offset), &target) || target < 0) {
        return static_cast<toff_t>(-1);
    }
    source->offset = static_cast<uint64_t>(target);
    return source->offset;
}

int CloseTiff(thandle_t) { return 0; }
toff_t TiffSize(thandle_t handle) { return SourceOf(handle)->size; }
int MapTiff(thandle_t, void**, toff_t*) { return 0; }
void UnmapTiff(thandle_t, void*, toff_t) {}

int OnTiffError(TIFF*, void* user, const char* module, const char* format, va_list arguments)
{
    TiffSource* source = SourceOf(user);
    if (source->message[0] == '\0') std::vsnprintf(source->message, sizeof source->message, format, arguments);
    return 1;
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TiffReader {
public:
    explicit TiffReader(TiffSource* source)
    {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (options == nullptr) return;
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAllocation);
        TIFFOpenOptionsSetErrorHandlerExtR(options, OnTiffError, source);
        TIFFOpenOptionsSetWarningHandlerExtR(options, OnTiffWarning, source);
        // "m": read through the procedures above, never a mapping.
        tiff_ = TIFFClientOpenExt("image", "rm", source, ReadTiffBytes, WriteTiffBytes, SeekTiff, CloseTiff, TiffSize,
                                  MapTiff, UnmapTiff, options);
        TIFFOpenOptionsFree(options);
    }
    ~TiffReader()
    {
        if (tiff_ != nullptr) TIFFClose(tiff_);
    }
    TiffReader(const TiffReader&) = delete;
    TiffReader& operator=(const TiffReader&) = delete;

    TIFF* tiff() const { return tiff_; }

private:
    TIFF* tiff_ = nullptr;
};

ImageOutcome TiffFailure(const TiffSource& source, const char* fallback)
{
    return ImageFailure(Gdiplus::GenericError, std::string("the TIFF image is damaged: ") +
                                                   (source.message[0] != '\0' ? source.message : fallback));
}

// Dots per inch from the resolution tags; 0 without a unit.
void ReadTiffResolution(TIFF* tiff, DecodedImage* image)
{
    float x = 0;
    float y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) != 1 || TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) != 1) return;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_INCH ? 1.0 : unit == RESUNIT_CENTIMETER ? 2.54 : 0.0;
    if (!(x > 0) || !(y > 0) || perInch == 0) return;
    image->dpiX = x * perInch;
    image->dpiY = y * perInch;
}

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
    ReadTiffResolution(tiff, image);
    return {};
}

}  // namespace tav::imaging
