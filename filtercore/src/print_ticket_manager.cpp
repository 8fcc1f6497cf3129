#include "filtercore/print_ticket_manager.h"

#include "filtercore/failure_note.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_stream_as_istream.h"
#include "filtercore/sequential_read_adapter.h"
#include "filtercore/ticket_document_io.h"
#include "platform/wformat.h"

namespace {

constexpr DWORD kProviderVersion = 1;

// N-up settings never come from the user's defaults, only from the job's own
// tickets: the per-user ticket loses these features and the parameters they
// refer to.
constexpr const WCHAR* kFeaturesRemovedFromBase[] = {u"JobNUpAllDocumentsContiguously", u"DocumentNUp"};

// Removes the N-up features from the base ticket. A removal that fails ends
// the clean-up without failing it; only a ticket that cannot be wrapped (no
// PrintTicket root, a namespace declared as the default one) is a failure.
HRESULT RemoveNUpSettings(IXMLDOMDocument2* base)
{
    return CatchRaised([base] {
        PrintTicketDom ticket(u"PrintTicket", kPrivateKeywordsNamespace, base);
        for (const WCHAR* feature : kFeaturesRemovedFromBase) {
            if (ticket.FeatureExists(feature) != S_OK) continue;
            if (FAILED(ticket.RemoveFeature(feature))) break;
        }
        return S_OK;
    });
}

// What the document's last load says went wrong, with its line: "not
// well-formed XML (line 3)"; the failure's own description when the load
// got no markup to judge.
std::u16string LoadFailureReason(HRESULT failure, IXMLDOMDocument2* document)
{
    ComPtr<IXMLDOMParseError> error;
    LONG code = 0;
    LONG line = 0;
    BSTR reason = nullptr;
    if (document == nullptr || FAILED(document->get_parseError(error.Out())) || !error ||
        FAILED(error->get_errorCode(&code)) || code == 0 || FAILED(error->get_reason(&reason)))
        return DescribeFailure(failure);
    std::u16string text(reason);
    SysFreeString(reason);
    if (SUCCEEDED(error->get_line(&line)) && line > 0) text += FormatWideString(u" (line %d)", static_cast<int>(line));
    return text;
}

}  // namespace

PrintTicketManager::~PrintTicketManager() { CloseProvider(); }

void PrintTicketManager::CloseProvider()
{
    if (provider != nullptr) PTCloseProvider(provider);
    provider = nullptr;
}

HRESULT PrintTicketManager::Initialize(IPrintReadStream* perUserTicket, const WCHAR* printerName)
{
    CloseProvider();
    if (perUserTicket == nullptr) return E_POINTER;
    if (printerName == nullptr || printerName[0] == 0) return E_INVALIDARG;

    HPTPROVIDER opened = nullptr;
    HRESULT hr = PTOpenProvider(printerName, kProviderVersion, &opened);
    if (FAILED(hr)) return hr;
    provider = opened;

    ComPtr<IStream> stream;
    hr = ReadStreamAsIStream::Create(perUserTicket, stream.Out());
    if (FAILED(hr)) return hr;
    return LoadBaseTicket(stream.Get());
}

HRESULT PrintTicketManager::LoadBaseTicket(IStream* stream)
{
    baseTicket.Reset();
    Reset(TicketLevel::Job);
    ++documentTicketSerial;
    jobTicketPresent = 0;
    documentTicketPresent = 0;
    pageTicketPresent = 0;

    ComPtr<IXMLDOMDocument2> loaded;
    HRESULT hr = LoadTicketDocumentFromStream(stream, &loaded);
    if (FAILED(hr)) return hr;
    baseTicket = loaded;
    return RemoveNUpSettings(baseTicket.Get());
}

ComPtr<IXMLDOMDocument2>* PrintTicketManager::TicketOf(TicketLevel level)
{
    switch (level) {
    case TicketLevel::Page: return &pageTicket;
    case TicketLevel::Document: return &documentTicket;
    case TicketLevel::Job: return &jobTicket;
    }
    return nullptr;
}

ComPtr<IXMLDOMDocument2>* PrintTicketManager::MergeBaseOf(TicketLevel level)
{
    switch (level) {
    case TicketLevel::Page: return &documentTicket;
    case TicketLevel::Document: return &jobTicket;
    case TicketLevel::Job: return &baseTicket;
    }
    return nullptr;
}

