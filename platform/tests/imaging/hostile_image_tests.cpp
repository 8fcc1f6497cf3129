// Hostile image files: each is refused with a status and a reason, before
// any large allocation.
#include <gtest/gtest.h>

#include <unistd.h>

#include "decoded_image.h"
#include "image_decoders.h"
#include "image_test_files.h"
#include "platform/gdiplus.h"

namespace {

using namespace imagetest;
using tav::imaging::DecodedImage;
using tav::imaging::ImageOutcome;

ImageOutcome Decode(const std::string& file)
{
    DecodedImage image;
    ImageOutcome outcome =
        tav::imaging::DecodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &image);
    if (outcome.Failed()) {
        EXPECT_TRUE(image.rgba.empty()) << "pixels kept after: " << outcome.reason;
    }
    return outcome;
}

bool Mentions(const ImageOutcome& outcome, const std::string& text)
{
    return outcome.reason.find(text) != std::string::npos;
}

// Pixels that do not compress to nothing.
std::vector<Rgb> Noise(size_t count)
{
    std::vector<Rgb> pixels(count);
    uint32_t state = 12345;
    for (Rgb& pixel : pixels) {
        state = state * 1103515245 + 12345;
        pixel = {static_cast<uint8_t>(state >> 24), static_cast<uint8_t>(state >> 16),
                 static_cast<uint8_t>(state >> 8)};
    }
    return pixels;
}

void SetBig16(std::string& file, size_t at, uint16_t value)
{
    file[at] = static_cast<char>(value >> 8);
    file[at + 1] = static_cast<char>(value);
}

TEST(HostileImages, TruncatedFilesOfEveryFormatFail)
{
    const std::vector<Rgb> pixels = Noise(64 * 64);
    TiffLayout tiff;
    tiff.width = tiff.height = 64;
    tiff.pixels = pixels;
    std::vector<uint8_t> indices(64 * 64);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(pixels[i].r);
    const std::vector<Rgb> palette(Noise(256));
    struct Case {
        const char* what;
        std::string file;
        const char* reason;
    };
    const std::string jpeg = SolidJpeg(256, 256, {10, 200, 30});
    const Case cases[] = {
        {"PNG", RgbPng(64, 64, pixels), "the data ends early"},
        {"JPEG", jpeg.substr(0, jpeg.size() - 100), "the data ends early"},
        // Its scan cut by the end of the image, or by a restart marker in a
        // file without restart intervals: the image would be grey from there.
        {"JPEG", jpeg.substr(0, jpeg.size() - 100) + "\xFF\xD9", "the data ends early"},
        {"JPEG", jpeg.substr(0, jpeg.size() - 100) + "\xFF\xD1", "the data ends early"},
        {"TIFF", RgbTiff(tiff), "damaged"},
        {"BMP", Rgb24Bmp(64, 64, pixels), "the data ends early"},
        {"GIF", IndexedGif(64, 64, palette, indices), "damaged"},
    };
    for (const Case& c : cases) {
        // Cut in the pixels, except for the JPEG, cut already.
        const std::string cut = c.file.substr(0, std::string(c.what) == "JPEG" ? c.file.size() : c.file.size() * 2 / 3);
        const ImageOutcome outcome = Decode(cut);
        EXPECT_EQ(outcome.status, Gdiplus::GenericError) << c.what << ": " << outcome.reason;
        EXPECT_TRUE(Mentions(outcome, c.reason)) << c.what << ": " << outcome.reason;
        EXPECT_TRUE(Mentions(outcome, c.what)) << c.what << ": " << outcome.reason;
        // Cut in the header.
        EXPECT_TRUE(Decode(c.file.substr(0, 12)).Failed()) << c.what;
    }
}

// Data cut short in one restart interval spoils that interval only: the
// decoder goes on at the next restart marker.
TEST(HostileImages, JpegDamagedInOneRestartIntervalIsDecoded)
{
    std::string jpeg = SolidJpeg(64, 64, {10, 200, 30}, 0, 0, 1);
    const size_t second = jpeg.find("\xFF\xD1");
    ASSERT_NE(second, std::string::npos);
    const size_t first = jpeg.rfind("\xFF\xD0", second);
    ASSERT_NE(first, std::string::npos);
    jpeg.erase(first + 2, (second - first - 2) / 2);
    const ImageOutcome outcome = Decode(jpeg);
    EXPECT_FALSE(outcome.Failed()) << outcome.reason;
}

