// PNG through libpng in the image's own sample depth: grey of 1 to 16 bits,
// palette images with their palette, RGB and RGBA of 8 or 16 bits. Where
// PNG has no pixel format of its own (grey with alpha, transparency by a
// colour key), the image widens to the nearest format that keeps it: a
// palette of greys, BGRA or 16-bit RGBA.
#include <csetjmp>
#include <cstring>

#include "native_image.h"
#include "platform/wincodec.h"
#include "png_reading.h"

namespace tav::imaging {

namespace {

// Text and other ancillary chunks are skipped unread; the colour profile is
// kept.
constexpr png_byte kSkippedChunks[] = "iTXt\0tEXt\0zTXt\0sPLT\0eXIf";
constexpr int kSkippedChunkCount = 5;
// No chunk libpng keeps in memory, the inflated profile included, may be
// larger than this.
constexpr png_alloc_size_t kMaxChunkBytes = 16 * 1024 * 1024;

struct PngFacts {
    png_uint_32 width;
    png_uint_32 height;
    int bitDepth;
    int colorType;
    bool transparency;
    bool hasResolution;
    png_uint_32 pixelsPerMetreX;
    png_uint_32 pixelsPerMetreY;
};

// The pixel format a PNG is given, and the transformations that make
// libpng deliver it.
struct PngLayout {
    GUID format;
    uint32_t bitsPerPixel;
    bool swap16;       // 16-bit samples in the machine's order
    bool swapRedBlue;  // BGR(A) order
    bool grayToRgb;    // grey samples as R, G and B
    bool transparencyToAlpha;
    bool grayPalette;  // grey with a colour key as indices into a palette of greys
};

// Where a grey or indexed format of 1, 2, 4 or 8 bits a pixel stands in a
// list of those four.
size_t DepthIndex(int depth) { return depth == 1 ? 0 : depth == 2 ? 1 : depth == 4 ? 2 : 3; }

PngLayout LayoutOf(const PngFacts& facts)
{
    const int depth = facts.bitDepth;
    const bool wide = depth == 16;
    switch (facts.colorType) {
    case PNG_COLOR_TYPE_GRAY:
        if (wide) {
            if (facts.transparency) return {GUID_WICPixelFormat64bppRGBA, 64, true, false, true, true, false};
            return {GUID_WICPixelFormat16bppGray, 16, true, false, false, false, false};
        }
        if (facts.transparency) {
            const GUID indexed[] = {GUID_WICPixelFormat1bppIndexed, GUID_WICPixelFormat2bppIndexed,
                                    GUID_WICPixelFormat4bppIndexed, GUID_WICPixelFormat8bppIndexed};
            return {indexed[depth == 1   ? 0
                            : depth == 2 ? 1
                            : depth == 4 ? 2
                                         : 3],
                    static_cast<uint32_t>(depth),
                    false,
                    false,
                    false,
                    false,
                    true};
        } else {
            const GUID grey[] = {GUID_WICPixelFormatBlackWhite, GUID_WICPixelFormat2bppGray,
                                 GUID_WICPixelFormat4bppGray, GUID_WICPixelFormat8bppGray};
            return {grey[DepthIndex(depth)], static_cast<uint32_t>(depth), false, false, false, false, false};
        }
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        if (wide) return {GUID_WICPixelFormat64bppRGBA, 64, true, false, true, false, false};
        return {GUID_WICPixelFormat32bppBGRA, 32, false, true, true, false, false};
    case PNG_COLOR_TYPE_RGB:
        if (wide && facts.transparency) return {GUID_WICPixelFormat64bppRGBA, 64, true, false, false, true, false};
        if (wide) return {GUID_WICPixelFormat48bppRGB, 48, true, false, false, false, false};
        if (facts.transparency) return {GUID_WICPixelFormat32bppBGRA, 32, false, true, false, true, false};
        return {GUID_WICPixelFormat24bppRGB, 24, false, false, false, false, false};
    case PNG_COLOR_TYPE_RGB_ALPHA:
        if (wide) return {GUID_WICPixelFormat64bppRGBA, 64, true, false, false, false, false};
        return {GUID_WICPixelFormat32bppBGRA, 32, false, true, false, false, false};
    default: {
        const GUID indexed[] = {GUID_WICPixelFormat1bppIndexed, GUID_WICPixelFormat2bppIndexed,
                                GUID_WICPixelFormat4bppIndexed, GUID_WICPixelFormat8bppIndexed};
        return {indexed[DepthIndex(depth)], static_cast<uint32_t>(depth), false, false, false, false, false};
    }
    }
}

uint32_t Argb(uint32_t alpha, uint32_t red, uint32_t green, uint32_t blue)
{
    return alpha << 24 | red << 16 | green << 8 | blue;
}

bool ReadPngFacts(png_structp png, png_infop info, PngFacts* facts)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_read_info(png, info);
    facts->width = png_get_image_width(png, info);
    facts->height = png_get_image_height(png, info);
    facts->bitDepth = png_get_bit_depth(png, info);
    facts->colorType = png_get_color_type(png, info);
    facts->transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    facts->hasResolution = png_get_pHYs(png, info, &facts->pixelsPerMetreX, &facts->pixelsPerMetreY, &unit) != 0 &&
                           unit == PNG_RESOLUTION_METER;
    return true;
}

// The palette with the alpha of tRNS (colours it does not reach are
// opaque), or the greys of the depth with the colour key transparent.
void ReadPngPalette(png_structp png, png_infop info, const PngFacts& facts, const PngLayout& layout, NativeImage* image)
{
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p key = nullptr;
    if (facts.transparency) png_get_tRNS(png, info, &alphas, &alphaCount, &key);
    if (layout.grayPalette) {
        const uint32_t levels = 1u << facts.bitDepth;
        const uint32_t keyLevel = key != nullptr ? (key->gray & (levels - 1)) : levels;
        for (uint32_t level = 0; level < levels; ++level) {
            const uint32_t grey = level * 255 / (levels - 1);
            image->palette.push_back(Argb(level == keyLevel ? 0 : 255, grey, grey, grey));
        }
        return;
    }
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &colours, &count) == 0) return;
    for (int i = 0; i < count; ++i) {
        const uint32_t alpha = alphas != nullptr && i < alphaCount ? alphas[i] : 255;
        image->palette.push_back(Argb(alpha, colours[i].red, colours[i].green, colours[i].blue));
    }
}