HRESULT PrintTicketManager::Merge(TicketLevel level, IXMLDOMDocument2* delta)
{
    ComPtr<IXMLDOMDocument2>* base = MergeBaseOf(level);
    if (base == nullptr) return E_INVALIDARG;
    if (!*base || provider == nullptr) return E_UNEXPECTED;
    if (delta == nullptr) return E_POINTER;

    ComPtr<IStream> result;
    ComPtr<IStream> baseStream;
    ComPtr<IStream> deltaStream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, result.Out());
    if (SUCCEEDED(hr)) hr = TicketDocumentStream(base->Get(), &baseStream);
    if (SUCCEEDED(hr)) hr = TicketDocumentStream(delta, &deltaStream);
    if (FAILED(hr)) return hr;

    // Job scope at every level: each merged ticket keeps the job-, document-
    // and page-scoped settings alike, so any level can be read for any of
    // them.
    BSTR message = nullptr;
    hr = PTMergeAndValidatePrintTicket(provider, baseStream.Get(), deltaStream.Get(), kPTJobScope, result.Get(),
                                       &message);
    SysFreeString(message);
    if (FAILED(hr)) return hr;

    ComPtr<IXMLDOMDocument2> merged;
    hr = LoadTicketDocumentFromStream(result.Get(), &merged);
    if (FAILED(hr)) return hr;
    *TicketOf(level) = merged;
    if (level != TicketLevel::Page) ++documentTicketSerial;
    return S_OK;
}

HRESULT PrintTicketManager::SetTicketFromPart(TicketLevel level, IPartPrintTicket* ticket)
{
    if (ticket == nullptr) return E_POINTER;
    ComPtr<IXMLDOMDocument2> delta;
    ComPtr<IPrintReadStream> stream;
    ComPtr<ISequentialStream> reader;
    HRESULT hr = CreateTicketDocument(&delta);
    if (SUCCEEDED(hr)) hr = ticket->GetStream(stream.Out());
    if (SUCCEEDED(hr)) hr = SequentialReadAdapter::Create(stream.Get(), reader.Out());
    if (SUCCEEDED(hr)) hr = LoadTicketDocument(delta.Get(), reader.Get());
    if (FAILED(hr)) {
        CatchRaised([&] {
            NoteFailureOf(hr, ticket, LoadFailureReason(hr, delta.Get()));
            return S_OK;
        });
        return hr;
    }
    hr = Merge(level, delta.Get());
    if (FAILED(hr)) {
        CatchRaised([&] {
            NoteFailureOf(hr, ticket, DescribeFailure(hr));
            return S_OK;
        });
    }
    return hr;
}

HRESULT PrintTicketManager::UpdateLevel(TicketLevel level, HRESULT ticketLookup, IPartPrintTicket* ticket,
                                        LONG* present)
{
    if (ticketLookup == HRESULT_FROM_WIN32(ERROR_NOT_FOUND)) {
        Reset(level);
        *present = 0;
        // A page's copy of its document's ticket is made when it is asked
        // for (GetMergedTicket): a filter that knows what the document's
        // ticket says need not copy it for every page.
        return EnsureMerged(level == TicketLevel::Page ? TicketLevel::Document : level);
    }
    if (FAILED(ticketLookup)) return ticketLookup;
    HRESULT hr = SetTicketFromPart(level, ticket);
    if (FAILED(hr)) return hr;
    *present = 1;
    return S_OK;
}

HRESULT PrintTicketManager::OnJobTicket(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    ComPtr<IPartPrintTicket> ticket;
    HRESULT lookup = sequence->GetPrintTicket(ticket.Out());
    // A job ticket of its own leaves the document and page tickets until
    // their parts replace them.
    return UpdateLevel(TicketLevel::Job, lookup, ticket.Get(), &jobTicketPresent);
}

HRESULT PrintTicketManager::OnDocumentTicket(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    ComPtr<IPartPrintTicket> ticket;
    HRESULT lookup = document->GetPrintTicket(ticket.Out());
    HRESULT hr = UpdateLevel(TicketLevel::Document, lookup, ticket.Get(), &documentTicketPresent);
    // The page ticket of the previous document was merged from another
    // document ticket: a page of this document must not find it.
    if (SUCCEEDED(hr)) {
        pageTicket.Reset();
        deferredPageTicket.Reset();
    }
    return hr;
}

