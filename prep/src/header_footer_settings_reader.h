// ReadHeaderFooterSettings: the private PageHeaderFooter feature (with its
// DateFormat, TimeFormat, IDPrint, PositionX, PositionY and Background
// sub-features) and the PageHeaderFooterData property of a ticket.
#pragma once

#include "filtercore/print_ticket_dom.h"
#include "header_footer_settings.h"

// Only options named in the private namespace count, compared exactly;
// anything absent or unknown keeps the field as it is. A date or time
// format whose StringFormat or DataFormat is missing becomes None with
// empty formats. The font members are read in order until the first that
// cannot be read. E_POINTER for null settings; other failures of the
// ticket's DOM are returned (absence never is).
HRESULT ReadHeaderFooterSettings(PrintTicketDom& ticket, HeaderFooterSettings* settings);
