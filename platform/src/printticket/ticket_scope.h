// The scope of a ticket's settings, from the Print Schema's naming
// convention: keywords starting with "Job" belong to the job, "Document" to
// a document, "Page" to a page.
#pragma once

#include <libxml/tree.h>

#include "platform/printticket.h"

namespace tav::printticket {

// Keeps the top-level Features and ParameterInits of the scope: all for the
// job; all but the job's for a document; only the page's for a page.
// Properties carry no scope and stay.
void ApplyScope(xmlDoc* ticket, EPrintTicketScope scope);

}  // namespace tav::printticket
