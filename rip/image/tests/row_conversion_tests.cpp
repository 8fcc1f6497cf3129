// Each rule of the pixel-format table on pixels whose samples are worked
// out by hand, with the samples and colour model the block gets.
#include <gtest/gtest.h>

#include <cstring>

#include "pixel_formats.h"
#include "platform/wincodec.h"
#include "row_conversion.h"

namespace {

using namespace tav::rip;

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    return std::vector<uint8_t>(values.begin(), values.end());
}

template <class T>
std::vector<uint8_t> Samples(std::initializer_list<T> values)
{
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    std::memcpy(bytes.data(), values.begin(), bytes.size());
    return bytes;
}

std::vector<uint8_t> Convert(const GUID& guid, const std::vector<uint8_t>& row, uint32_t width,
                             const std::vector<uint32_t>& palette = {})
{
    const PixelFormat* format = FindPixelFormat(guid);
    EXPECT_NE(format, nullptr);
    if (format == nullptr) return {};
    std::vector<uint8_t> out(size_t{width} * format->samples, 0xEE);
    ConvertRow(*format, row.data(), width, palette, out.data());
    return out;
}

TEST(RowConversion, EveryRuleOfTheTable)
{
    struct Case {
        GUID format;
        std::vector<uint8_t> row;
        uint32_t width;
        uint8_t samples, colourModel;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {GUID_WICPixelFormatBlackWhite, Bytes({0xA0}), 3, 1, 0, Bytes({255, 0, 255})},
        {GUID_WICPixelFormat2bppGray, Bytes({0x1B}), 4, 1, 0, Bytes({0, 85, 170, 255})},
        {GUID_WICPixelFormat4bppGray, Bytes({0xF1}), 2, 1, 0, Bytes({255, 17})},
        {GUID_WICPixelFormat16bppGray, Bytes({0x34, 0x12}), 1, 1, 0, Bytes({0x12})},
        {GUID_WICPixelFormat24bppBGR, Bytes({1, 2, 3}), 1, 3, 1, Bytes({3, 2, 1})},
        {GUID_WICPixelFormat32bppBGR, Bytes({1, 2, 3, 9}), 1, 3, 1, Bytes({3, 2, 1})},
        {GUID_WICPixelFormat24bppRGB, Bytes({1, 2, 3}), 1, 3, 1, Bytes({1, 2, 3})},
        {GUID_WICPixelFormat32bppBGRA, Bytes({1, 2, 3, 4}), 1, 4, 9, Bytes({3, 2, 1, 4})},
        // (B, G, R, A) = (64, 64, 128, 128).
        {GUID_WICPixelFormat32bppPBGRA, Bytes({64, 64, 128, 128}), 1, 4, 9, Bytes({255, 127, 127, 128})},
        {GUID_WICPixelFormat64bppPRGBA, Bytes({9, 128, 9, 64, 9, 64, 9, 128}), 1, 4, 9, Bytes({255, 127, 127, 128})},
        // R 31, G 16, B 1: 255, 16 * 255 / 31 = 131.6, 255 / 31 = 8.2.
        {GUID_WICPixelFormat16bppBGR555, Samples<uint16_t>({0x7E01}), 1, 3, 1, Bytes({255, 131, 8})},
        // R 31, G 32 of 63, B 0: 255, 129.5, 0.
        {GUID_WICPixelFormat16bppBGR565, Samples<uint16_t>({0xFC00}), 1, 3, 1, Bytes({255, 129, 0})},
        // R 0x3FF, G 0x200, B 0x004.
        {GUID_WICPixelFormat32bppBGR101010, Samples<uint32_t>({0x3FF80004}), 1, 3, 1, Bytes({255, 128, 1})},
        {GUID_WICPixelFormat48bppRGB, Samples<uint16_t>({0x1234, 0x00FF, 0x8001}), 1, 3, 1, Bytes({0x12, 0, 0x80})},
        {GUID_WICPixelFormat64bppRGBA, Samples<uint16_t>({0x1234, 0, 0xFFFF, 0x7F00}), 1, 4, 9,
         Bytes({0x12, 0, 255, 0x7F})},
        {GUID_WICPixelFormat32bppCMYK, Bytes({1, 2, 3, 4}), 1, 4, 2, Bytes({1, 2, 3, 4})},
        {GUID_WICPixelFormat64bppCMYK, Samples<uint16_t>({0x0100, 0x0200, 0x0300, 0x0400}), 1, 4, 2,
         Bytes({1, 2, 3, 4})},
        {GUID_WICPixelFormat40bppCMYKAlpha, Bytes({1, 2, 3, 4, 5}), 1, 5, 10, Bytes({1, 2, 3, 4, 5})},
        {GUID_WICPixelFormat80bppCMYKAlpha, Samples<uint16_t>({0x100, 0x200, 0x300, 0x400, 0x500}), 1, 5, 10,
         Bytes({1, 2, 3, 4, 5})},
        {GUID_WICPixelFormat24bpp3Channels, Bytes({7, 8, 9}), 1, 3, 5, Bytes({7, 8, 9})},
        {GUID_WICPixelFormat128bpp8Channels,
         Samples<uint16_t>({0x100, 0x200, 0x300, 0x400, 0x500, 0x600, 0x700, 0x800}), 1, 8, 5,
         Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {GUID_WICPixelFormat56bpp6ChannelsAlpha, Bytes({1, 2, 3, 4, 5, 6, 7}), 1, 7, 13, Bytes({1, 2, 3, 4, 5, 6, 7})},
        {GUID_WICPixelFormat144bpp8ChannelsAlpha,
         Samples<uint16_t>({0x100, 0x200, 0x300, 0x400, 0x500, 0x600, 0x700, 0x800, 0x900}), 1, 9, 13,
         Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9})},
        {GUID_WICPixelFormat32bppGrayFloat, Samples<float>({0.5f}), 1, 1, 0, Bytes({179})},
        // Alpha 0.5 through the curve like a colour.
        {GUID_WICPixelFormat128bppRGBAFloat, Samples<float>({0.5f, 1.0f, 0.0f, 0.5f}), 1, 4, 9,
         Bytes({179, 255, 0, 179})},
        {GUID_WICPixelFormat128bppRGBFloat, Samples<float>({0.5f, 1.0f, 0.0f, 0.5f}), 1, 3, 1, Bytes({179, 255, 0})},
        {GUID_WICPixelFormat128bppPRGBAFloat, Samples<float>({0.25f, 1.0f, 0.0f, 0.5f}), 1, 4, 9,
         Bytes({176, 255, 0, 179})},
        {GUID_WICPixelFormat16bppGrayFixedPoint, Samples<int16_t>({4096}), 1, 1, 0, Bytes({179})},
        {GUID_WICPixelFormat64bppRGBFixedPoint, Samples<int16_t>({4096, 8191, -5, 100}), 1, 3, 1, Bytes({179, 255, 0})},
        {GUID_WICPixelFormat64bppRGBAFixedPoint, Samples<int16_t>({4096, 8191, -5, 100}), 1, 4, 9,
         Bytes({179, 255, 0, 14})},
        {GUID_WICPixelFormat128bppRGBFixedPoint, Samples<int32_t>({8388608, 16777215, -1, 7}), 1, 3, 1,
         Bytes({179, 255, 0})},
        {GUID_WICPixelFormat32bppGrayFixedPoint, Samples<int32_t>({200000}), 1, 1, 0, Bytes({13})},
        {GUID_WICPixelFormat48bppRGBHalf, Samples<uint16_t>({0x3800, 0x3C00, 0x2E66}), 1, 3, 1, Bytes({179, 255, 74})},
        {GUID_WICPixelFormat64bppRGBHalf, Samples<uint16_t>({0x3800, 0xB800, 0x7C00, 0x3C00}), 1, 3, 1,
         Bytes({179, 0, 255})},
        {GUID_WICPixelFormat16bppGrayHalf, Samples<uint16_t>({0x2000}), 1, 1, 0, Bytes({8})},
        {GUID_WICPixelFormat32bppRGBE, Bytes({64, 128, 1, 128}), 1, 3, 1, Bytes({125, 180, 4})},
    };
    for (const Case& c : cases) {
        const PixelFormat* format = FindPixelFormat(c.format);
        ASSERT_NE(format, nullptr) << int{c.format.Data4[7]};
        EXPECT_EQ(format->samples, c.samples) << format->name;
        EXPECT_EQ(format->colourModel, c.colourModel) << format->name;
        EXPECT_EQ(Convert(c.format, c.row, c.width), c.expected) << format->name;
    }
}

