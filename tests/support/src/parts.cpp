#include "testsupport/parts.h"

#include <algorithm>

#include "platform/bstr.h"

namespace testsupport {

namespace {

HRESULT CopyText(const std::u16string& text, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::u16string TextOf(BSTR text) { return std::u16string(text, SysStringLen(text)); }

// Walks a snapshot of a page's resources.
class PartIterator : public ComObject<IXpsPartIterator> {
public:
    explicit PartIterator(std::vector<std::pair<std::u16string, ComPtr<IUnknown>>> parts) : parts_(std::move(parts)) {}
    void Reset() override { index_ = 0; }
    HRESULT Current(BSTR* uri, IUnknown** part) override
    {
        if (uri == nullptr || part == nullptr) return E_POINTER;
        *uri = nullptr;
        *part = nullptr;
        if (index_ >= parts_.size()) return E_FAIL;
        HRESULT hr = CopyText(parts_[index_].first, uri);
        if (FAILED(hr)) return hr;
        *part = ComPtr<IUnknown>(parts_[index_].second).Detach();
        return S_OK;
    }
    BOOL IsDone() override { return index_ >= parts_.size() ? TRUE : FALSE; }
    void Next() override
    {
        if (index_ < parts_.size()) ++index_;
    }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsPartIterator ? static_cast<IXpsPartIterator*>(this) : nullptr;
    }

    std::vector<std::pair<std::u16string, ComPtr<IUnknown>>> parts_;
    size_t index_ = 0;
};

// Makes a part of type T, hands out the interface riid and a write stream.
template <class T>
HRESULT NewPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream)
{
    auto created = MakePart<T>(uri, std::string());
    HRESULT hr = OpenWriteStream(created->ContentShared(), stream);
    if (FAILED(hr)) return hr;
    hr = created->QueryInterface(riid, part);
    if (FAILED(hr)) {
        (*stream)->Release();
        *stream = nullptr;
    }
    return hr;
}

}  // namespace

TestPart::TestPart(std::u16string uri, std::string content)
    : uri_(std::move(uri)), content_(std::make_shared<PartContent>(std::move(content)))
{
}

HRESULT TestPart::CopyUri(BSTR* uri) const { return CopyText(uri_, uri); }

TestPart* AsTestPart(IUnknown* part) { return part == nullptr ? nullptr : dynamic_cast<TestPart*>(part); }

std::u16string PartUri(IUnknown* part)
{
    TestPart* known = AsTestPart(part);
    return known != nullptr ? known->Uri() : std::u16string();
}

