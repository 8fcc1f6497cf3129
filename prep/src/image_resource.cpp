#include "image_resource.h"

#include <vector>

#include "decoration_type.h"
#include "filtercore/errors.h"
#include "filtercore/owned_bstr.h"
#include "filtercore/raised_result.h"
#include "gdiplus_status.h"
#include "platform/base.h"
#include "watermark_image_loading.h"

namespace {

constexpr ULONG kCopyBlock = 65536;

HRESULT CopyOut(const std::u16string& text, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

ImageResource::ImageResource(const DecorationData& data, WatermarkImageFiles& files) : data_(data), files_(files)
{
    if (DecorationTypeOf(data_) != DecorationType::BitmapWatermark) throw CXDException(E_INVALIDARG);
    BSTR name = data_.activeEntry.filename.Get();
    fileName_.assign(name == nullptr ? u"" : name, SysStringLen(name));
}

HRESULT ImageResource::Load()
{
    if (png_) {
        const LARGE_INTEGER start{};
        return png_->Seek(start, STREAM_SEEK_SET, nullptr);
    }
    if (const ImageLoadFailure* known = files_.KnownFailure(fileName_)) return known->result;
    std::string reason;
    HRESULT hr = LoadImageFileAsPng(fileName_.c_str(), &png_, &reason);
    if (FAILED(hr)) files_.RememberFailure(fileName_, ImageLoadFailure{hr, reason});
    return hr;
}

HRESULT ImageResource::ImageSize(ImageExtent* extent)
{
    if (extent == nullptr) return E_POINTER;
    if (std::optional<ImageExtent> known = files_.KnownExtent(fileName_)) {
        *extent = *known;
        return S_OK;
    }
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    std::string reason;
    Gdiplus::Status status = MeasureImageStream(png_.Get(), extent, &reason);
    if (status != Gdiplus::Ok) return HResultFromGdiplusStatus(status);
    files_.RememberExtent(fileName_, *extent);
    return S_OK;
}

HRESULT ImageResource::WriteContent(IUnknown* part, IPrintWriteStream* stream)
{
    if (part == nullptr || stream == nullptr) return E_POINTER;
    HRESULT hr = Load();
    if (FAILED(hr)) return hr;
    std::vector<BYTE> block(kCopyBlock);
    for (;;) {
        ULONG read = 0;
        hr = png_->Read(block.data(), kCopyBlock, &read);
        if (FAILED(hr)) return hr;
        if (read == 0) break;
        ULONG written = 0;
        hr = stream->WriteBytes(block.data(), read, &written);
        if (FAILED(hr)) return hr;
        // A part cut short is no image.
        if (written != read) return E_FAIL;
    }
    ComPtr<IPartImage> image;
    hr = part->QueryInterface(IID_IPartImage, image.OutVoid());
    if (FAILED(hr) || !image) return E_NOINTERFACE;
    OwnedBstr contentType = OwnedBstr::Copy(u"image/png");
    return image->SetImageContent(contentType.Get());
}

HRESULT ImageResource::GetKey(BSTR* key) { return CopyOut(fileName_, key); }

HRESULT ImageResource::GetPartUri(BSTR* uri)
{
    if (uri == nullptr) return E_POINTER;
    return CatchRaised([&] { return CopyOut(files_.PartNameFor(fileName_, GetTickCount()), uri); });
}
