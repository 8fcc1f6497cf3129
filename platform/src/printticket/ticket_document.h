// PrintTicket documents as the provider receives them: read from a stream,
// parsed securely and checked to be a ticket of version 1 whose top-level
// settings have qualified names.
#pragma once

#include <string>

#include "platform/printticket.h"
#include "platform/secure_xml.h"
#include "platform/stream.h"
#include "status.h"

namespace tav::printticket {

// Which ticket a failure is about: its HRESULT and the words for messages.
struct TicketRole {
    HRESULT formatError;
    const char* description;
};

inline constexpr TicketRole kBaseTicketRole{E_PRINTTICKET_FORMAT, "base PrintTicket"};
inline constexpr TicketRole kDeltaTicketRole{E_DELTA_PRINTTICKET_FORMAT, "delta PrintTicket"};
inline constexpr TicketRole kTicketRole{E_PRINTTICKET_FORMAT, "PrintTicket"};

// Far more Features, ParameterInits and Properties than any device has.
inline constexpr size_t kMaxTopLevelSettings = 1024;

Status ParseTicket(const std::string& bytes, const TicketRole& role, securexml::DocumentPtr* ticket);
// Reads the stream from its position to its end (at most the parser's bound)
// and parses it.
Status ReadTicket(IStream* stream, const TicketRole& role, securexml::DocumentPtr* ticket);

}  // namespace tav::printticket
