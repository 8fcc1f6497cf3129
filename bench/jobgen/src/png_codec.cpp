// PNG through libpng's simplified interface, which reports errors in the
// image structure instead of jumping out of the caller.
#include <stdexcept>

#include <png.h>

#include "jobgen/file_reading.h"
#include "jobgen/rgb_image.h"

namespace jobgen {

namespace {

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    std::string Message() const { return image.message; }
};

}  // namespace

std::vector<uint8_t> EncodePng(const RgbImage& image)
{
    PngImage png;
    png.image.width = image.Width();
    png.image.height = image.Height();
    png.image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, image.Bytes().data(), 0, nullptr))
        throw std::runtime_error("PNG encoding failed: " + png.Message());
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png.image, out.data(), &size, 0, image.Bytes().data(), 0, nullptr))
        throw std::runtime_error("PNG encoding failed: " + png.Message());
    out.resize(size);
    return out;
}

RgbImage DecodePng(const std::vector<uint8_t>& data)
{
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size()))
        throw std::runtime_error("not a readable PNG: " + png.Message());
    if (png.image.width < 1 || png.image.height < 1 || png.image.width > RgbImage::kMaxSide ||
        png.image.height > RgbImage::kMaxSide)
        throw std::runtime_error("PNG of " + std::to_string(png.image.width) + "x" + std::to_string(png.image.height) +
                                 " pixels is too large to read");
    RgbImage image(static_cast<int>(png.image.width), static_cast<int>(png.image.height));
    png.image.format = PNG_FORMAT_RGB;
    png_color white{255, 255, 255};
    if (!png_image_finish_read(&png.image, &white, image.Bytes().data(), 0, nullptr))
        throw std::runtime_error("PNG decoding failed: " + png.Message());
    return image;
}

RgbImage ReadPngFile(const std::string& path)
{
    constexpr uintmax_t kMaxPngFile = uintmax_t(1) << 30;
    std::vector<uint8_t> data = ReadFileBytes(path, kMaxPngFile);
    try {
        return DecodePng(data);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
}

}  // namespace jobgen
