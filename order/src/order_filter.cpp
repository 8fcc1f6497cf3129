#include "order_filter.h"

#include <exception>
#include <utility>

#include "booklet_order.h"
#include "filtercore/page_rewrite.h"
#include "filtercore/part_names.h"
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
    if (SUCCEEDED(hr)) hr = ReadSettings(TicketLevel::Job);
    if (FAILED(hr)) return hr;
    return consumer->SendFixedDocumentSequence(sequence);
}

HRESULT OrderFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (SUCCEEDED(hr) && settings.bookletScope == kNoBooklet) hr = ReadSettings(TicketLevel::Document);
    if (FAILED(hr) || !forwardDocuments) return hr;
    hr = consumer->SendFixedDocument(document);
    if (FAILED(hr)) return hr;
    // The pages of every later document join the booklet in this one.
    if (settings.bookletScope == kBookletOverJob) forwardDocuments = false;
    return hr;
}

HRESULT OrderFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    if (!consumer) return E_PENDING;
    if (settings.bookletScope == kNoBooklet) return consumer->SendFixedPage(page);

    HRESULT hr = ticketManager.OnPageTicket(page);
    bool startsNewBooklet = false;
    if (SUCCEEDED(hr)) hr = StartsNewBooklet(&startsNewBooklet);
    if (SUCCEEDED(hr) && startsNewBooklet) hr = Flush();
    if (FAILED(hr)) return hr;
    return CollectPage(page);
}

HRESULT OrderFilter::OnJobEnd() { return Flush(); }

HRESULT OrderFilter::ReadSettings(TicketLevel level)
{
    IXMLDOMDocument2* ticket = nullptr;
    HRESULT hr = ticketManager.GetMergedTicket(level, &ticket);
    if (FAILED(hr)) return hr;
    return ReadOrderSettings(ticket, privateNamespace, &settings);
}

// The check runs before the page is collected, so a set is emitted when the
// first page of the next set arrives. A divide condition that cannot be read
// is the page's failure: going on would divide the job in the wrong places.
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
    *starts = divideConditionTracker.Changed() ||
              (settings.bookletMethod == kDivideIntoSets && SetIsComplete(collectedPages.size(), settings.sheetsPerSet));
    return hr;
}

HRESULT OrderFilter::CollectPage(IFixedPage* page)
{
    try {
        collectedPages.push_back(ComPtr<IFixedPage>::Share(page));
    } catch (const std::exception&) {
        return E_FAIL;
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
    HRESULT hr = ticketManager.OnPageTicket(firstPage);
    IXMLDOMDocument2* ticket = nullptr;
    if (SUCCEEDED(hr)) hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    if (FAILED(hr)) return hr;
    for (size_t added = 0; added < padding; ++added) {
        ComPtr<IFixedPage> page;
        hr = MakePaddingPage(firstPage, ticket, &page);
        if (SUCCEEDED(hr)) hr = CollectPage(page.Get());
        if (FAILED(hr)) return hr;
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
        hr = consumer->SendFixedPage(collectedPages[source].Get());
    }
    return hr;
}
