#include "order_test_job.h"

#include "platform/wformat.h"
#include "settings_test_support.h"
#include "testsupport/parts.h"

namespace ordertest {

using namespace testsupport;
using settingstest::Feature;
using settingstest::Option;
using settingstest::ParameterInit;
using settingstest::Property;
using settingstest::PropertyGroup;
using settingstest::Scored;

namespace {

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

ComPtr<PrintTicketPart> TicketPart(const std::u16string& uri, const std::string& ticket)
{
    return MakePart<PrintTicketPart>(uri, ticket);
}

// The ticket from the list, when the list has one at the index.
const std::string* TicketAt(const std::vector<std::string>& tickets, size_t index)
{
    return index < tickets.size() && !tickets[index].empty() ? &tickets[index] : nullptr;
}

const std::string kPagePrefix = "/Pages/";

}  // namespace

std::string Duplex(const std::string& option, const std::string& mode)
{
    std::string scored = mode.empty() ? "" : Scored("psk:DuplexMode", mode, "string");
    return Feature("psk:JobDuplexAllDocumentsContiguously", Option(option, scored));
}

std::string Binding(const std::string& option, const std::string& method)
{
    std::string nested = method.empty() ? "" : Feature("ns0000:BookletPrintingMethod", Option(method));
    return Feature("psk:JobBindAllDocuments", Option(option) + nested);
}

std::string SheetsPerSet(int sheets)
{
    return ParameterInit("ns0000:JobBindBookletDivideSheets", std::to_string(sheets));
}

std::string DivideCondition(const std::string& value)
{
    return PropertyGroup("ns0000:JobSettingData", Property("ns0000:DivideCondition", value));
}

std::string Ticket(const std::string& body) { return tickettest::MakeTicket(body); }

std::string PageMarkup(int page)
{
    bool first = page == 1;
    return std::string("<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"") +
           (first ? kFirstPageWidth : "816") + "\" Height=\"" + (first ? kFirstPageHeight : "1056") +
           "\" xml:lang=\"en-US\"><Path Data=\"M 10,10 L " + std::to_string(10 + page) +
           ",10 10,40 Z\" Fill=\"#FF000000\"/></FixedPage>";
}

std::vector<ComPtr<IUnknown>> MakeJob(const JobShape& shape)
{
    std::vector<ComPtr<IUnknown>> parts{Unknown(MakePart<XpsDocumentPart>())};
    auto sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    if (!shape.jobTicket.empty()) sequence->SetPrintTicket(TicketPart(u"/Metadata/Job_PT.xml", shape.jobTicket).Get());
    parts.push_back(Unknown(sequence));
    int page = 0;
    for (size_t d = 0; d < shape.documents.size(); ++d) {
        std::string folder = "/Documents/" + std::to_string(d + 1);
        auto document = MakePart<FixedDocumentPart>(Wide(folder + "/FixedDocument.fdoc"));
        if (const std::string* ticket = TicketAt(shape.documentTickets, d))
            document->SetPrintTicket(TicketPart(Wide(folder + "/Document_PT.xml"), *ticket).Get());
        parts.push_back(Unknown(document));
        for (int p = 0; p < shape.documents[d]; ++p) {
            std::string name = folder + kPagePrefix + std::to_string(++page);
            auto fixedPage = MakePart<FixedPagePart>(Wide(name + ".fpage"), PageMarkup(page));
            if (const std::string* ticket = TicketAt(shape.pageTickets, static_cast<size_t>(page - 1)))
                fixedPage->SetPrintTicket(TicketPart(Wide(name + "_PT.xml"), *ticket).Get());
            parts.push_back(Unknown(fixedPage));
        }
    }
    return parts;
}

std::vector<std::string> SentPages(const RecordingConsumer& consumer)
{
    std::vector<std::string> pages;
    for (const ConsumerCall& call : consumer.Calls()) {
        if (call.kind != ConsumerCallKind::SendFixedPage) continue;
        std::string uri = WideToUtf8(call.uri);
        size_t start = uri.find(kPagePrefix);
        size_t end = uri.rfind(".fpage");
        bool jobPage = uri.rfind("/Documents/", 0) == 0 && start != std::string::npos && end != std::string::npos;
        pages.push_back(jobPage ? uri.substr(start + kPagePrefix.size(), end - start - kPagePrefix.size()) : "pad");
    }
    return pages;
}

std::vector<std::string> Pages(const std::vector<int>& numbers)
{
    std::vector<std::string> labels;
    for (int number : numbers) labels.push_back(number == 0 ? "pad" : std::to_string(number));
    return labels;
}

}  // namespace ordertest
