// GDI+ images through the flat functions: files of each format with their
// size and resolution, the PNG encoder into a stream and back, and the
// statuses of what cannot be done.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "image_test_files.h"
#include "platform/base.h"
#include "platform/gdiplus.h"

namespace {

using namespace Gdiplus;
using namespace imagetest;

class GdiplusImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&token_, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

struct Measured {
    UINT width = 0, height = 0;
    REAL dpiX = -1, dpiY = -1;
};

Measured Measure(GpImage* image)
{
    Measured measured;
    EXPECT_EQ(GdipGetImageWidth(image, &measured.width), Ok);
    EXPECT_EQ(GdipGetImageHeight(image, &measured.height), Ok);
    EXPECT_EQ(GdipGetImageHorizontalResolution(image, &measured.dpiX), Ok);
    EXPECT_EQ(GdipGetImageVerticalResolution(image, &measured.dpiY), Ok);
    return measured;
}

TEST_F(GdiplusImage, FilesOfEachFormatGiveTheirSizeAndResolution)
{
    struct Case {
        const char* what;
        std::string file;
        UINT width, height;
        double dpi;
    };
    const std::vector<Rgb> pixels(6 * 4, Rgb{10, 20, 30});
    TiffLayout tiff;
    tiff.width = 6;
    tiff.height = 4;
    tiff.pixels = pixels;
    tiff.dotsPerInch = 300;
    const Case cases[] = {
        // 11811 pixels per metre (299.9994 dpi) is 300 dpi rounded, and
        // read as 300; 5001 is no whole number of dpi rounded (127 would be
        // 5000): 127.0254.
        {"PNG with pHYs", RgbPng(6, 4, pixels, 11811), 6, 4, 300},
        {"PNG with an odd pHYs", RgbPng(6, 4, pixels, 5001), 6, 4, 127.0254},
        {"PNG without", RgbPng(6, 4, pixels), 6, 4, 0},
        {"JPEG in dots per inch", SolidJpeg(6, 4, {1, 2, 3}, 1, 300), 6, 4, 300},
        // 118 dots per centimetre is 299.72 dpi.
        {"JPEG in dots per centimetre", SolidJpeg(6, 4, {1, 2, 3}, 2, 118), 6, 4, 299.72},
        {"JPEG with aspect only", SolidJpeg(6, 4, {1, 2, 3}), 6, 4, 0},
        {"TIFF", RgbTiff(tiff), 6, 4, 300},
        // 3780 pixels per metre is 96 dpi rounded.
        {"BMP", Rgb24Bmp(6, 4, pixels, 3780), 6, 4, 96},
        {"GIF", IndexedGif(6, 4, {Rgb{1, 2, 3}}, std::vector<uint8_t>(24, 0)), 6, 4, 0},
    };
    for (const Case& c : cases) {
        ScratchFile file(c.file, "watermark image");
        GpImage* image = nullptr;
        ASSERT_EQ(GdipLoadImageFromFile(file.path().c_str(), &image), Ok) << c.what << ": " << LastImageFailureReason();
        const Measured measured = Measure(image);
        EXPECT_EQ(measured.width, c.width) << c.what;
        EXPECT_EQ(measured.height, c.height) << c.what;
        EXPECT_NEAR(measured.dpiX, c.dpi, 0.001) << c.what;
        EXPECT_NEAR(measured.dpiY, c.dpi, 0.001) << c.what;
        EXPECT_EQ(LastImageFailureReason(), "") << c.what;
        EXPECT_EQ(GdipDisposeImage(image), Ok);
    }
}

// The encoder as the watermark finds it: the first whose MIME type is
// "image/png".
CLSID PngEncoder()
{
    UINT count = 0, size = 0;
    EXPECT_EQ(GdipGetImageEncodersSize(&count, &size), Ok);
    std::vector<uint64_t> buffer((size + 7) / 8);
    auto* encoders = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    EXPECT_EQ(GdipGetImageEncoders(count, size, encoders), Ok);
    for (UINT i = 0; i < count; ++i) {
        if (std::u16string_view(encoders[i].MimeType) == u"image/png") return encoders[i].Clsid;
    }
    ADD_FAILURE() << "no PNG encoder";
    return GUID_NULL;
}

// A JPEG of 600 x 300 pixels at 300 dpi made into PNG and read back keeps
// its size and exactly its resolution, so that it stays 192 x 96 units.
TEST_F(GdiplusImage, JpegSavedAsPngKeepsSizeAndResolution)
{
    ScratchFile file(SolidJpeg(600, 300, {0, 90, 200}, 1, 300));
    GpImage* image = nullptr;
    ASSERT_EQ(GdipLoadImageFromFile(file.path().c_str(), &image), Ok) << LastImageFailureReason();
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const CLSID encoder = PngEncoder();
    ASSERT_EQ(GdipSaveImageToStream(image, stream, &encoder, nullptr), Ok) << LastImageFailureReason();
    GdipDisposeImage(image);

    const BYTE* bytes = nullptr;
    size_t count = 0;
    ASSERT_EQ(GetMemoryStreamBytes(stream, &bytes, &count), S_OK);
    ASSERT_GT(count, 33u);
    EXPECT_EQ(std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8), 0);
    EXPECT_EQ(bytes[25], 2) << "an opaque image is stored as RGB";

