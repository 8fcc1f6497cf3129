// The imaging component over images made in the tests: each decoder's pixel
// format, samples, palette, resolution and profile, and the rules of the
// interfaces the image callback uses.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "image_test_files.h"
#include "native_test_files.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/wincodec.h"

namespace {

using namespace imagetest;

class Apartment {
public:
    Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { CoUninitialize(); }
};

ComPtr<IWICImagingFactory> Factory()
{
    ComPtr<IWICImagingFactory> factory;
    EXPECT_EQ(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_ALL, IID_IWICImagingFactory, factory.OutVoid()),
              S_OK);
    return factory;
}

struct Decoded {
    HRESULT result = E_FAIL;
    std::string reason;
    GUID format{};
    UINT width = 0;
    UINT height = 0;
    double dpiX = 0;
    double dpiY = 0;
    // The rows, each (width * bitsPerPixel + 7) / 8 bytes.
    std::string pixels;
    std::vector<WICColor> palette;
    std::string profile;
};

// Decodes as the image callback does: decoder, frame 0, a bitmap cached on
// load, then its size, format, resolution, palette, pixels and profile.
Decoded DecodeFile(const std::string& file, uint32_t bitsPerPixel)
{
    Apartment apartment;
    Decoded decoded;
    ComPtr<IWICImagingFactory> factory = Factory();
    ComPtr<IStream> stream;
    CreateStreamOnBytes(file.data(), file.size(), stream.Out());
    ComPtr<IWICBitmapDecoder> decoder;
    decoded.result =
        factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out());
    decoded.reason = WICLastFailureReason();
    if (FAILED(decoded.result)) return decoded;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICBitmap> bitmap;
    EXPECT_EQ(decoder->GetFrame(0, frame.Out()), S_OK);
    EXPECT_EQ(factory->CreateBitmapFromSource(frame.Get(), WICBitmapCacheOnLoad, bitmap.Out()), S_OK);
    bitmap->GetSize(&decoded.width, &decoded.height);
    bitmap->GetPixelFormat(&decoded.format);
    frame->GetResolution(&decoded.dpiX, &decoded.dpiY);
    ComPtr<IWICPalette> palette;
    factory->CreatePalette(palette.Out());
    if (SUCCEEDED(bitmap->CopyPalette(palette.Get()))) {
        UINT count = 0;
        palette->GetColorCount(&count);
        decoded.palette.resize(count);
        palette->GetColors(count, decoded.palette.data(), &count);
    }
    const UINT stride = (decoded.width * bitsPerPixel + 7) / 8;
    decoded.pixels.assign(size_t{stride} * decoded.height, '\0');
    EXPECT_EQ(bitmap->CopyPixels(nullptr, stride, static_cast<UINT>(decoded.pixels.size()),
                                 reinterpret_cast<BYTE*>(decoded.pixels.data())),
              S_OK);
    ComPtr<IWICColorContext> context;
    factory->CreateColorContext(context.Out());
    IWICColorContext* contexts[1] = {context.Get()};
    UINT count = 0;
    EXPECT_EQ(frame->GetColorContexts(1, contexts, &count), S_OK);
    UINT size = 0;
    if (count == 1 && SUCCEEDED(context->GetProfileBytes(0, nullptr, &size))) {
        decoded.profile.assign(size, '\0');
        EXPECT_EQ(context->GetProfileBytes(size, reinterpret_cast<BYTE*>(decoded.profile.data()), &size), S_OK);
    }
    return decoded;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

std::string PngGreyRows(uint8_t depth, const std::string& packedRows, uint32_t width, uint32_t height)
{
    const size_t rowBytes = (width * depth + 7) / 8;
    std::string scanlines;
    for (uint32_t y = 0; y < height; ++y) scanlines += '\0' + packedRows.substr(y * rowBytes, rowBytes);
    return scanlines;
}

