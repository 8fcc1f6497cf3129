// FinisherFilter over the pipeline doubles: which pages are rewritten, which
// tickets are replaced by new ticket parts and what those hold, the
// imageable area the cut-out lines come from, and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "finisher_filter.h"
#include "finisher_test_support.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"
#include "testsupport/ticket_markup.h"

namespace finishertest {
namespace {

using namespace testsupport;

const std::string kLetter = Media("NorthAmericaLetter", 215900, 279400);
const std::string kPageBody = "<Path Data=\"M 0,0 L 10,10\" Fill=\"#FF0000\"/>";

std::string LetterPage(double width = 816, double height = 1056)
{
    char size[64];
    std::snprintf(size, sizeof size, "Width=\"%g\" Height=\"%g\"", width, height);
    return FixedPage(size, kPageBody);
}

ComPtr<PrintTicketPart> TicketPartOf(const std::u16string& uri, const std::string& body)
{
    return MakePart<PrintTicketPart>(uri, Ticket(body));
}

// One job: a sequence, a document and pages, each with a ticket of its own
// when its body is not empty.
struct Job {
    ComPtr<FixedDocumentSequencePart> sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    ComPtr<FixedDocumentPart> document = MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc");
    std::vector<ComPtr<FixedPagePart>> pages;

    Job(const std::string& jobTicket, const std::string& documentTicket)
    {
        if (!jobTicket.empty()) sequence->SetPrintTicket(TicketPartOf(u"/Metadata/Job_PT.xml", jobTicket).Get());
        if (!documentTicket.empty())
            document->SetPrintTicket(TicketPartOf(u"/Documents/1/Metadata/Document_PT.xml", documentTicket).Get());
    }
    FixedPagePart* AddPage(const std::string& ticket, const std::string& markup = LetterPage())
    {
        std::u16string uri = u"/Documents/1/Pages/" + std::u16string(1, u'1' + pages.size()) + u".fpage";
        pages.push_back(MakePart<FixedPagePart>(uri, markup));
        if (!ticket.empty()) pages.back()->SetPrintTicket(TicketPartOf(uri + u"_PT.xml", ticket).Get());
        return pages.back().Get();
    }
    std::vector<ComPtr<IUnknown>> Parts() const
    {
        std::vector<ComPtr<IUnknown>> parts = {Unknown(sequence), Unknown(document)};
        for (const auto& page : pages) parts.push_back(Unknown(page));
        return parts;
    }
};

ChainOutcome RunFinisher(const Job& job, const RunOptions& options = {})
{
    auto filter = ComPtr<FinisherFilter>::Adopt(new FinisherFilter);
    return RunFilter(filter.Get(), job.Parts(), options);
}

// The name and markup of the ticket attached to a part ("" when none).
template <class Part>
std::pair<std::string, std::string> TicketOf(Part* part)
{
    ComPtr<IPartPrintTicket> ticket;
    if (FAILED(part->GetPrintTicket(ticket.Out())) || !ticket) return {};
    std::u16string uri = PartUri(ticket.Get());
    return {std::string(uri.begin(), uri.end()), AsTestPart(ticket.Get())->Content()};
}

// The media and orientation a ticket part holds.
struct TicketMedia {
    std::string name;
    std::string width;
    std::string height;
    std::string orientation;
};

TicketMedia MediaOf(const std::string& ticket)
{
    TicketMarkup markup(ticket);
    EXPECT_TRUE(markup.Parsed()) << ticket;
    std::string option = "/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']/psf:Option";
    return {markup.Text(option + "/@name"),
            markup.Text(option + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"),
            markup.Text(option + "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"),
            markup.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageOrientation']/psf:Option/@name")};
}

void ExpectTurnedLetter(const std::pair<std::string, std::string>& ticket, const std::string& tag)
{
    EXPECT_EQ(ticket.first.rfind("/PT_" + tag + "_", 0), 0u) << ticket.first;
    TicketMedia media = MediaOf(ticket.second);
    EXPECT_EQ(media.name, "psk:NorthAmericaLetter");
    EXPECT_EQ(media.width, "279400");
    EXPECT_EQ(media.height, "215900");
    EXPECT_EQ(media.orientation, "psk:Portrait");
}

std::vector<std::string> Transcript(const ChainOutcome& outcome)
{
    std::vector<std::string> lines;
    for (const std::string& line : outcome.consumer->Transcript())
        if (line.rfind("GetNewEmptyPart", 0) != 0) lines.push_back(line);
    return lines;
}

const std::vector<std::string> kOnePageSent = {"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                               "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                               "SendFixedPage /Documents/1/Pages/1.fpage", "CloseSender"};

TEST(FinisherFilterTest, APageWithoutSettingsIsSentUntouched)
{
    Job job(kLetter, "");
    FixedPagePart* page = job.AddPage(kLetter + Orientation("Portrait"));
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->Transcript(), kOnePageSent);
    EXPECT_EQ(page->Content(), LetterPage());
    EXPECT_EQ(page->ContentState().CloseCount(), 0);  // never rewritten
    EXPECT_EQ(TicketOf(page).first, "/Documents/1/Pages/1.fpage_PT.xml");
    EXPECT_EQ(TicketOf(job.sequence.Get()).first, "/Metadata/Job_PT.xml");
}

TEST(FinisherFilterTest, TransverseFeedOfAPortraitPageTurnsItAndGivesItATurnedTicket)
{
    Job job("", "");
    FixedPagePart* page = job.AddPage(kLetter + Orientation("Portrait") + Transverse("On"));
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(Transcript(outcome), kOnePageSent);
    EXPECT_EQ(page->Content(), kDeclaration + std::string("<FixedPage xmlns=\"") + kXpsNamespace +
                                   "\" Width=\"1056.00\" Height=\"816.00\">"
                                   "<Canvas RenderTransform=\"0,1,-1,0,1056.00,0\">" +
                                   kPageBody + "</Canvas></FixedPage>");
    ExpectTurnedLetter(TicketOf(page), "FI");
}

TEST(FinisherFilterTest, TransverseFeedOfALandscapePageChangesOnlyItsTicket)
{
    Job job("", "");
    std::string landscape = LetterPage(1056, 816);
    FixedPagePart* page = job.AddPage(kLetter + Orientation("Landscape") + Transverse("On"), landscape);
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(page->Content(), landscape);
    EXPECT_EQ(page->ContentState().CloseCount(), 0);
    ExpectTurnedLetter(TicketOf(page), "FI");
}

TEST(FinisherFilterTest, ALandscapePageInTransverseFeedIsMirroredWithoutATurn)
{
    Job job("", "");
    FixedPagePart* page = job.AddPage(
        kLetter + Orientation("Landscape") + Transverse("On") + Mirror("MirrorImageWidth"), LetterPage(1056, 816));
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(page->Content(), kDeclaration + std::string("<FixedPage xmlns=\"") + kXpsNamespace +
                                   "\" Width=\"1056.00\" Height=\"816.00\">"
                                   "<Canvas RenderTransform=\"-1,0,0,1,1056.00,0\">" +
                                   kPageBody + "</Canvas></FixedPage>");
    ExpectTurnedLetter(TicketOf(page), "FI");
}

TEST(FinisherFilterTest, MirrorAndReverseImageReadFromThePageTicket)
{
    struct Case {
        std::string settings;
        std::string matrix;
    };
    const Case cases[] = {
        {Mirror("MirrorImageWidth"), "-1,0,0,1,816.00,0"},
        {Mirror("MirrorImageHeight"), "1,0,0,-1,0,1056.00"},
        {ReverseImage("On"), "-1,0,0,-1,816.00,1056.00"},
        // A half turn of a mirror image across the width is one across the
        // height.
        {Mirror("MirrorImageWidth") + ReverseImage("On"), "1,0,0,-1,0,1056.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.matrix);
        Job job("", "");
        FixedPagePart* page = job.AddPage(kLetter + c.settings);
        ChainOutcome outcome = RunFinisher(job);
        ASSERT_EQ(outcome.filters[0].startResult, S_OK);
        EXPECT_NE(page->Content().find("<Canvas RenderTransform=\"" + c.matrix + "\">"), std::string::npos)
            << page->Content();
        EXPECT_NE(page->Content().find("Width=\"816.00\" Height=\"1056.00\""), std::string::npos);
        // Nothing in the ticket changes: the page keeps its own.
        EXPECT_EQ(TicketOf(page).first, "/Documents/1/Pages/1.fpage_PT.xml");
    }
}

TEST(FinisherFilterTest, JobDocumentAndPageTicketsAreReplacedWithTheirOwnTags)
{
    std::string transverse = kLetter + Orientation("Portrait") + Transverse("On");
    Job job(transverse, transverse);
    FixedPagePart* page = job.AddPage(transverse);
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(Transcript(outcome), kOnePageSent);
    ExpectTurnedLetter(TicketOf(job.sequence.Get()), "FI_JOB");
    ExpectTurnedLetter(TicketOf(job.document.Get()), "FI_DOC");
    ExpectTurnedLetter(TicketOf(page), "FI");
    // The page was merged over the document's original ticket, not over the
    // turned one: it is turned once.
    EXPECT_NE(page->Content().find("Width=\"1056.00\" Height=\"816.00\""), std::string::npos);
}

TEST(FinisherFilterTest, APageWithoutATicketOfItsOwnGetsNone)
{
    std::string transverse = kLetter + Orientation("Portrait") + Transverse("On");
    Job job("", transverse);
    FixedPagePart* page = job.AddPage("");
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    // Turned by the document's setting, which the document's new ticket
    // carries for it.
    EXPECT_NE(page->Content().find("<Canvas RenderTransform=\"0,1,-1,0,1056.00,0\">"), std::string::npos);
    EXPECT_EQ(TicketOf(page).first, "");
    ExpectTurnedLetter(TicketOf(job.document.Get()), "FI_DOC");
    // The sequence had no ticket: nothing was examined for it.
    EXPECT_EQ(TicketOf(job.sequence.Get()).first, "");
}

TEST(FinisherFilterTest, APartialTicketUnderATurnedJobTicketIsReplacedByItsWholeMergedTicket)
{
    std::string transverse = kLetter + Orientation("Portrait") + Transverse("On");
    Job job(transverse, "");
    FixedPagePart* turned = job.AddPage("");
    FixedPagePart* kept = job.AddPage(Transverse("Off"));
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    ExpectTurnedLetter(TicketOf(job.sequence.Get()), "FI_JOB");
    EXPECT_NE(turned->Content().find("Width=\"1056.00\" Height=\"816.00\""), std::string::npos);
    // Not turned, and its ticket says the Letter portrait the job's said
    // before it was turned, so that merged over the turned job ticket it
    // still describes the page.
    EXPECT_EQ(kept->Content(), LetterPage());
    std::pair<std::string, std::string> ticket = TicketOf(kept);
    EXPECT_EQ(ticket.first.rfind("/PT_FI_", 0), 0u) << ticket.first;
    TicketMedia media = MediaOf(ticket.second);
    EXPECT_EQ(media.name, "psk:NorthAmericaLetter");
    EXPECT_EQ(media.width, "215900");
    EXPECT_EQ(media.height, "279400");
}

TEST(FinisherFilterTest, AReverseLandscapePageFitsTheTurnedMediaTurnedHalfRound)
{
    Job job("", "");
    FixedPagePart* page =
        job.AddPage(kLetter + Orientation("ReverseLandscape") + Transverse("On"), LetterPage(1056, 816));
    ChainOutcome outcome = RunFinisher(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    // As wide as the turned Letter; the half turn the device no longer
    // gives it once the ticket says Portrait is in the content.
    EXPECT_EQ(page->Content(), kDeclaration + std::string("<FixedPage xmlns=\"") + kXpsNamespace +
                                   "\" Width=\"1056.00\" Height=\"816.00\">"
                                   "<Canvas RenderTransform=\"-1,0,0,-1,1056.00,816.00\">" +
                                   kPageBody + "</Canvas></FixedPage>");
    ExpectTurnedLetter(TicketOf(page), "FI");
}

// A device of its own, whose margins differ on every side, so that the
// clip shows where the imageable area came from.
class FinisherCapabilitiesTest : public ::testing::Test {
protected:
    static constexpr WCHAR kPrinter[] = u"finisher test device";

    static void SetUpTestSuite()
    {
        std::ifstream in(std::string(TAV_SOURCE_DIR) + "/devices/default.xml");
        std::string device((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string margins = "<Margins left=\"4233\" top=\"4233\" right=\"4233\" bottom=\"4233\"/>";
        size_t at = device.find(margins);
        ASSERT_NE(at, std::string::npos);
        device.replace(at, margins.size(), "<Margins left=\"6350\" top=\"3175\" right=\"4233\" bottom=\"8467\"/>");
        std::string path = ::testing::TempDir() + "/finisher-device.xml";
        std::ofstream(path) << device;
        ASSERT_EQ(PTRegisterPrinterDevice(kPrinter, path.c_str()), S_OK);
    }

    static RunOptions OnTheDevice()
    {
        RunOptions options;
        ComPtr<TestPropertyBag> bag = DefaultPropertyBag();
        bag->SetString(u"PrinterName", kPrinter);
        options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(bag.Get());
        return options;
    }
};

TEST_F(FinisherCapabilitiesTest, CutOutLinesClipToTheDevicesPrintableArea)
{
    Job job("", "");
    FixedPagePart* page = job.AddPage(kLetter + Orientation("Portrait") + PosterCutOutLines());
    ChainOutcome outcome = RunFinisher(job, OnTheDevice());
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    // Origin 6350 and 3175 microns, extent 215900 - 6350 - 4233 = 205317 and
    // 279400 - 3175 - 8467 = 267758 microns, divided by 264.58.
    EXPECT_NE(page->Content().find("<Canvas Clip=\"M 24.00,12.00 h 776.01 v 1012.01 h -776.01 v -1012.01 z\" >" +
                                   kPageBody + "</Canvas><Path Stroke=\"#000000\""),
              std::string::npos)
        << page->Content();
    // The first mark at (24.00 + 0.64, 12.00 + 0.64), (1012.01 - 1.28) / 15
    // = 67.38 long.
    EXPECT_NE(page->Content().find("Data=\"M 24.64,12.64 v 67.38 "), std::string::npos) << page->Content();
    // Cut-out lines change nothing in the ticket.
    EXPECT_EQ(TicketOf(page).first, "/Documents/1/Pages/1.fpage_PT.xml");
}

TEST_F(FinisherCapabilitiesTest, ALandscapePageHasItsAreaTurned)
{
    Job job("", "");
    FixedPagePart* page = job.AddPage(kLetter + Orientation("Landscape") + PosterCutOutLines(), LetterPage(1056, 816));
    ChainOutcome outcome = RunFinisher(job, OnTheDevice());
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    // The content's top lies on the sheet's left edge: origin (bottom,
    // left) = (8467, 6350), extent (279400 - 8467 - 3175, 215900 - 6350 -
    // 4233) = (267758, 205317).
    EXPECT_NE(page->Content().find("<Canvas Clip=\"M 32.00,24.00 h 1012.01 v 776.01 h -1012.01 v -776.01 z\" >"),
              std::string::npos)
        << page->Content();
}

TEST(FinisherFilterTest, APageTicketThatDoesNotLoadStopsTheJob)
{
    Job job("", "");
    FixedPagePart* page = job.AddPage(kLetter);
    page->SetPrintTicket(MakePart<PrintTicketPart>(u"/bad_PT.xml", "<psf:PrintTicket").Get());
    ChainOutcome outcome = RunFinisher(job);
    EXPECT_EQ(outcome.filters[0].startResult, E_FAIL);
    EXPECT_EQ(Transcript(outcome),
              (std::vector<std::string>{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                        "SendFixedDocument /Documents/1/FixedDocument.fdoc", "CloseSender"}));
    EXPECT_EQ(outcome.filters[0].shutdownRequests, std::vector<HRESULT>{E_FAIL});
}

TEST(FinisherFilterTest, APageWhoseMarkupBreaksStopsTheJobUnsent)
{
    Job job("", "");
    job.AddPage(kLetter + ReverseImage("On"), FixedPage("Width=\"816\" Height=\"1056\"", "<Path>"));
    ChainOutcome outcome = RunFinisher(job);
    EXPECT_TRUE(FAILED(outcome.filters[0].startResult));
    EXPECT_EQ(Transcript(outcome).size(), 3u);  // sequence, document, CloseSender
}

TEST(FinisherFilterTest, AFailureSaysWhichPageAndWhatTheFilterCouldNotDo)
{
    // The turned page's new ticket part cannot be made.
    Job job("", "");
    job.AddPage(kLetter + Transverse("On"));
    RunOptions options;
    options.consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    options.consumer->FailCalls(ConsumerCallKind::GetNewEmptyPart, E_OUTOFMEMORY);
    ChainOutcome outcome = RunFinisher(job, options);
    EXPECT_EQ(outcome.filters[0].startResult, E_OUTOFMEMORY);
    EXPECT_EQ(outcome.filters[0].shutdownNotes,
              std::vector<std::string>{
                  "/Documents/1/Pages/1.fpage: the page's new PrintTicket cannot be attached to it: out of memory"});

    // Markup that is not well-formed says so, not what the finisher was doing.
    Job broken("", "");
    broken.AddPage(kLetter + ReverseImage("On"), FixedPage("Width=\"816\" Height=\"1056\"", "<Path>"));
    outcome = RunFinisher(broken);
    ASSERT_EQ(outcome.filters[0].shutdownNotes.size(), 1u);
    EXPECT_EQ(outcome.filters[0].shutdownNotes[0].rfind("/Documents/1/Pages/1.fpage: not well-formed XML", 0), 0u)
        << outcome.filters[0].shutdownNotes[0];
}

TEST(FinisherFilterTest, HooksRefuseNullParts)
{
    ComApartment com;
    auto filter = ComPtr<FinisherFilter>::Adopt(new FinisherFilter);
    EXPECT_EQ(filter->OnFixedPage(nullptr), E_POINTER);
    EXPECT_EQ(filter->OnFixedDocument(nullptr), E_POINTER);
    EXPECT_EQ(filter->OnFixedDocumentSequence(nullptr), E_POINTER);
}

}  // namespace
}  // namespace finishertest
