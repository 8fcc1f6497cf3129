// Merging a delta PrintTicket into a base ticket: every top-level Feature,
// ParameterInit and Property of the delta replaces the one of the same kind
// and qualified name in the base (at the base's place), or is appended.
#pragma once

#include <libxml/tree.h>

#include "namespace_binder.h"
#include "status.h"
#include "ticket_document.h"

namespace tav::printticket {

// Merges delta into ticket (both parsed by ParseTicket). A failure (the
// delta role's format error) leaves ticket partly merged; the caller
// discards it.
Status MergeDelta(xmlDoc* ticket, xmlDoc* delta, const TicketRole& deltaRole);

// Puts a copy of source, a top-level setting of another document, into the
// binder's document: in place of the first top-level element of the same
// kind and name (later ones of that name are removed), or at the end.
// False, with a reason, when source holds a name with an undeclared prefix.
bool PutTopLevel(NamespaceBinder& binder, const xmlNode* source, std::string* error);

// Removes every child element of parent of this kind and name.
void RemoveNamed(xmlNode* parent, const char* kind, const QualifiedName& name);

}  // namespace tav::printticket
