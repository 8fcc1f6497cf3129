#include "pixel_formats.h"

#include "converter/converter_interface.h"
#include "platform/wincodec.h"

namespace tav::rip {

namespace {

constexpr std::array<uint8_t, 9> kStored = {0, 1, 2, 3, 4, 5, 6, 7, 8};
// R, G, B (and A) from B, G, R (and A).
constexpr std::array<uint8_t, 9> kFromBgr = {2, 1, 0, 3, 4, 5, 6, 7, 8};

constexpr uint8_t kGray = kImageGray, kRgb = kImageRgb, kRgba = kImageRgbAlpha, kCmyk = kImageCmyk,
                  kCmyka = kImageCmykAlpha, kInks = kImageNChannel, kInksAlpha = kImageNChannelAlpha;
using enum SampleRule;

// The n-channel formats of 3 to 8 channels, numbered in runs of six.
constexpr PixelFormat Inks(uint8_t first, uint8_t channels, uint32_t bitsPerSample, bool alpha, const char* name)
{
    const uint8_t samples = static_cast<uint8_t>(channels + (alpha ? 1 : 0));
    return {WICPixelFormat(static_cast<uint8_t>(first + channels - 3)),
            name,
            samples * bitsPerSample,
            samples,
            alpha ? kInksAlpha : kInks,
            bitsPerSample == 8 ? kBytes : kHighBytes,
            kStored};
}

constexpr PixelFormat kFormats[] = {
    {GUID_WICPixelFormat1bppIndexed, "1bppIndexed", 1, 4, kRgba, kPalette, kStored},
    {GUID_WICPixelFormat2bppIndexed, "2bppIndexed", 2, 4, kRgba, kPalette, kStored},
    {GUID_WICPixelFormat4bppIndexed, "4bppIndexed", 4, 4, kRgba, kPalette, kStored},
    {GUID_WICPixelFormat8bppIndexed, "8bppIndexed", 8, 4, kRgba, kPalette, kStored},
    {GUID_WICPixelFormatBlackWhite, "BlackWhite", 1, 1, kGray, kGreyBits, kStored},
    {GUID_WICPixelFormat2bppGray, "2bppGray", 2, 1, kGray, kGreyBits, kStored},
    {GUID_WICPixelFormat4bppGray, "4bppGray", 4, 1, kGray, kGreyBits, kStored},
    {GUID_WICPixelFormat8bppGray, "8bppGray", 8, 1, kGray, kBytes, kStored},
    {GUID_WICPixelFormat16bppGray, "16bppGray", 16, 1, kGray, kHighBytes, kStored},
    {GUID_WICPixelFormat16bppBGR555, "16bppBGR555", 16, 3, kRgb, kBgr555, kStored},
    {GUID_WICPixelFormat16bppBGR565, "16bppBGR565", 16, 3, kRgb, kBgr565, kStored},
    {GUID_WICPixelFormat24bppBGR, "24bppBGR", 24, 3, kRgb, kBytes, kFromBgr},
    {GUID_WICPixelFormat32bppBGR, "32bppBGR", 32, 3, kRgb, kBytes, kFromBgr},
    {GUID_WICPixelFormat24bppRGB, "24bppRGB", 24, 3, kRgb, kBytes, kStored},
    {GUID_WICPixelFormat32bppBGRA, "32bppBGRA", 32, 4, kRgba, kBytes, kFromBgr},
    {GUID_WICPixelFormat32bppPBGRA, "32bppPBGRA", 32, 4, kRgba, kPremultiplied, kFromBgr},
    {GUID_WICPixelFormat32bppBGR101010, "32bppBGR101010", 32, 3, kRgb, kBgr101010, kStored},
    {GUID_WICPixelFormat48bppRGB, "48bppRGB", 48, 3, kRgb, kHighBytes, kStored},
    {GUID_WICPixelFormat64bppRGBA, "64bppRGBA", 64, 4, kRgba, kHighBytes, kStored},
    {GUID_WICPixelFormat64bppPRGBA, "64bppPRGBA", 64, 4, kRgba, kPremultipliedHigh, kStored},
    {GUID_WICPixelFormat32bppCMYK, "32bppCMYK", 32, 4, kCmyk, kBytes, kStored},
    {GUID_WICPixelFormat64bppCMYK, "64bppCMYK", 64, 4, kCmyk, kHighBytes, kStored},
    {GUID_WICPixelFormat40bppCMYKAlpha, "40bppCMYKAlpha", 40, 5, kCmyka, kBytes, kStored},
    {GUID_WICPixelFormat80bppCMYKAlpha, "80bppCMYKAlpha", 80, 5, kCmyka, kHighBytes, kStored},
    Inks(0x20, 3, 8, false, "24bpp3Channels"),
    Inks(0x20, 4, 8, false, "32bpp4Channels"),
    Inks(0x20, 5, 8, false, "40bpp5Channels"),
    Inks(0x20, 6, 8, false, "48bpp6Channels"),
    Inks(0x20, 7, 8, false, "56bpp7Channels"),
    Inks(0x20, 8, 8, false, "64bpp8Channels"),
    Inks(0x26, 3, 16, false, "48bpp3Channels"),
    Inks(0x26, 4, 16, false, "64bpp4Channels"),
    Inks(0x26, 5, 16, false, "80bpp5Channels"),
    Inks(0x26, 6, 16, false, "96bpp6Channels"),
    Inks(0x26, 7, 16, false, "112bpp7Channels"),
    Inks(0x26, 8, 16, false, "128bpp8Channels"),
    Inks(0x2E, 3, 8, true, "32bpp3ChannelsAlpha"),
    Inks(0x2E, 4, 8, true, "40bpp4ChannelsAlpha"),
    Inks(0x2E, 5, 8, true, "48bpp5ChannelsAlpha"),
    Inks(0x2E, 6, 8, true, "56bpp6ChannelsAlpha"),
    Inks(0x2E, 7, 8, true, "64bpp7ChannelsAlpha"),
    Inks(0x2E, 8, 8, true, "72bpp8ChannelsAlpha"),
    Inks(0x34, 3, 16, true, "64bpp3ChannelsAlpha"),
    Inks(0x34, 4, 16, true, "80bpp4ChannelsAlpha"),
    Inks(0x34, 5, 16, true, "96bpp5ChannelsAlpha"),
    Inks(0x34, 6, 16, true, "112bpp6ChannelsAlpha"),
    Inks(0x34, 7, 16, true, "128bpp7ChannelsAlpha"),
    Inks(0x34, 8, 16, true, "144bpp8ChannelsAlpha"),
    {GUID_WICPixelFormat32bppGrayFloat, "32bppGrayFloat", 32, 1, kGray, kFloat, kStored},
    {GUID_WICPixelFormat128bppRGBAFloat, "128bppRGBAFloat", 128, 4, kRgba, kFloat, kStored},
    {GUID_WICPixelFormat128bppRGBFloat, "128bppRGBFloat", 128, 3, kRgb, kFloat, kStored},
    {GUID_WICPixelFormat128bppPRGBAFloat, "128bppPRGBAFloat", 128, 4, kRgba, kPremultipliedFloat, kStored},
    {GUID_WICPixelFormat16bppGrayFixedPoint, "16bppGrayFixedPoint", 16, 1, kGray, kFixedPoint16, kStored},
    {GUID_WICPixelFormat48bppRGBFixedPoint, "48bppRGBFixedPoint", 48, 3, kRgb, kFixedPoint16, kStored},
    {GUID_WICPixelFormat64bppRGBAFixedPoint, "64bppRGBAFixedPoint", 64, 4, kRgba, kFixedPoint16, kStored},
    {GUID_WICPixelFormat64bppRGBFixedPoint, "64bppRGBFixedPoint", 64, 3, kRgb, kFixedPoint16, kStored},
    {GUID_WICPixelFormat32bppGrayFixedPoint, "32bppGrayFixedPoint", 32, 1, kGray, kFixedPoint32, kStored},
    {GUID_WICPixelFormat96bppRGBFixedPoint, "96bppRGBFixedPoint", 96, 3, kRgb, kFixedPoint32, kStored},
    {GUID_WICPixelFormat128bppRGBAFixedPoint, "128bppRGBAFixedPoint", 128, 4, kRgba, kFixedPoint32, kStored},
    {GUID_WICPixelFormat128bppRGBFixedPoint, "128bppRGBFixedPoint", 128, 3, kRgb, kFixedPoint32, kStored},
    {GUID_WICPixelFormat16bppGrayHalf, "16bppGrayHalf", 16, 1, kGray, kHalf, kStored},
    {GUID_WICPixelFormat48bppRGBHalf, "48bppRGBHalf", 48, 3, kRgb, kHalf, kStored},
    {GUID_WICPixelFormat64bppRGBAHalf, "64bppRGBAHalf", 64, 4, kRgba, kHalf, kStored},
    {GUID_WICPixelFormat64bppRGBHalf, "64bppRGBHalf", 64, 3, kRgb, kHalf, kStored},
    {GUID_WICPixelFormat32bppRGBE, "32bppRGBE", 32, 3, kRgb, kSharedExponent, kStored},
};

}  // namespace

const PixelFormat* FindPixelFormat(const GUID& guid)
{
    for (const PixelFormat& format : kFormats) {
        if (format.guid == guid) return &format;
    }
    return nullptr;
}

}  // namespace tav::rip
