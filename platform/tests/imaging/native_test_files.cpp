#include "native_test_files.h"

#include <tiffio.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <jpeglib.h>
#include <zlib.h>

#include "image_test_files.h"

namespace imagetest {

std::string TestProfile(const char colourSpace[5], size_t length)
{
    std::string profile(length, '\0');
    for (size_t i = 132; i < length; ++i) profile[i] = static_cast<char>(i);
    const auto putBig32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) profile[at + i] = static_cast<char>(value >> (24 - 8 * i));
    };
    putBig32(0, static_cast<uint32_t>(length));
    putBig32(8, 0x02100000);  // version 2.1
    profile.replace(12, 4, "mntr");
    profile.replace(16, 4, colourSpace);
    profile.replace(20, 4, "XYZ ");
    profile.replace(36, 4, "acsp");
    // The D50 illuminant, s15.16.
    putBig32(68, 0x0000F6D6);
    putBig32(72, 0x00010000);
    putBig32(76, 0x0000D32D);
    return profile;
}

std::string PngProfileChunk(const std::string& profile)
{
    uLongf size = compressBound(profile.size());
    std::string deflated(size, '\0');
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(profile.data()),
              profile.size(), 9);
    deflated.resize(size);
    return PngChunk("iCCP", std::string("photo\0\0", 7) + deflated);
}

std::string Jpeg(uint32_t width, uint32_t height, const std::vector<uint8_t>& pixel, uint16_t dotsPerInch,
                 const std::string& profile)
{
    const int components = static_cast<int>(pixel.size());
    jpeg_compress_struct compress{};
    jpeg_error_mgr errors{};
    compress.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compress);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compress, &buffer, &size);
    compress.image_width = width;
    compress.image_height = height;
    compress.input_components = components;
    compress.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&compress);
    jpeg_set_quality(&compress, 100, TRUE);
    compress.write_JFIF_header = components != 4 && dotsPerInch != 0;
    compress.density_unit = 1;
    compress.X_density = compress.Y_density = dotsPerInch;
    jpeg_start_compress(&compress, TRUE);
    if (!profile.empty()) {
        jpeg_write_icc_profile(&compress, reinterpret_cast<const JOCTET*>(profile.data()),
                               static_cast<unsigned int>(profile.size()));
    }
    std::vector<unsigned char> row;
    for (uint32_t x = 0; x < width; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
    JSAMPROW rows[1] = {row.data()};
    while (compress.next_scanline < height) jpeg_write_scanlines(&compress, rows, 1);
    jpeg_finish_compress(&compress);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&compress);
    std::free(buffer);
    return file;
}

TiffSpec TiffOf(uint32_t width, uint32_t height, uint16_t photometric, uint16_t samplesPerPixel, uint16_t bitsPerSample,
                uint16_t sampleFormat, uint16_t planarConfig)
{
    TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.photometric = photometric;
    spec.samplesPerPixel = samplesPerPixel;
    spec.bitsPerSample = bitsPerSample;
    spec.sampleFormat = sampleFormat;
    spec.planarConfig = planarConfig;
    return spec;
}

std::string Tiff(const TiffSpec& spec)
{
    char path[] = "/tmp/tav-tiff-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) throw std::runtime_error("mkstemp failed");
    close(descriptor);
    TIFF* tiff = TIFFOpen(path, "w");
    if (tiff == nullptr) throw std::runtime_error("TIFFOpen failed");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, spec.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, spec.sampleFormat);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, spec.planarConfig);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 2);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    if (!spec.extraSamples.empty()) {
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(spec.extraSamples.size()),
                     spec.extraSamples.data());
    }
    if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tiff, TIFFTAG_INKSET, spec.inkSet);
    if (!spec.colourMap.empty()) {
        const size_t count = spec.colourMap.size() / 3;
        TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colourMap.data(), spec.colourMap.data() + count,
                     spec.colourMap.data() + 2 * count);
    }
    if (!spec.profile.empty()) {
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(spec.profile.size()), spec.profile.data());
    }
    if (spec.dotsPerInch != 0) {
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, spec.dotsPerInch);
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, spec.dotsPerInch);
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    const size_t rowSize = static_cast<size_t>(TIFFScanlineSize(tiff));
    const uint16_t planes = spec.planarConfig == PLANARCONFIG_SEPARATE ? spec.samplesPerPixel : 1;
    std::string row;
    for (uint16_t plane = 0; plane < planes; ++plane) {
        for (uint32_t y = 0; y < spec.height; ++y) {
            row = spec.rows.substr((plane * spec.height + y) * rowSize, rowSize);
            row.resize(rowSize, '\0');
            TIFFWriteScanline(tiff, row.data(), y, plane);
        }
    }
    TIFFClose(tiff);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    unlink(path);
    return content.str();
}

std::string HandmadeTiff(const std::vector<std::array<uint32_t, 4>>& entries)
{
    std::string file("II*\0\x08\0\0\0", 8);
    const auto put16 = [&](uint32_t value) { file += {static_cast<char>(value), static_cast<char>(value >> 8)}; };
    const auto put32 = [&](uint32_t value) {
        put16(value & 0xFFFF);
        put16(value >> 16);
    };
    put16(static_cast<uint32_t>(entries.size()));
    for (const auto& entry : entries) {
        put16(entry[0]);
        put16(entry[1]);
        put32(entry[2]);
        put32(entry[3]);
    }
    put32(0);
    return file;
}

std::string StripTiff(uint32_t height, uint32_t count, uint32_t dataOffset)
{
    return HandmadeTiff({{256, 4, 1, 1},
                         {257, 4, 1, height},
                         {258, 3, 1, 8},
                         {259, 3, 1, 1},
                         {262, 3, 1, 1},
                         {273, 4, count, dataOffset},
                         {277, 3, 1, 1},
                         {278, 4, 1, 1},
                         {279, 4, count, dataOffset}});
}

}  // namespace imagetest