TEST(ImagingComponent, PngGreyKeepsItsDepth)
{
    struct Case {
        uint8_t depth;
        GUID format;
        std::string rows;  // 4 x 1 pixels, packed as PNG stores them
        std::string expected;
    };
    const Case cases[] = {
        {1, GUID_WICPixelFormatBlackWhite, Bytes({0xA0}), Bytes({0xA0})},
        {2, GUID_WICPixelFormat2bppGray, Bytes({0x1B}), Bytes({0x1B})},
        {4, GUID_WICPixelFormat4bppGray, Bytes({0x0F, 0x7A}), Bytes({0x0F, 0x7A})},
        {8, GUID_WICPixelFormat8bppGray, Bytes({0, 85, 170, 255}), Bytes({0, 85, 170, 255})},
        // Big-endian in the file, the machine's order in memory.
        {16, GUID_WICPixelFormat16bppGray, Bytes({0x12, 0x34, 0, 1, 0xFF, 0xFE, 0x80, 0}),
         Bytes({0x34, 0x12, 1, 0, 0xFE, 0xFF, 0, 0x80})},
    };
    for (const Case& c : cases) {
        const std::string file = PngFile({PngHeader(4, 1, c.depth, 0), PngData(PngGreyRows(c.depth, c.rows, 4, 1))});
        const Decoded decoded = DecodeFile(file, c.depth);
        ASSERT_EQ(decoded.result, S_OK) << decoded.reason;
        EXPECT_EQ(decoded.format, c.format) << int{c.depth};
        EXPECT_EQ(decoded.pixels, c.expected) << int{c.depth};
        EXPECT_TRUE(decoded.palette.empty());
    }
}

TEST(ImagingComponent, PngPalettesCarryTheirTransparency)
{
    // Three colours, the first two with alpha from tRNS; indices 0..3.
    const std::string plte = PngChunk("PLTE", Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255}));
    const std::string file =
        PngFile({PngHeader(4, 1, 2, 3), plte, PngChunk("tRNS", Bytes({0, 128})), PngData(Bytes({0, 0x1B}))});
    const Decoded indexed = DecodeFile(file, 2);
    ASSERT_EQ(indexed.result, S_OK) << indexed.reason;
    EXPECT_EQ(indexed.format, GUID_WICPixelFormat2bppIndexed);
    EXPECT_EQ(indexed.palette, (std::vector<WICColor>{0x00FF0000, 0x8000FF00, 0xFF0000FF}));
    EXPECT_EQ(indexed.pixels, Bytes({0x1B}));

    // Grey with a colour key: a palette of the 16 greys, the key's clear.
    const std::string keyed =
        PngFile({PngHeader(2, 1, 4, 0), PngChunk("tRNS", Bytes({0, 5})), PngData(Bytes({0, 0x5F}))});
    const Decoded grey = DecodeFile(keyed, 4);
    ASSERT_EQ(grey.result, S_OK) << grey.reason;
    EXPECT_EQ(grey.format, GUID_WICPixelFormat4bppIndexed);
    ASSERT_EQ(grey.palette.size(), 16u);
    EXPECT_EQ(grey.palette[5], 0x00555555u);
    EXPECT_EQ(grey.palette[15], 0xFFFFFFFFu);
    EXPECT_EQ(grey.pixels, Bytes({0x5F}));
}

TEST(ImagingComponent, PngColourFormatsAndProfile)
{
    const std::string profile = TestProfile("RGB ", 300);
    std::string physical = Bytes({0, 0, 0x17, 0x12, 0, 0, 0x0B, 0x89, 1});  // 5906 and 2953 per metre
    struct Case {
        uint8_t depth, type;
        std::string row;
        GUID format;
        uint32_t bits;
        std::string expected;
    };
    const Case cases[] = {
        {8, 2, Bytes({1, 2, 3}), GUID_WICPixelFormat24bppRGB, 24, Bytes({1, 2, 3})},
        {8, 6, Bytes({1, 2, 3, 4}), GUID_WICPixelFormat32bppBGRA, 32, Bytes({3, 2, 1, 4})},
        {8, 4, Bytes({9, 200}), GUID_WICPixelFormat32bppBGRA, 32, Bytes({9, 9, 9, 200})},
        {16, 2, Bytes({1, 2, 3, 4, 5, 6}), GUID_WICPixelFormat48bppRGB, 48, Bytes({2, 1, 4, 3, 6, 5})},
        {16, 6, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), GUID_WICPixelFormat64bppRGBA, 64, Bytes({2, 1, 4, 3, 6, 5, 8, 7})},
    };
    for (const Case& c : cases) {
        const std::string file = PngFile({PngHeader(1, 1, c.depth, c.type), PngProfileChunk(profile),
                                          PngChunk("pHYs", physical), PngData('\0' + c.row)});
        const Decoded decoded = DecodeFile(file, c.bits);
        ASSERT_EQ(decoded.result, S_OK) << decoded.reason;
        EXPECT_EQ(decoded.format, c.format) << int{c.type};
        EXPECT_EQ(decoded.pixels, c.expected) << int{c.type};
        EXPECT_EQ(decoded.dpiX, 150);
        EXPECT_EQ(decoded.dpiY, 75);
        // libpng keeps a profile only where its colour space fits the image.
        EXPECT_EQ(decoded.profile, c.type == 4 ? "" : profile) << int{c.type};
    }
}

