// BMP files, read by hand: the file header, an info header of any of the
// usual sizes, a colour table for 1, 4 and 8 bits per pixel, and
// uncompressed or bit-field pixels of 16, 24 and 32 bits. Every offset and
// length is checked against the file before it is used.
#include <bit>
#include <cstring>

#include "image_decoders.h"

namespace tav::imaging {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionAlphaBitFields = 6;

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Read32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

ImageOutcome BmpFailure(const std::string& what)
{
    return ImageFailure(Gdiplus::GenericError, "the BMP image is damaged: " + what);
}

// One colour channel of a bit-field pixel: where its bits are and how many.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t maximum = 0;

    explicit Channel(uint32_t bits = 0) : mask(bits)
    {
        if (bits == 0) return;
        shift = std::countr_zero(bits);
        maximum = bits >> shift;
    }
    bool Present() const { return mask != 0; }
    uint8_t Of(uint32_t pixel) const
    {
        if (maximum == 0) return 0;
        return static_cast<uint8_t>((uint64_t{(pixel & mask) >> shift} * 255 + maximum / 2) / maximum);
    }
};

struct BmpLayout {
    int64_t width = 0;
    int64_t height = 0;  // positive: rows stored from the bottom
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kCompressionNone;
    uint32_t headerBytes = 0;
    uint32_t colourCount = 0;
    uint32_t pixelOffset = 0;
    Channel red, green, blue, alpha;
    int32_t pixelsPerMetreX = 0;
    int32_t pixelsPerMetreY = 0;
};

ImageOutcome ReadBmpLayout(const uint8_t* data, size_t size, BmpLayout* layout)
{
    if (size < kFileHeaderBytes + 4) return BmpFailure("the data ends early");
    layout->pixelOffset = Read32(data + 10);
    layout->headerBytes = Read32(data + 14);
    const uint8_t* header = data + kFileHeaderBytes;
    if (layout->headerBytes != kCoreHeaderBytes && layout->headerBytes < kInfoHeaderBytes) {
        return BmpFailure("its header has an unknown size");
    }
    if (size - kFileHeaderBytes < layout->headerBytes) return BmpFailure("the data ends early");
    if (layout->headerBytes == kCoreHeaderBytes) {
        layout->width = Read16(header + 4);
        layout->height = Read16(header + 6);
        layout->bitsPerPixel = Read16(header + 10);
        return {};
    }
    layout->width = static_cast<int32_t>(Read32(header + 4));
    layout->height = static_cast<int32_t>(Read32(header + 8));
    layout->bitsPerPixel = Read16(header + 14);
    layout->compression = Read32(header + 16);
    layout->pixelsPerMetreX = static_cast<int32_t>(Read32(header + 24));
    layout->pixelsPerMetreY = static_cast<int32_t>(Read32(header + 28));
    layout->colourCount = Read32(header + 32);
    if (layout->compression == kCompressionBitFields || layout->compression == kCompressionAlphaBitFields) {
        // The masks follow a 40-byte header, or are part of a longer one.
        const bool withAlpha = layout->compression == kCompressionAlphaBitFields || layout->headerBytes >= 56;
        const size_t maskBytes = withAlpha ? 16 : 12;
        if (size - kFileHeaderBytes - kInfoHeaderBytes < maskBytes) return BmpFailure("the data ends early");
        layout->red = Channel(Read32(header + 40));
        layout->green = Channel(Read32(header + 44));
        layout->blue = Channel(Read32(header + 48));
        if (withAlpha) layout->alpha = Channel(Read32(header + 52));
        if (layout->headerBytes == kInfoHeaderBytes) layout->headerBytes += static_cast<uint32_t>(maskBytes);
    } else if (layout->compression != kCompressionNone) {
        return ImageFailure(Gdiplus::UnknownImageFormat, "the BMP image is compressed, which is not supported");
    }
    return {};
}

// The default bit fields of uncompressed 16- and 32-bit pixels.
void SetDefaultChannels(BmpLayout* layout)
{
    if (layout->red.Present() || layout->green.Present() || layout->blue.Present()) return;
    if (layout->bitsPerPixel == 16) {
        layout->red = Channel(0x7C00);
        layout->green = Channel(0x03E0);
        layout->blue = Channel(0x001F);
    } else {
        layout->red = Channel(0x00FF0000);
        layout->green = Channel(0x0000FF00);
        layout->blue = Channel(0x000000FF);
    }
}

