// The Order filter over the pipeline doubles: booklet order with padding,
// sets, divide-condition changes, documents joined into one booklet, and
// jobs that pass through.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "order_filter.h"
#include "order_test_job.h"
#include "platform/wformat.h"
#include "settings_test_support.h"
#include "testsupport/filter_runner.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"

namespace ordertest {
namespace {

using namespace testsupport;

// Notes, for each page sent, how many parts the filter had asked its
// provider for by then: 3 + k while page k is being handled (the document
// part, the sequence and the first FixedDocument come first).
class ArrivalConsumer : public RecordingConsumer {
public:
    explicit ArrivalConsumer(InMemoryProvider* provider) : provider_(provider) {}
    HRESULT SendFixedPage(IFixedPage* page) override
    {
        requestsAtPageSend.push_back(provider_->RequestCount());
        return RecordingConsumer::SendFixedPage(page);
    }
    std::vector<size_t> requestsAtPageSend;

private:
    InMemoryProvider* provider_;
};

std::string BookletTicket(const std::string& option = "psk:Booklet", const std::string& duplexMode = "")
{
    return Ticket(Duplex("psk:TwoSidedShortEdge", duplexMode) + Binding(option));
}

JobShape BookletJob(int pages, const std::string& ticket = BookletTicket())
{
    JobShape shape;
    shape.documents = {pages};
    shape.jobTicket = ticket;
    return shape;
}

class OrderFilterTest : public ::testing::Test {
protected:
    // Runs a new OrderFilter over the job; perUserTicket replaces the
    // default device's ticket when given.
    HRESULT Run(const JobShape& shape, const std::string& perUserTicket = "")
    {
        return RunParts(MakeJob(shape), perUserTicket);
    }

    HRESULT RunParts(const std::vector<ComPtr<IUnknown>>& parts, const std::string& perUserTicket = "")
    {
        auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider(parts));
        consumer = ComPtr<ArrivalConsumer>::Adopt(new ArrivalConsumer(provider.Get()));
        if (failingCall) consumer->FailCalls(*failingCall, E_OUTOFMEMORY);
        auto bag = DefaultPropertyBag();
        if (!perUserTicket.empty()) SetPerUserTicket(bag.Get(), perUserTicket);
        RunOptions options;
        options.consumer = ComPtr<RecordingConsumer>::Share(consumer.Get());
        options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Adopt(bag.Detach());
        auto filter = ComPtr<OrderFilter>::Adopt(new OrderFilter);
        outcome = RunChain({filter.Get()}, provider.Get(), options);
        return outcome.filters[0].startResult;
    }

    std::vector<std::string> Sent() const { return SentPages(*consumer.Get()); }

    // The padding pages sent, in order.
    std::vector<ComPtr<IFixedPage>> SentPaddingPages() const
    {
        std::vector<ComPtr<IFixedPage>> pages;
        for (const ConsumerCall& call : consumer->Calls()) {
            if (call.kind != ConsumerCallKind::SendFixedPage || call.uri.rfind(u"/Documents/", 0) == 0) continue;
            ComPtr<IFixedPage> page;
            EXPECT_EQ(call.part->QueryInterface(IID_IFixedPage, page.OutVoid()), S_OK);
            pages.push_back(page);
        }
        return pages;
    }

    size_t DocumentsSent() const
    {
        size_t count = 0;
        for (ConsumerCallKind kind : consumer->Kinds()) count += kind == ConsumerCallKind::SendFixedDocument;
        return count;
    }

