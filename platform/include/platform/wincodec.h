// The imaging component: a factory that makes decoders of PNG, JPEG, TIFF
// and JPEG XR images from a stream, the decoder's first frame, bitmaps cached
// from a frame, palettes and colour contexts (the image's ICC profile).
//
// Each decoder gives the pixels in the image's own sample depth and layout,
// under the pixel formats below: a 16-bit PNG as 48bppRGB or 64bppRGBA, a
// palette image as 1, 2, 4 or 8bppIndexed with its palette, a CMYK JPEG or
// TIFF as 32bppCMYK, an associated-alpha TIFF as 32bppPBGRA, a JPEG XR image
// in its own float, fixed-point, half, shared-exponent or n-channel format.
// Multi-byte samples are in the machine's (little-endian) order; rows have no
// padding of their own.
//
// A stream is read whole when the decoder is made, up to 128 MiB, and the
// image is decoded then; images past the platform's limits (30,000 pixels a
// side, 40 million in all, 320 million bytes of pixels) and data of no known
// format are refused at once. TIFFs whose samples have no pixel format of
// their own here (tiled, planes apart, YCbCr other than JPEG, Lab, ...) are
// read through libtiff's RGBA interface as 32bppPBGRA. A failing call leaves on its thread the reason of the
// failure, for the message to the user (WICLastFailureReason).
#pragma once

#include <string>

#include "platform/stream.h"

constexpr CLSID CLSID_WICImagingFactory = {
    0xCACAF262, 0x9370, 0x4615, {0xA1, 0x3B, 0x9F, 0x55, 0x39, 0xDA, 0x4C, 0x0A}};

constexpr IID IID_IWICImagingFactory = {0xEC5EC8A9, 0xC395, 0x4314, {0x9C, 0x77, 0x54, 0xD7, 0xA9, 0x35, 0xFF, 0x70}};
constexpr IID IID_IWICBitmapSource = {0x00000120, 0xA8F2, 0x4877, {0xBA, 0x0A, 0xFD, 0x2B, 0x66, 0x45, 0xFB, 0x94}};
constexpr IID IID_IWICBitmap = {0x00000121, 0xA8F2, 0x4877, {0xBA, 0x0A, 0xFD, 0x2B, 0x66, 0x45, 0xFB, 0x94}};
constexpr IID IID_IWICPalette = {0x00000040, 0xA8F2, 0x4877, {0xBA, 0x0A, 0xFD, 0x2B, 0x66, 0x45, 0xFB, 0x94}};
constexpr IID IID_IWICBitmapDecoder = {0x9EDDE9E7, 0x8DEE, 0x47EA, {0x99, 0xDF, 0xE6, 0xFA, 0xF2, 0xED, 0x44, 0xBF}};
constexpr IID IID_IWICBitmapFrameDecode = {
    0x3B16811B, 0x6A43, 0x4EC9, {0xA8, 0x13, 0x3D, 0x93, 0x0C, 0x13, 0xB9, 0x40}};
constexpr IID IID_IWICColorContext = {0x3C613A02, 0x34B2, 0x44EA, {0x9A, 0x7C, 0x45, 0xAE, 0xA9, 0xC6, 0xFD, 0x6D}};

constexpr HRESULT WINCODEC_ERR_WRONGSTATE = MakeHresult(0x88982F04u);
constexpr HRESULT WINCODEC_ERR_VALUEOUTOFRANGE = MakeHresult(0x88982F05u);
constexpr HRESULT WINCODEC_ERR_PALETTEUNAVAILABLE = MakeHresult(0x88982F45u);
constexpr HRESULT WINCODEC_ERR_COMPONENTNOTFOUND = MakeHresult(0x88982F50u);
constexpr HRESULT WINCODEC_ERR_IMAGESIZEOUTOFRANGE = MakeHresult(0x88982F51u);
constexpr HRESULT WINCODEC_ERR_BADIMAGE = MakeHresult(0x88982F60u);
constexpr HRESULT WINCODEC_ERR_FRAMEMISSING = MakeHresult(0x88982F62u);
constexpr HRESULT WINCODEC_ERR_STREAMREAD = MakeHresult(0x88982F72u);
constexpr HRESULT WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT = MakeHresult(0x88982F80u);
constexpr HRESULT WINCODEC_ERR_UNSUPPORTEDOPERATION = MakeHresult(0x88982F81u);
constexpr HRESULT WINCODEC_ERR_INSUFFICIENTBUFFER = MakeHresult(0x88982F8Bu);

