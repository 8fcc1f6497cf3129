#include "parts/part_objects.h"

#include "opc/package_error.h"
#include "opc/part_name.h"
#include "opc/xps_names.h"
#include "parts/part_streams.h"
#include "platform/wformat.h"

namespace tav::host {
namespace {

HRESULT ReturnBstr(const std::string& text, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    std::u16string wide = Utf8ToWide(text);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ReturnTicket(const ComPtr<IPartPrintTicket>& ticket, IPartPrintTicket** out)
{
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!ticket) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *out = ComPtr<IPartPrintTicket>(ticket).Detach();
    return S_OK;
}

// Answers the interfaces of a role: its own, IPartBase when it has one, and
// IHostPart.
template <class Interface>
class HostObject : public ComObject<Interface, IHostPart> {
public:
    explicit HostObject(std::shared_ptr<PartData> data) : data_(std::move(data)) {}
    const std::shared_ptr<PartData>& Data() override { return data_; }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == InterfaceForRole(data_->Role())) return static_cast<Interface*>(this);
        if constexpr (std::is_base_of_v<IPartBase, Interface>) {
            if (riid == IID_IPartBase) return static_cast<IPartBase*>(this);
        }
        if (riid == IID_IHostPart) return static_cast<IHostPart*>(this);
        return nullptr;
    }
    std::shared_ptr<PartData> data_;
};

// IPartBase over the part's data.
template <class Interface>
class PartObject : public HostObject<Interface> {
public:
    using HostObject<Interface>::HostObject;

    HRESULT GetUri(BSTR* uri) override { return ReturnBstr(this->data_->Name(), uri); }
    HRESULT GetStream(IPrintReadStream** stream) override
    {
        if (stream == nullptr) return E_POINTER;
        *stream = MakeReadStream(this->data_->Content(), this->data_->SharedLog(), this->data_->Name()).Detach();
        return S_OK;
    }
    HRESULT GetPartCompression(EXpsCompressionOptions* compression) override
    {
        if (compression == nullptr) return E_POINTER;
        *compression = this->data_->Compression();
        return S_OK;
    }
    HRESULT SetPartCompression(EXpsCompressionOptions compression) override
    {
        if (compression < Compression_NotCompressed || compression > Compression_Fast) return E_INVALIDARG;
        this->data_->SetCompression(compression);
        return S_OK;
    }
};

// Content type read and set through the role's own property calls.
HRESULT SetContentTypeFrom(PartData& data, BSTR contentType)
{
    if (contentType == nullptr || *contentType == 0) return E_INVALIDARG;
    data.SetContentType(WideToUtf8(contentType));
    return S_OK;
}

class FontObject : public PartObject<IPartFont> {
public:
    using PartObject::PartObject;
    HRESULT GetFontProperties(BSTR* contentType, EXpsFontOptions* options) override
    {
        if (options == nullptr) return E_POINTER;
        *options = data_->FontOptions();
        return ReturnBstr(data_->ContentType(), contentType);
    }
    HRESULT SetFontContent(BSTR contentType) override { return SetContentTypeFrom(*data_, contentType); }
    HRESULT SetFontOptions(EXpsFontOptions options) override
    {
        if (options != Font_Normal && options != Font_Obfusticate) return E_INVALIDARG;
        data_->SetFontOptions(options);
        return S_OK;
    }
};

class ImageObject : public PartObject<IPartImage> {
public:
    using PartObject::PartObject;
    HRESULT GetImageProperties(BSTR* contentType) override { return ReturnBstr(data_->ContentType(), contentType); }
    HRESULT SetImageContent(BSTR contentType) override { return SetContentTypeFrom(*data_, contentType); }
};

class ThumbnailObject : public PartObject<IPartThumbnail> {
public:
    using PartObject::PartObject;
    HRESULT GetThumbnailProperties(BSTR* contentType) override { return ReturnBstr(data_->ContentType(), contentType); }
    HRESULT SetThumbnailContent(BSTR contentType) override { return SetContentTypeFrom(*data_, contentType); }
};

class PartIterator : public ComObject<IXpsPartIterator> {
public:
    explicit PartIterator(std::vector<PageResource> resources) : resources_(std::move(resources)) {}
    void Reset() override { next_ = 0; }
    HRESULT Current(BSTR* uri, IUnknown** part) override
    {
        if (uri == nullptr || part == nullptr) return E_POINTER;
        *uri = nullptr;
        *part = nullptr;
        if (IsDone()) return E_UNEXPECTED;
        HRESULT result = ReturnBstr(resources_[next_].name, uri);
        if (FAILED(result)) return result;
        *part = ComPtr<IUnknown>(resources_[next_].part).Detach();
        return S_OK;
    }
    BOOL IsDone() override { return next_ >= resources_.size() ? TRUE : FALSE; }
    void Next() override
    {
        if (next_ < resources_.size()) ++next_;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsPartIterator ? static_cast<IXpsPartIterator*>(this) : nullptr;
    }

private:
    std::vector<PageResource> resources_;
    size_t next_ = 0;
};