    std::optional<ConsumerCallKind> failingCall;
    ComPtr<ArrivalConsumer> consumer;
    ChainOutcome outcome;
};

TEST_F(OrderFilterTest, OnePageIsPaddedToASheetAndManualDuplexSendsOnlyItsFirstSide)
{
    struct Case {
        const char* option;
        const char* duplexMode;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"psk:Booklet", "Automatic", {0, 1, 0, 0}},
        {"psk:Booklet", "Manual", {0, 1}},
        {"ns0000:BookletReverseFlip", "Automatic", {1, 0, 0, 0}},
        {"ns0000:BookletReverseFlip", "Manual", {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " " + c.duplexMode);
        ASSERT_EQ(Run(BookletJob(1, BookletTicket(c.option, c.duplexMode))), S_OK);
        EXPECT_EQ(Sent(), Pages(c.expected));
    }
}

TEST_F(OrderFilterTest, SmallJobsArePaddedToWholeSheetsInBookletOrder)
{
    const std::vector<int> expected[] = {
        {0, 1, 2, 0},
        {0, 1, 2, 3},
        {4, 1, 2, 3},
        {0, 1, 2, 0, 0, 3, 4, 5},
    };
    for (int pages = 2; pages <= 5; ++pages) {
        SCOPED_TRACE(pages);
        ASSERT_EQ(Run(BookletJob(pages)), S_OK);
        EXPECT_EQ(Sent(), Pages(expected[pages - 2]));
        // Held back to the end of the job: all sent after the last request.
        for (size_t requests : consumer->requestsAtPageSend) EXPECT_EQ(requests, 3u + pages + 1);
    }
}

TEST_F(OrderFilterTest, ReverseFlipMirrorsEverySheetSide)
{
    ASSERT_EQ(Run(BookletJob(8, BookletTicket("ns0000:BookletReverseFlip"))), S_OK);
    EXPECT_EQ(Sent(), Pages({1, 8, 7, 2, 3, 6, 5, 4}));
}

TEST_F(OrderFilterTest, PaddingPagesAreBlankPagesOfTheFirstPagesSizeWithTheirOwnTicket)
{
    JobShape shape = BookletJob(2);
    shape.pageTickets = {Ticket(settingstest::Feature("psk:PageOrientation", settingstest::Option("psk:Landscape")))};
    ASSERT_EQ(Run(shape), S_OK);
    std::vector<ComPtr<IFixedPage>> padding = SentPaddingPages();
    ASSERT_EQ(padding.size(), 2u);
    std::set<std::u16string> names;
    for (const ComPtr<IFixedPage>& page : padding) {
        std::string name = WideToUtf8(PartUri(page.Get()));
        SCOPED_TRACE(name);
        names.insert(PartUri(page.Get()));
        unsigned ticks = 0, number = 0;
        char end = 0;
        EXPECT_EQ(std::sscanf(name.c_str(), "/Pad_page_%u_%u.xam%c", &ticks, &number, &end), 3);
        EXPECT_EQ(end, 'l');
        EXPECT_EQ(name.substr(name.size() - 5), ".xaml");
        // The first page's start tag alone, its namespace declaration
        // included, as an empty element.
        EXPECT_EQ(AsTestPart(page.Get())->Content(),
                  std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"") +
                      kFirstPageWidth + "\" Height=\"" + kFirstPageHeight + "\" xml:lang=\"en-US\"/>");

        ComPtr<IPartPrintTicket> ticket;
        ASSERT_EQ(page->GetPrintTicket(ticket.Out()), S_OK);
        EXPECT_EQ(PartUri(ticket.Get()).rfind(u"/PT_OD_", 0), 0u) << WideToUtf8(PartUri(ticket.Get()));
        // The first page's merged ticket: its own orientation over the job's
        // booklet.
        TicketMarkup markup(AsTestPart(ticket.Get())->Content());
        ASSERT_TRUE(markup.Parsed());
        EXPECT_EQ(markup.Text("//psf:Feature[@name='psk:PageOrientation']/psf:Option/@name"), "psk:Landscape");
        EXPECT_EQ(markup.Text("//psf:Feature[@name='psk:JobBindAllDocuments']/psf:Option/@name"), "psk:Booklet");
    }
    EXPECT_EQ(names.size(), 2u);
}

TEST_F(OrderFilterTest, SetsOfTwoSheetsAreSentWhenTheNextSetStartsAndTheLastAtTheEnd)
{
    ASSERT_EQ(Run(BookletJob(20, Ticket(Duplex("psk:TwoSidedShortEdge") +
                                        Binding("psk:Booklet", "ns0000:DivideIntoSets") + SheetsPerSet(2)))),
              S_OK);
    EXPECT_EQ(Sent(), Pages({8, 1, 2, 7, 6, 3, 4, 5, 16, 9, 10, 15, 14, 11, 12, 13, 20, 17, 18, 19}));
    // Pages 1 to 8 go when page 9 arrives, 9 to 16 with page 17, the rest
    // after the provider ran dry (23 parts and the final request).
    std::vector<size_t> expected(8, 12);
    expected.insert(expected.end(), 8, 20);
    expected.insert(expected.end(), 4, 24);
    EXPECT_EQ(consumer->requestsAtPageSend, expected);
}

TEST_F(OrderFilterTest, SheetsPerSetBelowOneMakesSetsOfOneSheet)
{
    for (int sheets : {0, -2}) {
        SCOPED_TRACE(sheets);
        ASSERT_EQ(Run(BookletJob(7, Ticket(Duplex("psk:TwoSidedShortEdge") +
                                           Binding("psk:Booklet", "ns0000:DivideIntoSets") + SheetsPerSet(sheets)))),
                  S_OK);
        EXPECT_EQ(Sent(), Pages({4, 1, 2, 3, 0, 5, 6, 7}));
    }
}

