// The header's resolution, the block's size bound and the header's bytes,
// against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "image_header.h"

namespace {

using namespace tav::rip;

TEST(ImageHeader, ResolutionIsSplitOrStampedNinetySix)
{
    struct Case {
        double x, y;
        HeaderResolution expectedX, expectedY;
    };
    const Case cases[] = {
        {72, 72, {72, 0}, {72, 0}},
        // 0.0124 * 65536 = 812.6; 0.5 * 65536 = 32768.
        {150.0124, 300.5, {150, 812}, {300, 32768}},
        {0, 300, {96, 0}, {96, 0}},
        // Values the header cannot hold are unknown too.
        {72, 0, {96, 0}, {96, 0}},
        {NAN, 72, {96, 0}, {96, 0}},
        {72, -3, {96, 0}, {96, 0}},
        {70000, 72, {96, 0}, {96, 0}},
    };
    for (const Case& c : cases) {
        HeaderResolution x, y;
        ChooseResolution(c.x, c.y, &x, &y);
        EXPECT_EQ(x, c.expectedX) << c.x << " x " << c.y;
        EXPECT_EQ(y, c.expectedY) << c.x << " x " << c.y;
    }
}

TEST(ImageHeader, BlockSizeMustFitThirtyTwoBits)
{
    EXPECT_EQ(ImageBlockSize(3, 100, 50, 0), 15512u);
    EXPECT_EQ(ImageBlockSize(4, 10, 10, 1000), 1912u);
    // 65535^2 = 4294836225; + 512 = 4294836737; 130558 more is 2^32 - 1.
    EXPECT_EQ(ImageBlockSize(1, 65535, 65535, 130558), 4294967295u);
    EXPECT_EQ(ImageBlockSize(1, 65535, 65535, 130559), std::nullopt);
    EXPECT_EQ(ImageBlockSize(4, 65535, 65535, 0), std::nullopt);
    EXPECT_EQ(ImageBlockSize(9, 30000, 30000, 0), std::nullopt);
}

TEST(ImageHeader, BytesOfTheHeader)
{
    ImageHeader header;
    header.width = 100;
    header.height = 0x1234;
    header.resolutionX = {72, 0};
    header.resolutionY = {300, 32768};
    header.samples = 3;
    header.colourModel = 1;
    header.rasterSize = 15000;
    header.profileSize = 1000;
    std::vector<uint8_t> out(512, 0xEE);
    WriteImageHeader(header, out.data());
    const std::vector<uint8_t> expected = {
        'T', 'I',  'T',  'N',  6, 0, 28, 0, 100, 0, 0x34, 0x12,  // width, height
        72,  0,    0x2C, 0x01,                                   // 72, 300
        3,   1,    0,    0,                                      // samples, colour model
        1,   0x31, 0,    2,                                      // a profile follows
        0,   0,    0x3C, 0x98,                                   // at 512 + 15000 = 15512, big-endian
        0,   0,    0x03, 0xE8,                                   // 1000 bytes
        0,   0,    0x00, 0x80,                                   // fractions 0 and 32768
    };
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 36), expected);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 36, out.end()), std::vector<uint8_t>(476, 0));

    header.profileSize = 0;
    WriteImageHeader(header, out.data());
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 23, out.begin() + 32), std::vector<uint8_t>(9, 0));
}

}  // namespace
