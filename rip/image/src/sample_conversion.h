// The conversions of single samples into the 8-bit samples of an image
// block, pure functions of their inputs: the transfer curve that takes
// linear light (float, fixed-point, half and shared-exponent samples) to
// 8 bits, and the un-premultiplication of colour by alpha.
#pragma once

#include <cstdint>

namespace tav::rip {

// The transfer curve of ITU-R BT.709 in single precision, truncated:
// v <= 0 gives 0, v < 0.018 gives v * 1147.5, v >= 1 gives 255, otherwise
// (1.099 * v^0.45 - 0.099) * 255. Not-a-number gives 0.
uint8_t TransferCurve(float value);

// A 16-bit fixed-point sample (13 fraction bits): negative or 0 gives 0,
// otherwise the curve of sample / 8191.
uint8_t FixedPoint16ToByte(int16_t sample);
// A 32-bit fixed-point sample (24 fraction bits): negative or 0 gives 0,
// otherwise the curve of sample / 16777215.
uint8_t FixedPoint32ToByte(int32_t sample);
// An IEEE 754 half: negative gives 0, infinity and not-a-number 255,
// otherwise the curve of its value.
uint8_t HalfToByte(uint16_t half);

// R, G, B of a shared-exponent pixel (bytes R, G, B, E): E = 0 gives black;
// otherwise each x = byte * 2^(E - 128) gives 0 for x <= 0, x * 4.5 below
// 4.59, 255 from 255 on, else (1.099 * (x / 255)^0.45 - 0.099) * 255,
// truncated.
void SharedExponentToRgb(const uint8_t rgbe[4], uint8_t rgb[3]);

// An 8-bit colour sample premultiplied by alpha: min(255, c * 255 / a);
// 255 where alpha is 0 (the pixel is fully transparent white).
uint8_t Unpremultiply(uint8_t colour, uint8_t alpha);

// A premultiplied float pixel's R, G, B, A as 8-bit R, G, B, A: alpha
// through the curve (A'), each colour as min(255, curve(c) * 255 / A');
// alpha 0, or an alpha whose curve is 0, gives transparent white.
void UnpremultiplyFloat(const float rgba[4], uint8_t out[4]);

}  // namespace tav::rip
