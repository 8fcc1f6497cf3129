// libpng reports errors by calling our handler, which jumps back with
// png_longjmp; the function that sets the jump point holds nothing with a
// destructor, so the jump skips no C++ clean-up.
#include "png_encoder.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <new>

namespace tav::imaging {

namespace {

struct PngSink {
    std::string* bytes;
    char message[256];
};

void OnPngError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
    std::snprintf(sink->message, sizeof sink->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void WritePngBytes(png_structp png, png_bytep data, size_t count)
{
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    bool written = true;
    try {
        sink->bytes->append(reinterpret_cast<const char*>(data), count);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (!written) png_error(png, "no memory for the PNG data");
}

void FlushPngBytes(png_structp) {}

png_uint_32 PixelsPerMetre(double dpi) { return static_cast<png_uint_32>(std::lround(dpi / 0.0254)); }

// rgbRow holds width * 3 bytes for an image without transparency.
bool WritePng(png_structp png, png_infop info, const DecodedImage* image, png_bytep rgbRow)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, image->width, image->height, 8,
                 image->hasAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image->dpiX > 0 && image->dpiY > 0) {
        png_set_pHYs(png, info, PixelsPerMetre(image->dpiX), PixelsPerMetre(image->dpiY), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    for (uint32_t y = 0; y < image->height; ++y) {
        const uint8_t* rgba = image->Row(y);
        if (image->hasAlpha) {
            png_write_row(png, rgba);
            continue;
        }
        for (uint32_t x = 0; x < image->width; ++x) {
            rgbRow[x * 3] = rgba[x * 4];
            rgbRow[x * 3 + 1] = rgba[x * 4 + 1];
            rgbRow[x * 3 + 2] = rgba[x * 4 + 2];
        }
        png_write_row(png, rgbRow);
    }
    png_write_end(png, info);
    return true;
}

class PngWriteStruct {
public:
    explicit PngWriteStruct(PngSink* sink)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnPngError, OnPngWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr)
    {
        if (png_ != nullptr) png_set_write_fn(png_, sink, WritePngBytes, FlushPngBytes);
    }
    ~PngWriteStruct() { png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr); }
    PngWriteStruct(const PngWriteStruct&) = delete;
    PngWriteStruct& operator=(const PngWriteStruct&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_;
    png_infop info_;
};

}  // namespace

ImageOutcome EncodePng(const DecodedImage& image, std::string* png)
{
    if (image.width == 0 || image.height == 0 || image.rgba.size() != size_t{image.width} * image.height * 4) {
        return ImageFailure(Gdiplus::InvalidParameter, "the image has no pixels to encode");
    }
    std::vector<png_byte> rgbRow;
    try {
        if (!image.hasAlpha) rgbRow.resize(size_t{image.width} * 3);
    } catch (const std::bad_alloc&) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to encode the PNG image");
    }
    PngSink sink{png, {}};
    PngWriteStruct writer(&sink);
    if (writer.png() == nullptr || writer.info() == nullptr) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to encode the PNG image");
    }
    if (!WritePng(writer.png(), writer.info(), &image, rgbRow.data())) {
        return ImageFailure(Gdiplus::GenericError, std::string("the PNG image cannot be encoded: ") + sink.message);
    }
    return {};
}

}  // namespace tav::imaging