struct Palette {
    uint8_t colours[256][4] = {};
    uint32_t count = 0;
};

ImageOutcome ReadPalette(const uint8_t* data, size_t size, const BmpLayout& layout, Palette* palette)
{
    // A table longer than the pixels can index is read only as far as they can.
    const uint32_t indexable = 1u << layout.bitsPerPixel;
    const uint32_t entries = layout.colourCount != 0 && layout.colourCount < indexable ? layout.colourCount : indexable;
    const size_t entryBytes = layout.headerBytes == kCoreHeaderBytes ? 3 : 4;
    const size_t start = kFileHeaderBytes + layout.headerBytes;
    if ((size - start) / entryBytes < entries) return BmpFailure("the data ends early");
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* entry = data + start + i * entryBytes;
        palette->colours[i][0] = entry[2];
        palette->colours[i][1] = entry[1];
        palette->colours[i][2] = entry[0];
        palette->colours[i][3] = 255;
    }
    palette->count = entries;
    return {};
}

void DecodeRow(const uint8_t* source, const BmpLayout& layout, const Palette& palette, uint8_t* out, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x, out += 4) {
        const uint16_t bits = layout.bitsPerPixel;
        if (bits <= 8) {
            const size_t bit = size_t{x} * bits;
            const uint32_t index = (source[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            // An index past the table is black.
            static const uint8_t kBlack[4] = {0, 0, 0, 255};
            std::memcpy(out, index < palette.count ? palette.colours[index] : kBlack, 4);
        } else if (bits == 24) {
            const uint8_t* pixel = source + size_t{x} * 3;
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
            out[3] = 255;
        } else {
            const uint32_t pixel = bits == 16 ? Read16(source + size_t{x} * 2) : Read32(source + size_t{x} * 4);
            out[0] = layout.red.Of(pixel);
            out[1] = layout.green.Of(pixel);
            out[2] = layout.blue.Of(pixel);
            out[3] = layout.alpha.Present() ? layout.alpha.Of(pixel) : 255;
        }
    }
}

}  // namespace

ImageOutcome DecodeBmp(const uint8_t* data, size_t size, DecodedImage* image)
{
    BmpLayout layout;
    ImageOutcome outcome = ReadBmpLayout(data, size, &layout);
    if (outcome.Failed()) return outcome;
    const uint16_t bits = layout.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return BmpFailure("it has " + std::to_string(bits) + " bits per pixel");
    }
    if (layout.compression != kCompressionNone && bits != 16 && bits != 32) {
        return BmpFailure("bit fields are given for " + std::to_string(bits) + "-bit pixels");
    }
    Palette palette;
    if (bits <= 8) {
        outcome = ReadPalette(data, size, layout, &palette);
        if (outcome.Failed()) return outcome;
    } else {
        SetDefaultChannels(&layout);
    }
    const bool bottomUp = layout.height > 0;
    const uint64_t width = layout.width < 0 ? 0 : uint64_t(layout.width);
    const uint64_t height = layout.height < 0 ? uint64_t(-layout.height) : uint64_t(layout.height);
    outcome = CheckImageSize(width, height, "BMP");
    if (outcome.Failed()) return outcome;
    // Rows are padded to four bytes; the last row need not be.
    const uint64_t rowBytes = (width * bits + 7) / 8;
    const uint64_t stride = (width * bits + 31) / 32 * 4;
    if (layout.pixelOffset > size || (size - layout.pixelOffset) < stride * (height - 1) + rowBytes) {
        return BmpFailure("the data ends early");
    }
    outcome = AllocatePixels(image, width, height, "BMP");
    if (outcome.Failed()) return outcome;
    for (uint32_t y = 0; y < image->height; ++y) {
        const uint64_t storedRow = bottomUp ? image->height - 1 - y : y;
        DecodeRow(data + layout.pixelOffset + storedRow * stride, layout, palette, image->Row(y), image->width);
    }
    image->hasAlpha = layout.alpha.Present();
    if (layout.pixelsPerMetreX > 0 && layout.pixelsPerMetreY > 0) {
        image->dpiX = DotsPerInchFromPixelsPerMetre(static_cast<uint32_t>(layout.pixelsPerMetreX));
        image->dpiY = DotsPerInchFromPixelsPerMetre(static_cast<uint32_t>(layout.pixelsPerMetreY));
    }
    return {};
}

}  // namespace tav::imaging