HRESULT PrintTicketManager::OnPageTicket(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    ComPtr<IPartPrintTicket> ticket;
    HRESULT lookup = page->GetPrintTicket(ticket.Out());
    ComPtr<IUnknown> identity;
    if (SUCCEEDED(lookup) && ticket) ticket->QueryInterface(IID_IUnknown, identity.OutVoid());
    deferredPageTicket.Reset();
    auto sameAsBefore = [&] {
        return lastPageSourceValid && identity.Get() == lastPageTicketPart.Get() &&
               documentTicketSerial == lastPageDocumentSerial;
    };
    HRESULT hr = S_OK;
    if (identity && sameAsBefore()) {
        // The previous page's own ticket again over the same document
        // ticket: it is merged again only when asked for.
        pageTicket.Reset();
        deferredPageTicket = ticket;
        pageTicketPresent = 1;
    } else {
        hr = UpdateLevel(TicketLevel::Page, lookup, ticket.Get(), &pageTicketPresent);
    }
    if (FAILED(hr) || !sameAsBefore()) ++pageTicketSerial;
    // A part whose merge failed is merged (and reported) again.
    lastPageSourceValid = SUCCEEDED(hr);
    lastPageTicketPart = identity;
    lastPageDocumentSerial = documentTicketSerial;
    return hr;
}

HRESULT PrintTicketManager::EnsureMerged(TicketLevel level)
{
    if (!baseTicket) return E_UNEXPECTED;
    if (!IsTicketLevel(level)) return E_INVALIDARG;
    HRESULT hr = S_OK;
    if (!jobTicket || (level != TicketLevel::Job && !documentTicket)) ++documentTicketSerial;
    if (!jobTicket) hr = CopyTicketDocument(baseTicket.Get(), &jobTicket);
    if (SUCCEEDED(hr) && level != TicketLevel::Job && !documentTicket)
        hr = CopyTicketDocument(jobTicket.Get(), &documentTicket);
    if (SUCCEEDED(hr) && level == TicketLevel::Page && !pageTicket) {
        if (deferredPageTicket) {
            ComPtr<IPartPrintTicket> own = std::move(deferredPageTicket);
            hr = SetTicketFromPart(TicketLevel::Page, own.Get());
        } else {
            hr = CopyTicketDocument(documentTicket.Get(), &pageTicket);
        }
    }
    return hr;
}

void PrintTicketManager::Reset(TicketLevel level)
{
    pageTicket.Reset();
    deferredPageTicket.Reset();
    if (level == TicketLevel::Document || level == TicketLevel::Job) {
        documentTicket.Reset();
        ++documentTicketSerial;
    }
    if (level == TicketLevel::Job) jobTicket.Reset();
}

HRESULT PrintTicketManager::GetMergedTicket(TicketLevel level, IXMLDOMDocument2** ticket)
{
    if (ticket == nullptr) return E_POINTER;
    *ticket = nullptr;
    if (!IsTicketLevel(level)) return E_FAIL;
    HRESULT hr = EnsureMerged(level);
    if (FAILED(hr)) return hr;
    IXMLDOMDocument2* merged = TicketOf(level)->Get();
    if (merged == nullptr) return E_FAIL;
    *ticket = merged;
    return S_OK;
}

HRESULT PrintTicketManager::GetPrintCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2** capabilities)
{
    if (ticket == nullptr || capabilities == nullptr) return E_POINTER;
    *capabilities = nullptr;
    if (provider == nullptr) return E_UNEXPECTED;

    ComPtr<IXMLDOMDocument2> result;
    ComPtr<IStream> ticketStream;
    ComPtr<IStream> resultStream;
    HRESULT hr = CreateTicketDocument(&result);
    if (SUCCEEDED(hr)) hr = TicketDocumentStream(ticket, &ticketStream);
    if (SUCCEEDED(hr)) hr = TicketDocumentStream(result.Get(), &resultStream);
    if (FAILED(hr)) return hr;

    BSTR message = nullptr;
    hr = PTGetPrintCapabilities(provider, ticketStream.Get(), resultStream.Get(), &message);
    SysFreeString(message);
    if (FAILED(hr)) return hr;

    // The seek loads what the provider wrote into the document and reports
    // markup that does not load.
    LARGE_INTEGER start{};
    hr = resultStream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    ComPtr<IXMLDOMElement> root;
    hr = result->get_documentElement(root.Out());
    if (FAILED(hr)) return hr;
    if (!root) return E_FAIL;
    *capabilities = result.Detach();
    return S_OK;
}