TEST(ImagingComponent, JpegGreyColourAndCmyk)
{
    const std::string profile = TestProfile("RGB ", 150000);  // three APP2 chunks
    const Decoded colour = DecodeFile(Jpeg(16, 8, {250, 10, 10}, 72, profile), 24);
    ASSERT_EQ(colour.result, S_OK) << colour.reason;
    EXPECT_EQ(colour.format, GUID_WICPixelFormat24bppBGR);
    EXPECT_EQ(colour.width, 16u);
    EXPECT_EQ(colour.dpiX, 72);
    EXPECT_NEAR(static_cast<uint8_t>(colour.pixels[0]), 10, 3);  // blue first
    EXPECT_NEAR(static_cast<uint8_t>(colour.pixels[2]), 250, 3);
    EXPECT_EQ(colour.profile, profile);

    const Decoded grey = DecodeFile(Jpeg(8, 8, {77}), 8);
    ASSERT_EQ(grey.result, S_OK) << grey.reason;
    EXPECT_EQ(grey.format, GUID_WICPixelFormat8bppGray);
    EXPECT_EQ(grey.pixels, std::string(64, 77));
    EXPECT_EQ(grey.dpiX, 0);

    // Stored inverted under the Adobe marker, as such files are; read back
    // as ink amounts.
    const Decoded cmyk = DecodeFile(Jpeg(8, 8, {255 - 200, 255 - 100, 255 - 0, 255 - 30}), 32);
    ASSERT_EQ(cmyk.result, S_OK) << cmyk.reason;
    EXPECT_EQ(cmyk.format, GUID_WICPixelFormat32bppCMYK);
    const int inks[4] = {200, 100, 0, 30};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(static_cast<uint8_t>(cmyk.pixels[i]), inks[i], 2) << i;
}

