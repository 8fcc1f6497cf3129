// The decoders' pixels, against the values the test files were made of.
#include <gtest/gtest.h>

#include "decoded_image.h"
#include "image_decoders.h"
#include "image_test_files.h"

namespace {

using namespace imagetest;
using tav::imaging::DecodedImage;

DecodedImage Decode(const std::string& file)
{
    DecodedImage image;
    const auto outcome = tav::imaging::DecodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &image);
    EXPECT_FALSE(outcome.Failed()) << outcome.reason;
    return image;
}

// R, G, B, A of pixel (x, y).
std::vector<int> Pixel(const DecodedImage& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.Row(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128};

TEST(ImageDecoders, ReadRgbPixelsInTheirPlaces)
{
    const std::vector<Rgb> pixels{kRed, kGreen, kBlue, kGrey};
    TiffLayout tiff;
    tiff.width = 2;
    tiff.height = 2;
    tiff.pixels = pixels;
    for (const std::string& file : {RgbPng(2, 2, pixels), RgbTiff(tiff), Rgb24Bmp(2, 2, pixels)}) {
        const DecodedImage image = Decode(file);
        ASSERT_EQ(image.width, 2u);
        ASSERT_EQ(image.height, 2u);
        EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
        EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 255, 0, 255}));
        EXPECT_EQ(Pixel(image, 0, 1), (std::vector<int>{0, 0, 255, 255}));
        EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{128, 128, 128, 255}));
        EXPECT_FALSE(image.hasAlpha);
    }
}

TEST(ImageDecoders, PngPaletteTransparencyAndSixteenBitGrey)
{
    // Palette: index 0 red and fully transparent, index 1 blue.
    const std::string palette = PngChunk("PLTE", std::string("\xFF\x00\x00\x00\x00\xFF", 6));
    const std::string indexed = PngFile({PngHeader(2, 1, 8, 3), palette, PngChunk("tRNS", std::string("\x00", 1)),
                                         PngData(std::string("\x00\x00\x01", 3))});
    const DecodedImage paletted = Decode(indexed);
    EXPECT_TRUE(paletted.hasAlpha);
    EXPECT_EQ(Pixel(paletted, 0, 0), (std::vector<int>{255, 0, 0, 0}));
    EXPECT_EQ(Pixel(paletted, 1, 0), (std::vector<int>{0, 0, 255, 255}));

    // 16-bit grey 0x8080 scales to 128.
    const DecodedImage grey = Decode(PngFile({PngHeader(1, 1, 16, 0), PngData(std::string("\x00\x80\x80", 3))}));
    EXPECT_EQ(Pixel(grey, 0, 0), (std::vector<int>{128, 128, 128, 255}));
}

TEST(ImageDecoders, PngInterlacedRowsAreReassembled)
{
    // A 2 x 2 image in Adam7 order: pass 1 has (0,0), pass 6 (1,0), pass 7
    // the second row.
    const std::string scanlines = std::string("\0\xFF\x00\x00", 4) + std::string("\0\x00\xFF\x00", 4) +
                                  std::string("\0\x00\x00\xFF\x80\x80\x80", 7);
    const DecodedImage image = Decode(PngFile({PngHeader(2, 2, 8, 2, 1), PngData(scanlines)}));
    EXPECT_EQ(Pixel(image, 0, 0), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(image, 1, 0), (std::vector<int>{0, 255, 0, 255}));
    EXPECT_EQ(Pixel(image, 0, 1), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(image, 1, 1), (std::vector<int>{128, 128, 128, 255}));
}

TEST(ImageDecoders, JpegColourSurvivesWithinItsLoss)
{
    const DecodedImage image = Decode(SolidJpeg(16, 8, {200, 40, 90}));
    ASSERT_EQ(image.width, 16u);
    ASSERT_EQ(image.height, 8u);
    const std::vector<int> pixel = Pixel(image, 7, 3);
    EXPECT_NEAR(pixel[0], 200, 4);
    EXPECT_NEAR(pixel[1], 40, 4);
    EXPECT_NEAR(pixel[2], 90, 4);
    EXPECT_EQ(pixel[3], 255);
}

TEST(ImageDecoders, IndexedBmpAndInterlacedTransparentGif)
{
    const DecodedImage bmp = Decode(Indexed8Bmp(3, 1, {kRed, kBlue}, {1, 0, 1}));
    EXPECT_EQ(Pixel(bmp, 0, 0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(bmp, 1, 0), (std::vector<int>{255, 0, 0, 255}));

    // Nine rows, row y of index y % 3; index 2 is transparent. Interlaced,
    // the rows are stored 0, 8, 4, 2, 6, 1, 3, 5, 7.
    std::vector<uint8_t> indices;
    for (int y = 0; y < 9; ++y) indices.insert(indices.end(), 2, static_cast<uint8_t>(y % 3));
    const DecodedImage gif = Decode(IndexedGif(2, 9, {kRed, kGreen, kBlue}, indices, 2, true));
    ASSERT_EQ(gif.height, 9u);
    EXPECT_TRUE(gif.hasAlpha);
    for (uint32_t y = 0; y < 9; ++y) {
        const std::vector<int> expected = y % 3 == 0   ? std::vector<int>{255, 0, 0, 255}
                                          : y % 3 == 1 ? std::vector<int>{0, 255, 0, 255}
                                                       : std::vector<int>{0, 0, 0, 0};
        EXPECT_EQ(Pixel(gif, 1, y), expected) << "row " << y;
    }
}

}  // namespace
