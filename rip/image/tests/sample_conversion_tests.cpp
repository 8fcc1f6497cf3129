// The sample conversions against values worked out by hand (to four
// places, so that the truncation is beyond doubt).
#include <gtest/gtest.h>

#include <cmath>

#include "sample_conversion.h"

namespace {

using namespace tav::rip;

TEST(SampleConversion, TransferCurve)
{
    EXPECT_EQ(TransferCurve(0.0f), 0);
    EXPECT_EQ(TransferCurve(-1.0f), 0);
    EXPECT_EQ(TransferCurve(NAN), 0);
    EXPECT_EQ(TransferCurve(0.01f), 11);    // 0.01 * 1147.5 = 11.475
    EXPECT_EQ(TransferCurve(0.0179f), 20);  // 20.540
    EXPECT_EQ(TransferCurve(0.018f), 20);   // (1.099 * 0.16403 - 0.099) * 255 = 20.72
    EXPECT_EQ(TransferCurve(0.25f), 124);   // (1.099 * 0.53589 - 0.099) * 255 = 124.93
    EXPECT_EQ(TransferCurve(0.5f), 179);    // (1.099 * 0.73204 - 0.099) * 255 = 179.91
    EXPECT_EQ(TransferCurve(0.9f), 242);    // (1.099 * 0.95369 - 0.099) * 255 = 242.02
    EXPECT_EQ(TransferCurve(1.0f), 255);
    EXPECT_EQ(TransferCurve(INFINITY), 255);
}

TEST(SampleConversion, FixedPoint)
{
    EXPECT_EQ(FixedPoint16ToByte(8191), 255);
    EXPECT_EQ(FixedPoint16ToByte(4096), 179);  // 0.50006: 179.92
    EXPECT_EQ(FixedPoint16ToByte(100), 14);    // 0.012209 * 1147.5 = 14.009
    EXPECT_EQ(FixedPoint16ToByte(0), 0);
    EXPECT_EQ(FixedPoint16ToByte(-1), 0);  // sign bit set
    EXPECT_EQ(FixedPoint16ToByte(-32768), 0);
    EXPECT_EQ(FixedPoint32ToByte(16777215), 255);
    EXPECT_EQ(FixedPoint32ToByte(8388608), 179);  // 0.5
    EXPECT_EQ(FixedPoint32ToByte(200000), 13);    // 0.011921 * 1147.5 = 13.679
    EXPECT_EQ(FixedPoint32ToByte(-5), 0);
}

TEST(SampleConversion, HalfFloat)
{
    EXPECT_EQ(HalfToByte(0x3800), 179);  // 0.5
    EXPECT_EQ(HalfToByte(0x3C00), 255);  // 1
    EXPECT_EQ(HalfToByte(0x2E66), 74);   // 0.099976: (1.099 * 0.35478 - 0.099) * 255 = 74.18
    EXPECT_EQ(HalfToByte(0x2000), 8);    // 2^-7 * 1147.5 = 8.96
    EXPECT_EQ(HalfToByte(0x0001), 0);    // the smallest subnormal, 2^-24
    EXPECT_EQ(HalfToByte(0x0000), 0);
    EXPECT_EQ(HalfToByte(0xB800), 0);    // -0.5
    EXPECT_EQ(HalfToByte(0x7C00), 255);  // infinity
    EXPECT_EQ(HalfToByte(0x7E00), 255);  // not a number
}

TEST(SampleConversion, SharedExponent)
{
    struct Case {
        uint8_t rgbe[4];
        uint8_t rgb[3];
    };
    const Case cases[] = {
        // x = 64: (1.099 * 0.25098^0.45 - 0.099) * 255 = 125.2; 128: 180.3; 1: 4.5
        {{64, 128, 1, 128}, {125, 180, 4}},
        {{9, 2, 255, 127}, {20, 4, 179}},     // 4.5 * 4.5 = 20.25; 1 * 4.5; 127.5 is 0.5 of 255: 179.9
        {{1, 2, 255, 136}, {255, 255, 255}},  // 256, 512, ... : 255
        {{200, 200, 200, 0}, {0, 0, 0}},
        {{0, 1, 2, 1}, {0, 0, 0}},  // 2^-127: 0 after truncation
    };
    for (const Case& c : cases) {
        uint8_t rgb[3] = {};
        SharedExponentToRgb(c.rgbe, rgb);
        EXPECT_EQ(rgb[0], c.rgb[0]) << int{c.rgbe[0]} << " " << int{c.rgbe[3]};
        EXPECT_EQ(rgb[1], c.rgb[1]) << int{c.rgbe[1]} << " " << int{c.rgbe[3]};
        EXPECT_EQ(rgb[2], c.rgb[2]) << int{c.rgbe[2]} << " " << int{c.rgbe[3]};
    }
}

TEST(SampleConversion, Unpremultiplication)
{
    EXPECT_EQ(Unpremultiply(128, 128), 255);
    EXPECT_EQ(Unpremultiply(64, 128), 127);   // 127.5
    EXPECT_EQ(Unpremultiply(100, 200), 127);  // 127.5
    EXPECT_EQ(Unpremultiply(200, 100), 255);  // 510, at most 255
    EXPECT_EQ(Unpremultiply(0, 255), 0);
    EXPECT_EQ(Unpremultiply(5, 0), 255);

    uint8_t out[4] = {};
    const float half[4] = {0.25f, 1.0f, 0.0f, 0.5f};
    UnpremultiplyFloat(half, out);
    // A' = 179; 124 * 255 / 179 = 176.6; 255 * 255 / 179 = 363, at most 255.
    EXPECT_EQ(out[0], 176);
    EXPECT_EQ(out[1], 255);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 179);
    const float clear[4] = {0.3f, 0.3f, 0.3f, 0.0f};
    UnpremultiplyFloat(clear, out);
    EXPECT_EQ((std::vector<int>{out[0], out[1], out[2], out[3]}), (std::vector<int>{255, 255, 255, 0}));
    // An alpha whose curve is 0 would divide by 0: transparent white too.
    const float faint[4] = {0.0f, 0.0f, 0.0f, 1e-7f};
    UnpremultiplyFloat(faint, out);
    EXPECT_EQ((std::vector<int>{out[0], out[1], out[2], out[3]}), (std::vector<int>{255, 255, 255, 0}));
}

}  // namespace
