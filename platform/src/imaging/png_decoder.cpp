// PNG through libpng, as 8-bit RGBA.
#include <csetjmp>

#include "image_decoders.h"
#include "png_reading.h"

namespace tav::imaging {

namespace {

// Ancillary chunks that may carry compressed text or profiles; they are
// skipped unread so that no chunk can make libpng inflate megabytes.
constexpr png_byte kSkippedChunks[] = "iCCP\0iTXt\0tEXt\0zTXt\0sPLT\0eXIf";
constexpr int kSkippedChunkCount = 6;
// Any other chunk libpng keeps in memory is limited to this size.
constexpr png_alloc_size_t kMaxChunkBytes = 1024 * 1024;

struct PngHeader {
    png_uint_32 width;
    png_uint_32 height;
    int colorType;
    bool transparency;
    bool hasResolution;
    png_uint_32 pixelsPerMetreX;
    png_uint_32 pixelsPerMetreY;
};

bool ReadPngHeader(png_structp png, png_infop info, PngHeader* header)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    header->colorType = png_get_color_type(png, info);
    header->transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    header->hasResolution = png_get_pHYs(png, info, &header->pixelsPerMetreX, &header->pixelsPerMetreY, &unit) != 0 &&
                            unit == PNG_RESOLUTION_METER;
    return true;
}

// Every colour type and depth becomes 8-bit RGBA; interlaced images are
// read pass by pass into the same rows.
bool ReadPngPixels(png_structp png, png_infop info, DecodedImage* image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{image->width} * 4) png_error(png, "unexpected PNG row size");
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < image->height; ++y) png_read_row(png, image->Row(y), nullptr);
    }
    return true;
}

}  // namespace

ImageOutcome DecodePng(const uint8_t* data, size_t size, DecodedImage* image)
{
    PngSource source{data, size, 0, {}};
    PngReadStruct reader(&source);
    if (reader.png() == nullptr || reader.info() == nullptr) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the PNG image");
    }
    PngHeader header{};
    if (!ReadPngHeader(reader.png(), reader.info(), &header)) {
        return ImageFailure(Gdiplus::GenericError, std::string("the PNG image is damaged: ") + source.message);
    }
    ImageOutcome outcome = AllocatePixels(image, header.width, header.height, "PNG");
    if (outcome.Failed()) return outcome;
    if (!ReadPngPixels(reader.png(), reader.info(), image)) {
        image->rgba.clear();
        return ImageFailure(Gdiplus::GenericError, std::string("the PNG image is damaged: ") + source.message);
    }
    image->hasAlpha = (header.colorType & PNG_COLOR_MASK_ALPHA) != 0 || header.transparency;
    if (header.hasResolution) {
        image->dpiX = DotsPerInchFromPixelsPerMetre(header.pixelsPerMetreX);
        image->dpiY = DotsPerInchFromPixelsPerMetre(header.pixelsPerMetreY);
    }
    return {};
}

}  // namespace tav::imaging
