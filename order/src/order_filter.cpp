#include "order_filter.h"

#include <exception>
#include <utility>

#include "booklet_order.h"
#include "filtercore/failure_note.h"
#include "filtercore/page_rewrite.h"
#include "filtercore/part_names.h"
#include "filtercore/ticket_document_io.h"
#include "pad_page_writer.h"

namespace {

// The tag of the ticket parts the filter writes for its padding pages.
constexpr WCHAR kTicketTag[] = u"OD";

// "/Pad_page_<tick count>_<number>.xaml", relative to the package root.
HeapWideString PaddingPageName(const PartNameNumbers& numbers)
{
    HeapWideString name;
    name.Format(u"/Pad_page_%u_%u.xaml", numbers.ticks, numbers.number);
    return name;
}

}  // namespace

OrderFilter::OrderFilter() : divideConditionTracker(privateNamespace) {}

HRESULT OrderFilter::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    HRESULT hr = ticketManager.OnJobTicket(sequence);
    if (SUCCEEDED(hr)) {
        hr = NoteStepFailureOf(ReadSettings(TicketLevel::Job), sequence,
                               u"the booklet settings cannot be read from the job's PrintTicket");
    }
    if (FAILED(hr)) return hr;
    return consumer->SendFixedDocumentSequence(sequence);
}

HRESULT OrderFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (SUCCEEDED(hr) && settings.bookletScope == kNoBooklet) {
        hr = NoteStepFailureOf(ReadSettings(TicketLevel::Document), document,
                               u"the booklet settings cannot be read from the document's PrintTicket");
    }
    if (FAILED(hr)) return hr;
    if (!forwardDocuments) {
        // Its pages move into the booklet's document, whose ticket is not
        // this one's: unless neither has a ticket of its own, each page
        // takes along the merged ticket it has here.
        pagesKeepTheirTickets = receivingDocumentHasTicket || ticketManager.DocumentTicketPresent();
        return hr;
    }
    hr = consumer->SendFixedDocument(document);
    if (FAILED(hr)) return hr;
    // The pages of every later document join the booklet in this one.
    if (settings.bookletScope == kBookletOverJob) {
        forwardDocuments = false;
        receivingDocumentHasTicket = ticketManager.DocumentTicketPresent() != 0;
    }
    return hr;
}

HRESULT OrderFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    if (settings.bookletScope == kNoBooklet) return consumer->SendFixedPage(page);

    HRESULT hr = ticketManager.OnPageTicket(page);
    bool startsNewBooklet = false;
    if (SUCCEEDED(hr)) {
        hr = NoteStepFailureOf(StartsNewBooklet(&startsNewBooklet), page,
                               u"where the booklet divides cannot be worked out from the page's PrintTicket");
    }
    if (SUCCEEDED(hr) && startsNewBooklet) hr = Flush();
    if (SUCCEEDED(hr) && pagesKeepTheirTickets) {
        hr = NoteStepFailureOf(KeepMergedTicket(page), page,
                               u"the page's PrintTicket cannot be given to it for the booklet's document");
    }
    if (SUCCEEDED(hr) && collectedPages.empty()) {
        hr = NoteStepFailureOf(KeepFirstPageTicket(), page,
                               u"the page's PrintTicket cannot be kept for the booklet's padding pages");
    }
    if (FAILED(hr)) return hr;
    return NoteStepFailureOf(CollectPage(page), page, u"the page cannot be held back for the booklet");
}

HRESULT OrderFilter::KeepMergedTicket(IFixedPage* page)
{
    IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
    HRESULT hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    ComPtr<IPartPrintTicket> ticketPart;
    if (SUCCEEDED(hr)) hr = ticketManager.WriteTicketPart(consumer.Get(), ticket, kTicketTag, ticketPart.Out());
    if (SUCCEEDED(hr)) hr = page->SetPrintTicket(ticketPart.Get());
    return hr;
}

// The padding pages of a booklet print as its first page does. Its merged
// ticket is kept now: when the booklet is flushed, the manager may hold a
// later document's ticket.
HRESULT OrderFilter::KeepFirstPageTicket()
{
    IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
    HRESULT hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    if (SUCCEEDED(hr)) hr = CopyTicketDocument(ticket, &firstPageTicket);
    return hr;
}

HRESULT OrderFilter::OnJobEnd() { return Flush(); }

HRESULT OrderFilter::ReadSettings(TicketLevel level)
{
    IXMLDOMDocument2* ticket = nullptr;
    HRESULT hr = ticketManager.GetMergedTicket(level, &ticket);
    if (FAILED(hr)) return hr;
    return ReadOrderSettings(ticket, privateNamespace, &settings);
}

