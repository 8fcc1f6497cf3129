#include "finisher_filter.h"

#include "filtercore/page_rewrite.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_document_io.h"
#include "finisher_page_writer.h"
#include "finisher_settings.h"

namespace {

constexpr HRESULT kNoTicket = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

}  // namespace

HRESULT FinisherFilter::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnJobTicket(sequence);
    if (FAILED(hr)) return hr;
    // Examined also when the sequence has no ticket: transverse feed may
    // come from the per-user ticket alone, and the turned media must then be
    // said in the job's ticket. A ticket that cannot be examined or replaced
    // stays as it is.
    jobTicketReplaced = false;
    documentTicketReplaced = false;
    ReplaceLevelTicket(sequence, TicketLevel::Job, u"FI_JOB", false, &jobTicketReplaced);
    return consumer->SendFixedDocumentSequence(sequence);
}

HRESULT FinisherFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (FAILED(hr)) return hr;
    // A document ticket of its own is merged over the job's in the output
    // too: when the job's was replaced, the document's whole merged ticket
    // takes its place, so that what the document said still holds.
    documentTicketReplaced = false;
    if (ticketManager.DocumentTicketPresent())
        ReplaceLevelTicket(document, TicketLevel::Document, u"FI_DOC", jobTicketReplaced, &documentTicketReplaced);
    return consumer->SendFixedDocument(document);
}

HRESULT FinisherFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnPageTicket(page);
    // The merged page ticket is only needed when no page before printed
    // with the same ticket.
    IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
    if (SUCCEEDED(hr) && pageExaminations.Find(ticketManager) == nullptr) {
        hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    }
    if (hr == kNoTicket) return consumer->SendFixedPage(page);
    if (FAILED(hr)) return hr;
    hr = FinishPage(page, ticket);
    if (FAILED(hr)) return hr;
    return consumer->SendFixedPage(page);
}

// The ticket, when given, is examined and the result kept for the pages
// that print with the same ticket; without one, the kept result applies.
// For transverse feed the examination changes the merged page ticket
// itself, which the manager drops with the next page.
HRESULT FinisherFilter::FinishPage(IFixedPage* page, IXMLDOMDocument2* ticket)
{
    return CatchRaised([&] {
        const PageExamination* examined = pageExaminations.Find(ticketManager);
        if (ticket != nullptr) {
            PageExamination examination{FinisherSettings(ticketManager, privateNamespace), FALSE};
            HRESULT hr = ExamineTicket(&examination.settings, ticket, &examination.changed);
            if (FAILED(hr)) return hr;
            examined = &pageExaminations.Keep(ticketManager, std::move(examination));
        }
        if (examined == nullptr) return E_UNEXPECTED;
        const FinisherSettings& settings = examined->settings;
        HRESULT hr = S_OK;
        if (RewritesPage(settings)) {
            hr = RewriteFixedPage(page, [&settings](IPrintWriteStream* stream) {
                return new FinisherPageWriter(stream, settings);
            });
            if (FAILED(hr)) return hr;
        }
        // A page without a ticket of its own prints with its document's,
        // which was replaced when the document came; a page with one was
        // examined just now, on its own merged ticket. It gets its whole
        // merged ticket when that changed, or when a ticket above it was
        // replaced: its own ticket, merged over the new one, would no longer
        // describe the page.
        bool levelAboveReplaced = jobTicketReplaced || documentTicketReplaced;
        if (ticketManager.PageTicketPresent() && (examined->changed || levelAboveReplaced))
            hr = AttachTicket(page, ticket, u"FI");
        return hr;
    });
}

template <class Part>
HRESULT FinisherFilter::ReplaceLevelTicket(Part* part, TicketLevel level, const WCHAR* tag, bool evenUnchanged,
                                           bool* replaced)
{
    *replaced = false;
    return CatchRaised([&] {
        IXMLDOMDocument2* merged = nullptr;  // borrowed from the manager
        HRESULT hr = ticketManager.GetMergedTicket(level, &merged);
        if (FAILED(hr)) return hr;
        // A copy: the manager's ticket stays the one the levels below are
        // merged over and examined from.
        ComPtr<IXMLDOMDocument2> copy;
        hr = CopyTicketDocument(merged, &copy);
        if (FAILED(hr)) return hr;
        FinisherSettings settings(ticketManager, privateNamespace);
        BOOL changed = FALSE;
        hr = ExamineTicket(&settings, copy.Get(), &changed);
        if (FAILED(hr) || !(changed || evenUnchanged)) return hr;
        hr = AttachTicket(part, copy.Get(), tag);
        *replaced = SUCCEEDED(hr);
        return hr;
    });
}

template <class Part>
HRESULT FinisherFilter::AttachTicket(Part* part, IXMLDOMDocument2* ticket, const WCHAR* tag)
{
    ComPtr<IPartPrintTicket> ticketPart;
    HRESULT hr = ticketManager.WriteTicketPart(consumer.Get(), ticket, tag, ticketPart.Out());
    if (FAILED(hr)) return hr;
    return part->SetPrintTicket(ticketPart.Get());
}
