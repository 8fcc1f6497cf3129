#include "tile_markup.h"

#include <optional>

#include "filtercore/page_rewrite.h"
#include "sheet_page_writer.h"

namespace {

// Passes the bytes on to the sheet and keeps a copy of the first ones, up
// to a limit.
class KeepingStream final : public ComObject<IPrintWriteStream> {
public:
    KeepingStream(IPrintWriteStream* target, size_t limit) : target_(target), limit_(limit) {}

    HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) override
    {
        HRESULT hr = target_->WriteBytes(buffer, count, written);
        if (FAILED(hr) || overflowed_) return hr;
        if (kept_.size() + count > limit_) {
            overflowed_ = true;
            kept_.clear();
            kept_.shrink_to_fit();
            return hr;
        }
        kept_.append(static_cast<const char*>(buffer), count);
        return hr;
    }

    // The sheet's stream stays open for the sheet's end.
    void Close() override {}

    // The bytes written, or null when there were more than the limit.
    std::string* Kept() { return overflowed_ ? nullptr : &kept_; }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }

private:
    IPrintWriteStream* target_;
    size_t limit_;
    std::string kept_;
    bool overflowed_ = false;
};

std::string Utf8Of(const std::u16string& ascii) { return std::string(ascii.begin(), ascii.end()); }

HRESULT WriteAll(IPrintWriteStream* stream, const std::string& bytes)
{
    if (bytes.empty()) return S_OK;
    ULONG written = 0;
    HRESULT hr = stream->WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (SUCCEEDED(hr) && written != bytes.size()) hr = STG_E_WRITEFAULT;
    return hr;
}

}  // namespace

HRESULT TileMarkup::Write(IFixedPage* page, const std::u16string& pageName, const PlacementTransform& placement,
                          IPrintWriteStream* sheet)
{
    Gdiplus::RectF clip;
    if (kept_ && placement.GetClip(&clip)) {
        std::string attributes = Utf8Of(PlacementAttributesText(placement, FixedPageFrame{}));
        HRESULT hr = WriteAll(sheet, head_);
        if (SUCCEEDED(hr)) hr = WriteAll(sheet, attributes);
        if (SUCCEEDED(hr)) hr = WriteAll(sheet, tail_);
        return hr;
    }
    ComPtr<KeepingStream> keeping = ComPtr<KeepingStream>::Adopt(new KeepingStream(sheet, kLargestKept));
    std::optional<PlacementSpan> span;
    HRESULT hr = StreamPageMarkup(page, keeping.Get(), [&](IPrintWriteStream* stream) -> MarkupWriter* {
        return new SheetPageWriter(stream, placement, pageName, &span);
    });
    if (FAILED(hr) || kept_) return hr;
    // Kept only when the attributes stand where the writer said, as the
    // next tiles' would be written.
    std::string* output = keeping->Kept();
    if (output == nullptr || !span || span->end > output->size()) return hr;
    std::string attributes = output->substr(span->begin, span->end - span->begin);
    if (attributes != Utf8Of(PlacementAttributesText(placement, FixedPageFrame{})) || !placement.GetClip(&clip))
        return hr;
    head_ = output->substr(0, span->begin);
    tail_ = output->substr(span->end);
    kept_ = true;
    return hr;
}