TEST(HostileImages, HugeDimensionsAreRefusedBeforeDecoding)
{
    std::vector<std::pair<const char*, std::string>> files;
    files.emplace_back("100000 x 100000", PngFile({PngHeader(100000, 100000, 8, 2), PngData(std::string(301, '\0'))}));
    TiffLayout tiff;
    tiff.width = tiff.height = 100000;
    tiff.pixels = Noise(4);
    files.emplace_back("100000 x 100000", RgbTiff(tiff));
    std::string bmp = Rgb24Bmp(1, 1, Noise(1));
    for (size_t at : {18u, 22u}) bmp.replace(at, 4, std::string("\xA0\x86\x01\x00", 4));  // 100000
    files.emplace_back("100000 x 100000", bmp);
    // JPEG and GIF sizes have 16 bits: their largest.
    std::string jpeg = SolidJpeg(8, 8, {1, 2, 3});
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    SetBig16(jpeg, frame + 5, 65000);
    SetBig16(jpeg, frame + 7, 65000);
    files.emplace_back("65000 x 65000", jpeg);
    std::string gif = IndexedGif(1, 1, {Rgb{0, 0, 0}}, {0});
    gif.replace(6, 4, std::string("\xFF\xFF\xFF\xFF", 4));
    files.emplace_back("65535 x 65535", gif);
    for (const auto& [size, file] : files) {
        const ImageOutcome outcome = Decode(file);
        EXPECT_EQ(outcome.status, Gdiplus::ValueOverflow) << size << ": " << outcome.reason;
        EXPECT_TRUE(Mentions(outcome, std::string(size) + " pixels")) << outcome.reason;
    }
}

// A small file that would inflate to 1.2 GB of pixels: 20,000 x 20,000 RGB
// (each side allowed, the whole not) over 8 MB of deflated zeros.
TEST(HostileImages, PngDecompressionBombIsRefused)
{
    const std::string bomb = PngFile({PngHeader(20000, 20000, 8, 2), PngData(std::string(8 << 20, '\0'))});
    ASSERT_LT(bomb.size(), 20000u);
    const ImageOutcome outcome = Decode(bomb);
    EXPECT_EQ(outcome.status, Gdiplus::ValueOverflow) << outcome.reason;
    EXPECT_TRUE(Mentions(outcome, "20000 x 20000 pixels")) << outcome.reason;
}

TEST(HostileImages, AbsurdOffsetsFail)
{
    TiffLayout tiff;
    tiff.width = tiff.height = 4;
    tiff.pixels = Noise(16);
    tiff.stripOffset = 0xFFFFFF00;
    const ImageOutcome strip = Decode(RgbTiff(tiff));
    EXPECT_EQ(strip.status, Gdiplus::GenericError) << strip.reason;
    EXPECT_TRUE(Mentions(strip, "TIFF image is damaged")) << strip.reason;

    std::string bmp = Rgb24Bmp(2, 2, Noise(4));
    bmp.replace(10, 4, std::string("\xF0\xFF\xFF\x7F", 4));  // pixels far past the end
    EXPECT_TRUE(Mentions(Decode(bmp), "the data ends early"));
    std::string palette = Indexed8Bmp(2, 1, Noise(2), {0, 1});
    palette.replace(46, 4, std::string("\x00\x01\x00\x00", 4));  // 256 colours, 2 present
    EXPECT_TRUE(Mentions(Decode(palette), "the data ends early"));
}

// Each scan of a progressive JPEG is a pass over the whole image, and a
// file may hold any number of them.
TEST(HostileImages, JpegWithHundredsOfScansIsRefused)
{
    DecodedImage image;
    const std::string usual = ProgressiveGreyJpeg(77, false);
    const ImageOutcome decoded =
        tav::imaging::DecodeImage(reinterpret_cast<const uint8_t*>(usual.data()), usual.size(), &image);
    ASSERT_FALSE(decoded.Failed()) << decoded.reason;
    EXPECT_NEAR(image.Row(4)[0], 77, 2);

    const ImageOutcome outcome = Decode(ProgressiveGreyJpeg(77, true));
    EXPECT_EQ(outcome.status, Gdiplus::GenericError) << outcome.reason;
    EXPECT_TRUE(Mentions(outcome, "too many scans")) << outcome.reason;
}

TEST(HostileImages, OversizedFileIsRefusedUnread)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    ScratchFile file(RgbPng(1, 1, Noise(1)));
    const std::string path(file.path().begin(), file.path().end());
    ASSERT_EQ(truncate(path.c_str(), 200 << 20), 0);  // sparse: no disk used
    Gdiplus::GpImage* image = nullptr;
    EXPECT_EQ(Gdiplus::GdipLoadImageFromFile(file.path().c_str(), &image), Gdiplus::ValueOverflow);
    EXPECT_NE(Gdiplus::LastImageFailureReason().find("209715200 bytes"), std::string::npos)
        << Gdiplus::LastImageFailureReason();
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace
