// TicketLevel: the levels of an XPS job that carry PrintTickets. The values
// are those of the PrintTicket provider's scopes (kPTPageScope,
// kPTDocumentScope, kPTJobScope), so a level can be handed to the provider as
// it is.
#pragma once

#include "platform/printticket.h"

enum class TicketLevel : INT {
    Page = kPTPageScope,
    Document = kPTDocumentScope,
    Job = kPTJobScope,
};

// True for Page, Document and Job; false for any other value a caller made up.
constexpr bool IsTicketLevel(TicketLevel level)
{
    return level == TicketLevel::Page || level == TicketLevel::Document || level == TicketLevel::Job;
}