using WICPixelFormatGUID = GUID;
using REFWICPixelFormatGUID = const GUID&;
// A palette colour: 0xAARRGGBB.
using WICColor = UINT;

struct WICRect {
    INT X;
    INT Y;
    INT Width;
    INT Height;
};

enum WICDecodeOptions {
    WICDecodeMetadataCacheOnDemand = 0,
    WICDecodeMetadataCacheOnLoad = 1,
};

enum WICBitmapCreateCacheOption {
    WICBitmapNoCache = 0,
    WICBitmapCacheOnDemand = 1,
    WICBitmapCacheOnLoad = 2,
};

// The pixel formats: {6FDDC324-4E03-4BFE-B185-3D77768DC9xx}, xx below.
constexpr GUID WICPixelFormat(uint8_t last)
{
    return {0x6FDDC324, 0x4E03, 0x4BFE, {0xB1, 0x85, 0x3D, 0x77, 0x76, 0x8D, 0xC9, last}};
}
constexpr GUID GUID_WICPixelFormatDontCare = WICPixelFormat(0x00);
constexpr GUID GUID_WICPixelFormat1bppIndexed = WICPixelFormat(0x01);
constexpr GUID GUID_WICPixelFormat2bppIndexed = WICPixelFormat(0x02);
constexpr GUID GUID_WICPixelFormat4bppIndexed = WICPixelFormat(0x03);
constexpr GUID GUID_WICPixelFormat8bppIndexed = WICPixelFormat(0x04);
constexpr GUID GUID_WICPixelFormatBlackWhite = WICPixelFormat(0x05);
constexpr GUID GUID_WICPixelFormat2bppGray = WICPixelFormat(0x06);
constexpr GUID GUID_WICPixelFormat4bppGray = WICPixelFormat(0x07);
constexpr GUID GUID_WICPixelFormat8bppGray = WICPixelFormat(0x08);
constexpr GUID GUID_WICPixelFormat16bppBGR555 = WICPixelFormat(0x09);
constexpr GUID GUID_WICPixelFormat16bppBGR565 = WICPixelFormat(0x0A);
constexpr GUID GUID_WICPixelFormat16bppGray = WICPixelFormat(0x0B);
constexpr GUID GUID_WICPixelFormat24bppBGR = WICPixelFormat(0x0C);
constexpr GUID GUID_WICPixelFormat24bppRGB = WICPixelFormat(0x0D);
constexpr GUID GUID_WICPixelFormat32bppBGR = WICPixelFormat(0x0E);
constexpr GUID GUID_WICPixelFormat32bppBGRA = WICPixelFormat(0x0F);
constexpr GUID GUID_WICPixelFormat32bppPBGRA = WICPixelFormat(0x10);
constexpr GUID GUID_WICPixelFormat32bppGrayFloat = WICPixelFormat(0x11);
constexpr GUID GUID_WICPixelFormat48bppRGBFixedPoint = WICPixelFormat(0x12);
constexpr GUID GUID_WICPixelFormat16bppGrayFixedPoint = WICPixelFormat(0x13);
constexpr GUID GUID_WICPixelFormat32bppBGR101010 = WICPixelFormat(0x14);
constexpr GUID GUID_WICPixelFormat48bppRGB = WICPixelFormat(0x15);
constexpr GUID GUID_WICPixelFormat64bppRGBA = WICPixelFormat(0x16);
constexpr GUID GUID_WICPixelFormat64bppPRGBA = WICPixelFormat(0x17);
constexpr GUID GUID_WICPixelFormat96bppRGBFixedPoint = WICPixelFormat(0x18);
constexpr GUID GUID_WICPixelFormat128bppRGBAFloat = WICPixelFormat(0x19);
constexpr GUID GUID_WICPixelFormat128bppPRGBAFloat = WICPixelFormat(0x1A);
constexpr GUID GUID_WICPixelFormat128bppRGBFloat = WICPixelFormat(0x1B);
constexpr GUID GUID_WICPixelFormat32bppCMYK = WICPixelFormat(0x1C);
constexpr GUID GUID_WICPixelFormat64bppRGBAFixedPoint = WICPixelFormat(0x1D);
constexpr GUID GUID_WICPixelFormat128bppRGBAFixedPoint = WICPixelFormat(0x1E);
constexpr GUID GUID_WICPixelFormat64bppCMYK = WICPixelFormat(0x1F);
constexpr GUID GUID_WICPixelFormat24bpp3Channels = WICPixelFormat(0x20);
constexpr GUID GUID_WICPixelFormat32bpp4Channels = WICPixelFormat(0x21);
constexpr GUID GUID_WICPixelFormat40bpp5Channels = WICPixelFormat(0x22);
constexpr GUID GUID_WICPixelFormat48bpp6Channels = WICPixelFormat(0x23);
constexpr GUID GUID_WICPixelFormat56bpp7Channels = WICPixelFormat(0x24);
constexpr GUID GUID_WICPixelFormat64bpp8Channels = WICPixelFormat(0x25);
constexpr GUID GUID_WICPixelFormat48bpp3Channels = WICPixelFormat(0x26);
constexpr GUID GUID_WICPixelFormat64bpp4Channels = WICPixelFormat(0x27);
constexpr GUID GUID_WICPixelFormat80bpp5Channels = WICPixelFormat(0x28);
constexpr GUID GUID_WICPixelFormat96bpp6Channels = WICPixelFormat(0x29);
constexpr GUID GUID_WICPixelFormat112bpp7Channels = WICPixelFormat(0x2A);
constexpr GUID GUID_WICPixelFormat128bpp8Channels = WICPixelFormat(0x2B);
constexpr GUID GUID_WICPixelFormat40bppCMYKAlpha = WICPixelFormat(0x2C);
constexpr GUID GUID_WICPixelFormat80bppCMYKAlpha = WICPixelFormat(0x2D);
constexpr GUID GUID_WICPixelFormat32bpp3ChannelsAlpha = WICPixelFormat(0x2E);
constexpr GUID GUID_WICPixelFormat40bpp4ChannelsAlpha = WICPixelFormat(0x2F);
constexpr GUID GUID_WICPixelFormat48bpp5ChannelsAlpha = WICPixelFormat(0x30);
constexpr GUID GUID_WICPixelFormat56bpp6ChannelsAlpha = WICPixelFormat(0x31);
constexpr GUID GUID_WICPixelFormat64bpp7ChannelsAlpha = WICPixelFormat(0x32);
constexpr GUID GUID_WICPixelFormat72bpp8ChannelsAlpha = WICPixelFormat(0x33);
constexpr GUID GUID_WICPixelFormat64bpp3ChannelsAlpha = WICPixelFormat(0x34);
constexpr GUID GUID_WICPixelFormat80bpp4ChannelsAlpha = WICPixelFormat(0x35);
constexpr GUID GUID_WICPixelFormat96bpp5ChannelsAlpha = WICPixelFormat(0x36);
constexpr GUID GUID_WICPixelFormat112bpp6ChannelsAlpha = WICPixelFormat(0x37);
constexpr GUID GUID_WICPixelFormat128bpp7ChannelsAlpha = WICPixelFormat(0x38);
constexpr GUID GUID_WICPixelFormat144bpp8ChannelsAlpha = WICPixelFormat(0x39);
constexpr GUID GUID_WICPixelFormat64bppRGBAHalf = WICPixelFormat(0x3A);
constexpr GUID GUID_WICPixelFormat48bppRGBHalf = WICPixelFormat(0x3B);
constexpr GUID GUID_WICPixelFormat32bppRGBE = WICPixelFormat(0x3D);
constexpr GUID GUID_WICPixelFormat16bppGrayHalf = WICPixelFormat(0x3E);
constexpr GUID GUID_WICPixelFormat32bppGrayFixedPoint = WICPixelFormat(0x3F);
constexpr GUID GUID_WICPixelFormat64bppRGBFixedPoint = WICPixelFormat(0x40);
constexpr GUID GUID_WICPixelFormat128bppRGBFixedPoint = WICPixelFormat(0x41);
constexpr GUID GUID_WICPixelFormat64bppRGBHalf = WICPixelFormat(0x42);

// A list of colours; CopyPalette fills it from an indexed image.
struct IWICPalette : IUnknown {
    // Replaces the colours with a copy of count colours (none for count 0).
    virtual HRESULT InitializeCustom(const WICColor* colors, UINT count) = 0;
    virtual HRESULT GetColorCount(UINT* count) = 0;
    // Copies up to count colours; *actual gets the number copied.
    virtual HRESULT GetColors(UINT count, WICColor* colors, UINT* actual) = 0;

protected:
    ~IWICPalette() = default;
};

// An ICC profile.
struct IWICColorContext : IUnknown {
    // The profile: a copy of the bytes. WINCODEC_ERR_WRONGSTATE when the
    // context has one already.
    virtual HRESULT InitializeFromMemory(const BYTE* bytes, UINT size) = 0;
    // The profile's bytes. With size 0 and a null buffer, only *actual (its
    // size); WINCODEC_ERR_INSUFFICIENTBUFFER for a smaller buffer,
    // WINCODEC_ERR_WRONGSTATE for a context that holds no profile.
    virtual HRESULT GetProfileBytes(UINT size, BYTE* buffer, UINT* actual) = 0;

protected:
    ~IWICColorContext() = default;
};

struct IWICBitmapSource : IUnknown {
    virtual HRESULT GetSize(UINT* width, UINT* height) = 0;
    virtual HRESULT GetPixelFormat(WICPixelFormatGUID* format) = 0;
    // Dots per inch; 0 when the image gives none.
    virtual HRESULT GetResolution(double* dpiX, double* dpiY) = 0;
    // Fills the palette with the image's colours; WINCODEC_ERR_PALETTEUNAVAILABLE
    // for an image without one.
    virtual HRESULT CopyPalette(IWICPalette* palette) = 0;
    // Copies the pixels of the rectangle (the whole image for null), each
    // row of it to buffer + row * stride. E_INVALIDARG for a rectangle that
    // is empty or not inside the image or a stride shorter than a row of it;
    // WINCODEC_ERR_INSUFFICIENTBUFFER for a buffer of fewer bytes than the
    // rows need.
    virtual HRESULT CopyPixels(const WICRect* rect, UINT stride, UINT bufferSize, BYTE* buffer) = 0;

protected:
    ~IWICBitmapSource() = default;
};