// A divide condition that cannot be read is the page's failure: going on
// would divide the job in the wrong places.
HRESULT OrderFilter::StartsNewBooklet(bool* starts)
{
    // Pages without a ticket of their own share their document's divide
    // condition: it is read once for all of them.
    const RecordString* condition = divideConditions.Find(ticketManager);
    HRESULT hr = S_OK;
    if (condition == nullptr) {
        IXMLDOMDocument2* ticket = nullptr;
        hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
        if (FAILED(hr)) return hr;
        RecordString read;
        hr = divideConditionTracker.ReadCondition(ticket, &read);
        if (FAILED(hr)) {
            divideConditionTracker.NoteUnreadable();
            return hr;
        }
        condition = &divideConditions.Keep(ticketManager, std::move(read));
    }
    divideConditionTracker.Note(*condition);
    batcher.SetSets(settings.bookletMethod == kDivideIntoSets, settings.sheetsPerSet);
    *starts = batcher.PageArrives(divideConditionTracker.Changed());
    return hr;
}

HRESULT OrderFilter::CollectPage(IFixedPage* page)
{
    try {
        collectedPages.push_back(ComPtr<IFixedPage>::Share(page));
    } catch (const std::exception&) {
        // Only memory runs out here.
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT OrderFilter::Flush()
{
    if (!consumer) return E_PENDING;
    if (collectedPages.empty() || settings.bookletScope == kNoBooklet) return S_OK;
    const bool singlePage = collectedPages.size() == 1;
    // Without all its padding pages the booklet would be ordered wrongly:
    // rather than print that, the flush ends with the failure.
    HRESULT hr = AddPaddingPages();
    if (FAILED(hr)) return hr;
    hr = SendInBookletOrder(singlePage);
    // A failed send ends the sending; the pages are released either way.
    collectedPages.clear();
    return hr;
}

// Each padding page has the first page's size and a ticket part of its
// own, a copy of the first page's merged ticket.
HRESULT OrderFilter::AddPaddingPages()
{
    const size_t padding = PaddingCount(collectedPages.size());
    if (padding == 0) return S_OK;
    IFixedPage* firstPage = collectedPages.front().Get();
    if (!firstPageTicket) return E_UNEXPECTED;
    for (size_t added = 0; added < padding; ++added) {
        ComPtr<IFixedPage> page;
        HRESULT hr = MakePaddingPage(firstPage, firstPageTicket.Get(), &page);
        if (SUCCEEDED(hr)) hr = CollectPage(page.Get());
        if (FAILED(hr)) {
            return NoteStepFailureOf(hr, firstPage,
                                     u"a blank padding page of this page's size cannot be made for the booklet");
        }
    }
    return S_OK;
}

HRESULT OrderFilter::MakePaddingPage(IFixedPage* firstPage, IXMLDOMDocument2* ticket, ComPtr<IFixedPage>* padding)
{
    ComPtr<IFixedPage> page;
    ComPtr<IPrintWriteStream> stream;
    HRESULT hr = GetNewUniquelyNamedPart(consumer.Get(), PaddingPageName, IID_IFixedPage, &page, &stream);
    if (FAILED(hr)) return hr;
    hr = WritePageMarkup(firstPage, stream.Get(),
                         [](IPrintWriteStream* target) -> MarkupWriter* { return new PadPageWriter(target); });
    if (FAILED(hr)) return hr;

    ComPtr<IPartPrintTicket> ticketPart;
    hr = ticketManager.WriteTicketPart(consumer.Get(), ticket, kTicketTag, ticketPart.Out());
    if (SUCCEEDED(hr)) hr = page->SetPrintTicket(ticketPart.Get());
    if (FAILED(hr)) return hr;
    *padding = std::move(page);
    return S_OK;
}

HRESULT OrderFilter::SendInBookletOrder(bool singlePageBeforePadding)
{
    const size_t pageCount = collectedPages.size();
    const size_t count = PagesToSend(pageCount, singlePageBeforePadding, settings.duplexMode);
    HRESULT hr = S_OK;
    for (size_t position = 0; position < count && SUCCEEDED(hr); ++position) {
        const size_t source = BookletSourceIndex(pageCount, position, settings.bindingOption);
        hr = NoteStepFailureOf(consumer->SendFixedPage(collectedPages[source].Get()), collectedPages[source].Get(),
                               u"the page cannot be sent on in booklet order");
    }
    return hr;
}
