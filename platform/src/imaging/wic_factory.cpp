// The imaging factory, registered in the platform's class table when the
// library is loaded.
#include <new>

#include "../core/stream_bytes.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "wic_objects.h"

namespace tav::imaging {

namespace {

HRESULT ResultOf(const ImageOutcome& outcome, bool knownFormat)
{
    switch (outcome.status) {
    case Gdiplus::OutOfMemory: return E_OUTOFMEMORY;
    case Gdiplus::ValueOverflow: return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    case Gdiplus::UnknownImageFormat:
        return knownFormat ? WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT : WINCODEC_ERR_COMPONENTNOTFOUND;
    default: return WINCODEC_ERR_BADIMAGE;
    }
}

class ImagingFactory : public ComObject<IWICImagingFactory> {
public:
    // There is one decoder for each format, so no vendor is preferred over
    // another; the metadata is never read, so either option serves.
    HRESULT CreateDecoderFromStream(IStream* stream, const GUID*, WICDecodeOptions,
                                    IWICBitmapDecoder** decoder) override
    {
        if (decoder == nullptr) return WicFailure(E_INVALIDARG, "no place for the decoder");
        *decoder = nullptr;
        if (stream == nullptr) return WicFailure(E_INVALIDARG, "no stream to decode");
        std::string bytes;
        const HRESULT read = tav::ReadStreamToEnd(stream, kMaxImageFileBytes, &bytes);
        if (read == STG_E_MEDIUMFULL) {
            return WicFailure(
                WINCODEC_ERR_IMAGESIZEOUTOFRANGE,
                "the image data has more than the " + std::to_string(kMaxImageFileBytes) + " bytes an image may have");
        }
        if (FAILED(read)) return WicFailure(WINCODEC_ERR_STREAMREAD, "the image data cannot be read from its stream");
        auto image = std::make_shared<NativeImage>();
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const ImageOutcome outcome = DecodeNativeImage(data, bytes.size(), image.get());
        if (outcome.Failed()) {
            return WicFailure(ResultOf(outcome, NativeFormatName(data, bytes.size()) != nullptr), outcome.reason);
        }
        return CreateImageDecoder(std::move(image), decoder);
    }
    HRESULT CreateBitmapFromSource(IWICBitmapSource* source, WICBitmapCreateCacheOption option,
                                   IWICBitmap** bitmap) override
    {
        if (bitmap == nullptr) return WicFailure(E_INVALIDARG, "no place for the bitmap");
        *bitmap = nullptr;
        if (source == nullptr) return WicFailure(E_INVALIDARG, "no source for the bitmap");
        if (option != WICBitmapCacheOnLoad) return WicFailure(E_INVALIDARG, "bitmaps are cached on load only");
        return CreateImageBitmap(source, bitmap);
    }
    HRESULT CreatePalette(IWICPalette** palette) override { return CreateImagePalette(palette); }
    HRESULT CreateColorContext(IWICColorContext** context) override { return CreateImageColorContext(context); }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IWICImagingFactory ? static_cast<IWICImagingFactory*>(this) : nullptr;
    }
};

HRESULT CreateImagingFactory(REFIID riid, void** object)
{
    auto* factory = new (std::nothrow) ImagingFactory;
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}

struct ImagingClassRegistration {
    ImagingClassRegistration() { CoRegisterPlatformClass(CLSID_WICImagingFactory, &CreateImagingFactory); }
};

const ImagingClassRegistration registration;

}  // namespace

}  // namespace tav::imaging
