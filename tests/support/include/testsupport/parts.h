// In-memory XPS parts: each has a part name (URI) and content, and answers
// the pipeline interface of its kind. Tickets attach to sequences, documents
// and pages; pages keep their resources in the order they were attached.
//
//   auto page = MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", "<FixedPage .../>");
//   page->SetPrintTicket(MakePart<PrintTicketPart>(u"/Documents/1/Pages/1_PT.xml", ticketXml).Get());
//
// Every part is also a TestPart, through which tests read its name and its
// current content (AsTestPart finds it behind any interface pointer).
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "testsupport/content.h"

namespace testsupport {

template <class T, class... Args>
ComPtr<T> MakePart(Args&&... args)
{
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// The part as a plain IUnknown, e.g. for a provider's list.
template <class T>
ComPtr<IUnknown> Unknown(const ComPtr<T>& part)
{
    return ComPtr<IUnknown>::Share(part.Get());
}

class TestPart {
public:
    virtual ~TestPart() = default;
    const std::u16string& Uri() const { return uri_; }
    std::string Content() const { return content_->Bytes(); }
    PartContent& ContentState() { return *content_; }
    const std::shared_ptr<PartContent>& ContentShared() const { return content_; }

protected:
    TestPart(std::u16string uri, std::string content);
    HRESULT CopyUri(BSTR* uri) const;

    std::u16string uri_;
    std::shared_ptr<PartContent> content_;
};

// The TestPart behind an interface pointer of a test part; null otherwise.
TestPart* AsTestPart(IUnknown* part);
// The part name of any test part; empty for other objects.
std::u16string PartUri(IUnknown* part);

// The print ticket attached to a sequence, document or page.
class TicketSlot {
public:
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when no ticket is attached.
    HRESULT Get(IPartPrintTicket** ticket) const;
    HRESULT Set(IPartPrintTicket* ticket);

private:
    mutable std::mutex lock_;
    ComPtr<IPartPrintTicket> ticket_;
};

// IPartBase over the part's content, for every part with a stream.
template <class Interface>
class StreamPart : public ComObject<Interface>, public TestPart {
public:
    HRESULT GetUri(BSTR* uri) override { return CopyUri(uri); }
    HRESULT GetStream(IPrintReadStream** stream) override { return OpenReadStream(*content_, stream); }
    HRESULT GetPartCompression(EXpsCompressionOptions* compression) override
    {
        if (compression == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> guard(lock_);
        *compression = compression_;
        return S_OK;
    }
    HRESULT SetPartCompression(EXpsCompressionOptions compression) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        compression_ = compression;
        return S_OK;
    }

protected:
    StreamPart(REFIID interfaceId, std::u16string uri, std::string content)
        : TestPart(std::move(uri), std::move(content)), interfaceId_(interfaceId)
    {
    }
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == interfaceId_) return static_cast<Interface*>(this);
        if (riid == IID_IPartBase) return static_cast<IPartBase*>(this);
        return nullptr;
    }

    mutable std::mutex lock_;

private:
    const IID interfaceId_;
    EXpsCompressionOptions compression_ = Compression_Normal;
};

class PrintTicketPart : public StreamPart<IPartPrintTicket> {
public:
    PrintTicketPart(std::u16string uri, std::string xml);
};

class ColorProfilePart : public StreamPart<IPartColorProfile> {
public:
    ColorProfilePart(std::u16string uri, std::string bytes);
};

class ResourceDictionaryPart : public StreamPart<IPartResourceDictionary> {
public:
    ResourceDictionaryPart(std::u16string uri, std::string markup);
};

class FontPart : public StreamPart<IPartFont> {
public:
    FontPart(std::u16string uri, std::string bytes, std::u16string contentType = u"application/vnd.ms-opentype");
    HRESULT GetFontProperties(BSTR* contentType, EXpsFontOptions* options) override;
    HRESULT SetFontContent(BSTR contentType) override;
    HRESULT SetFontOptions(EXpsFontOptions options) override;

private:
    std::u16string contentType_;
    EXpsFontOptions options_ = Font_Normal;
};

class ImagePart : public StreamPart<IPartImage> {
public:
    ImagePart(std::u16string uri, std::string bytes, std::u16string contentType = u"image/png");
    HRESULT GetImageProperties(BSTR* contentType) override;
    HRESULT SetImageContent(BSTR contentType) override;

private:
    std::u16string contentType_;
};

