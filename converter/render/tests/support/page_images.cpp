#include "page_images.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tav::render::testing {

namespace {

struct MemoryReader {
    const std::string* data;
    size_t position = 0;
};

ssize_t ReadFromMemory(void* context, unsigned char* buffer, size_t length)
{
    auto* reader = static_cast<MemoryReader*>(context);
    size_t count = std::min(length, reader->data->size() - reader->position);
    std::memcpy(buffer, reader->data->data() + reader->position, count);
    reader->position += count;
    return static_cast<ssize_t>(count);
}

bool ReadPnm(const std::string& path, GreyImage* image)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (!in || (magic != "P6" && magic != "P5") || maximum != 255 || width <= 0 || height <= 0) return false;
    int channels = magic == "P6" ? 3 : 1;
    std::vector<uint8_t> raw(static_cast<size_t>(width) * height * channels);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    if (!in) return false;
    image->width = width;
    image->height = height;
    image->pixels.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < image->pixels.size(); ++i)
        image->pixels[i] = channels == 3 ? Grey(raw[3 * i], raw[3 * i + 1], raw[3 * i + 2]) : raw[i];
    return true;
}

}  // namespace

bool ReadPwgRaster(const std::string& stream, std::vector<cups_page_header2_t>* headers, std::vector<GreyImage>* pages)
{
    MemoryReader reader{&stream};
    cups_raster_t* raster = cupsRasterOpenIO(ReadFromMemory, &reader, CUPS_RASTER_READ);
    if (!raster) return false;
    cups_page_header2_t header;
    while (cupsRasterReadHeader2(raster, &header)) {
        GreyImage image;
        image.width = static_cast<int>(header.cupsWidth);
        image.height = static_cast<int>(header.cupsHeight);
        image.pixels.resize(static_cast<size_t>(image.width) * image.height);
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        bool grey = header.cupsColorSpace == CUPS_CSPACE_SW;
        for (int y = 0; y < image.height; ++y) {
            if (cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) != header.cupsBytesPerLine) {
                cupsRasterClose(raster);
                return false;
            }
            for (int x = 0; x < image.width; ++x)
                image.pixels[static_cast<size_t>(y) * image.width + x] =
                    grey ? line[x] : Grey(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
        }
        headers->push_back(header);
        pages->push_back(std::move(image));
    }
    cupsRasterClose(raster);
    return !pages->empty();
}

bool ReadPwgRasterRgb(const std::string& stream, std::vector<RgbImage>* pages)
{
    MemoryReader reader{&stream};
    cups_raster_t* raster = cupsRasterOpenIO(ReadFromMemory, &reader, CUPS_RASTER_READ);
    if (!raster) return false;
    cups_page_header2_t header;
    bool read = true;
    while (read && cupsRasterReadHeader2(raster, &header)) {
        if (header.cupsColorSpace != CUPS_CSPACE_SRGB || header.cupsBitsPerPixel != 24) {
            read = false;
            break;
        }
        RgbImage image;
        image.width = static_cast<int>(header.cupsWidth);
        image.height = static_cast<int>(header.cupsHeight);
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (int y = 0; y < image.height && read; ++y) {
            read = cupsRasterReadPixels(raster, line.data(), header.cupsBytesPerLine) == header.cupsBytesPerLine;
            for (int x = 0; x < image.width && read; ++x)
                image.pixels.push_back({line[3 * x], line[3 * x + 1], line[3 * x + 2]});
        }
        pages->push_back(std::move(image));
    }
    cupsRasterClose(raster);
    return read && !pages->empty();
}

bool MutoolRender(const std::string& document, int page, int dpi, GreyImage* image, std::string* error)
{
    std::string output = (std::filesystem::temp_directory_path() /
                          ("tav-render-" + std::to_string(getpid()) + "-" + std::to_string(page) + ".ppm"))
                             .string();
    std::string command = "mutool draw -q -r " + std::to_string(dpi) + " -c rgb -o '" + output + "' '" + document +
                          "' " + std::to_string(page) + " 2>/dev/null";
    int status = std::system(command.c_str());
    bool read = status == 0 && ReadPnm(output, image);
    std::filesystem::remove(output);
    if (!read) *error = "mutool draw failed on " + document;
    return read;
}

ImageDifference Compare(const GreyImage& a, const GreyImage& b, const std::vector<PixelBox>& ignored)
{
    ImageDifference difference;
    int width = std::min(a.width, b.width), height = std::min(a.height, b.height);
    auto skipped = [&](int x, int y) {
        for (const PixelBox& box : ignored)
            if (x >= box.x0 && x < box.x1 && y >= box.y0 && y < box.y1) return true;
        return false;
    };
    double total = 0;
    size_t counted = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!skipped(x, y)) total += std::abs(a.At(x, y) - b.At(x, y)), ++counted;
    difference.meanAbsolute = counted ? total / counted : 0;
    for (int y = 0; y + 4 <= height; y += 2)
        for (int x = 0; x + 4 <= width; x += 2) {
            bool all = true;
            for (int dy = 0; dy < 4 && all; ++dy)
                for (int dx = 0; dx < 4 && all; ++dx)
                    all = !skipped(x + dx, y + dy) && std::abs(a.At(x + dx, y + dy) - b.At(x + dx, y + dy)) > 64;
            if (all) ++difference.differingBlocks;
        }
    return difference;
}

void SavePgm(const GreyImage& image, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
}

}  // namespace tav::render::testing
