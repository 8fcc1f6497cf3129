// Decoding in a child process: what the child decoded comes back whole, and
// a child that ends the process leaves a failure, not the end of the test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "child_decode.h"
#include "platform/wincodec.h"

namespace tav::imaging {
namespace {

TEST(ChildDecode, TheImageComesBackWholeAndADyingDecoderIsAFailure)
{
    NativeImage image;
    ImageOutcome outcome = DecodeInChildProcess(
        [](NativeImage* decoded) {
            ImageOutcome made = AllocateNativePixels(decoded, 3, 2, GUID_WICPixelFormat8bppIndexed, 8, "test");
            for (size_t i = 0; i < decoded->pixels.size(); ++i) decoded->pixels[i] = static_cast<uint8_t>(i * 40);
            decoded->palette = {0xFF000000, 0xFFFFFFFF};
            decoded->profile = "profile";
            decoded->dpiX = 150;
            decoded->dpiY = 75;
            return made;
        },
        100, "test", &image);
    ASSERT_FALSE(outcome.Failed()) << outcome.reason;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{0, 40, 80, 120, 160, 200}));
    EXPECT_EQ(image.palette, (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF}));
    EXPECT_EQ(image.profile, "profile");
    EXPECT_EQ(image.dpiX, 150);
    EXPECT_TRUE(IsEqualGUID(image.pixelFormat, GUID_WICPixelFormat8bppIndexed));

    // A refusal comes back with its reason; a profile over the bound given
    // and a decoder that aborts are failures naming the format.
    NativeImage refused;
    outcome = DecodeInChildProcess(
        [](NativeImage*) { return ImageFailure(Gdiplus::InvalidParameter, "no such image"); }, 100, "test", &refused);
    EXPECT_EQ(outcome.status, Gdiplus::InvalidParameter);
    EXPECT_EQ(outcome.reason, "no such image");
    NativeImage tooMuch;
    outcome = DecodeInChildProcess(
        [](NativeImage* decoded) {
            decoded->profile.assign(101, 'p');
            return AllocateNativePixels(decoded, 1, 1, GUID_WICPixelFormat8bppGray, 8, "test");
        },
        100, "test", &tooMuch);
    EXPECT_TRUE(outcome.Failed());
    EXPECT_TRUE(tooMuch.pixels.empty());
    NativeImage aborted;
    outcome = DecodeInChildProcess([](NativeImage*) -> ImageOutcome { std::abort(); }, 100, "test", &aborted);
    EXPECT_EQ(outcome.reason, "the test image is damaged: its decoder stopped on it");
}

}  // namespace
}  // namespace tav::imaging