    LARGE_INTEGER start{};
    ASSERT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromStream(stream, &bitmap), Ok) << LastImageFailureReason();
    const Measured measured = Measure(bitmap);
    EXPECT_EQ(measured.width, 600u);
    EXPECT_EQ(measured.height, 300u);
    EXPECT_EQ(measured.dpiX, 300.0f);
    EXPECT_EQ(measured.dpiY, 300.0f);
    GdipDisposeImage(bitmap);
    stream->Release();
}

TEST_F(GdiplusImage, TransparentImageIsSavedWithAlpha)
{
    ScratchFile file(IndexedGif(2, 2, {Rgb{9, 9, 9}}, {0, 1, 1, 0}, 1));
    GpImage* image = nullptr;
    ASSERT_EQ(GdipLoadImageFromFile(file.path().c_str(), &image), Ok) << LastImageFailureReason();
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const CLSID encoder = PngEncoder();
    ASSERT_EQ(GdipSaveImageToStream(image, stream, &encoder, nullptr), Ok);
    const BYTE* bytes = nullptr;
    size_t count = 0;
    ASSERT_EQ(GetMemoryStreamBytes(stream, &bytes, &count), S_OK);
    ASSERT_GT(count, 33u);
    EXPECT_EQ(bytes[25], 6) << "RGBA";
    GdipDisposeImage(image);
    stream->Release();
}

TEST_F(GdiplusImage, FailuresGiveTheirStatusLastErrorAndReason)
{
    GpImage* image = reinterpret_cast<GpImage*>(1);
    EXPECT_EQ(GdipLoadImageFromFile(u"/nonexistent/watermark.png", &image), FileNotFound);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(LastImageFailureReason(), "");

    ScratchFile folder("");
    const std::u16string directory(folder.directory().begin(), folder.directory().end());
    EXPECT_EQ(GdipLoadImageFromFile(directory.c_str(), &image), AccessDenied);

    ScratchFile text("just some text, not an image");
    EXPECT_EQ(GdipLoadImageFromFile(text.path().c_str(), &image), UnknownImageFormat);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_NE(LastImageFailureReason().find("no PNG, JPEG, TIFF, GIF or BMP"), std::string::npos);

    ScratchFile cut(RgbPng(2, 2, std::vector<Rgb>(4, Rgb{1, 2, 3})).substr(0, 40));
    EXPECT_EQ(GdipLoadImageFromFile(cut.path().c_str(), &image), GenericError);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_EQ(LastImageFailureReason(), "the PNG image is damaged: the data ends early");

    ScratchFile png(RgbPng(1, 1, {Rgb{0, 0, 0}}));
    ASSERT_EQ(GdipLoadImageFromFile(png.path().c_str(), &image), Ok);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const CLSID unknown = GUID_NULL;
    EXPECT_EQ(GdipSaveImageToStream(image, stream, &unknown, nullptr), FileNotFound);
    const CLSID encoder = PngEncoder();
    EncoderParameters parameters{};
    parameters.Count = 1;
    EXPECT_EQ(GdipSaveImageToStream(image, stream, &encoder, &parameters), InvalidParameter);
    GdipDisposeImage(image);
    stream->Release();
}

TEST(GdiplusImageWithoutStartup, IsRefused)
{
    ScratchFile png(RgbPng(1, 1, {Rgb{0, 0, 0}}));
    GpImage* image = nullptr;
    EXPECT_EQ(GdipLoadImageFromFile(png.path().c_str(), &image), GdiplusNotInitialized);
    UINT count = 0, size = 0;
    EXPECT_EQ(GdipGetImageEncodersSize(&count, &size), GdiplusNotInitialized);
}

}  // namespace
