#include "jobgen/pictures.h"

#include <array>

namespace jobgen {

namespace {

uint8_t Ramp(int position, int extent) { return extent > 1 ? static_cast<uint8_t>(position * 255 / (extent - 1)) : 0; }

}  // namespace

RgbImage DrawGradient(int width, int height)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.Set(x, y, Rgb{Ramp(x, width), Ramp(y, height), 128});
    }
    return image;
}

RgbImage DrawBars(int width, int height, int variant)
{
    // Cyan, magenta, yellow, green, grey, orange, white: none reads as the
    // marks' pure red or pure blue.
    constexpr std::array<Rgb, 7> kPalette{Rgb{0, 200, 220},   Rgb{230, 0, 230},  Rgb{240, 220, 0},  Rgb{40, 170, 60},
                                          Rgb{128, 128, 128}, Rgb{240, 140, 20}, Rgb{255, 255, 255}};
    int bars = 3 + (variant % 5 + 5) % 5;
    RgbImage image(width, height);
    for (int x = 0; x < width; ++x) {
        int bar = x * bars / width;
        Rgb colour = kPalette[(bar + variant % 7 + 7) % 7];
        for (int y = 0; y < height; ++y) image.Set(x, y, colour);
    }
    return image;
}

}  // namespace jobgen
