#include "watermark_image_loading.h"

#include <memory>
#include <vector>

#include "platform/base.h"

namespace {

struct ImageDisposer {
    void operator()(Gdiplus::GpImage* image) const { Gdiplus::GdipDisposeImage(image); }
};
using ImageHolder = std::unique_ptr<Gdiplus::GpImage, ImageDisposer>;

// The class identifier of the first encoder whose MIME type is "image/png".
Gdiplus::Status FindPngEncoder(CLSID* encoder)
{
    UINT count = 0;
    UINT size = 0;
    Gdiplus::Status status = Gdiplus::GdipGetImageEncodersSize(&count, &size);
    if (status != Gdiplus::Ok) return status;
    // Encoder records followed by their strings, aligned as the records.
    std::vector<Gdiplus::ImageCodecInfo> buffer((size + sizeof(Gdiplus::ImageCodecInfo) - 1) /
                                                sizeof(Gdiplus::ImageCodecInfo));
    status = Gdiplus::GdipGetImageEncoders(count, size, buffer.data());
    if (status != Gdiplus::Ok) return status;
    for (UINT i = 0; i < count; ++i) {
        if (buffer[i].MimeType != nullptr && std::u16string_view(buffer[i].MimeType) == u"image/png") {
            *encoder = buffer[i].Clsid;
            return Gdiplus::Ok;
        }
    }
    return Gdiplus::FileNotFound;
}

HRESULT LastErrorResult()
{
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    return hr < 0 ? hr : E_ACCESSDENIED;
}

}  // namespace

HRESULT LoadImageFileAsPng(const WCHAR* fileName, ComPtr<IStream>* png, std::string* reason)
{
    png->Reset();
    Gdiplus::GpImage* loaded = nullptr;
    if (Gdiplus::GdipLoadImageFromFile(fileName, &loaded) != Gdiplus::Ok) {
        *reason = Gdiplus::LastImageFailureReason();
        return LastErrorResult();
    }
    ImageHolder image(loaded);
    CLSID encoder{};
    if (FindPngEncoder(&encoder) != Gdiplus::Ok) {
        *reason = "no PNG encoder";
        return LastErrorResult();
    }
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))) {
        *reason = "no memory for the PNG data";
        return E_OUTOFMEMORY;
    }
    if (Gdiplus::GdipSaveImageToStream(image.get(), stream.Get(), &encoder, nullptr) != Gdiplus::Ok) {
        *reason = Gdiplus::LastImageFailureReason();
        return LastErrorResult();
    }
    const LARGE_INTEGER start{};
    const HRESULT hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) {
        *reason = "the PNG data cannot be rewound";
        return hr;
    }
    *png = std::move(stream);
    return S_OK;
}

Gdiplus::Status MeasureImageStream(IStream* image, ImageExtent* extent, std::string* reason)
{
    Gdiplus::GpBitmap* loaded = nullptr;
    Gdiplus::Status status = Gdiplus::GdipCreateBitmapFromStream(image, &loaded);
    if (status != Gdiplus::Ok) {
        *reason = Gdiplus::LastImageFailureReason();
        return status;
    }
    ImageHolder bitmap(loaded);
    UINT width = 0;
    UINT height = 0;
    Gdiplus::REAL dpiX = 0;
    Gdiplus::REAL dpiY = 0;
    if ((status = Gdiplus::GdipGetImageWidth(bitmap.get(), &width)) != Gdiplus::Ok ||
        (status = Gdiplus::GdipGetImageHeight(bitmap.get(), &height)) != Gdiplus::Ok ||
        (status = Gdiplus::GdipGetImageHorizontalResolution(bitmap.get(), &dpiX)) != Gdiplus::Ok ||
        (status = Gdiplus::GdipGetImageVerticalResolution(bitmap.get(), &dpiY)) != Gdiplus::Ok) {
        *reason = Gdiplus::LastImageFailureReason();
        return status;
    }
    *extent = ImageExtentInXpsUnits(width, height, dpiX, dpiY);
    return Gdiplus::Ok;
}
