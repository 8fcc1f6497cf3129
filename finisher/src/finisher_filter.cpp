#include "finisher_filter.h"

#include "filtercore/failure_note.h"
#include "filtercore/page_rewrite.h"
#include "filtercore/raised_result.h"
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
    // Transverse feed may come from the per-user ticket alone, and the
    // turned media must then be said in the job's ticket.
    levelTickets.OnJob(consumer.Get(), sequence, ExamineLevel());
    return consumer->SendFixedDocumentSequence(sequence);
}

HRESULT FinisherFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (FAILED(hr)) return hr;
    levelTickets.OnDocument(consumer.Get(), document, ExamineLevel());
    return consumer->SendFixedDocument(document);
}

LevelTicketRewrite::Examine FinisherFilter::ExamineLevel()
{
    return [this](IXMLDOMDocument2* copy, bool* changed) {
        FinisherSettings settings(ticketManager, privateNamespace);
        BOOL examinedChanged = FALSE;
        HRESULT hr = ExamineTicket(&settings, copy, &examinedChanged);
        *changed = examinedChanged != FALSE;
        return hr;
    };
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
        if (hr != kNoTicket)
            NoteStepFailureOf(hr, page, u"the page's PrintTicket cannot be merged with its document's and job's");
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
            if (FAILED(hr)) {
                return NoteStepFailureOf(
                    hr, page,
                    u"the page's transverse feed, mirror and cut line settings cannot be read from its PrintTicket");
            }
            examined = &pageExaminations.Keep(ticketManager, std::move(examination));
        }
        if (examined == nullptr) return E_UNEXPECTED;
        const FinisherSettings& settings = examined->settings;
        HRESULT hr = S_OK;
        if (RewritesPage(settings)) {
            hr = RewriteFixedPage(
                page, [&settings](IPrintWriteStream* stream) { return new FinisherPageWriter(stream, settings); });
            if (FAILED(hr)) {
                return NoteStepFailureOf(hr, page, u"the page cannot be turned, mirrored or given its cut lines");
            }
        }
        // A page without a ticket of its own prints with its document's,
        // which was replaced when the document came; a page with one was
        // examined just now, on its own merged ticket. It gets its whole
        // merged ticket when that changed, or when a ticket above it was
        // replaced: its own ticket, merged over the new one, would no longer
        // describe the page.
        if (ticketManager.PageTicketPresent() && (examined->changed || levelTickets.LevelAboveReplaced())) {
            hr = NoteStepFailureOf(pageTickets.Attach(consumer.Get(), page, ticket), page,
                                   u"the page's new PrintTicket cannot be attached to it");
        }
        return hr;
    });
}