HRESULT TicketSlot::Get(IPartPrintTicket** ticket) const
{
    if (ticket == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *ticket = ComPtr<IPartPrintTicket>(ticket_).Detach();
    return *ticket != nullptr ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT TicketSlot::Set(IPartPrintTicket* ticket)
{
    if (ticket == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    ticket_ = ComPtr<IPartPrintTicket>::Share(ticket);
    return S_OK;
}

PrintTicketPart::PrintTicketPart(std::u16string uri, std::string xml)
    : StreamPart(IID_IPartPrintTicket, std::move(uri), std::move(xml))
{
}

ColorProfilePart::ColorProfilePart(std::u16string uri, std::string bytes)
    : StreamPart(IID_IPartColorProfile, std::move(uri), std::move(bytes))
{
}

ResourceDictionaryPart::ResourceDictionaryPart(std::u16string uri, std::string markup)
    : StreamPart(IID_IPartResourceDictionary, std::move(uri), std::move(markup))
{
}

FontPart::FontPart(std::u16string uri, std::string bytes, std::u16string contentType)
    : StreamPart(IID_IPartFont, std::move(uri), std::move(bytes)), contentType_(std::move(contentType))
{
}

HRESULT FontPart::GetFontProperties(BSTR* contentType, EXpsFontOptions* options)
{
    if (contentType == nullptr || options == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *options = options_;
    return CopyText(contentType_, contentType);
}

HRESULT FontPart::SetFontContent(BSTR contentType)
{
    std::lock_guard<std::mutex> guard(lock_);
    contentType_ = TextOf(contentType);
    return S_OK;
}

HRESULT FontPart::SetFontOptions(EXpsFontOptions options)
{
    std::lock_guard<std::mutex> guard(lock_);
    options_ = options;
    return S_OK;
}

ImagePart::ImagePart(std::u16string uri, std::string bytes, std::u16string contentType)
    : StreamPart(IID_IPartImage, std::move(uri), std::move(bytes)), contentType_(std::move(contentType))
{
}

HRESULT ImagePart::GetImageProperties(BSTR* contentType)
{
    std::lock_guard<std::mutex> guard(lock_);
    return CopyText(contentType_, contentType);
}

HRESULT ImagePart::SetImageContent(BSTR contentType)
{
    std::lock_guard<std::mutex> guard(lock_);
    contentType_ = TextOf(contentType);
    return S_OK;
}

ThumbnailPart::ThumbnailPart(std::u16string uri, std::string bytes, std::u16string contentType)
    : StreamPart(IID_IPartThumbnail, std::move(uri), std::move(bytes)), contentType_(std::move(contentType))
{
}

HRESULT ThumbnailPart::GetThumbnailProperties(BSTR* contentType)
{
    std::lock_guard<std::mutex> guard(lock_);
    return CopyText(contentType_, contentType);
}

HRESULT ThumbnailPart::SetThumbnailContent(BSTR contentType)
{
    std::lock_guard<std::mutex> guard(lock_);
    contentType_ = TextOf(contentType);
    return S_OK;
}

FixedPagePart::FixedPagePart(std::u16string uri, std::string markup)
    : StreamPart(IID_IFixedPage, std::move(uri), std::move(markup))
{
}

HRESULT FixedPagePart::GetPagePart(const WCHAR* uri, IUnknown** part)
{
    if (uri == nullptr || part == nullptr) return E_POINTER;
    *part = nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& [name, resource] : resources_) {
        if (name == uri) {
            *part = ComPtr<IUnknown>(resource).Detach();
            return S_OK;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT FixedPagePart::GetWriteStream(IPrintWriteStream** stream) { return OpenWriteStream(content_, stream); }

HRESULT FixedPagePart::SetPagePart(IUnknown* part)
{
    if (part == nullptr) return E_POINTER;
    ComPtr<IPartBase> base;
    HRESULT hr = part->QueryInterface(IID_IPartBase, base.OutVoid());
    if (FAILED(hr)) return hr;
    BSTR uri = nullptr;
    hr = base->GetUri(&uri);
    if (FAILED(hr)) return hr;
    std::u16string name = TextOf(uri);
    SysFreeString(uri);
    std::lock_guard<std::mutex> guard(lock_);
    auto existing = std::find_if(resources_.begin(), resources_.end(),
                                 [&](const auto& resource) { return resource.first == name; });
    if (existing != resources_.end())
        existing->second = ComPtr<IUnknown>::Share(part);
    else
        resources_.emplace_back(name, ComPtr<IUnknown>::Share(part));
    return S_OK;
}

HRESULT FixedPagePart::DeleteResource(const WCHAR* uri)
{
    if (uri == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    auto existing =
        std::find_if(resources_.begin(), resources_.end(), [&](const auto& resource) { return resource.first == uri; });
    if (existing == resources_.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    resources_.erase(existing);
    return S_OK;
}

HRESULT FixedPagePart::GetXpsPartIterator(IXpsPartIterator** iterator)
{
    if (iterator == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *iterator = new PartIterator(resources_);
    return S_OK;
}

std::vector<std::u16string> FixedPagePart::ResourceUris() const
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::u16string> uris;
    for (const auto& resource : resources_) uris.push_back(resource.first);
    return uris;
}

FixedDocumentPart::FixedDocumentPart(std::u16string uri, std::string markup)
    : TestPart(std::move(uri), std::move(markup))
{
}

void* FixedDocumentPart::InterfaceFor(REFIID riid)
{
    return riid == IID_IFixedDocument ? static_cast<IFixedDocument*>(this) : nullptr;
}

FixedDocumentSequencePart::FixedDocumentSequencePart(std::u16string uri, std::string markup)
    : TestPart(std::move(uri), std::move(markup))
{
}

void* FixedDocumentSequencePart::InterfaceFor(REFIID riid)
{
    return riid == IID_IFixedDocumentSequence ? static_cast<IFixedDocumentSequence*>(this) : nullptr;
}

XpsDocumentPart::XpsDocumentPart(std::u16string uri) : TestPart(std::move(uri), std::string()) {}

void* XpsDocumentPart::InterfaceFor(REFIID riid)
{
    return riid == IID_IXpsDocument ? static_cast<IXpsDocument*>(this) : nullptr;
}

HRESULT XpsDocumentPart::GetThumbnail(IPartThumbnail** thumbnail)
{
    if (thumbnail == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    *thumbnail = ComPtr<IPartThumbnail>(thumbnail_).Detach();
    return *thumbnail != nullptr ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT XpsDocumentPart::SetThumbnail(IPartThumbnail* thumbnail)
{
    if (thumbnail == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    thumbnail_ = ComPtr<IPartThumbnail>::Share(thumbnail);
    return S_OK;
}

HRESULT CreateEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream)
{
    if (uri == nullptr || part == nullptr || stream == nullptr) return E_POINTER;
    *part = nullptr;
    *stream = nullptr;
    if (riid == IID_IFixedPage) return NewPart<FixedPagePart>(uri, riid, part, stream);
    if (riid == IID_IPartPrintTicket) return NewPart<PrintTicketPart>(uri, riid, part, stream);
    if (riid == IID_IPartFont) return NewPart<FontPart>(uri, riid, part, stream);
    if (riid == IID_IPartImage) return NewPart<ImagePart>(uri, riid, part, stream);
    if (riid == IID_IPartColorProfile) return NewPart<ColorProfilePart>(uri, riid, part, stream);
    if (riid == IID_IPartResourceDictionary) return NewPart<ResourceDictionaryPart>(uri, riid, part, stream);
    if (riid == IID_IPartThumbnail) return NewPart<ThumbnailPart>(uri, riid, part, stream);
    return E_NOINTERFACE;
}

bool PartNameRegistry::Claim(const std::u16string& uri)
{
    std::lock_guard<std::mutex> guard(lock_);
    return names_.insert(uri).second;
}

HRESULT CreateUniquePart(PartNameRegistry& names, const WCHAR* uri, REFIID riid, void** part,
                         IPrintWriteStream** stream)
{
    HRESULT hr = CreateEmptyPart(uri, riid, part, stream);
    if (FAILED(hr) || names.Claim(uri)) return hr;
    static_cast<IUnknown*>(*part)->Release();
    (*stream)->Release();
    *part = nullptr;
    *stream = nullptr;
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

}  // namespace testsupport
