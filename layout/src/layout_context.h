// LayoutContext: what the passes of one hook call share: the filter's state,
// its ticket manager and consumer, and the merged ticket of the current
// page, fetched from the manager only when a pass needs it (a page that
// neither begins a sheet nor has its ticket examined needs none).
#pragma once

#include "filtercore/print_ticket_manager.h"
#include "layout_state.h"

class LayoutContext {
public:
    LayoutContext(LayoutState& state, PrintTicketManager& tickets, const WCHAR* privateNamespace,
                  IXpsDocumentConsumer* consumer)
        : state(state), tickets(tickets), privateNamespace(privateNamespace), consumer(consumer)
    {
    }

    // The merged ticket of the current page (borrowed), or null when the
    // manager has none; state.currentTicket keeps it for the page.
    IXMLDOMDocument2* CurrentTicket()
    {
        if (!state.currentTicket.document && !fetched_) {
            fetched_ = true;
            IXMLDOMDocument2* ticket = nullptr;
            if (SUCCEEDED(tickets.GetMergedTicket(TicketLevel::Page, &ticket)) && ticket != nullptr)
                state.currentTicket.document = ComPtr<IXMLDOMDocument2>::Share(ticket);
        }
        return state.currentTicket.document.Get();
    }

    LayoutState& state;
    PrintTicketManager& tickets;
    const WCHAR* privateNamespace;
    IXpsDocumentConsumer* consumer;

private:
    bool fetched_ = false;
};