// A bitmap with its pixels in memory.
struct IWICBitmap : IWICBitmapSource {
protected:
    ~IWICBitmap() = default;
};

struct IWICBitmapFrameDecode : IWICBitmapSource {
    // Fills up to count contexts with the frame's colour profiles; *actual
    // gets the number the frame has (0 or 1). With count 0 only the number.
    virtual HRESULT GetColorContexts(UINT count, IWICColorContext** contexts, UINT* actual) = 0;

protected:
    ~IWICBitmapFrameDecode() = default;
};

struct IWICBitmapDecoder : IUnknown {
    // Frame 0, the image; WINCODEC_ERR_FRAMEMISSING for any other.
    virtual HRESULT GetFrame(UINT index, IWICBitmapFrameDecode** frame) = 0;

protected:
    ~IWICBitmapDecoder() = default;
};

struct IWICImagingFactory : IUnknown {
    // Reads the stream from its position to its end and decodes the image.
    // The vendor must be null (no preference). WINCODEC_ERR_COMPONENTNOTFOUND
    // for data of no known format, WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT for a
    // variant that cannot be read, WINCODEC_ERR_IMAGESIZEOUTOFRANGE for an
    // image or stream past the limits, WINCODEC_ERR_BADIMAGE for damaged
    // data, WINCODEC_ERR_STREAMREAD when the stream fails, E_OUTOFMEMORY.
    virtual HRESULT CreateDecoderFromStream(IStream* stream, const GUID* vendor, WICDecodeOptions options,
                                            IWICBitmapDecoder** decoder) = 0;
    // A bitmap with the pixels, palette and resolution of a frame or bitmap
    // of this component (WINCODEC_ERR_UNSUPPORTEDOPERATION for any other
    // source); only WICBitmapCacheOnLoad is offered (E_INVALIDARG for the
    // others).
    virtual HRESULT CreateBitmapFromSource(IWICBitmapSource* source, WICBitmapCreateCacheOption option,
                                           IWICBitmap** bitmap) = 0;
    // An empty palette.
    virtual HRESULT CreatePalette(IWICPalette** palette) = 0;
    // A context that holds no profile yet.
    virtual HRESULT CreateColorContext(IWICColorContext** context) = 0;

protected:
    ~IWICImagingFactory() = default;
};

// What was wrong in the last failed call of the imaging component on this
// thread, in words ("the PNG image is damaged: the data ends early"); empty
// after a call that succeeded.
std::string WICLastFailureReason();
