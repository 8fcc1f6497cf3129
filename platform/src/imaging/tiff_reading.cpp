#include "tiff_reading.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace tav::imaging {

namespace {

// No single allocation of libtiff (a strip, a tile, a tag's values) may be
// larger than the pixels of the largest image we accept.
constexpr tmsize_t kMaxTiffAllocation = static_cast<tmsize_t>(kMaxImagePixels * 4);

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

}  // namespace

TiffReader::TiffReader(TiffSource* source)
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

TiffReader::~TiffReader()
{
    if (tiff_ != nullptr) TIFFClose(tiff_);
}

ImageOutcome TiffFailure(const TiffSource& source, const char* fallback)
{
    return ImageFailure(Gdiplus::GenericError, std::string("the TIFF image is damaged: ") +
                                                   (source.message[0] != '\0' ? source.message : fallback));
}

void ReadTiffResolution(TIFF* tiff, double* dpiX, double* dpiY)
{
    float x = 0;
    float y = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) != 1 || TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) != 1) return;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_INCH ? 1.0 : unit == RESUNIT_CENTIMETER ? 2.54 : 0.0;
    if (!(x > 0) || !(y > 0) || perInch == 0) return;
    *dpiX = x * perInch;
    *dpiY = y * perInch;
}

}  // namespace tav::imaging
