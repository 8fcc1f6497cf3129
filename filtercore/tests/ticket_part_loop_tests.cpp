// The ticket steps of the part loop: the per-user ticket from the property
// bag, the job and document tickets merged by the default hooks, and a
// filter reading each page's merged ticket, over the test doubles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filtercore/pipeline_filter_base.h"
#include "testsupport/filter_runner.h"
#include "testsupport/fixtures.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"
#include "ticket_manager_test_support.h"

namespace tickettest {
namespace {

using namespace testsupport;

// Reads the merged ticket of every page, as the filters that act on page
// settings do.
class PageTicketReader : public PipelineFilterBase {
public:
    struct Seen {
        std::string ticket;
        LONG jobTicketPresent, documentTicketPresent, pageTicketPresent;
    };

    HRESULT OnFixedPage(IFixedPage* page) override
    {
        HRESULT hr = ticketManager.OnPageTicket(page);
        if (FAILED(hr)) return hr;
        IXMLDOMDocument2* ticket = nullptr;
        hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
        if (FAILED(hr)) return hr;
        pages.push_back({SavedMarkup(ticket), ticketManager.JobTicketPresent(), ticketManager.DocumentTicketPresent(),
                         ticketManager.PageTicketPresent()});
        return PipelineFilterBase::OnFixedPage(page);
    }

    std::vector<Seen> pages;
};

std::vector<ComPtr<IUnknown>> Job(const std::string& jobTicket, const std::string& documentTicket,
                                  const std::string& firstPageTicket)
{
    auto secondPage = MakePart<FixedPagePart>(u"/Documents/1/Pages/2.fpage", "<FixedPage/>");
    return {Unknown(SequenceWithTicket(jobTicket)), Unknown(DocumentWithTicket(documentTicket)),
            Unknown(PageWithTicket(firstPageTicket)), Unknown(secondPage)};
}

std::string OptionOf(const std::string& ticket, const std::string& feature)
{
    return TicketMarkup(ticket).Text("/psf:PrintTicket/psf:Feature[@name='psk:" + feature + "']/psf:Option/@name");
}

TEST(TicketPartLoop, RealJobAndDocumentTicketsReachEveryPage)
{
    std::string jobTicket;
    std::string documentTicket;
    if (!ReadFixtureEntry("xps/mb06.xps", "Resources/Job_PT.xml", &jobTicket) ||
        !ReadFixtureEntry("xps/mb06.xps", "Resources/Document1_PT.xml", &documentTicket))
        GTEST_SKIP() << "the fixture xps/mb06.xps is absent; set TAV_FIXTURES";

    auto filter = ComPtr<PageTicketReader>::Adopt(new PageTicketReader);
    ChainOutcome outcome = RunFilter(filter.Get(), Job(jobTicket, documentTicket, ""));
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->Transcript(),
              (std::vector<std::string>{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                        "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                        "SendFixedPage /Documents/1/Pages/1.fpage",
                                        "SendFixedPage /Documents/1/Pages/2.fpage", "CloseSender"}));
    ASSERT_EQ(filter->pages.size(), 2u);
    for (const auto& page : filter->pages) {
        TicketMarkup ticket(page.ticket);
        // Two copies from the job ticket, two-sided from the document
        // ticket, A4 portrait from the device's defaults.
        EXPECT_EQ(ticket.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "2");
        EXPECT_EQ(OptionOf(page.ticket, "DocumentDuplex"), "psk:TwoSidedLongEdge");
        EXPECT_EQ(OptionOf(page.ticket, "PageMediaSize"), "psk:ISOA4");
        EXPECT_EQ(OptionOf(page.ticket, "PageOrientation"), "psk:Portrait");
        EXPECT_EQ(page.jobTicketPresent, 1);
        EXPECT_EQ(page.documentTicketPresent, 1);
        EXPECT_EQ(page.pageTicketPresent, 0);
    }
}

TEST(TicketPartLoop, PerUserTicketFromThePropertyBagIsTheBase)
{
    auto bag = DefaultPropertyBag();
    SetPerUserTicket(bag.Get(),
                     Ticket(KeywordFeature("PageMediaSize", "ISOA5") + KeywordFeature("DocumentNUp", "Unused")));
    RunOptions options;
    options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Adopt(bag.Detach());
    auto filter = ComPtr<PageTicketReader>::Adopt(new PageTicketReader);
    ChainOutcome outcome =
        RunFilter(filter.Get(), Job("", "", Ticket(KeywordFeature("PageOrientation", "Landscape"))), options);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    ASSERT_EQ(filter->pages.size(), 2u);
    // The user's medium, without the user's N-up; the first page's own
    // orientation, and the second page back at the document's ticket, the
    // per-user ticket as it came (it names no orientation).
    for (const auto& page : filter->pages) {
        EXPECT_EQ(OptionOf(page.ticket, "PageMediaSize"), "psk:ISOA5");
        EXPECT_EQ(OptionOf(page.ticket, "DocumentNUp"), "");
        EXPECT_EQ(page.jobTicketPresent, 0);
        EXPECT_EQ(page.documentTicketPresent, 0);
    }
    EXPECT_EQ(OptionOf(filter->pages[0].ticket, "PageOrientation"), "psk:Landscape");
    EXPECT_EQ(filter->pages[0].pageTicketPresent, 1);
    EXPECT_EQ(OptionOf(filter->pages[1].ticket, "PageOrientation"), "");
    EXPECT_EQ(filter->pages[1].pageTicketPresent, 0);
}

TEST(TicketPartLoop, JobEndsBeforeAnyPartWithoutAUsablePerUserTicket)
{
    auto missing = DefaultPropertyBag();
    missing->DeleteProperty(u"PerUserPrintTicket");
    auto notAFactory = DefaultPropertyBag();
    notAFactory->SetUnknown(u"PerUserPrintTicket", ComPtr<RecordingControl>::Adopt(new RecordingControl).Get());
    struct Case {
        ComPtr<TestPropertyBag> bag;
        HRESULT expected;
    };
    for (const Case& test : {Case{missing, HRESULT_FROM_WIN32(ERROR_NOT_FOUND)}, Case{notAFactory, E_NOINTERFACE}}) {
        RunOptions options;
        options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(test.bag.Get());
        auto filter = ComPtr<PageTicketReader>::Adopt(new PageTicketReader);
        ChainOutcome outcome = RunFilter(filter.Get(), Job("", "", ""), options);
        EXPECT_EQ(outcome.filters[0].startResult, test.expected);
        EXPECT_EQ(outcome.filters[0].shutdownRequests, std::vector<HRESULT>{test.expected});
        // Not even CloseSender: the loop never started.
        EXPECT_TRUE(outcome.consumer->Calls().empty());
        EXPECT_TRUE(filter->pages.empty());
    }
}

TEST(TicketPartLoop, RefusedTicketStopsThePartFromBeingSent)
{
    const std::string notATicket =
        "<Ticket xmlns=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\"/>";
    auto filter = ComPtr<PageTicketReader>::Adopt(new PageTicketReader);
    ChainOutcome outcome = RunFilter(filter.Get(), Job("", notATicket, ""));
    EXPECT_EQ(outcome.filters[0].startResult, E_DELTA_PRINTTICKET_FORMAT);
    EXPECT_EQ(outcome.filters[0].shutdownRequests, std::vector<HRESULT>{E_DELTA_PRINTTICKET_FORMAT});
    EXPECT_EQ(outcome.consumer->Transcript(),
              (std::vector<std::string>{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq", "CloseSender"}));
    EXPECT_TRUE(filter->pages.empty());
}

}  // namespace
}  // namespace tickettest
