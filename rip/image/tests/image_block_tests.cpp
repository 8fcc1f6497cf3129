// Image blocks of images the tests make and of the real documents' images,
// through the platform's imaging component; hostile images fail with their
// reason and give back everything they allocated.
#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>

#include <unistd.h>
#include <cstdlib>

#include <cstring>
#include <set>

#include "image_test_files.h"
#include "native_test_files.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "ripimage/image_block.h"
#include "testsupport/fixtures.h"

namespace {

using namespace imagetest;
using tav::rip::BuildImageBlock;
using tav::rip::ImageBlock;

// The converter's allocator: counts what is outstanding.
std::set<void*> outstanding;
bool refuseAllocation = false;

void* Allocate(uint32_t size)
{
    if (refuseAllocation) return nullptr;
    void* block = std::malloc(size);
    outstanding.insert(block);
    return block;
}

void Free(void* block)
{
    EXPECT_EQ(outstanding.erase(block), 1u) << "freed a block that was not allocated";
    std::free(block);
}

class Apartment {
public:
    Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { CoUninitialize(); }
};

// An image block and what it says.
struct Block {
    ImageBlock built;
    std::vector<uint8_t> bytes;

    bool Ok() const { return built.data != nullptr; }
    uint16_t Little16(size_t at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
    uint32_t Big32(size_t at) const
    {
        return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    }
    uint16_t width() const { return Little16(8); }
    uint16_t height() const { return Little16(10); }
    int samples() const { return bytes[16]; }
    int colourModel() const { return bytes[17]; }
    std::vector<uint8_t> Raster() const
    {
        return std::vector<uint8_t>(bytes.begin() + 512, bytes.begin() + 512 + samples() * width() * height());
    }
};

// Builds the block of the file from a stream positioned at its end (the
// block reads from the start), copies it and gives it back.
Block Build(const std::string& file)
{
    Apartment apartment;
    ComPtr<IStream> stream;
    CreateStreamOnBytes(file.data(), file.size(), stream.Out());
    const LARGE_INTEGER end{};
    stream->Seek(end, STREAM_SEEK_END, nullptr);
    Block block;
    block.built = BuildImageBlock(stream.Get(), Allocate, Free);
    if (block.built.data != nullptr) {
        const auto* data = static_cast<const uint8_t*>(block.built.data);
        block.bytes.assign(data, data + block.built.size);
        Free(block.built.data);
    } else {
        EXPECT_FALSE(block.built.failure.empty());
    }
    EXPECT_TRUE(outstanding.empty()) << "a block was not given back";
    return block;
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    return std::vector<uint8_t>(values.begin(), values.end());
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ImageBlock, TwoBitGreyPng)
{
    const Block block = Build(PngFile({PngHeader(4, 1, 2, 0), PngData(Text(Bytes({0, 0x1B})))}));
    ASSERT_TRUE(block.Ok()) << block.built.failure;
    EXPECT_EQ(block.samples(), 1);
    EXPECT_EQ(block.colourModel(), 0);
    EXPECT_EQ(block.Raster(), Bytes({0, 85, 170, 255}));
    // No resolution in the file: 96 x 96, no fraction.
    EXPECT_EQ(block.Little16(12), 96);
    EXPECT_EQ(block.Little16(14), 96);
    EXPECT_EQ(block.Little16(32), 0);
}

TEST(ImageBlock, ColourJpegOfOneHundredByFiftyAtSeventyTwoDpi)
{
    const Block block = Build(Jpeg(100, 50, {200, 100, 50}, 72));
    ASSERT_TRUE(block.Ok()) << block.built.failure;
    EXPECT_EQ(block.bytes.size(), 512u + 15000u);
    EXPECT_EQ(Text(std::vector<uint8_t>(block.bytes.begin(), block.bytes.begin() + 8)),
              std::string("TITN\6\0\34\0", 8));
    EXPECT_EQ(block.width(), 100);
    EXPECT_EQ(block.height(), 50);
    EXPECT_EQ(block.Little16(12), 72);
    EXPECT_EQ(block.Little16(14), 72);
    EXPECT_EQ(block.Little16(32), 0);
    EXPECT_EQ(block.samples(), 3);
    EXPECT_EQ(block.colourModel(), 1);
    EXPECT_EQ(block.bytes[23], 0);
    EXPECT_EQ(block.Big32(24), 0u);
    EXPECT_EQ(block.Big32(28), 0u);
    // The decoder gives B, G, R; the block R, G, B (the JPEG is near, not exact).
    EXPECT_NEAR(block.bytes[512], 200, 2);
    EXPECT_NEAR(block.bytes[513], 100, 2);
    EXPECT_NEAR(block.bytes[514], 50, 2);
}

TEST(ImageBlock, PremultipliedCmykAlphaAndFloatPixels)
{
    // Stored R, G, B, A = 128, 64, 64, 128 with associated alpha: the
    // decoder's B, G, R, A = 64, 64, 128, 128.
    TiffSpec premultiplied = TiffOf(1, 1, 2, 4, 8);
    premultiplied.extraSamples = {1};
    premultiplied.rows = Text(Bytes({128, 64, 64, 128}));
    const Block unpremultiplied = Build(Tiff(premultiplied));
    ASSERT_TRUE(unpremultiplied.Ok()) << unpremultiplied.built.failure;
    EXPECT_EQ(unpremultiplied.colourModel(), 9);
    EXPECT_EQ(unpremultiplied.Raster(), Bytes({255, 127, 127, 128}));

    TiffSpec cmyka = TiffOf(2, 1, 5, 5, 8);
    cmyka.extraSamples = {2};
    cmyka.rows = Text(Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    const Block fiveSamples = Build(Tiff(cmyka));
    ASSERT_TRUE(fiveSamples.Ok()) << fiveSamples.built.failure;
    EXPECT_EQ(fiveSamples.samples(), 5);
    EXPECT_EQ(fiveSamples.colourModel(), 10);
    EXPECT_EQ(fiveSamples.Raster(), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    const float rgba[4] = {0.5f, 1.0f, 0.0f, 0.5f};
    const Block floats = Build(JpegXr(1, 1, 0x19, std::string(reinterpret_cast<const char*>(rgba), sizeof rgba)));
    ASSERT_TRUE(floats.Ok()) << floats.built.failure;
    EXPECT_EQ(floats.colourModel(), 9);
    // Alpha 0.5 goes through the curve like the colour 0.5.
    EXPECT_EQ(floats.Raster(), Bytes({179, 255, 0, 179}));
}

// One JPEG XR image of each kind of sample jxrlib writes, of two pixels,
// and the block's samples worked out by hand.
TEST(ImageBlock, JpegXrOfEveryKindOfSample)
{
    const auto words = [](std::initializer_list<uint16_t> values) {
        return std::string(reinterpret_cast<const char*>(values.begin()), values.size() * 2);
    };
    const int32_t fixed32[1] = {8388608};
    struct Case {
        const char* what;
        uint8_t format;
        std::string pixel;
        int samples, colourModel;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"8-bit BGR", 0x0C, Text(Bytes({1, 2, 3})), 3, 1, Bytes({3, 2, 1})},
        {"16-bit RGB", 0x15, words({0x1234, 0x5678, 0x9ABC}), 3, 1, Bytes({0x12, 0x56, 0x9A})},
        {"16-bit fixed point", 0x1D, words({4096, 8191, 0, 100}), 4, 9, Bytes({179, 255, 0, 14})},
        {"32-bit fixed point", 0x3F, std::string(reinterpret_cast<const char*>(fixed32), 4), 1, 0, Bytes({179})},
        {"half", 0x3A, words({0x3800, 0x3C00, 0, 0x2000}), 4, 9, Bytes({179, 255, 0, 8})},
        {"shared exponent", 0x3D, Text(Bytes({128, 64, 255, 128})), 3, 1, Bytes({180, 125, 255})},
        {"565", 0x0A, words({0xFC00}), 3, 1, Bytes({255, 129, 0})},
        {"black and white", 0x05, Text(Bytes({0x80})), 1, 0, Bytes({255})},
        {"CMYK", 0x1C, Text(Bytes({10, 20, 30, 40})), 4, 2, Bytes({10, 20, 30, 40})},
        {"three channels", 0x20, Text(Bytes({7, 8, 9})), 3, 5, Bytes({7, 8, 9})},
        {"four channels and alpha", 0x2F, Text(Bytes({1, 2, 3, 4, 5})), 5, 13, Bytes({1, 2, 3, 4, 5})},
    };
    for (const Case& c : cases) {
        // Black and white has a pixel of one bit: one.
        const uint32_t width = c.format == 0x05 ? 1 : 2;
        const std::string rows = width == 2 ? c.pixel + c.pixel : c.pixel;
        const Block block = Build(JpegXr(width, 1, c.format, rows));
        ASSERT_TRUE(block.Ok()) << c.what << ": " << block.built.failure;
        EXPECT_EQ(block.samples(), c.samples) << c.what;
        EXPECT_EQ(block.colourModel(), c.colourModel) << c.what;
        std::vector<uint8_t> expected = c.expected;
        if (width == 2) expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(block.Raster(), expected) << c.what;
    }
}

TEST(ImageBlock, ProfileFollowsTheRaster)
{
    const std::string profile = TestProfile("RGB ", 70000);  // two APP2 chunks
    const Block block = Build(Jpeg(4, 2, {10, 20, 30}, 0, profile));
    ASSERT_TRUE(block.Ok()) << block.built.failure;
    EXPECT_EQ(block.bytes.size(), 512u + 24u + 70000u);
    EXPECT_EQ(block.bytes[23], 2);
    EXPECT_EQ(block.Big32(24), 536u);
    EXPECT_EQ(block.Big32(28), 70000u);
    EXPECT_EQ(Text(std::vector<uint8_t>(block.bytes.begin() + 536, block.bytes.end())), profile);
}

TEST(ImageBlock, PaletteOfThreeColoursIndexedPastItsEnd)
{
    const std::string plte = PngChunk("PLTE", Text(Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255})));
    const Block block = Build(PngFile(
        {PngHeader(3, 1, 8, 3), plte, PngChunk("tRNS", Text(Bytes({128}))), PngData(Text(Bytes({0, 0, 2, 255})))}));
    ASSERT_TRUE(block.Ok()) << block.built.failure;
    EXPECT_EQ(block.samples(), 4);
    EXPECT_EQ(block.colourModel(), 9);
    EXPECT_EQ(block.Raster(), Bytes({255, 0, 0, 128, 0, 0, 255, 255, 0, 0, 0, 0}));
}

TEST(ImageBlock, ConverterWithoutMemory)
{
    refuseAllocation = true;
    const Block block = Build(PngFile({PngHeader(4, 1, 2, 0), PngData(Text(Bytes({0, 0x1B})))}));
    refuseAllocation = false;
    EXPECT_FALSE(block.Ok());
    EXPECT_EQ(block.built.failure, "the converter has no memory for the image's 516 bytes");
}

TEST(ImageBlock, HostileImagesFailWithTheirReason)
{
    std::string noise(48 * 48 * 3, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 >> 3);
    const std::string png = RgbPng(48, 48, std::vector<Rgb>(48 * 48, Rgb{1, 2, 3}));
    const std::string jpeg = Jpeg(48, 48, {1, 2, 3});
    TiffSpec tiffSpec = TiffOf(48, 48, 2, 3, 8);
    tiffSpec.rows = noise;
    const std::string tiff = Tiff(tiffSpec);
    const std::string jpegXr = JpegXr(48, 48, 0x0D, noise);
    const std::pair<std::string, std::string> cases[] = {
        {png.substr(0, png.size() / 2), "the image cannot be decoded: the PNG image is damaged: "},
        {jpeg.substr(0, jpeg.size() / 2),
         "the image cannot be decoded: the JPEG image is damaged: the data ends early"},
        {tiff.substr(0, tiff.size() / 2), "the image cannot be decoded: the TIFF image is damaged: "},
        {jpegXr.substr(0, jpegXr.size() / 2),
         "the image cannot be decoded: the JPEG XR image is damaged: the data ends early"},
        {PngFile({PngHeader(100000, 100000, 8, 2), PngData(std::string(301, '\0'))}),
         "the image cannot be decoded: the PNG image is 100000 x 100000 pixels, more than an image may have"},
        {StripTiff(30000, 30000, 1 << 20), "the image cannot be decoded: the TIFF image is damaged: "},
        {"GIF89a", "the image cannot be decoded: the data is no PNG, JPEG, TIFF or JPEG XR image"},
        {"", "the image cannot be decoded: the data is no PNG, JPEG, TIFF or JPEG XR image"},
    };
    for (const auto& [file, reason] : cases) {
        const Block block = Build(file);
        EXPECT_FALSE(block.Ok());
        EXPECT_EQ(block.built.failure.substr(0, reason.size()), reason) << block.built.failure;
    }
}

// R, G, B of an 8-bit RGB TIFF through libtiff's RGBA interface, and its
// horizontal resolution (0 for none).
std::vector<uint8_t> TiffAsRgb(const std::string& tiff, uint32_t width, uint32_t height, float* dpi)
{
    char path[] = "/tmp/tav-fixture-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0 || write(descriptor, tiff.data(), tiff.size()) != static_cast<ssize_t>(tiff.size())) return {};
    close(descriptor);
    std::vector<uint32_t> rgba(size_t{width} * height);
    TIFF* reader = TIFFOpen(path, "r");
    const bool read =
        reader != nullptr && TIFFReadRGBAImageOriented(reader, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0) == 1;
    if (reader != nullptr && TIFFGetField(reader, TIFFTAG_XRESOLUTION, dpi) != 1) *dpi = 0;
    if (reader != nullptr) TIFFClose(reader);
    unlink(path);
    std::vector<uint8_t> rgb;
    for (uint32_t pixel : rgba) {
        rgb.insert(rgb.end(), {static_cast<uint8_t>(TIFFGetR(pixel)), static_cast<uint8_t>(TIFFGetG(pixel)),
                               static_cast<uint8_t>(TIFFGetB(pixel))});
    }
    return read ? rgb : std::vector<uint8_t>{};
}

// The real documents' images, against the same files decoded through
// libtiff's and libpng's own 8-bit interfaces.
TEST(ImageBlock, ImagesOfTheRealDocuments)
{
    if (testsupport::FixturesFolder().empty()) GTEST_SKIP() << "the fixtures folder is not there";
    for (const char* package : {"xps/mb01.xps", "xps/mb06.xps", "xps/mb06.oxps"}) {
        std::string tiff;
        ASSERT_TRUE(testsupport::ReadFixtureEntry(package, "Resources/QL_logo_color.tif", &tiff)) << package;
        const Block block = Build(tiff);
        ASSERT_TRUE(block.Ok()) << package << ": " << block.built.failure;
        EXPECT_EQ(block.width(), 808) << package;
        EXPECT_EQ(block.height(), 178) << package;
        EXPECT_EQ(block.samples(), 3) << package;
        EXPECT_EQ(block.colourModel(), 1) << package;
        float dpi = 0;
        EXPECT_EQ(block.Raster(), TiffAsRgb(tiff, 808, 178, &dpi)) << package;
        EXPECT_EQ(block.Little16(12), dpi > 0 ? static_cast<int>(dpi) : 96) << package;
    }

    std::string png;
    ASSERT_TRUE(
        testsupport::ReadFixtureEntry("xps/mb08.xps", "Resources/a75ff97a-5662-4d9c-9bdd-8e2c2b826e05.png", &png));
    const Block block = Build(png);
    ASSERT_TRUE(block.Ok()) << block.built.failure;
    EXPECT_EQ(block.width(), 803);
    EXPECT_EQ(block.height(), 177);
    EXPECT_EQ(block.samples(), 4);
    EXPECT_EQ(block.colourModel(), 9);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_memory(&image, png.data(), png.size()), 0);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr), 0);
    EXPECT_EQ(block.Raster(), rgba);
}

}  // namespace