TEST_F(OrderFilterTest, OneSidedAndLongEdgeJobsPassThroughUnchangedAndAtOnce)
{
    for (const char* duplex : {"psk:OneSided", "psk:TwoSidedLongEdge"}) {
        SCOPED_TRACE(duplex);
        JobShape shape;
        shape.documents = {2, 2};
        shape.jobTicket = Ticket(Duplex(duplex) + Binding("psk:Booklet"));
        std::vector<ComPtr<IUnknown>> parts = MakeJob(shape);
        ASSERT_EQ(RunParts(parts), S_OK);
        std::vector<ComPtr<IUnknown>> sent = consumer->SentParts();
        ASSERT_EQ(sent.size(), parts.size());
        for (size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(AsTestPart(sent[i].Get()), AsTestPart(parts[i].Get()));
        // Each page right after it arrived: parts 4, 5, 7 and 8.
        EXPECT_EQ(consumer->requestsAtPageSend, (std::vector<size_t>{4, 5, 7, 8}));
    }
}

TEST_F(OrderFilterTest, JobWithoutDuplexSettingIsPutInBookletOrder)
{
    // Neither the user's defaults nor the job say anything about duplex.
    std::string perUser = Ticket(settingstest::Feature("psk:PageMediaSize", settingstest::Option("psk:ISOA4")));
    ASSERT_EQ(Run(BookletJob(4, Ticket(Binding("psk:Booklet"))), perUser), S_OK);
    EXPECT_EQ(Sent(), Pages({4, 1, 2, 3}));
}

TEST_F(OrderFilterTest, TwoDocumentsMakeOneBookletInTheFirstDocument)
{
    JobShape shape = BookletJob(0);
    shape.documents = {2, 3};
    ASSERT_EQ(Run(shape), S_OK);
    EXPECT_EQ(DocumentsSent(), 1u);
    EXPECT_EQ(Sent(), Pages({0, 1, 2, 0, 0, 3, 4, 5}));
    EXPECT_EQ(consumer->Kinds().back(), ConsumerCallKind::CloseSender);
}

TEST_F(OrderFilterTest, ALaterDocumentCanStartTheBooklet)
{
    JobShape shape;
    shape.documents = {2, 2, 1};
    shape.documentTickets = {"", BookletTicket()};
    ASSERT_EQ(Run(shape), S_OK);
    // The first document passes; the second starts the booklet, and the
    // third document's page joins it.
    EXPECT_EQ(DocumentsSent(), 2u);
    EXPECT_EQ(Sent(), Pages({1, 2, 0, 3, 4, 5}));
    EXPECT_EQ(consumer->requestsAtPageSend, (std::vector<size_t>{4, 5, 11, 11, 11, 11}));
}

TEST_F(OrderFilterTest, AChangeOfTheDivideConditionMakesTwoBooklets)
{
    JobShape shape = BookletJob(5);
    for (const char* value : {"A", "A", "A", "B", "B"}) shape.pageTickets.push_back(Ticket(DivideCondition(value)));
    ASSERT_EQ(Run(shape), S_OK);
    EXPECT_EQ(Sent(), Pages({0, 1, 2, 3, 0, 4, 5, 0}));
    // The first booklet goes when page 4 arrives.
    EXPECT_EQ(consumer->requestsAtPageSend, (std::vector<size_t>{7, 7, 7, 7, 9, 9, 9, 9}));
}

TEST_F(OrderFilterTest, PaddingPageNamesDoNotRepeatWithinAJob)
{
    JobShape shape = BookletJob(9);
    for (int page = 1; page <= 9; ++page) shape.pageTickets.push_back(Ticket(DivideCondition(std::to_string(page))));
    // The consumer refuses a name it gave out before, so a repeat would end
    // the job.
    ASSERT_EQ(Run(shape), S_OK);
    std::vector<int> expected;
    for (int page = 1; page <= 9; ++page) expected.insert(expected.end(), {0, page, 0, 0});
    EXPECT_EQ(Sent(), Pages(expected));
    std::set<std::u16string> names;
    for (const ComPtr<IFixedPage>& page : SentPaddingPages()) names.insert(PartUri(page.Get()));
    EXPECT_EQ(names.size(), 27u);
}

TEST_F(OrderFilterTest, APaddingFailureEndsTheJobWithoutSendingTheBooklet)
{
    failingCall = ConsumerCallKind::GetNewEmptyPart;
    EXPECT_EQ(Run(BookletJob(3)), E_OUTOFMEMORY);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(outcome.filters[0].shutdownRequests, (std::vector<HRESULT>{E_OUTOFMEMORY}));

    // A first page that is no FixedPage gives no padding page of its size.
    failingCall.reset();
    std::vector<ComPtr<IUnknown>> parts = MakeJob(BookletJob(3));
    parts[3] = Unknown(MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage",
                                               "<Canvas xmlns=\"http://schemas.microsoft.com/xps/2005/06\"/>"));
    EXPECT_EQ(RunParts(parts), E_INVALIDARG);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(OrderFilterTest, AFailureSaysWhichPageAndWhatTheFilterCouldNotDo)
{
    // The padding page after the three pages cannot be made: the first
    // page, whose size it takes, is named.
    failingCall = ConsumerCallKind::GetNewEmptyPart;
    EXPECT_EQ(Run(BookletJob(3)), E_OUTOFMEMORY);
    EXPECT_EQ(outcome.filters[0].shutdownNotes,
              std::vector<std::string>{"/Documents/1/Pages/1.fpage: a blank padding page of this page's size cannot be "
                                       "made for the booklet: out of memory"});

    // A page the booklet cannot hold back.
    failingCall = ConsumerCallKind::SendFixedPage;
    EXPECT_EQ(Run(BookletJob(4)), E_OUTOFMEMORY);
    EXPECT_EQ(outcome.filters[0].shutdownNotes,
              std::vector<std::string>{
                  "/Documents/1/Pages/4.fpage: the page cannot be sent on in booklet order: out of memory"});
}

}  // namespace
}  // namespace ordertest
