// Grey page images for comparing renders: PWG Raster read back with libcups,
// MuPDF's renders of a package or PDF, and the difference of two images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <cups/raster.h>

namespace tav::render::testing {

struct GreyImage {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// One grey value of an sRGB pixel, the same way for every image compared.
inline uint8_t Grey(unsigned r, unsigned g, unsigned b)
{
    return static_cast<uint8_t>((r * 77 + g * 150 + b * 29 + 128) >> 8);
}

// Every page of a PWG Raster stream, read with cupsRasterReadHeader2 and
// cupsRasterReadPixels; false when libcups cannot read it.
bool ReadPwgRaster(const std::string& stream, std::vector<cups_page_header2_t>* headers, std::vector<GreyImage>* pages);

struct RgbPixel {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RgbPixel&) const = default;
};
struct RgbImage {
    int width = 0, height = 0;
    std::vector<RgbPixel> pixels;
    RgbPixel At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
// The pages of an sRGB PWG Raster stream in colour; false for any other.
bool ReadPwgRasterRgb(const std::string& stream, std::vector<RgbImage>* pages);

// `mutool draw -r dpi` of one page (from 1) of an XPS package or a PDF.
bool MutoolRender(const std::string& document, int page, int dpi, GreyImage* image, std::string* error);

// A rectangle of pixels left out of a comparison.
struct PixelBox {
    int x0, y0, x1, y1;
};

struct ImageDifference {
    double meanAbsolute = 0;
    // Blocks of 4x4 pixels in which every pixel differs by more than 64:
    // edges drawn a little differently never fill such a block, a missing or
    // misplaced shape does.
    int differingBlocks = 0;
};
ImageDifference Compare(const GreyImage& a, const GreyImage& b, const std::vector<PixelBox>& ignored = {});

// Writes an image as a PGM file, for looking at a failure.
void SavePgm(const GreyImage& image, const std::string& path);

}  // namespace tav::render::testing
