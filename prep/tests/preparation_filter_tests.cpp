// PreparationFilter over the pipeline doubles: which pages are rewritten,
// which tickets are replaced by scaled ticket parts and what those say, and
// the job's cache of decoration parts.
#include <gtest/gtest.h>

#include "preparation_filter.h"
#include "resource_part_cache.h"
#include "settings_test_support.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace testsupport;
using settingstest::Feature;
using settingstest::Option;
using settingstest::Property;
using settingstest::PropertyGroup;
using settingstest::Scored;

const std::string kXps = "xmlns=\"http://schemas.microsoft.com/xps/2005/06\"";
const std::string kLetterPage =
    "<FixedPage " + kXps +
    " Width=\"816\" Height=\"1056\" ContentBox=\"10,20,300,400\"><Path Data=\"M 0,0 L 9,9\"/>"
    "</FixedPage>";

std::string Ticket(const std::string& body) { return tickettest::MakeTicket(body); }

std::string FitToA4()
{
    return Feature("psk:PageScaling", Option("ns0000:FitToPaper") +
                                          Feature("ns0000:FitMediaSize",
                                                  Option("psk:ISOA4", Scored("psk:FitMediaSizeWidth", "210000") +
                                                                          Scored("psk:FitMediaSizeHeight", "297000"))));
}

std::string CorrectFixedPageSize()
{
    return PropertyGroup("ns0000:PageScalingData", Property("ns0000:CorrectFixedPageSize", "On"));
}

std::string Letter()
{
    return Feature("psk:PageMediaSize", Option("psk:NorthAmericaLetter", Scored("psk:MediaSizeWidth", "215900") +
                                                                             Scored("psk:MediaSizeHeight", "279400")));
}

std::string Orientation(const std::string& name) { return Feature("psk:PageOrientation", Option("psk:" + name)); }

struct Job {
    ComPtr<FixedDocumentSequencePart> sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    std::vector<ComPtr<FixedDocumentPart>> documents;
    std::vector<ComPtr<FixedPagePart>> pages;
    std::vector<ComPtr<IUnknown>> parts = {Unknown(sequence)};

    explicit Job(const std::string& jobTicket)
    {
        if (!jobTicket.empty())
            sequence->SetPrintTicket(MakePart<PrintTicketPart>(u"/Job_PT.xml", Ticket(jobTicket)).Get());
    }
    FixedDocumentPart* AddDocument(const std::string& ticket)
    {
        std::u16string uri = u"/Documents/" + std::u16string(1, u'1' + documents.size()) + u"/FixedDocument.fdoc";
        documents.push_back(MakePart<FixedDocumentPart>(uri));
        if (!ticket.empty())
            documents.back()->SetPrintTicket(MakePart<PrintTicketPart>(uri + u"_PT", Ticket(ticket)).Get());
        parts.push_back(Unknown(documents.back()));
        return documents.back().Get();
    }
    FixedPagePart* AddPage(const std::string& ticket, const std::string& markup = kLetterPage)
    {
        std::u16string uri = u"/Pages/" + std::u16string(1, u'1' + pages.size()) + u".fpage";
        pages.push_back(MakePart<FixedPagePart>(uri, markup));
        if (!ticket.empty())
            pages.back()->SetPrintTicket(MakePart<PrintTicketPart>(uri + u"_PT", Ticket(ticket)).Get());
        parts.push_back(Unknown(pages.back()));
        return pages.back().Get();
    }
};

ChainOutcome RunPreparation(const Job& job, const RunOptions& options = {})
{
    auto filter = ComPtr<PreparationFilter>::Adopt(new PreparationFilter);
    return RunFilter(filter.Get(), job.parts, options);
}

template <class Part>
std::pair<std::string, std::string> TicketOf(Part* part)
{
    ComPtr<IPartPrintTicket> ticket;
    if (FAILED(part->GetPrintTicket(ticket.Out())) || !ticket) return {};
    std::u16string uri = PartUri(ticket.Get());
    return {std::string(uri.begin(), uri.end()), AsTestPart(ticket.Get())->Content()};
}

