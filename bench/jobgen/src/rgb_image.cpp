#include "jobgen/rgb_image.h"

#include <stdexcept>

namespace jobgen {

RgbImage::RgbImage(int width, int height, Rgb fill) : width_(width), height_(height)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("image size " + std::to_string(width) + "x" + std::to_string(height) +
                                    " is outside 1.." + std::to_string(kMaxSide));
    pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0; i < pixels_.size(); i += 3) {
        pixels_[i] = fill.r;
        pixels_[i + 1] = fill.g;
        pixels_[i + 2] = fill.b;
    }
}

Rgb RgbImage::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the image");
    size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    return Rgb{pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

void RgbImage::Set(int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the image");
    size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    pixels_[i] = colour.r;
    pixels_[i + 1] = colour.g;
    pixels_[i + 2] = colour.b;
}

}  // namespace jobgen
