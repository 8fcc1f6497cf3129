// The levels of an XPS job that carry PrintTickets. The values are those of
// the platform's EPrintTicketScope.
#pragma once

#include "platform/types.h"

enum class TicketLevel : INT {
    Page = 0,
    Document = 1,
    Job = 2,
};