class PageObject : public PartObject<IFixedPage> {
public:
    using PartObject::PartObject;

    HRESULT GetPrintTicket(IPartPrintTicket** ticket) override { return ReturnTicket(data_->Ticket(), ticket); }
    HRESULT SetPrintTicket(IPartPrintTicket* ticket) override
    {
        if (ticket == nullptr) return E_POINTER;
        data_->SetTicket(ComPtr<IPartPrintTicket>::Share(ticket));
        return S_OK;
    }
    HRESULT GetPagePart(const WCHAR* uri, IUnknown** part) override
    {
        if (uri == nullptr || part == nullptr) return E_POINTER;
        *part = nullptr;
        std::string name;
        HRESULT result = ResolveOnPage(uri, &name);
        if (FAILED(result)) return result;
        ComPtr<IUnknown> found = data_->FindResource(name);
        if (!found) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        *part = found.Detach();
        return S_OK;
    }
    HRESULT GetWriteStream(IPrintWriteStream** stream) override
    {
        if (stream == nullptr) return E_POINTER;
        *stream = MakeWriteStream(data_).Detach();
        return S_OK;
    }
    HRESULT SetPagePart(IUnknown* part) override
    {
        if (part == nullptr) return E_POINTER;
        ComPtr<IPartBase> base;
        if (FAILED(part->QueryInterface(IID_IPartBase, base.OutVoid()))) return E_INVALIDARG;
        ComPtr<IFixedPage> page;
        if (SUCCEEDED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) return E_INVALIDARG;
        BSTR uri = nullptr;
        HRESULT result = base->GetUri(&uri);
        if (FAILED(result)) return result;
        std::string name;
        result = ResolveOnPage(uri, &name);
        SysFreeString(uri);
        if (FAILED(result)) return result;
        ComPtr<IUnknown> identity;
        result = part->QueryInterface(IID_IUnknown, identity.OutVoid());
        if (FAILED(result)) return result;
        data_->AttachResource({name, identity});
        return S_OK;
    }
    HRESULT DeleteResource(const WCHAR* uri) override
    {
        if (uri == nullptr) return E_POINTER;
        std::string name;
        HRESULT result = ResolveOnPage(uri, &name);
        if (FAILED(result)) return result;
        return data_->DetachResource(name) ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    HRESULT GetXpsPartIterator(IXpsPartIterator** iterator) override
    {
        if (iterator == nullptr) return E_POINTER;
        *iterator = new PartIterator(data_->Resources());
        return S_OK;
    }

private:
    // A resource reference as page markup makes it: absolute, or relative to
    // the page's folder.
    HRESULT ResolveOnPage(const WCHAR* uri, std::string* name)
    {
        try {
            *name = ResolvePartReference(data_->Name(), WideToUtf8(uri));
            return S_OK;
        } catch (const PackageError&) {
            return E_INVALIDARG;
        }
    }
};

// FixedDocument and FixedDocumentSequence: a name and a print ticket.
template <class Interface>
class TicketHolder : public HostObject<Interface> {
public:
    using HostObject<Interface>::HostObject;
    HRESULT GetUri(BSTR* uri) override { return ReturnBstr(this->data_->Name(), uri); }
    HRESULT GetPrintTicket(IPartPrintTicket** ticket) override { return ReturnTicket(this->data_->Ticket(), ticket); }
    HRESULT SetPrintTicket(IPartPrintTicket* ticket) override
    {
        if (ticket == nullptr) return E_POINTER;
        this->data_->SetTicket(ComPtr<IPartPrintTicket>::Share(ticket));
        return S_OK;
    }
};

class XpsDocumentObject : public ComObject<IXpsDocument> {
public:
    explicit XpsDocumentObject(ComPtr<IPartThumbnail> thumbnail) : thumbnail_(std::move(thumbnail)) {}
    HRESULT GetThumbnail(IPartThumbnail** thumbnail) override
    {
        if (thumbnail == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> hold(lock_);
        *thumbnail = ComPtr<IPartThumbnail>(thumbnail_).Detach();
        return *thumbnail == nullptr ? HRESULT_FROM_WIN32(ERROR_NOT_FOUND) : S_OK;
    }
    HRESULT SetThumbnail(IPartThumbnail* thumbnail) override
    {
        std::lock_guard<std::mutex> hold(lock_);
        thumbnail_ = ComPtr<IPartThumbnail>::Share(thumbnail);
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsDocument ? static_cast<IXpsDocument*>(this) : nullptr;
    }

private:
    std::mutex lock_;
    ComPtr<IPartThumbnail> thumbnail_;
};

template <class Object>
ComPtr<IUnknown> Make(std::shared_ptr<PartData> data)
{
    // The IUnknown that QueryInterface answers, so that identities compare.
    Object* object = new Object(std::move(data));
    ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, identity.OutVoid());
    object->Release();
    return identity;
}

}  // namespace

