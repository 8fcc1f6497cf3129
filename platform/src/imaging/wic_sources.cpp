// The decoder, its frame and the bitmaps made from it: each a view of the
// one decoded image, which they share and never change.
#include <cstring>
#include <new>

#include "platform/comobject.h"
#include "wic_objects.h"

namespace tav::imaging {

namespace {

// How a bitmap made from one of our sources reaches the image behind it.
constexpr IID IID_ISharedImageSource = {0x1D6B2E47, 0x8C3A, 0x4F25, {0x9E, 0x61, 0x2B, 0x7F, 0x04, 0xA9, 0xD3, 0x58}};

struct ISharedImageSource : IUnknown {
    virtual SharedImage Image() const = 0;

protected:
    ~ISharedImageSource() = default;
};

// Copies the bits [from, from + count * bits) of a row to the start of out,
// for pixels of fewer than 8 bits that do not start on a byte.
void CopyPackedPixels(const uint8_t* row, uint64_t from, uint32_t count, uint32_t bits, uint8_t* out)
{
    const uint32_t mask = (1u << bits) - 1;
    std::memset(out, 0, (uint64_t{count} * bits + 7) / 8);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t source = (from + i) * bits;
        const uint32_t value = (row[source / 8] >> (8 - bits - source % 8)) & mask;
        const uint64_t target = uint64_t{i} * bits;
        out[target / 8] |= static_cast<uint8_t>(value << (8 - bits - target % 8));
    }
}

template <class Interface>
class ImageSource : public ComObject<Interface, ISharedImageSource> {
public:
    explicit ImageSource(SharedImage image) : image_(std::move(image)) {}

    HRESULT GetSize(UINT* width, UINT* height) override
    {
        if (width == nullptr || height == nullptr) return WicFailure(E_INVALIDARG, "no place for the image size");
        *width = image_->width;
        *height = image_->height;
        return WicSuccess();
    }
    HRESULT GetPixelFormat(WICPixelFormatGUID* format) override
    {
        if (format == nullptr) return WicFailure(E_INVALIDARG, "no place for the pixel format");
        *format = image_->pixelFormat;
        return WicSuccess();
    }
    HRESULT GetResolution(double* dpiX, double* dpiY) override
    {
        if (dpiX == nullptr || dpiY == nullptr) return WicFailure(E_INVALIDARG, "no place for the resolution");
        *dpiX = image_->dpiX;
        *dpiY = image_->dpiY;
        return WicSuccess();
    }
    HRESULT CopyPalette(IWICPalette* palette) override
    {
        if (palette == nullptr) return WicFailure(E_INVALIDARG, "no palette to fill");
        if (image_->palette.empty()) return WicFailure(WINCODEC_ERR_PALETTEUNAVAILABLE, "the image has no palette");
        return palette->InitializeCustom(image_->palette.data(), static_cast<UINT>(image_->palette.size()));
    }
    HRESULT CopyPixels(const WICRect* rect, UINT stride, UINT bufferSize, BYTE* buffer) override
    {
        const NativeImage& image = *image_;
        const WICRect whole = {0, 0, static_cast<INT>(image.width), static_cast<INT>(image.height)};
        const WICRect& area = rect != nullptr ? *rect : whole;
        if (buffer == nullptr) return WicFailure(E_INVALIDARG, "no buffer for the pixels");
        if (area.X < 0 || area.Y < 0 || area.Width <= 0 || area.Height <= 0 ||
            int64_t{area.X} + area.Width > int64_t{image.width} ||
            int64_t{area.Y} + area.Height > int64_t{image.height}) {
            return WicFailure(E_INVALIDARG, "the rectangle is not inside the image");
        }
        const uint64_t rowBytes = (uint64_t{static_cast<uint32_t>(area.Width)} * image.bitsPerPixel + 7) / 8;
        if (stride < rowBytes) return WicFailure(E_INVALIDARG, "the stride is shorter than a row");
        if (uint64_t{stride} * (area.Height - 1) + rowBytes > bufferSize) {
            return WicFailure(WINCODEC_ERR_INSUFFICIENTBUFFER, "the buffer is too small for the pixels");
        }
        const uint64_t firstBit = uint64_t{static_cast<uint32_t>(area.X)} * image.bitsPerPixel;
        for (INT y = 0; y < area.Height; ++y) {
            const uint8_t* row = image.Row(static_cast<uint32_t>(area.Y + y));
            BYTE* out = buffer + uint64_t{stride} * y;
            if (firstBit % 8 == 0) {
                std::memcpy(out, row + firstBit / 8, rowBytes);
            } else {
                CopyPackedPixels(row, static_cast<uint32_t>(area.X), static_cast<uint32_t>(area.Width),
                                 image.bitsPerPixel, out);
            }
        }
        return WicSuccess();
    }

