#include "ticket_manager_test_support.h"

#include "testsupport/content.h"

namespace tickettest {

using namespace testsupport;

std::string Ticket(const std::string& body) { return MakeTicket(body); }

std::string KeywordFeature(const std::string& feature, const std::string& option)
{
    return "<psf:Feature name=\"psk:" + feature + "\"><psf:Option name=\"psk:" + option + "\"/></psf:Feature>";
}

std::string IntegerParameter(const std::string& name, int value)
{
    return "<psf:ParameterInit name=\"psk:" + name + "\"><psf:Value xsi:type=\"xsd:integer\">" + std::to_string(value) +
           "</psf:Value></psf:ParameterInit>";
}

HRESULT InitializeManager(PrintTicketManager& manager, const std::string& perUserTicket, const WCHAR* printerName)
{
    PartContent content(perUserTicket);
    ComPtr<IPrintReadStream> stream;
    EXPECT_EQ(OpenReadStream(content, stream.Out()), S_OK);
    return manager.Initialize(stream.Get(), printerName);
}

ComPtr<PrintTicketPart> TicketPart(const std::string& markup)
{
    return MakePart<PrintTicketPart>(u"/Metadata/Test_PT.xml", markup);
}

template <class Part>
ComPtr<Part> WithTicket(ComPtr<Part> part, const std::string& ticket)
{
    if (!ticket.empty()) {
        EXPECT_EQ(part->SetPrintTicket(TicketPart(ticket).Get()), S_OK);
    }
    return part;
}

ComPtr<FixedDocumentSequencePart> SequenceWithTicket(const std::string& ticket)
{
    return WithTicket(MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq"), ticket);
}

ComPtr<FixedDocumentPart> DocumentWithTicket(const std::string& ticket)
{
    return WithTicket(MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc"), ticket);
}

ComPtr<FixedPagePart> PageWithTicket(const std::string& ticket)
{
    return WithTicket(MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", "<FixedPage/>"), ticket);
}

std::string MergedMarkup(PrintTicketManager& manager, TicketLevel level)
{
    IXMLDOMDocument2* ticket = nullptr;
    EXPECT_EQ(manager.GetMergedTicket(level, &ticket), S_OK);
    return ticket != nullptr ? SavedMarkup(ticket) : std::string();
}

}  // namespace tickettest
