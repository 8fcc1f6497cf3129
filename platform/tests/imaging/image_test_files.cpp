#include "image_test_files.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <unistd.h>
#include <zlib.h>

namespace imagetest {

namespace {

void PutBig32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void PutLittle16(std::string& out, uint32_t value)
{
    out.push_back(static_cast<char>(value));
    out.push_back(static_cast<char>(value >> 8));
}

void PutLittle32(std::string& out, uint32_t value)
{
    PutLittle16(out, value & 0xFFFF);
    PutLittle16(out, value >> 16);
}

std::string BmpFile(int32_t width, int32_t height, uint16_t bits, const std::string& palette, uint32_t colours,
                    const std::string& pixelRows, int32_t pixelsPerMetre)
{
    const uint32_t pixelOffset = 14 + 40 + static_cast<uint32_t>(palette.size());
    std::string file("BM", 2);
    PutLittle32(file, pixelOffset + static_cast<uint32_t>(pixelRows.size()));
    PutLittle32(file, 0);
    PutLittle32(file, pixelOffset);
    PutLittle32(file, 40);
    PutLittle32(file, static_cast<uint32_t>(width));
    PutLittle32(file, static_cast<uint32_t>(height));
    PutLittle16(file, 1);
    PutLittle16(file, bits);
    PutLittle32(file, 0);
    PutLittle32(file, static_cast<uint32_t>(pixelRows.size()));
    PutLittle32(file, static_cast<uint32_t>(pixelsPerMetre));
    PutLittle32(file, static_cast<uint32_t>(pixelsPerMetre));
    PutLittle32(file, colours);
    PutLittle32(file, 0);
    return file + palette + pixelRows;
}

int AppendGifBytes(GifFileType* gif, const GifByteType* bytes, int count)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), count);
    return count;
}

}  // namespace

std::string PngChunk(const char type[5], const std::string& data)
{
    std::string chunk;
    PutBig32(chunk, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    chunk += body;
    PutBig32(chunk, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
    return chunk;
}

std::string PngHeader(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, uint8_t interlace)
{
    std::string data;
    PutBig32(data, width);
    PutBig32(data, height);
    data += static_cast<char>(bitDepth);
    data += static_cast<char>(colourType);
    data += '\0';
    data += '\0';
    data += static_cast<char>(interlace);
    return PngChunk("IHDR", data);
}

std::string PngData(const std::string& scanlines)
{
    uLongf size = compressBound(scanlines.size());
    std::string deflated(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(scanlines.data()),
                  scanlines.size(), 9) != Z_OK) {
        throw std::runtime_error("compress2 failed");
    }
    deflated.resize(size);
    return PngChunk("IDAT", deflated);
}

std::string PngFile(const std::vector<std::string>& chunks)
{
    std::string file("\x89PNG\r\n\x1a\n", 8);
    for (const std::string& chunk : chunks) file += chunk;
    return file + PngChunk("IEND", "");
}

std::string RgbPng(uint32_t width, uint32_t height, const std::vector<Rgb>& pixels, uint32_t pixelsPerMetre)
{
    std::string scanlines;
    for (uint32_t y = 0; y < height; ++y) {
        scanlines += '\0';
        for (uint32_t x = 0; x < width; ++x) {
            const Rgb& pixel = pixels[y * width + x];
            scanlines += {static_cast<char>(pixel.r), static_cast<char>(pixel.g), static_cast<char>(pixel.b)};
        }
    }
    std::vector<std::string> chunks{PngHeader(width, height, 8, 2)};
    if (pixelsPerMetre != 0) {
        std::string physical;
        PutBig32(physical, pixelsPerMetre);
        PutBig32(physical, pixelsPerMetre);
        physical += '\1';
        chunks.push_back(PngChunk("pHYs", physical));
    }
    chunks.push_back(PngData(scanlines));
    return PngFile(chunks);
}

std::string SolidJpeg(uint32_t width, uint32_t height, Rgb colour, uint8_t densityUnit, uint16_t density,
                      int restartRows)
{
    jpeg_compress_struct compress{};
    jpeg_error_mgr errors{};
    compress.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compress);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compress, &buffer, &size);
    compress.image_width = width;
    compress.image_height = height;
    compress.input_components = 3;
    compress.in_color_space = JCS_RGB;
    jpeg_set_defaults(&compress);
    jpeg_set_quality(&compress, 95, TRUE);
    compress.write_JFIF_header = TRUE;
    compress.density_unit = densityUnit;
    compress.X_density = densityUnit != 0 ? density : 1;
    compress.Y_density = densityUnit != 0 ? density : 1;
    compress.restart_in_rows = restartRows;
    jpeg_start_compress(&compress, TRUE);
    std::vector<unsigned char> row(width * 3);
    for (uint32_t x = 0; x < width; ++x) {
        row[x * 3] = colour.r;
        row[x * 3 + 1] = colour.g;
        row[x * 3 + 2] = colour.b;
    }
    JSAMPROW rows[1] = {row.data()};
    while (compress.next_scanline < height) jpeg_write_scanlines(&compress, rows, 1);
    jpeg_finish_compress(&compress);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&compress);
    std::free(buffer);
    return file;
}

std::string ProgressiveGreyJpeg(uint8_t level, bool everyCoefficientApart)
{
    jpeg_compress_struct compress{};
    jpeg_error_mgr errors{};
    compress.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compress);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compress, &buffer, &size);
    compress.image_width = 8;
    compress.image_height = 8;
    compress.input_components = 1;
    compress.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&compress);
    std::vector<jpeg_scan_info> scans;
    if (everyCoefficientApart) {
        scans.push_back({1, {0}, 0, 0, 0, 0});
        for (int k = 1; k < 64; ++k) {
            scans.push_back({1, {0}, k, k, 0, 10});
            for (int bit = 10; bit > 0; --bit) scans.push_back({1, {0}, k, k, bit, bit - 1});
        }
        compress.scan_info = scans.data();
        compress.num_scans = static_cast<int>(scans.size());
    } else {
        jpeg_simple_progression(&compress);
    }
    jpeg_start_compress(&compress, TRUE);
    std::vector<unsigned char> row(8, level);
    JSAMPROW rows[1] = {row.data()};
    while (compress.next_scanline < 8) jpeg_write_scanlines(&compress, rows, 1);
    jpeg_finish_compress(&compress);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&compress);
    std::free(buffer);
    return file;
}

std::string RgbTiff(const TiffLayout& layout)
{
    std::string pixels;
    for (const Rgb& pixel : layout.pixels) {
        pixels += {static_cast<char>(pixel.r), static_cast<char>(pixel.g), static_cast<char>(pixel.b)};
    }
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const bool resolution = layout.dotsPerInch != 0;
    const uint32_t entryCount = resolution ? 12 : 9;
    const uint32_t extra = 8 + 2 + entryCount * 12 + 4;  // header, IFD
    const uint32_t bitsOffset = extra;
    const uint32_t resolutionOffset = bitsOffset + 6;
    const uint32_t stripOffset = resolutionOffset + (resolution ? 16 : 0);
    enum : uint16_t { kShort = 3, kLong = 4, kRational = 5 };
    std::vector<Entry> entries = {
        {256, kLong, 1, layout.width},
        {257, kLong, 1, layout.height},
        {258, kShort, 3, bitsOffset},
        {259, kShort, 1, 1},
        {262, kShort, 1, 2},
        {273, kLong, 1, layout.stripOffset != 0 ? layout.stripOffset : stripOffset},
        {277, kShort, 1, 3},
        {278, kLong, 1, layout.height},
        {279, kLong, 1, layout.stripByteCount != 0 ? layout.stripByteCount : static_cast<uint32_t>(pixels.size())},
    };
    if (resolution) {
        entries.push_back({282, kRational, 1, resolutionOffset});
        entries.push_back({283, kRational, 1, resolutionOffset + 8});
        entries.push_back({296, kShort, 1, 2});
    }
    std::string file("II*\0", 4);
    PutLittle32(file, 8);
    PutLittle16(file, entryCount);
    for (const Entry& entry : entries) {
        PutLittle16(file, entry.tag);
        PutLittle16(file, entry.type);
        PutLittle32(file, entry.count);
        if (entry.type == kShort && entry.count == 1) {
            PutLittle16(file, entry.value);
            PutLittle16(file, 0);
        } else {
            PutLittle32(file, entry.value);
        }
    }
    PutLittle32(file, 0);
    for (int sample = 0; sample < 3; ++sample) PutLittle16(file, 8);
    if (resolution) {
        for (int axis = 0; axis < 2; ++axis) {
            PutLittle32(file, layout.dotsPerInch);
            PutLittle32(file, 1);
        }
    }
    return file + pixels;
}

std::string Rgb24Bmp(int32_t width, int32_t height, const std::vector<Rgb>& pixels, int32_t pixelsPerMetre)
{
    std::string rows;
    for (int32_t y = height - 1; y >= 0; --y) {
        std::string row;
        for (int32_t x = 0; x < width; ++x) {
            const Rgb& pixel = pixels[y * width + x];
            row += {static_cast<char>(pixel.b), static_cast<char>(pixel.g), static_cast<char>(pixel.r)};
        }
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return BmpFile(width, height, 24, "", 0, rows, pixelsPerMetre);
}

std::string Indexed8Bmp(int32_t width, int32_t height, const std::vector<Rgb>& palette,
                        const std::vector<uint8_t>& indices)
{
    std::string table;
    for (const Rgb& colour : palette) {
        table += {static_cast<char>(colour.b), static_cast<char>(colour.g), static_cast<char>(colour.r), '\0'};
    }
    std::string rows;
    for (int32_t y = height - 1; y >= 0; --y) {
        std::string row(indices.begin() + y * width, indices.begin() + (y + 1) * width);
        row.resize((row.size() + 3) / 4 * 4, '\0');
        rows += row;
    }
    return BmpFile(width, height, 8, table, static_cast<uint32_t>(palette.size()), rows, 0);
}

std::string IndexedGif(int width, int height, const std::vector<Rgb>& palette, const std::vector<uint8_t>& indices,
                       int transparentIndex, bool interlaced)
{
    std::string file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, AppendGifBytes, &error);
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i) colours[i] = {palette[i].r, palette[i].g, palette[i].b};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    if (transparentIndex >= 0) {
        const GifByteType control[4] = {1, 0, 0, static_cast<GifByteType>(transparentIndex)};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    static const int kStart[] = {0, 4, 2, 1};
    static const int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
        for (int y = interlaced ? kStart[pass] : 0; y < height; y += interlaced ? kStep[pass] : 1) {
            std::vector<GifPixelType> line(indices.begin() + y * width, indices.begin() + (y + 1) * width);
            EGifPutLine(gif, line.data(), width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return file;
}

ScratchFile::ScratchFile(const std::string& content, const std::string& name)
{
    char pattern[] = "/tmp/tav-image-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    directory_ = pattern;
    file_ = directory_ + "/" + name;
    std::ofstream(file_, std::ios::binary) << content;
    path_.assign(file_.begin(), file_.end());
}

ScratchFile::~ScratchFile()
{
    std::remove(file_.c_str());
    rmdir(directory_.c_str());
}

}  // namespace imagetest