// A ticket part of the filter's with the tag, the media and no scaling
// pending.
template <class Part>
void ExpectTicket(Part* part, const std::string& tag, const std::string& media, const std::string& width)
{
    auto [name, markup] = TicketOf(part);
    EXPECT_EQ(name.rfind("/PT_" + tag + "_", 0), 0u) << name;
    TicketMarkup ticket(markup);
    ASSERT_TRUE(ticket.Parsed()) << markup;
    const std::string option = "/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']/psf:Option";
    EXPECT_EQ(ticket.Text(option + "/@name"), media);
    EXPECT_EQ(ticket.Text(option + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"), width);
    EXPECT_EQ(ticket.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageScaling']/psf:Option/@name"), "psk:None");
}

template <class Part>
void ExpectScaledToA4(Part* part, const std::string& tag)
{
    ExpectTicket(part, tag, "psk:ISOA4", "210000");
}

TEST(PreparationFilterTest, APageWithNothingToDoIsSentAsItCame)
{
    Job job(Orientation("Portrait"));
    job.AddDocument("");
    FixedPagePart* page = job.AddPage(Orientation("Portrait"));
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->Transcript(),
              (std::vector<std::string>{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                        "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                        "SendFixedPage /Pages/1.fpage", "CloseSender"}));
    EXPECT_EQ(page->Content(), kLetterPage);
    EXPECT_EQ(page->ContentState().CloseCount(), 0);
    EXPECT_EQ(TicketOf(page).first, "/Pages/1.fpage_PT");
    EXPECT_EQ(TicketOf(job.sequence.Get()).first, "/Job_PT.xml");
}

TEST(PreparationFilterTest, FitToPaperScalesEveryPageAndLeavesTicketsWithTheNewPaper)
{
    Job job(Letter() + FitToA4());
    FixedDocumentPart* plainDocument = job.AddDocument("");
    FixedPagePart* inherited = job.AddPage("");
    FixedPagePart* own = job.AddPage(Orientation("Portrait"));
    FixedDocumentPart* ticketedDocument = job.AddDocument(Orientation("Portrait"));
    job.AddPage("");
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);

    ExpectScaledToA4(job.sequence.Get(), "SC_JOB");
    EXPECT_TRUE(TicketOf(plainDocument).first.empty());
    ExpectScaledToA4(ticketedDocument, "SC_DOC");
    EXPECT_TRUE(TicketOf(inherited).first.empty());
    ExpectScaledToA4(own, "SC");
    for (const auto& page : job.pages) {
        std::string start = "<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage " + kXps +
                            " Width=\"793.71\" Height=\"1122.53\"><Canvas RenderTransform=";
        EXPECT_EQ(page->Content().rfind(start, 0), 0u) << page->Content();
    }
}

TEST(PreparationFilterTest, PartsThatRefuseScalingUnderAScaledJobKeepTheirWholeTicket)
{
    // Without their whole ticket, the filters after this one would merge
    // their own PageScaling None over the job's new paper.
    const std::string none = Feature("psk:PageScaling", Option("psk:None"));
    Job job(Letter() + FitToA4());
    job.AddDocument("");
    FixedPagePart* unscaledPage = job.AddPage(none);
    FixedDocumentPart* unscaledDocument = job.AddDocument(none);
    FixedPagePart* pageOfIt = job.AddPage("");
    ASSERT_EQ(RunPreparation(job).filters[0].startResult, S_OK);

    ExpectScaledToA4(job.sequence.Get(), "SC_JOB");
    ExpectTicket(unscaledPage, "SC", "psk:NorthAmericaLetter", "215900");
    EXPECT_EQ(unscaledPage->Content(), kLetterPage);
    ExpectTicket(unscaledDocument, "SC_DOC", "psk:NorthAmericaLetter", "215900");
    EXPECT_TRUE(TicketOf(pageOfIt).first.empty());
    EXPECT_EQ(pageOfIt->Content(), kLetterPage);
}

TEST(PreparationFilterTest, CorrectFixedPageSizeAloneWrapsThePageInTheIdentityClippedToItsContentBox)
{
    // Letter, 215900 x 279400 microns, is 816.01 x 1056.01.
    Job job(Letter() + CorrectFixedPageSize());
    job.AddDocument("");
    FixedPagePart* page = job.AddPage("");
    ASSERT_EQ(RunPreparation(job).filters[0].startResult, S_OK);
    EXPECT_EQ(page->Content(), "<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage " + kXps +
                                   " Width=\"816.01\" Height=\"1056.01\">"
                                   "<Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
                                   " Clip=\"M 10.00,20.00 L 310.00,20.00 310.00,420.00 10.00,420.00 z\">"
                                   "<Path Data=\"M 0,0 L 9,9\"/></Canvas>\n</FixedPage>\n");
}

TEST(PreparationFilterTest, ScalingFromTheUsersDefaultTicketAloneIsStillResetForTheFiltersAfter)
{
    ComPtr<TestPropertyBag> bag = DefaultPropertyBag();
    SetPerUserTicket(bag.Get(), settingstest::MergedOverDeviceDefault(Ticket(FitToA4())));
    RunOptions options;
    options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(bag.Get());
    Job job("");
    job.AddDocument("");
    FixedPagePart* page = job.AddPage("");
    ASSERT_EQ(RunPreparation(job, options).filters[0].startResult, S_OK);
    ExpectScaledToA4(job.sequence.Get(), "SC_JOB");
    EXPECT_NE(page->Content().find("Width=\"793.71\" Height=\"1122.53\""), std::string::npos);
}

// A resource that counts its writes and fails them while told to.
class CountedResource : public PageResource {
public:
    explicit CountedResource(const char16_t* name) : name_(name) {}
    HRESULT WriteContent(IUnknown*, IPrintWriteStream* stream) override
    {
        ++writes;
        if (failing) return E_FAIL;
        ULONG written = 0;
        return stream->WriteBytes("font", 4, &written);
    }
    HRESULT GetKey(BSTR* key) override { return (*key = SysAllocString(u"Face")) ? S_OK : E_OUTOFMEMORY; }
    HRESULT GetPartUri(BSTR* uri) override { return (*uri = SysAllocString(name_)) ? S_OK : E_OUTOFMEMORY; }
    REFIID PartInterface() const override { return IID_IPartFont; }

    int writes = 0;
    bool failing = false;

private:
    const char16_t* name_;
};

TEST(ResourcePartCacheTest, APartIsWrittenOnceForTheJobAndAFailedWriteIsTriedAgain)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ResourcePartCache cache;
    CountedResource failing(u"/Fonts/first.odttf");
    failing.failing = true;
    auto page1 = MakePart<FixedPagePart>(u"/Pages/1.fpage", kLetterPage);
    EXPECT_EQ(cache.AddToPage(consumer.Get(), page1.Get(), &failing), E_FAIL);
    BSTR uri = nullptr;
    EXPECT_EQ(cache.Lookup(u"Face", &uri), E_FAIL);
    EXPECT_TRUE(page1->ResourceUris().empty());

    CountedResource resource(u"/Fonts/second.odttf");
    std::vector<ComPtr<FixedPagePart>> pages;
    for (int i = 0; i < 3; ++i) {
        pages.push_back(MakePart<FixedPagePart>(u"/Pages/" + std::u16string(1, u'2' + i) + u".fpage", kLetterPage));
        ASSERT_EQ(cache.AddToPage(consumer.Get(), pages.back().Get(), &resource), S_OK);
        EXPECT_EQ(pages.back()->ResourceUris(), std::vector<std::u16string>{u"/Fonts/second.odttf"});
    }
    EXPECT_EQ(resource.writes, 1);
    ASSERT_EQ(cache.Lookup(u"Face", &uri), S_OK);
    EXPECT_EQ(std::u16string(uri), u"/Fonts/second.odttf");
    SysFreeString(uri);
    EXPECT_EQ(cache.Lookup(u"", &uri), E_INVALIDARG);
}

}  // namespace