TEST(ImagingComponent, TiffSamplesKeepTheirLayout)
{
    struct Case {
        const char* what;
        TiffSpec spec;
        GUID format;
        uint32_t bits;
        std::string expected;
    };
    TiffSpec cmyka = TiffOf(2, 1, 5, 5, 8);
    cmyka.extraSamples = {2};
    cmyka.rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    TiffSpec premultiplied = TiffOf(1, 1, 2, 4, 8);
    premultiplied.extraSamples = {1};
    premultiplied.rows = Bytes({128, 64, 64, 128});
    TiffSpec sixInks = TiffOf(1, 1, 5, 6, 16);
    sixInks.inkSet = 2;
    sixInks.rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    TiffSpec whiteIsZero = TiffOf(9, 1, 0, 1, 1);
    whiteIsZero.rows = Bytes({0xF0, 0x80});
    TiffSpec floats = TiffOf(1, 1, 2, 3, 32, 3);
    const float rgb[3] = {0.5f, 1.0f, 0.25f};
    floats.rows.assign(reinterpret_cast<const char*>(rgb), sizeof rgb);
    float padded[4] = {0.5f, 1.0f, 0.25f, 1.0f};
    TiffSpec planar = TiffOf(1, 1, 2, 3, 8, 1, 2);
    planar.rows = Bytes({10, 20, 30});
    const Case cases[] = {
        {"CMYK and alpha", cmyka, GUID_WICPixelFormat40bppCMYKAlpha, 40, cmyka.rows},
        {"associated alpha", premultiplied, GUID_WICPixelFormat32bppPBGRA, 32, Bytes({64, 64, 128, 128})},
        {"six inks", sixInks, GUID_WICPixelFormat96bpp6Channels, 96, sixInks.rows},
        {"white is zero", whiteIsZero, GUID_WICPixelFormatBlackWhite, 1, Bytes({0x0F, 0x7F})},
        {"float RGB", floats, GUID_WICPixelFormat128bppRGBFloat, 128,
         std::string(reinterpret_cast<const char*>(padded), sizeof padded)},
        // Planes apart: through libtiff's RGBA interface.
        {"planar", planar, GUID_WICPixelFormat32bppPBGRA, 32, Bytes({30, 20, 10, 255})},
    };
    for (const Case& c : cases) {
        const Decoded decoded = DecodeFile(Tiff(c.spec), c.bits);
        ASSERT_EQ(decoded.result, S_OK) << c.what << ": " << decoded.reason;
        EXPECT_EQ(decoded.format, c.format) << c.what;
        EXPECT_EQ(decoded.pixels, c.expected) << c.what;
    }
}

TEST(ImagingComponent, TiffPaletteProfileAndResolution)
{
    TiffSpec spec = TiffOf(2, 1, 3, 1, 4);
    spec.colourMap.assign(48, 0);
    spec.colourMap[1] = 0xFF00;        // red of colour 1
    spec.colourMap[16 + 2] = 0x8000;   // green of colour 2
    spec.colourMap[32 + 15] = 0x1234;  // blue of colour 15
    spec.rows = Bytes({0x2F});
    spec.profile = TestProfile("RGB ", 200);
    spec.dotsPerInch = 300;
    const Decoded decoded = DecodeFile(Tiff(spec), 4);
    ASSERT_EQ(decoded.result, S_OK) << decoded.reason;
    EXPECT_EQ(decoded.format, GUID_WICPixelFormat4bppIndexed);
    ASSERT_EQ(decoded.palette.size(), 16u);
    EXPECT_EQ(decoded.palette[1], 0xFFFF0000u);
    EXPECT_EQ(decoded.palette[2], 0xFF008000u);
    EXPECT_EQ(decoded.palette[15], 0xFF000012u);
    EXPECT_EQ(decoded.pixels, Bytes({0x2F}));
    EXPECT_EQ(decoded.profile, spec.profile);
    EXPECT_EQ(decoded.dpiX, 300);
}