class ThumbnailPart : public StreamPart<IPartThumbnail> {
public:
    ThumbnailPart(std::u16string uri, std::string bytes, std::u16string contentType = u"image/png");
    HRESULT GetThumbnailProperties(BSTR* contentType) override;
    HRESULT SetThumbnailContent(BSTR contentType) override;

private:
    std::u16string contentType_;
};

class FixedPagePart : public StreamPart<IFixedPage> {
public:
    FixedPagePart(std::u16string uri, std::string markup);
    HRESULT GetPrintTicket(IPartPrintTicket** ticket) override { return ticket_.Get(ticket); }
    HRESULT SetPrintTicket(IPartPrintTicket* ticket) override { return ticket_.Set(ticket); }
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) for a name that is not attached.
    HRESULT GetPagePart(const WCHAR* uri, IUnknown** part) override;
    // A write stream whose content replaces the page markup when closed.
    HRESULT GetWriteStream(IPrintWriteStream** stream) override;
    // Attaches a resource part under its own name, replacing one of that name.
    HRESULT SetPagePart(IUnknown* part) override;
    HRESULT DeleteResource(const WCHAR* uri) override;
    HRESULT GetXpsPartIterator(IXpsPartIterator** iterator) override;

    // The attached resources' names, in the order they were attached.
    std::vector<std::u16string> ResourceUris() const;

private:
    TicketSlot ticket_;
    std::vector<std::pair<std::u16string, ComPtr<IUnknown>>> resources_;
};

class FixedDocumentPart : public ComObject<IFixedDocument>, public TestPart {
public:
    FixedDocumentPart(std::u16string uri, std::string markup = {});
    HRESULT GetUri(BSTR* uri) override { return CopyUri(uri); }
    HRESULT GetPrintTicket(IPartPrintTicket** ticket) override { return ticket_.Get(ticket); }
    HRESULT SetPrintTicket(IPartPrintTicket* ticket) override { return ticket_.Set(ticket); }

private:
    void* InterfaceFor(REFIID riid) override;
    TicketSlot ticket_;
};

class FixedDocumentSequencePart : public ComObject<IFixedDocumentSequence>, public TestPart {
public:
    FixedDocumentSequencePart(std::u16string uri, std::string markup = {});
    HRESULT GetUri(BSTR* uri) override { return CopyUri(uri); }
    HRESULT GetPrintTicket(IPartPrintTicket** ticket) override { return ticket_.Get(ticket); }
    HRESULT SetPrintTicket(IPartPrintTicket* ticket) override { return ticket_.Set(ticket); }

private:
    void* InterfaceFor(REFIID riid) override;
    TicketSlot ticket_;
};

// The package itself, first part of every job.
class XpsDocumentPart : public ComObject<IXpsDocument>, public TestPart {
public:
    explicit XpsDocumentPart(std::u16string uri = u"/");
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) without a thumbnail.
    HRESULT GetThumbnail(IPartThumbnail** thumbnail) override;
    HRESULT SetThumbnail(IPartThumbnail* thumbnail) override;

private:
    void* InterfaceFor(REFIID riid) override;
    std::mutex lock_;
    ComPtr<IPartThumbnail> thumbnail_;
};

// A new empty part of the kind riid names (IID_IFixedPage, IID_IPartPrintTicket,
// IID_IPartFont, IID_IPartImage, IID_IPartColorProfile,
// IID_IPartResourceDictionary, IID_IPartThumbnail) and the stream that writes
// its content; E_NOINTERFACE for other kinds.
HRESULT CreateEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream);

// The names of the parts created in one job. A package holds one part per
// name, so the consumers of a job share one registry and refuse a name that
// was already given out.
class PartNameRegistry {
public:
    // False when the name is taken.
    bool Claim(const std::u16string& uri);

private:
    std::mutex lock_;
    std::set<std::u16string> names_;
};

// CreateEmptyPart under a name the registry does not hold yet, which it then
// holds; HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) for a name it holds.
HRESULT CreateUniquePart(PartNameRegistry& names, const WCHAR* uri, REFIID riid, void** part,
                         IPrintWriteStream** stream);

}  // namespace testsupport
