// PreparationContext: what the filter found out about one examined ticket
// (a page's, a document's or the job's): the page's scaling and its
// decorations, and the printable area the decorations are laid out in. It
// lives while that part is treated.
#pragma once

#include <memory>
#include <optional>

#include "filtercore/owned_bstr.h"
#include "filtercore/print_ticket_manager.h"
#include "page_decoration.h"
#include "scaling_state.h"

struct PreparationContext {
    // Raises CXDException(E_OUTOFMEMORY) when the namespace cannot be copied.
    PreparationContext(PrintTicketManager& manager, const WCHAR* privateNamespaceUri, IPrintPipelinePropertyBag* bag)
        : ticketManager(manager),
          privateNamespace(OwnedBstr::Copy(privateNamespaceUri)),
          propertyBag(ComPtr<IPrintPipelinePropertyBag>::Share(bag))
    {
    }

    // Whether the page must be rewritten: it has a decoration, or a scaling
    // that rewrites it.
    bool IsActive() const { return watermark || headerFooter || (scaling && scaling->RewritesPage()); }

    PrintTicketManager& ticketManager;  // borrowed
    OwnedBstr privateNamespace;
    ComPtr<IPrintPipelinePropertyBag> propertyBag;
    // Absent until the scaling step built it.
    std::optional<ScalingState> scaling;
    // The page's decorations; a text decoration may be the one of the page
    // before, which the filter keeps.
    std::shared_ptr<PageDecoration> watermark;
    std::shared_ptr<PageDecoration> headerFooter;
    // The device's printable area for the page, XPS units; zeros until read.
    Gdiplus::RectF imageableArea;
};