bool ReadPngRows(png_structp png, png_infop info, const PngLayout& layout, NativeImage* image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    if (layout.grayToRgb) png_set_gray_to_rgb(png);
    if (layout.transparencyToAlpha) png_set_tRNS_to_alpha(png);
    if (layout.swapRedBlue) png_set_bgr(png);
    if (layout.swap16) png_set_swap(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != image->stride) png_error(png, "unexpected PNG row size");
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < image->height; ++y) png_read_row(png, image->Row(y), nullptr);
    }
    return true;
}

bool ReadPngProfile(png_structp png, png_infop info, NativeImage* image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0 && profile != nullptr) {
        image->profile.assign(reinterpret_cast<const char*>(profile), length);
    }
    return true;
}

ImageOutcome PngFailure(const PngSource& source)
{
    return ImageFailure(Gdiplus::GenericError, std::string("the PNG image is damaged: ") + source.message);
}

}  // namespace

ImageOutcome DecodeNativePng(const uint8_t* data, size_t size, NativeImage* image)
{
    PngSource source{data, size, 0, {}};
    PngReadStruct reader(&source);
    if (reader.png() == nullptr || reader.info() == nullptr) {
        return ImageFailure(Gdiplus::OutOfMemory, "no memory to read the PNG image");
    }
    PngFacts facts{};
    if (!ReadPngFacts(reader.png(), reader.info(), &facts)) return PngFailure(source);
    const PngLayout layout = LayoutOf(facts);
    ImageOutcome outcome =
        AllocateNativePixels(image, facts.width, facts.height, layout.format, layout.bitsPerPixel, "PNG");
    if (outcome.Failed()) return outcome;
    if (facts.colorType == PNG_COLOR_TYPE_PALETTE || layout.grayPalette) {
        ReadPngPalette(reader.png(), reader.info(), facts, layout, image);
    }
    if (!ReadPngProfile(reader.png(), reader.info(), image) ||
        !ReadPngRows(reader.png(), reader.info(), layout, image)) {
        image->pixels.clear();
        return PngFailure(source);
    }
    if (facts.hasResolution) {
        image->dpiX = DotsPerInchFromPixelsPerMetre(facts.pixelsPerMetreX);
        image->dpiY = DotsPerInchFromPixelsPerMetre(facts.pixelsPerMetreY);
    }
    return {};
}

}  // namespace tav::imaging
