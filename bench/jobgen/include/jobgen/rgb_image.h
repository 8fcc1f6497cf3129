// 8-bit RGB rasters: the images a job embeds and the pages a renderer wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jobgen {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RgbImage {
public:
    RgbImage() = default;
    // Throws std::invalid_argument for a size outside 1..kMaxSide.
    RgbImage(int width, int height, Rgb fill = {255, 255, 255});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const;
    void Set(int x, int y, Rgb colour);
    const std::vector<uint8_t>& Bytes() const { return pixels_; }
    std::vector<uint8_t>& Bytes() { return pixels_; }

    // Large enough for a sheet at print resolution, small enough that its
    // buffer size cannot overflow.
    static constexpr int kMaxSide = 30000;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> pixels_;
};

// PNG encoding and decoding (any PNG colour type is read as 8-bit RGB,
// transparency composed over white). Both throw std::runtime_error with the
// reason on failure.
std::vector<uint8_t> EncodePng(const RgbImage& image);
RgbImage DecodePng(const std::vector<uint8_t>& png);
RgbImage ReadPngFile(const std::string& path);

}  // namespace jobgen
