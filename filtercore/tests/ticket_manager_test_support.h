// Helpers of the ticket manager tests: a manager initialised with a chosen
// per-user ticket, parts carrying tickets, and a level's ticket as markup.
#pragma once

#include <string>

#include "filtercore/print_ticket_manager.h"
#include "testsupport/parts.h"
#include "ticket_test_documents.h"

namespace tickettest {

// The printer every test opens the provider for; it has no device file of
// its own, so the default device answers.
inline constexpr WCHAR kTestPrinter[] = u"tav test printer";

// A ticket in the default device's prefixes (psf, psk, xsi, xsd, ns0000).
std::string Ticket(const std::string& body);
// A Feature with one Option, both in the keywords namespace.
std::string KeywordFeature(const std::string& feature, const std::string& option);
// A keywords ParameterInit holding an integer.
std::string IntegerParameter(const std::string& name, int value);

// Initialize with a read stream over the per-user ticket.
HRESULT InitializeManager(PrintTicketManager& manager, const std::string& perUserTicket,
                          const WCHAR* printerName = kTestPrinter);

// A ticket part holding the markup, and parts carrying one (or none for "").
ComPtr<testsupport::PrintTicketPart> TicketPart(const std::string& markup);
ComPtr<testsupport::FixedDocumentSequencePart> SequenceWithTicket(const std::string& ticket);
ComPtr<testsupport::FixedDocumentPart> DocumentWithTicket(const std::string& ticket);
ComPtr<testsupport::FixedPagePart> PageWithTicket(const std::string& ticket);

// The markup of the level's merged ticket ("" with a test failure when there
// is none).
std::string MergedMarkup(PrintTicketManager& manager, TicketLevel level);

}  // namespace tickettest
