// Image files in their own pixel formats, for the imaging component's tests:
// JPEG and TIFF written through libjpeg and libtiff, JPEG XR through jxrlib's
// encoder (lossless), each of the samples the test gives.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

// An ICC profile of the length (at least 132 bytes) for the colour space
// ("RGB ", "GRAY", "CMYK"): a header that passes libpng's checks, no tags,
// and bytes that count up behind it.
std::string TestProfile(const char colourSpace[5], size_t length);

// A PNG iCCP chunk holding the profile, deflated.
std::string PngProfileChunk(const std::string& profile);

// A JPEG of one pixel's samples repeated over the image: 1 grey, 3 RGB, 4
// CMYK (written with an Adobe marker, so inverted), with a JFIF marker of
// the resolution when not 0, and the profile in APP2 markers.
std::string Jpeg(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixel, uint16_t dotsPerInch = 0,
                 const std::string& profile = "");

// A little-endian TIFF of one directory: tag, type, count and value (or
// offset) of each entry, in the order given; nothing else.
std::string HandmadeTiff(const std::vector<std::array<uint32_t, 4>>& entries);
// 1 x height 8-bit grey, a row a strip, with count strip offsets and byte
// counts at dataOffset.
std::string StripTiff(uint32_t height, uint32_t count, uint32_t dataOffset);

struct TiffSpec {
    uint32_t width = 1;
    uint32_t height = 1;
    uint16_t photometric = 1;  // PHOTOMETRIC_MINISBLACK
    uint16_t samplesPerPixel = 1;
    uint16_t bitsPerSample = 8;
    uint16_t sampleFormat = 1;  // SAMPLEFORMAT_UINT
    uint16_t planarConfig = 1;  // PLANARCONFIG_CONTIG
    std::vector<uint16_t> extraSamples;
    uint16_t inkSet = 1;  // INKSET_CMYK
    // 3 << bitsPerSample values: red, then green, then blue.
    std::vector<uint16_t> colourMap;
    std::string profile;
    float dotsPerInch = 0;
    // The stored rows, each of the size libtiff expects, one after the
    // other (all of plane 0, then plane 1, ... when planar).
    std::string rows;
};
std::string Tiff(const TiffSpec& spec);
// A spec of the size and samples, with no rows yet.
TiffSpec TiffOf(uint32_t width, uint32_t height, uint16_t photometric, uint16_t samplesPerPixel, uint16_t bitsPerSample,
                uint16_t sampleFormat = 1, uint16_t planarConfig = 1);

// A JPEG XR of the rows (each pixels.size() / height bytes) in the pixel
// format {6FDDC324-4E03-4BFE-B185-3D77768DC9xx} numbered format, with its
// resolution when not 0 and its profile.
std::string JpegXr(uint32_t width, uint32_t height, uint8_t format, const std::string& pixels, float dpiX = 0,
                   float dpiY = 0, const std::string& profile = "");

}  // namespace imagetest