ComPtr<IUnknown> MakePartObject(std::shared_ptr<PartData> data)
{
    switch (data->Role()) {
    case PartRole::Sequence: return Make<TicketHolder<IFixedDocumentSequence>>(std::move(data));
    case PartRole::Document: return Make<TicketHolder<IFixedDocument>>(std::move(data));
    case PartRole::Page: return Make<PageObject>(std::move(data));
    case PartRole::PrintTicket: return Make<PartObject<IPartPrintTicket>>(std::move(data));
    case PartRole::Font: return Make<FontObject>(std::move(data));
    case PartRole::Image: return Make<ImageObject>(std::move(data));
    case PartRole::ColorProfile: return Make<PartObject<IPartColorProfile>>(std::move(data));
    case PartRole::ResourceDictionary: return Make<PartObject<IPartResourceDictionary>>(std::move(data));
    case PartRole::Thumbnail: return Make<ThumbnailObject>(std::move(data));
    default: return Make<PartObject<IPartBase>>(std::move(data));
    }
}

ComPtr<IXpsDocument> MakeXpsDocument(ComPtr<IPartThumbnail> thumbnail)
{
    return ComPtr<IXpsDocument>::Adopt(new XpsDocumentObject(std::move(thumbnail)));
}

std::optional<PartRole> RoleForInterface(REFIID riid)
{
    if (riid == IID_IFixedPage) return PartRole::Page;
    if (riid == IID_IPartPrintTicket) return PartRole::PrintTicket;
    if (riid == IID_IPartFont) return PartRole::Font;
    if (riid == IID_IPartImage) return PartRole::Image;
    if (riid == IID_IPartColorProfile) return PartRole::ColorProfile;
    if (riid == IID_IPartResourceDictionary) return PartRole::ResourceDictionary;
    if (riid == IID_IPartThumbnail) return PartRole::Thumbnail;
    if (riid == IID_IPartBase) return PartRole::Other;
    return std::nullopt;
}

const IID& InterfaceForRole(PartRole role)
{
    switch (role) {
    case PartRole::Sequence: return IID_IFixedDocumentSequence;
    case PartRole::Document: return IID_IFixedDocument;
    case PartRole::Page: return IID_IFixedPage;
    case PartRole::PrintTicket: return IID_IPartPrintTicket;
    case PartRole::Font: return IID_IPartFont;
    case PartRole::Image: return IID_IPartImage;
    case PartRole::ColorProfile: return IID_IPartColorProfile;
    case PartRole::ResourceDictionary: return IID_IPartResourceDictionary;
    case PartRole::Thumbnail: return IID_IPartThumbnail;
    default: return IID_IPartBase;
    }
}

std::string DefaultContentType(PartRole role, const std::string& name)
{
    std::string extension = PartExtension(name);
    auto imageType = [&]() -> std::string {
        if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
        if (extension == "tif" || extension == "tiff") return "image/tiff";
        if (extension == "wdp" || extension == "jxr") return "image/vnd.ms-photo";
        return "image/png";
    };
    switch (role) {
    case PartRole::Sequence: return std::string(xps::kSequenceContentType);
    case PartRole::Document: return std::string(xps::kDocumentContentType);
    case PartRole::Page: return std::string(xps::kPageContentType);
    case PartRole::PrintTicket: return std::string(xps::kPrintTicketContentType);
    case PartRole::Font:
        return std::string(extension == "odttf" ? xps::kObfuscatedFontContentType : xps::kFontContentType);
    case PartRole::Image:
    case PartRole::Thumbnail: return imageType();
    case PartRole::ColorProfile: return std::string(xps::kColorProfileContentType);
    case PartRole::ResourceDictionary: return std::string(xps::kResourceDictionaryContentType);
    case PartRole::CoreProperties: return std::string(xps::kCorePropertiesContentType);
    case PartRole::DocumentStructure: return std::string(xps::kDocumentStructureContentType);
    case PartRole::StoryFragments: return std::string(xps::kStoryFragmentsContentType);
    default: return "application/octet-stream";
    }
}

}  // namespace tav::host
