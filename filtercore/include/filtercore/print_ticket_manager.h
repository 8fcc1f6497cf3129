// PrintTicketManager: the merged job, document and page tickets of the part
// a filter is processing. Every filter object owns exactly one.
//
// The base ticket is the pipeline's per-user ticket without its N-up
// settings (those only ever come from the job). The job ticket is the base
// merged with the sequence's ticket, the document ticket the job ticket
// merged with the document's, the page ticket the document ticket merged with
// the page's; a part without a ticket gets a copy of the level above. Merges
// go through the platform's PrintTicket provider, opened for the printer.
//
// Merged tickets are owned here and borrowed by readers: a document from
// GetMergedTicket is valid until that level changes. Every operation runs on
// the part-loop thread.
#pragma once

#include <cstdint>

#include "filtercore/ticket_level.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/printticket.h"
#include "platform/xml.h"

class PrintTicketManager {
public:
    PrintTicketManager() = default;
    // Closes the provider.
    virtual ~PrintTicketManager();
    PrintTicketManager(const PrintTicketManager&) = delete;
    PrintTicketManager& operator=(const PrintTicketManager&) = delete;

    // Opens the provider for the printer and loads the base ticket from the
    // per-user ticket stream, dropping every merged ticket. E_POINTER for a
    // null stream, E_INVALIDARG for an empty printer name (no provider is
    // opened then), the provider's or the load's failure.
    HRESULT Initialize(IPrintReadStream* perUserTicket, const WCHAR* printerName);

    // Merges delta over the ticket of the level above (the base ticket for
    // Job) and stores the result as the level's ticket. E_INVALIDARG for an
    // unknown level, E_UNEXPECTED without the ticket above or a provider. A
    // failure, the provider's refusal included, keeps the level's ticket.
    virtual HRESULT Merge(TicketLevel level, IXMLDOMDocument2* delta);

    // Bring the ticket of the part's level up to date: the part's own ticket
    // merged in, or a copy of the level above when the part has none (the
    // tickets below are dropped then). A new document also drops the page
    // ticket when it has a ticket of its own.
    HRESULT OnJobTicket(IFixedDocumentSequence* sequence);
    HRESULT OnDocumentTicket(IFixedDocument* document);
    HRESULT OnPageTicket(IFixedPage* page);

    // Loads the ticket part and merges it at the level. E_FAIL when its
    // markup does not load.
    HRESULT SetTicketFromPart(TicketLevel level, IPartPrintTicket* ticket);
    // Fills the missing tickets from Job down to the level with copies of
    // the level above. E_UNEXPECTED without a base ticket.
    HRESULT EnsureMerged(TicketLevel level);
    // Drops the tickets of the level and of the levels below it.
    void Reset(TicketLevel level);

    // The ticket of the level, borrowed (no reference added), after
    // EnsureMerged. E_FAIL and null for an unknown level.
    HRESULT GetMergedTicket(TicketLevel level, IXMLDOMDocument2** ticket);
    // A new document (the caller owns it) with the device's capabilities
    // under the ticket.
    HRESULT GetPrintCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2** capabilities);
    // Stores the ticket as a new print-ticket part "/PT_<tag>_<ticks>_<n>.xml"
    // created through the consumer, copied in blocks of 64 KiB; the name is
    // new within the job. *part (the caller owns it) is null on failure.
    // E_POINTER for a null ticket, tag or part, E_UNEXPECTED for a null
    // consumer.
    HRESULT WriteTicketPart(IXpsDocumentConsumer* consumer, IXMLDOMDocument2* ticket, const WCHAR* tag,
                            IPartPrintTicket** part);

    // The provider opened for the printer, null before Initialize: for the
    // provider calls a filter makes itself, such as converting the merged
    // page ticket to a DEVMODE. Owned here; valid until the next Initialize
    // or the manager's end.
    HPTPROVIDER ProviderHandle() const { return provider; }

    // 1 when the part of the level carried its own ticket, 0 when its ticket
    // was copied from the level above.
    LONG JobTicketPresent() const { return jobTicketPresent; }
    LONG DocumentTicketPresent() const { return documentTicketPresent; }
    LONG PageTicketPresent() const { return pageTicketPresent; }

    // A number that changes whenever the merged document ticket may have
    // changed: it or a ticket above it merged, copied, dropped or loaded
    // anew. A page without a ticket of its own prints with a copy of that
    // ticket, so what was read from one such page holds for the next while
    // the number stays (TicketExaminationCache). Borrowed tickets are never
    // edited in place, so editing is not counted.
    uint64_t DocumentTicketSerial() const { return documentTicketSerial; }
    // A number that changes whenever the merged page ticket may differ from
    // the previous page's. It stays for a page without a ticket of its own
    // after another such page, while DocumentTicketSerial stays, and for a
    // page that carries the same ticket part as the page before it over the
    // same document ticket; that page's ticket is merged only when asked
    // for (GetMergedTicket, EnsureMerged).
    uint64_t PageTicketSerial() const { return pageTicketSerial; }

private:
    void CloseProvider();
    HRESULT LoadBaseTicket(IStream* stream);
    // The ticket stored for the level; null for an unknown level.
    ComPtr<IXMLDOMDocument2>* TicketOf(TicketLevel level);
    // The ticket a merge at the level starts from.
    ComPtr<IXMLDOMDocument2>* MergeBaseOf(TicketLevel level);
    // The part's ticket merged in, or the copy of the level above.
    HRESULT UpdateLevel(TicketLevel level, HRESULT ticketLookup, IPartPrintTicket* ticket, LONG* present);

    ComPtr<IXMLDOMDocument2> baseTicket;
    ComPtr<IXMLDOMDocument2> jobTicket;
    ComPtr<IXMLDOMDocument2> documentTicket;
    ComPtr<IXMLDOMDocument2> pageTicket;
    HPTPROVIDER provider = nullptr;
    LONG jobTicketPresent = 0;
    LONG documentTicketPresent = 0;
    LONG pageTicketPresent = 0;
    uint64_t documentTicketSerial = 0;
    uint64_t pageTicketSerial = 0;
    // The page's own ticket not merged yet, and what the previous page's
    // merged ticket was made from: its own ticket part (held, so that its
    // address names no other part) and the document ticket's serial.
    ComPtr<IPartPrintTicket> deferredPageTicket;
    ComPtr<IUnknown> lastPageTicketPart;
    uint64_t lastPageDocumentSerial = 0;
    bool lastPageSourceValid = false;
};