// One image of each kind of sample jxrlib writes, lossless: the pixels
// come back as they were given, in their own format.
TEST(ImagingComponent, JpegXrKeepsEachKindOfSample)
{
    struct Case {
        const char* what;
        uint8_t format;
        uint32_t bits;
    };
    const Case cases[] = {
        {"8-bit", 0x0C, 24},
        {"16-bit", 0x15, 48},
        {"16-bit fixed point", 0x1D, 64},
        {"32-bit fixed point", 0x3F, 32},
        {"half", 0x3A, 64},
        {"float", 0x19, 128},
        {"shared exponent", 0x3D, 32},
        {"565", 0x0A, 16},
        {"101010", 0x14, 32},
        {"black and white", 0x05, 1},
        {"CMYK", 0x1C, 32},
        {"three channels and alpha", 0x2E, 32},
        {"premultiplied", 0x10, 32},
        {"CMYK and alpha", 0x2C, 40},
    };
    const std::string profile = TestProfile("RGB ", 500);
    for (const Case& c : cases) {
        const uint32_t width = 5;
        const uint32_t height = 3;
        const uint32_t stride = (width * c.bits + 7) / 8;
        std::string pixels(size_t{stride} * height, '\0');
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<char>(i * 37 + 11);
        if (c.format == 0x05) {
            // The bits past the fifth pixel of a row are not stored.
            for (char& byte : pixels) byte = static_cast<char>(byte & 0xF8);
        } else if (c.format == 0x14) {
            // Two bits of each 32 are not stored.
            for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = static_cast<char>(pixels[i] & 0x3F);
        } else if (c.format == 0x3D) {
            // Normalised mantissas with their exponent, which come back alike.
            for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<char>(i % 4 == 3 ? 130 : 128 + i);
        } else if (c.format == 0x3A) {
            // Finite, non-negative halves.
            for (size_t i = 1; i < pixels.size(); i += 2) pixels[i] = static_cast<char>(pixels[i] & 0x3B);
        } else if (c.format == 0x19 || c.format == 0x3F) {
            // Floats of few mantissa bits; fixed-point values of 0 to 1.
            for (size_t i = 0; i < pixels.size(); i += 4) {
                const float value = static_cast<float>(i % 17) / 16;
                const int32_t fixed = static_cast<int32_t>(i % 17) << 20;
                std::memcpy(&pixels[i], c.format == 0x19 ? static_cast<const void*>(&value) : &fixed, 4);
            }
        }
        const std::string file = JpegXr(width, height, c.format, pixels, 150, 75, profile);
        const Decoded decoded = DecodeFile(file, c.bits);
        ASSERT_EQ(decoded.result, S_OK) << c.what << ": " << decoded.reason;
        EXPECT_EQ(decoded.format, WICPixelFormat(c.format)) << c.what;
        EXPECT_EQ(decoded.pixels, pixels) << c.what;
        EXPECT_EQ(decoded.dpiX, 150) << c.what;
        EXPECT_EQ(decoded.dpiY, 75) << c.what;
        EXPECT_EQ(decoded.profile, profile) << c.what;
    }
}

TEST(ImagingComponent, CopyPixelsTakesRectanglesAndChecksTheBuffer)
{
    Apartment apartment;
    ComPtr<IWICImagingFactory> factory = Factory();
    // 12 x 2 black and white: row 0 1010 1010 1111, row 1 0000 1111 0011.
    const std::string file = PngFile({PngHeader(12, 2, 1, 0), PngData(Bytes({0, 0xAA, 0xF0, 0, 0x0F, 0x30}))});
    ComPtr<IStream> stream;
    CreateStreamOnBytes(file.data(), file.size(), stream.Out());
    ComPtr<IWICBitmapDecoder> decoder;
    ASSERT_EQ(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out()),
              S_OK);
    ComPtr<IWICBitmapFrameDecode> frame;
    ASSERT_EQ(decoder->GetFrame(0, frame.Out()), S_OK);
    BYTE out[4] = {};
    // Pixels 3 to 9 of each row, shifted to the start of the byte.
    const WICRect inner = {3, 0, 7, 2};
    ASSERT_EQ(frame->CopyPixels(&inner, 2, 4, out), S_OK);
    EXPECT_EQ(out[0], 0x56);  // 0101 011(0)
    EXPECT_EQ(out[1], 0x00);  // the stride's byte, untouched
    EXPECT_EQ(out[2], 0x78);  // 0111 100(0)

    EXPECT_EQ(frame->CopyPixels(&inner, 0, 4, out), E_INVALIDARG);  // stride shorter than a row
    EXPECT_EQ(frame->CopyPixels(&inner, 2, 2, out), WINCODEC_ERR_INSUFFICIENTBUFFER);
    const WICRect outside = {6, 1, 7, 1};
    EXPECT_EQ(frame->CopyPixels(&outside, 2, 4, out), E_INVALIDARG);
    const WICRect empty = {0, 0, 0, 1};
    EXPECT_EQ(frame->CopyPixels(&empty, 2, 4, out), E_INVALIDARG);

    ComPtr<IWICBitmapFrameDecode> second;
    EXPECT_EQ(decoder->GetFrame(1, second.Out()), WINCODEC_ERR_FRAMEMISSING);
    ComPtr<IWICPalette> palette;
    factory->CreatePalette(palette.Out());
    EXPECT_EQ(frame->CopyPalette(palette.Get()), WINCODEC_ERR_PALETTEUNAVAILABLE);
    UINT contexts = 7;
    EXPECT_EQ(frame->GetColorContexts(0, nullptr, &contexts), S_OK);
    EXPECT_EQ(contexts, 0u);
    ComPtr<IWICBitmap> bitmap;
    EXPECT_EQ(factory->CreateBitmapFromSource(frame.Get(), WICBitmapNoCache, bitmap.Out()), E_INVALIDARG);
}

