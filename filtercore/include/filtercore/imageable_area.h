// The device's imageable area as the filters use it: asked of the device
// under a ticket, and its printable rectangle in page units.
#pragma once

#include "filtercore/print_ticket_manager.h"
#include "platform/gdiplus_types.h"
#include "platform/page_media.h"

// The device's imageable area under the ticket (PrintCapabilities'
// "PageImageableSize"), microns. E_POINTER for a null ticket or area, E_FAIL
// when the manager gives no capabilities; otherwise the first failure of
// asking for the capabilities or of ReadImageableArea, raised ones included.
HRESULT ReadTicketImageableArea(PrintTicketManager& manager, const WCHAR* privateNamespace, IXMLDOMDocument2* ticket,
                                ImageableArea* area);

// The printable rectangle, origin and extent, in XPS units (1/96 inch),
// each converted with MicronsToXpsUnits (264.58 microns to the unit).
Gdiplus::RectF PrintableRectInPageUnits(const ImageableArea& area);
