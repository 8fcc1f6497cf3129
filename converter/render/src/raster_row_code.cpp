#include "raster_row_code.h"

namespace tav::render {

namespace {

// The grey or RGB samples of an RGB24 pixel.
void PutPixel(uint32_t pixel, bool grey, std::string* out)
{
    unsigned r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
    if (grey) {
        out->push_back(static_cast<char>((r * 77 + g * 150 + b * 29 + 128) >> 8));
    } else {
        const char samples[3] = {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
        out->append(samples, 3);
    }
}

bool SameColour(uint32_t a, uint32_t b) { return ((a ^ b) & 0xFFFFFF) == 0; }

}  // namespace

void EncodeRasterRow(const uint32_t* row, unsigned width, bool grey, std::string* out)
{
    constexpr unsigned kMaxRun = 128;
    unsigned x = 0;
    while (x < width) {
        unsigned end = x + 1;
        if (end < width && SameColour(row[x], row[end])) {
            while (end < width && end - x < kMaxRun && SameColour(row[x], row[end])) ++end;
            out->push_back(static_cast<char>(end - x - 1));
            PutPixel(row[x], grey, out);
        } else {
            while (end < width && end - x < kMaxRun && !(end + 1 < width && SameColour(row[end], row[end + 1]))) ++end;
            const unsigned count = end - x;
            out->push_back(static_cast<char>(count == 1 ? 0 : 257 - count));
            for (unsigned i = x; i < end; ++i) PutPixel(row[i], grey, out);
        }
        x = end;
    }
}

}  // namespace tav::render