TEST(ImagingComponent, ColourContextGivesItsSizeThenItsBytes)
{
    Apartment apartment;
    ComPtr<IWICColorContext> context;
    ASSERT_EQ(Factory()->CreateColorContext(context.Out()), S_OK);
    UINT size = 0;
    EXPECT_EQ(context->GetProfileBytes(0, nullptr, &size), WINCODEC_ERR_WRONGSTATE);
    const BYTE profile[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(context->InitializeFromMemory(profile, 5), S_OK);
    EXPECT_EQ(context->InitializeFromMemory(profile, 5), WINCODEC_ERR_WRONGSTATE);
    EXPECT_EQ(context->GetProfileBytes(0, nullptr, &size), S_OK);
    EXPECT_EQ(size, 5u);
    BYTE small[4] = {};
    EXPECT_EQ(context->GetProfileBytes(4, small, &size), WINCODEC_ERR_INSUFFICIENTBUFFER);
    BYTE whole[5] = {};
    EXPECT_EQ(context->GetProfileBytes(5, whole, &size), S_OK);
    EXPECT_EQ(std::memcmp(whole, profile, 5), 0);
}

TEST(ImagingComponent, DataOfNoKnownFormatFailsAtOnceWithItsReason)
{
    const Decoded gif = DecodeFile(IndexedGif(1, 1, {Rgb{0, 0, 0}}, {0}), 8);
    EXPECT_EQ(gif.result, WINCODEC_ERR_COMPONENTNOTFOUND);
    EXPECT_EQ(gif.reason, "the data is no PNG, JPEG, TIFF or JPEG XR image");
    TiffSpec lab = TiffOf(1, 1, 8, 3, 8);  // CIE Lab: libtiff's RGBA interface reads it
    lab.rows = Bytes({50, 0, 0});
    TiffSpec twelveBit = TiffOf(1, 1, 1, 1, 12);  // neither a format nor RGBA
    twelveBit.rows = Bytes({5, 0});
    EXPECT_EQ(DecodeFile(Tiff(lab), 32).format, GUID_WICPixelFormat32bppPBGRA);
    const Decoded unsupported = DecodeFile(Tiff(twelveBit), 16);
    EXPECT_EQ(unsupported.result, WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT) << unsupported.reason;
    EXPECT_NE(unsupported.reason.find("TIFF image has a form that cannot be read"), std::string::npos)
        << unsupported.reason;
}

// Each fails at once with its reason, having allocated nothing large.
// The JPEG XR file with its horizontal resolution entry replaced by another
// entry of one value.
std::string WithEntryInsteadOfResolution(std::string file, uint16_t tag, uint16_t type, uint32_t value)
{
    auto put = [&file](size_t at, uint32_t number, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(number >> (8 * i));
    };
    auto get = [&file](size_t at, int bytes) {
        uint32_t number = 0;
        for (int i = bytes - 1; i >= 0; --i) number = number << 8 | static_cast<uint8_t>(file[at + i]);
        return number;
    };
    const size_t directory = get(4, 4);
    for (size_t i = 0, count = get(directory, 2); i < count; ++i) {
        const size_t entry = directory + 2 + 12 * i;
        if (get(entry, 2) != 0xBC82) continue;
        put(entry, tag, 2);
        put(entry + 2, type, 2);
        put(entry + 4, 1, 4);
        put(entry + 8, value, 4);
        return file;
    }
    ADD_FAILURE() << "the encoder wrote no horizontal resolution";
    return file;
}

TEST(ImagingComponent, JpegXrEntriesTheDecoderWouldStopOnAreRefusedOrLeftOut)
{
    std::string pixels(16 * 16 * 3, '\x40');
    const std::string file = JpegXr(16, 16, 0x0D, pixels);
    // An orientation past the eight there are.
    Decoded turned = DecodeFile(WithEntryInsteadOfResolution(file, 0xBC02, 1, 9), 8);
    EXPECT_EQ(turned.result, WINCODEC_ERR_BADIMAGE);
    EXPECT_NE(turned.reason.find("the orientation 9 is unknown"), std::string::npos) << turned.reason;
    // A title (ImageDescription) and a rating (RatingStars) of other types
    // than text and a number: not needed for the image, so left out.
    for (auto [tag, type] : {std::pair<uint16_t, uint16_t>{0x010E, 3}, {0x4746, 2}}) {
        Decoded described = DecodeFile(WithEntryInsteadOfResolution(file, tag, type, 0x41), 24);
        EXPECT_EQ(described.result, S_OK) << tag << ": " << described.reason;
        EXPECT_EQ(described.width, 16u);
    }
}

TEST(ImagingComponent, HostileImagesFailWithTheirReason)
{
    struct Case {
        const char* what;
        std::string file;
        HRESULT result;
        const char* reason;
    };
    std::string pixels(64 * 64 * 3, '\0');
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<char>(i * 7919 >> 3);
    const std::string png = RgbPng(64, 64, std::vector<Rgb>(64 * 64, Rgb{1, 2, 3}));
    const std::string jpeg = Jpeg(64, 64, {9, 99, 199});
    TiffSpec tiffSpec = TiffOf(64, 64, 2, 3, 8);
    tiffSpec.rows = pixels;
    const std::string tiff = Tiff(tiffSpec);
    const std::string jpegXr = JpegXr(64, 64, 0x0D, pixels);
    // 6000 x 6000 RGBA floats: pixels an image may have, but more bytes.
    const std::string floats = HandmadeTiff({{256, 4, 1, 6000},
                                             {257, 4, 1, 6000},
                                             {258, 3, 1, 32},
                                             {259, 3, 1, 1},
                                             {262, 3, 1, 2},
                                             {273, 4, 1, 8},
                                             {277, 3, 1, 4},
                                             {278, 4, 1, 6000},
                                             {279, 4, 1, 576000000},
                                             {338, 3, 1, 2},
                                             {339, 3, 1, 3}});
    const Case cases[] = {
        {"PNG cut short", png.substr(0, png.size() / 2), WINCODEC_ERR_BADIMAGE, "the PNG image is damaged: "},
        {"JPEG cut short", jpeg.substr(0, jpeg.size() / 2), WINCODEC_ERR_BADIMAGE, "the data ends early"},
        {"TIFF cut short", tiff.substr(0, tiff.size() / 2), WINCODEC_ERR_BADIMAGE, "the TIFF image is damaged: "},
        {"JPEG XR cut short", jpegXr.substr(0, jpegXr.size() / 2), WINCODEC_ERR_BADIMAGE, "the data ends early"},
        {"JPEG XR header cut short", jpegXr.substr(0, 40), WINCODEC_ERR_BADIMAGE, "its header cannot be read"},
        {"PNG of 100000 x 100000", PngFile({PngHeader(100000, 100000, 8, 2), PngData(std::string(301, '\0'))}),
         WINCODEC_ERR_IMAGESIZEOUTOFRANGE, "100000 x 100000 pixels"},
        {"TIFF of 30000 strips past its end", StripTiff(30000, 30000, 1 << 20), WINCODEC_ERR_BADIMAGE,
         "the TIFF image is damaged: "},
        {"TIFF of 2^28 strips", StripTiff(1, 1u << 28, 8), WINCODEC_ERR_BADIMAGE, "the TIFF image is damaged: "},
        {"float TIFF of 576000000 bytes", floats, WINCODEC_ERR_IMAGESIZEOUTOFRANGE, "576000000 bytes of pixels"},
    };
    for (const Case& c : cases) {
        const Decoded decoded = DecodeFile(c.file, 8);
        EXPECT_EQ(decoded.result, c.result) << c.what << ": " << decoded.reason;
        EXPECT_NE(decoded.reason.find(c.reason), std::string::npos) << c.what << ": " << decoded.reason;
    }
}

}  // namespace
