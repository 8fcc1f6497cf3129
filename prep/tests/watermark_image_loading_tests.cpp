// The watermark image made into PNG in memory and measured, from files the
// test makes: sizes worked out as pixels x 96 / dpi.
#include <gtest/gtest.h>

#include <cstring>

#include "image_test_files.h"
#include "watermark_image_loading.h"

namespace {

using namespace imagetest;

class WatermarkImageLoading : public ::testing::Test {
protected:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

TEST_F(WatermarkImageLoading, JpegAndTiffBecomePngOfTheirSize)
{
    TiffLayout tiff;
    tiff.width = 600;
    tiff.height = 300;
    tiff.pixels.assign(600 * 300, Rgb{0, 0, 255});
    tiff.dotsPerInch = 150;
    struct Case {
        const char* what;
        std::string file;
        double width, height;
    };
    const Case cases[] = {
        {"JPEG at 300 dpi", SolidJpeg(600, 300, {255, 0, 0}, 1, 300), 192, 96},
        {"TIFF at 150 dpi", RgbTiff(tiff), 384, 192},
        {"BMP without resolution", Rgb24Bmp(60, 30, std::vector<Rgb>(1800, Rgb{1, 2, 3})), 60, 30},
    };
    for (const Case& c : cases) {
        ScratchFile file(c.file, "my watermark #1.img");
        ComPtr<IStream> png;
        std::string reason;
        ASSERT_EQ(LoadImageFileAsPng(reinterpret_cast<const WCHAR*>(file.path().c_str()), &png, &reason), S_OK)
            << c.what << ": " << reason;
        ASSERT_TRUE(png);
        char signature[8] = {};
        ULONG read = 0;
        ASSERT_EQ(png->Read(signature, 8, &read), S_OK);
        EXPECT_EQ(std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0) << c.what << " starts as PNG from position 0";
        const LARGE_INTEGER start{};
        ASSERT_EQ(png->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
        ImageExtent extent;
        ASSERT_EQ(MeasureImageStream(png.Get(), &extent, &reason), Gdiplus::Ok) << c.what << ": " << reason;
        EXPECT_DOUBLE_EQ(extent.width, c.width) << c.what;
        EXPECT_DOUBLE_EQ(extent.height, c.height) << c.what;
    }
}

TEST_F(WatermarkImageLoading, FailuresGiveTheSystemErrorAndTheReason)
{
    ComPtr<IStream> png;
    std::string reason;
    EXPECT_EQ(LoadImageFileAsPng(u"/nonexistent/stamp.png", &png, &reason), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(png);
    EXPECT_NE(reason.find("cannot be opened"), std::string::npos) << reason;

    ScratchFile huge(PngFile({PngHeader(100000, 100000, 8, 2), PngData(std::string(301, '\0'))}));
    EXPECT_EQ(LoadImageFileAsPng(reinterpret_cast<const WCHAR*>(huge.path().c_str()), &png, &reason),
              HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
    EXPECT_FALSE(png);
    EXPECT_NE(reason.find("100000 x 100000 pixels"), std::string::npos) << reason;

    IStream* text = nullptr;
    ASSERT_EQ(CreateStreamOnBytes("not an image", 12, &text), S_OK);
    ImageExtent extent;
    EXPECT_EQ(MeasureImageStream(text, &extent, &reason), Gdiplus::UnknownImageFormat);
    EXPECT_FALSE(reason.empty());
    text->Release();
}

}  // namespace