    SharedImage Image() const override { return image_; }

protected:
    const SharedImage& image() const { return image_; }
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IWICBitmapSource) return static_cast<IWICBitmapSource*>(this);
        if (riid == IID_ISharedImageSource) return static_cast<ISharedImageSource*>(this);
        return nullptr;
    }

private:
    SharedImage image_;
};

class Bitmap : public ImageSource<IWICBitmap> {
public:
    using ImageSource::ImageSource;

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IWICBitmap ? static_cast<IWICBitmap*>(this) : ImageSource::InterfaceFor(riid);
    }
};

class Frame : public ImageSource<IWICBitmapFrameDecode> {
public:
    using ImageSource::ImageSource;

    HRESULT GetColorContexts(UINT count, IWICColorContext** contexts, UINT* actual) override
    {
        if (actual == nullptr || (contexts == nullptr && count > 0)) {
            return WicFailure(E_INVALIDARG, "no place for the colour contexts");
        }
        const std::string& profile = image()->profile;
        const UINT has = profile.empty() ? 0 : 1;
        for (UINT i = 0; i < count && i < has; ++i) {
            if (contexts[i] == nullptr) return WicFailure(E_INVALIDARG, "no colour context to fill");
            const HRESULT result = contexts[i]->InitializeFromMemory(reinterpret_cast<const BYTE*>(profile.data()),
                                                                     static_cast<UINT>(profile.size()));
            if (FAILED(result)) return result;
        }
        *actual = has;
        return WicSuccess();
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IWICBitmapFrameDecode) return static_cast<IWICBitmapFrameDecode*>(this);
        return ImageSource::InterfaceFor(riid);
    }
};

class Decoder : public ComObject<IWICBitmapDecoder> {
public:
    explicit Decoder(SharedImage image) : image_(std::move(image)) {}

    HRESULT GetFrame(UINT index, IWICBitmapFrameDecode** frame) override
    {
        if (frame == nullptr) return WicFailure(E_INVALIDARG, "no place for the frame");
        *frame = nullptr;
        if (index != 0) return WicFailure(WINCODEC_ERR_FRAMEMISSING, "the image has one frame, frame 0");
        *frame = new (std::nothrow) Frame(image_);
        return *frame != nullptr ? WicSuccess() : WicFailure(E_OUTOFMEMORY, "no memory for the frame");
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IWICBitmapDecoder ? static_cast<IWICBitmapDecoder*>(this) : nullptr;
    }

private:
    SharedImage image_;
};

}  // namespace

HRESULT CreateImageDecoder(SharedImage image, IWICBitmapDecoder** decoder)
{
    *decoder = new (std::nothrow) Decoder(std::move(image));
    return *decoder != nullptr ? WicSuccess() : WicFailure(E_OUTOFMEMORY, "no memory for the decoder");
}

HRESULT CreateImageBitmap(IWICBitmapSource* source, IWICBitmap** bitmap)
{
    ComPtr<ISharedImageSource> shared;
    if (FAILED(source->QueryInterface(IID_ISharedImageSource, shared.OutVoid()))) {
        return WicFailure(WINCODEC_ERR_UNSUPPORTEDOPERATION, "bitmaps are made from this component's own sources only");
    }
    *bitmap = new (std::nothrow) Bitmap(shared->Image());
    return *bitmap != nullptr ? WicSuccess() : WicFailure(E_OUTOFMEMORY, "no memory for the bitmap");
}

}  // namespace tav::imaging
