// Image files made in the tests: PNG, TIFF and BMP byte by byte (so that a
// test can write any header it likes), JPEG and GIF through their encoding
// libraries. Every pixel value is given by the test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

struct Rgb {
    uint8_t r, g, b;
};

// A PNG chunk with its length and CRC.
std::string PngChunk(const char type[5], const std::string& data);
// The IHDR chunk.
std::string PngHeader(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, uint8_t interlace = 0);
// An IDAT chunk holding the scanlines (each with its filter byte), deflated.
std::string PngData(const std::string& scanlines);
// Signature + the chunks + IEND.
std::string PngFile(const std::vector<std::string>& chunks);
// An 8-bit RGB PNG of the pixels (row by row), with a pHYs chunk when
// pixelsPerMetre is not 0.
std::string RgbPng(uint32_t width, uint32_t height, const std::vector<Rgb>& pixels, uint32_t pixelsPerMetre = 0);

// A baseline JPEG of one colour. densityUnit 0: no resolution, 1: dots per
// inch, 2: dots per centimetre; restartRows not 0: a restart interval of
// that many rows of blocks.
std::string SolidJpeg(uint32_t width, uint32_t height, Rgb colour, uint8_t densityUnit = 0, uint16_t density = 0,
                      int restartRows = 0);

// A progressive 8 x 8 grey JPEG: the usual few scans, or each of the 63 AC
// coefficients in 11 scans of successive approximation (694 scans in all).
std::string ProgressiveGreyJpeg(uint8_t level, bool everyCoefficientApart);

// A little-endian, uncompressed, one-strip 8-bit RGB TIFF of the pixels.
// The strip's offset and byte count may be replaced; resolution (per inch)
// is written when not 0.
struct TiffLayout {
    uint32_t width = 1;
    uint32_t height = 1;
    std::vector<Rgb> pixels;
    uint32_t dotsPerInch = 0;
    // When set, these replace the true values.
    uint32_t stripOffset = 0;
    uint32_t stripByteCount = 0;
};
std::string RgbTiff(const TiffLayout& layout);

// A 24-bit bottom-up BMP (BITMAPINFOHEADER) of the pixels.
std::string Rgb24Bmp(int32_t width, int32_t height, const std::vector<Rgb>& pixels, int32_t pixelsPerMetre = 0);
// An 8-bit BMP with a colour table and the given indices, bottom-up.
std::string Indexed8Bmp(int32_t width, int32_t height, const std::vector<Rgb>& palette,
                        const std::vector<uint8_t>& indices);

// A GIF (screen = image) of the colour indices; transparentIndex -1 for
// none.
std::string IndexedGif(int width, int height, const std::vector<Rgb>& palette, const std::vector<uint8_t>& indices,
                       int transparentIndex = -1, bool interlaced = false);

// A file in a fresh directory that disappears with the object.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& content, const std::string& name = "image");
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::u16string& path() const { return path_; }
    const std::string& directory() const { return directory_; }

private:
    std::string directory_;
    std::string file_;
    std::u16string path_;
};

}  // namespace imagetest
