// LevelTicketRewrite: the job's and the documents' tickets of a filter that
// changes settings in them. A copy of the level's merged ticket is examined
// and, when the examination changed it, stored as a new ticket part with
// the filter's tag and attached to the sequence or document in place of its
// own. The manager keeps the unchanged ticket, which the levels below are
// merged over and examined from.
//
// Once the job's ticket was replaced, a document with a ticket of its own
// gets its whole merged ticket even when unchanged, so that what the
// document said still holds over the new job ticket; pages with tickets of
// their own under a replaced level need the same (LevelAboveReplaced).
// Failures leave the level's ticket as it was.
#pragma once

#include <functional>

#include "filtercore/print_ticket_manager.h"

// Stores the ticket as a new ticket part with the tag and attaches it to
// the part (a sequence, document or page).
template <class Part>
HRESULT AttachTicketPart(PrintTicketManager& tickets, IXpsDocumentConsumer* consumer, Part* part,
                         IXMLDOMDocument2* ticket, const WCHAR* tag)
{
    ComPtr<IPartPrintTicket> ticketPart;
    HRESULT hr = tickets.WriteTicketPart(consumer, ticket, tag, ticketPart.Out());
    if (FAILED(hr)) return hr;
    return part->SetPrintTicket(ticketPart.Get());
}

// The whole merged ticket of a page, changed by the filter, stored as a
// ticket part with the filter's tag and attached. Pages that print with the
// same merged ticket (the manager's PageTicketSerial stays) share the part
// made for the first of them.
class PageTicketAttacher {
public:
    PageTicketAttacher(PrintTicketManager& tickets, const WCHAR* tag) : tickets_(tickets), tag_(tag) {}

    // The page's merged ticket as the filter's examination left it: a later
    // page of the same PageTicketSerial may need a part when this one did
    // not, and is then given one made from it.
    void Examined(IXMLDOMDocument2* ticket);
    // ticket may be null for a page whose merged ticket a part was made
    // for already, or was given to Examined; E_UNEXPECTED when neither was.
    HRESULT Attach(IXpsDocumentConsumer* consumer, IFixedPage* page, IXMLDOMDocument2* ticket);

private:
    PrintTicketManager& tickets_;
    const WCHAR* tag_;
    ComPtr<IPartPrintTicket> part_;
    uint64_t serial_ = 0;
    ComPtr<IXMLDOMDocument2> examined_;
    uint64_t examinedSerial_ = 0;
};

class LevelTicketRewrite {
public:
    // Examines (and changes) the copy; *changed tells whether the part must
    // take it.
    using Examine = std::function<HRESULT(IXMLDOMDocument2* copy, bool* changed)>;

    LevelTicketRewrite(PrintTicketManager& tickets, const WCHAR* jobTag, const WCHAR* documentTag);

    // After the manager took the sequence's or document's ticket.
    void OnJob(IXpsDocumentConsumer* consumer, IFixedDocumentSequence* sequence, const Examine& examine);
    void OnDocument(IXpsDocumentConsumer* consumer, IFixedDocument* document, const Examine& examine);

    bool LevelAboveReplaced() const { return jobReplaced_ || documentReplaced_; }

private:
    template <class Part>
    bool Rewrite(IXpsDocumentConsumer* consumer, Part* part, TicketLevel level, const WCHAR* tag, bool evenUnchanged,
                 const Examine& examine);

    PrintTicketManager& tickets_;
    const WCHAR* jobTag_;
    const WCHAR* documentTag_;
    bool jobReplaced_ = false;
    bool documentReplaced_ = false;
};