TEST(RowConversion, PaletteIndicesPastThePaletteAreTransparentBlack)
{
    const std::vector<uint32_t> palette = {0xFF102030, 0x80405060, 0x00708090};
    EXPECT_EQ(Convert(GUID_WICPixelFormat8bppIndexed, Bytes({2, 255, 1, 3}), 4, palette),
              Bytes({0x70, 0x80, 0x90, 0, 0, 0, 0, 0, 0x40, 0x50, 0x60, 0x80, 0, 0, 0, 0}));
    // Indices packed four to a byte: 0, 1, 3, 2.
    EXPECT_EQ(Convert(GUID_WICPixelFormat2bppIndexed, Bytes({0x1E}), 4, palette),
              Bytes({0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80, 0, 0, 0, 0, 0x70, 0x80, 0x90, 0}));
    EXPECT_EQ(Convert(GUID_WICPixelFormat1bppIndexed, Bytes({0x40}), 2, palette),
              Bytes({0x10, 0x20, 0x30, 0xFF, 0x40, 0x50, 0x60, 0x80}));
}

TEST(RowConversion, FormatsOutsideTheTableAreNotConverted)
{
    EXPECT_EQ(FindPixelFormat(GUID_WICPixelFormatDontCare), nullptr);
    // The component's 32bppRGBA, not in the table.
    const GUID rgba = {0xF5C7AD2D, 0x6A8D, 0x43DD, {0xA7, 0xA8, 0xA2, 0x99, 0x35, 0x26, 0x1A, 0xE9}};
    EXPECT_EQ(FindPixelFormat(rgba), nullptr);
}

}  // namespace
