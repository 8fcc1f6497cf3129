#include "filtercore/level_ticket_rewrite.h"

#include "filtercore/raised_result.h"
#include "filtercore/ticket_document_io.h"

void PageTicketAttacher::Examined(IXMLDOMDocument2* ticket)
{
    examined_ = ComPtr<IXMLDOMDocument2>::Share(ticket);
    examinedSerial_ = tickets_.PageTicketSerial();
}

HRESULT PageTicketAttacher::Attach(IXpsDocumentConsumer* consumer, IFixedPage* page, IXMLDOMDocument2* ticket)
{
    if (part_ && serial_ == tickets_.PageTicketSerial()) return page->SetPrintTicket(part_.Get());
    if (ticket == nullptr && examined_ && examinedSerial_ == tickets_.PageTicketSerial()) ticket = examined_.Get();
    if (ticket == nullptr) return E_UNEXPECTED;
    part_.Reset();
    HRESULT hr = tickets_.WriteTicketPart(consumer, ticket, tag_, part_.Out());
    if (FAILED(hr)) return hr;
    serial_ = tickets_.PageTicketSerial();
    return page->SetPrintTicket(part_.Get());
}

LevelTicketRewrite::LevelTicketRewrite(PrintTicketManager& tickets, const WCHAR* jobTag, const WCHAR* documentTag)
    : tickets_(tickets), jobTag_(jobTag), documentTag_(documentTag)
{
}

// Examined also when the sequence has no ticket: the setting may come from
// the per-user ticket alone, and the job's ticket must then say so.
void LevelTicketRewrite::OnJob(IXpsDocumentConsumer* consumer, IFixedDocumentSequence* sequence, const Examine& examine)
{
    documentReplaced_ = false;
    jobReplaced_ = Rewrite(consumer, sequence, TicketLevel::Job, jobTag_, false, examine);
}

void LevelTicketRewrite::OnDocument(IXpsDocumentConsumer* consumer, IFixedDocument* document, const Examine& examine)
{
    documentReplaced_ = tickets_.DocumentTicketPresent() &&
                        Rewrite(consumer, document, TicketLevel::Document, documentTag_, jobReplaced_, examine);
}

template <class Part>
bool LevelTicketRewrite::Rewrite(IXpsDocumentConsumer* consumer, Part* part, TicketLevel level, const WCHAR* tag,
                                 bool evenUnchanged, const Examine& examine)
{
    bool replaced = false;
    CatchRaised([&] {
        IXMLDOMDocument2* merged = nullptr;  // borrowed from the manager
        HRESULT hr = tickets_.GetMergedTicket(level, &merged);
        if (FAILED(hr)) return hr;
        ComPtr<IXMLDOMDocument2> copy;
        hr = CopyTicketDocument(merged, &copy);
        if (FAILED(hr)) return hr;
        bool changed = false;
        hr = examine(copy.Get(), &changed);
        if (FAILED(hr) || !(changed || evenUnchanged)) return hr;
        hr = AttachTicketPart(tickets_, consumer, part, copy.Get(), tag);
        replaced = SUCCEEDED(hr);
        return hr;
    });
    return replaced;
}
