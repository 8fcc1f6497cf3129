// The palette and the colour context: plain holders of colours and of a
// profile's bytes.
#include <cstring>
#include <new>
#include <vector>

#include "platform/comobject.h"
#include "wic_objects.h"

namespace tav::imaging {

namespace {

class Palette : public ComObject<IWICPalette> {
public:
    HRESULT InitializeCustom(const WICColor* colors, UINT count) override
    {
        if (colors == nullptr && count > 0) return WicFailure(E_INVALIDARG, "no colours for the palette");
        try {
            colors_.assign(colors, colors + count);
        } catch (const std::bad_alloc&) {
            return WicFailure(E_OUTOFMEMORY, "no memory for the palette");
        }
        return WicSuccess();
    }
    HRESULT GetColorCount(UINT* count) override
    {
        if (count == nullptr) return WicFailure(E_INVALIDARG, "no place for the number of colours");
        *count = static_cast<UINT>(colors_.size());
        return WicSuccess();
    }
    HRESULT GetColors(UINT count, WICColor* colors, UINT* actual) override
    {
        if (actual == nullptr || (colors == nullptr && count > 0)) {
            return WicFailure(E_INVALIDARG, "no place for the colours");
        }
        const size_t copied = count < colors_.size() ? count : colors_.size();
        if (copied > 0) std::memcpy(colors, colors_.data(), copied * sizeof(WICColor));
        *actual = static_cast<UINT>(copied);
        return WicSuccess();
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IWICPalette ? static_cast<IWICPalette*>(this) : nullptr;
    }

private:
    std::vector<WICColor> colors_;
};

class ColorContext : public ComObject<IWICColorContext> {
public:
    HRESULT InitializeFromMemory(const BYTE* bytes, UINT size) override
    {
        if (initialized_) return WicFailure(WINCODEC_ERR_WRONGSTATE, "the colour context holds a profile already");
        if (bytes == nullptr && size > 0) return WicFailure(E_INVALIDARG, "no bytes for the colour profile");
        try {
            profile_.assign(bytes, bytes + size);
        } catch (const std::bad_alloc&) {
            return WicFailure(E_OUTOFMEMORY, "no memory for the colour profile");
        }
        initialized_ = true;
        return WicSuccess();
    }
    HRESULT GetProfileBytes(UINT size, BYTE* buffer, UINT* actual) override
    {
        if (actual == nullptr || (buffer == nullptr && size > 0)) {
            return WicFailure(E_INVALIDARG, "no place for the colour profile");
        }
        if (!initialized_) return WicFailure(WINCODEC_ERR_WRONGSTATE, "the colour context holds no profile");
        *actual = static_cast<UINT>(profile_.size());
        if (buffer == nullptr) return WicSuccess();
        if (size < profile_.size()) {
            return WicFailure(WINCODEC_ERR_INSUFFICIENTBUFFER, "the buffer is smaller than the colour profile");
        }
        if (!profile_.empty()) std::memcpy(buffer, profile_.data(), profile_.size());
        return WicSuccess();
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IWICColorContext ? static_cast<IWICColorContext*>(this) : nullptr;
    }

private:
    bool initialized_ = false;
    std::vector<BYTE> profile_;
};

}  // namespace

HRESULT CreateImagePalette(IWICPalette** palette)
{
    if (palette == nullptr) return WicFailure(E_INVALIDARG, "no place for the palette");
    *palette = new (std::nothrow) Palette;
    return *palette != nullptr ? WicSuccess() : WicFailure(E_OUTOFMEMORY, "no memory for the palette");
}

HRESULT CreateImageColorContext(IWICColorContext** context)
{
    if (context == nullptr) return WicFailure(E_INVALIDARG, "no place for the colour context");
    *context = new (std::nothrow) ColorContext;
    return *context != nullptr ? WicSuccess() : WicFailure(E_OUTOFMEMORY, "no memory for the colour context");
}

}  // namespace tav::imaging
