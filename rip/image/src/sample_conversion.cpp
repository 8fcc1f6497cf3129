#include "sample_conversion.h"

#include <cmath>

namespace tav::rip {

uint8_t TransferCurve(float value)
{
    if (std::isnan(value) || value <= 0.0f) return 0;
    if (value < 0.018f) return static_cast<uint8_t>(value * 1147.5f);
    if (value >= 1.0f) return 255;
    return static_cast<uint8_t>((1.099f * std::pow(value, 0.45f) - 0.099f) * 255.0f);
}

uint8_t FixedPoint16ToByte(int16_t sample)
{
    return sample <= 0 ? 0 : TransferCurve(static_cast<float>(sample) / 8191.0f);
}

uint8_t FixedPoint32ToByte(int32_t sample)
{
    return sample <= 0 ? 0 : TransferCurve(static_cast<float>(sample) / 16777215.0f);
}

uint8_t HalfToByte(uint16_t half)
{
    if ((half & 0x8000) != 0) return 0;
    const int exponent = (half >> 10) & 0x1F;
    const int mantissa = half & 0x3FF;
    if (exponent == 0x1F) return 255;
    // Subnormal halves have no implicit leading 1.
    const float value = exponent == 0 ? std::ldexp(static_cast<float>(mantissa), -24)
                                      : std::ldexp(static_cast<float>(1024 + mantissa), exponent - 25);
    return TransferCurve(value);
}

void SharedExponentToRgb(const uint8_t rgbe[4], uint8_t rgb[3])
{
    for (int channel = 0; channel < 3; ++channel) {
        const float x = rgbe[3] == 0 ? 0.0f : std::ldexp(static_cast<float>(rgbe[channel]), rgbe[3] - 128);
        if (x <= 0.0f) {
            rgb[channel] = 0;
        } else if (x < 4.59f) {
            rgb[channel] = static_cast<uint8_t>(x * 4.5f);
        } else if (x >= 255.0f) {
            rgb[channel] = 255;
        } else {
            rgb[channel] = static_cast<uint8_t>((1.099f * std::pow(x / 255.0f, 0.45f) - 0.099f) * 255.0f);
        }
    }
}

uint8_t Unpremultiply(uint8_t colour, uint8_t alpha)
{
    if (alpha == 0) return 255;
    const unsigned value = unsigned{colour} * 255 / alpha;
    return static_cast<uint8_t>(value < 255 ? value : 255);
}

void UnpremultiplyFloat(const float rgba[4], uint8_t out[4])
{
    const float alpha = TransferCurve(rgba[3]);
    if (rgba[3] == 0.0f || alpha == 0.0f) {
        out[0] = out[1] = out[2] = 255;
        out[3] = 0;
        return;
    }
    for (int channel = 0; channel < 3; ++channel) {
        const float value = TransferCurve(rgba[channel]) * 255.0f / alpha;
        out[channel] = static_cast<uint8_t>(value < 255.0f ? value : 255.0f);
    }
    out[3] = static_cast<uint8_t>(alpha);
}

}  // namespace tav::rip
