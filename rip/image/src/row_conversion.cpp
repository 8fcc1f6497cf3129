#include "row_conversion.h"

#include <cstring>

#include "sample_conversion.h"

namespace tav::rip {

namespace {

template <class T>
T Load(const uint8_t* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// The value of pixel x in a row of pixels of fewer than 8 bits, the first
// in the high bits of each byte.
uint32_t PackedValue(const uint8_t* row, uint32_t x, uint32_t bits)
{
    const uint32_t bit = x * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

void ConvertPixel(const PixelFormat& format, const uint8_t* in, uint8_t* out)
{
    const auto& order = format.order;
    switch (format.rule) {
    case SampleRule::kBytes:
        for (int i = 0; i < format.samples; ++i) out[i] = in[order[i]];
        break;
    case SampleRule::kHighBytes:
        for (int i = 0; i < format.samples; ++i) out[i] = in[order[i] * 2 + 1];
        break;
    case SampleRule::kPremultiplied:
    case SampleRule::kPremultipliedHigh: {
        const int step = format.rule == SampleRule::kPremultiplied ? 1 : 2;
        const int high = step - 1;
        const uint8_t alpha = in[order[3] * step + high];
        for (int i = 0; i < 3; ++i) out[i] = Unpremultiply(in[order[i] * step + high], alpha);
        out[3] = alpha;
        break;
    }
    case SampleRule::kBgr555: {
        const uint16_t word = Load<uint16_t>(in);
        out[0] = static_cast<uint8_t>((word >> 10 & 0x1F) * 255 / 31);
        out[1] = static_cast<uint8_t>((word >> 5 & 0x1F) * 255 / 31);
        out[2] = static_cast<uint8_t>((word & 0x1F) * 255 / 31);
        break;
    }
    case SampleRule::kBgr565: {
        const uint16_t word = Load<uint16_t>(in);
        out[0] = static_cast<uint8_t>((word >> 11 & 0x1F) * 255 / 31);
        out[1] = static_cast<uint8_t>((word >> 5 & 0x3F) * 255 / 63);
        out[2] = static_cast<uint8_t>((word & 0x1F) * 255 / 31);
        break;
    }
    case SampleRule::kBgr101010: {
        const uint32_t word = Load<uint32_t>(in);
        out[0] = static_cast<uint8_t>(word >> 22);
        out[1] = static_cast<uint8_t>(word >> 12);
        out[2] = static_cast<uint8_t>(word >> 2);
        break;
    }
    case SampleRule::kFloat:
        for (int i = 0; i < format.samples; ++i) out[i] = TransferCurve(Load<float>(in + order[i] * 4));
        break;
    case SampleRule::kPremultipliedFloat: {
        const float rgba[4] = {Load<float>(in), Load<float>(in + 4), Load<float>(in + 8), Load<float>(in + 12)};
        UnpremultiplyFloat(rgba, out);
        break;
    }
    case SampleRule::kFixedPoint16:
        for (int i = 0; i < format.samples; ++i) out[i] = FixedPoint16ToByte(Load<int16_t>(in + order[i] * 2));
        break;
    case SampleRule::kFixedPoint32:
        for (int i = 0; i < format.samples; ++i) out[i] = FixedPoint32ToByte(Load<int32_t>(in + order[i] * 4));
        break;
    case SampleRule::kHalf:
        for (int i = 0; i < format.samples; ++i) out[i] = HalfToByte(Load<uint16_t>(in + order[i] * 2));
        break;
    case SampleRule::kSharedExponent: SharedExponentToRgb(in, out); break;
    case SampleRule::kPalette:
    case SampleRule::kGreyBits: break;
    }
}

}  // namespace

void ConvertRow(const PixelFormat& format, const uint8_t* row, uint32_t width, const std::vector<uint32_t>& palette,
                uint8_t* out)
{
    const uint32_t bits = format.bitsPerPixel;
    if (format.rule == SampleRule::kPalette) {
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            const uint32_t index = PackedValue(row, x, bits);
            const uint32_t colour = index < palette.size() ? palette[index] : 0;
            out[0] = static_cast<uint8_t>(colour >> 16);
            out[1] = static_cast<uint8_t>(colour >> 8);
            out[2] = static_cast<uint8_t>(colour);
            out[3] = static_cast<uint8_t>(colour >> 24);
        }
        return;
    }
    if (format.rule == SampleRule::kGreyBits) {
        const uint32_t largest = (1u << bits) - 1;
        for (uint32_t x = 0; x < width; ++x) out[x] = static_cast<uint8_t>(PackedValue(row, x, bits) * 255 / largest);
        return;
    }
    const uint32_t bytesPerPixel = bits / 8;
    for (uint32_t x = 0; x < width; ++x)
        ConvertPixel(format, row + size_t{x} * bytesPerPixel, out + size_t{x} * format.samples);
}

}  // namespace tav::rip
