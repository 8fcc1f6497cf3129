// PrintTicketManager: the base ticket, the merged tickets of the three
// levels and their fall-backs, merges through the platform's provider and
// the device capabilities. Results are read with libxml2 (TicketMarkup),
// independently of the platform DOM.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/imageable_area.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/print_ticket_manager.h"
#include "filtercore/private_keywords.h"
#include "filtercore/ticket_document_io.h"
#include "platform/devmode.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"
#include "ticket_manager_test_support.h"

namespace tickettest {
namespace {

using testsupport::DefaultDeviceTicket;
using testsupport::TicketMarkup;

std::string OptionOf(const TicketMarkup& ticket, const std::string& feature)
{
    return ticket.Text("/psf:PrintTicket/psf:Feature[@name='psk:" + feature + "']/psf:Option/@name");
}

std::string ParameterOf(const TicketMarkup& ticket, const std::string& name)
{
    return ticket.Text("/psf:PrintTicket/psf:ParameterInit[@name='psk:" + name + "']/psf:Value");
}

class PrintTicketManagerTest : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_EQ(InitializeManager(manager, DefaultDeviceTicket()), S_OK);
    }

    PrintTicketManager manager;
};

// For the tests that initialise a manager of their own.
class PrintTicketSetupTest : public ComTest {};

// A per-user ticket with both N-up features, each referring to its own
// parameter, and settings that are not N-up.
const std::string kPerUserWithNUp = Ticket(
    "<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option><psf:ScoredProperty "
    "name=\"psk:PagesPerSheet\"><psf:ParameterRef name=\"psk:JobNUpPagesPerSheet\"/></psf:ScoredProperty>"
    "</psf:Option></psf:Feature>"
    "<psf:Feature name=\"psk:DocumentNUp\"><psf:Option><psf:ScoredProperty name=\"psk:PagesPerSheet\">"
    "<psf:ParameterRef name=\"psk:DocumentNUpPagesPerSheet\"/></psf:ScoredProperty></psf:Option></psf:Feature>" +
    KeywordFeature("PageOrientation", "Landscape") + IntegerParameter("JobNUpPagesPerSheet", 4) +
    IntegerParameter("DocumentNUpPagesPerSheet", 2) + IntegerParameter("JobCopiesAllDocuments", 3));

TEST_F(PrintTicketSetupTest, BaseTicketLosesTheNUpFeaturesAndTheirParameters)
{
    PrintTicketManager manager;
    ASSERT_EQ(InitializeManager(manager, kPerUserWithNUp), S_OK);
    TicketMarkup job(MergedMarkup(manager, TicketLevel::Job));
    ASSERT_TRUE(job.Parsed());
    EXPECT_EQ(job.Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"), 0);
    EXPECT_EQ(job.Count("//psf:Feature[@name='psk:DocumentNUp']"), 0);
    EXPECT_EQ(job.Count("//psf:ParameterInit[@name='psk:JobNUpPagesPerSheet']"), 0);
    EXPECT_EQ(job.Count("//psf:ParameterInit[@name='psk:DocumentNUpPagesPerSheet']"), 0);
    // The rest of the user's defaults stays.
    EXPECT_EQ(OptionOf(job, "PageOrientation"), "psk:Landscape");
    EXPECT_EQ(ParameterOf(job, "JobCopiesAllDocuments"), "3");
}

TEST_F(PrintTicketSetupTest, InitializeRefusesMissingArgumentsAndLeavesNoProviderOpen)
{
    PrintTicketManager manager;
    ASSERT_EQ(InitializeManager(manager, DefaultDeviceTicket()), S_OK);
    IXMLDOMDocument2* job = nullptr;
    ASSERT_EQ(manager.GetMergedTicket(TicketLevel::Job, &job), S_OK);
    ComPtr<IXMLDOMDocument2> capabilities;
    ASSERT_EQ(manager.GetPrintCapabilities(job, capabilities.Out()), S_OK);

    // The provider of the first call is closed and no new one opened.
    EXPECT_EQ(InitializeManager(manager, DefaultDeviceTicket(), u""), E_INVALIDARG);
    EXPECT_EQ(manager.GetPrintCapabilities(job, capabilities.Out()), E_UNEXPECTED);
    EXPECT_EQ(manager.Initialize(nullptr, kTestPrinter), E_POINTER);

    // A per-user ticket that does not load fails the set-up.
    EXPECT_EQ(InitializeManager(manager, "<psf:PrintTicket"), E_FAIL);
    EXPECT_EQ(manager.GetMergedTicket(TicketLevel::Job, &job), E_UNEXPECTED);
    EXPECT_EQ(job, nullptr);
}

TEST_F(PrintTicketManagerTest, JobWithoutTicketsGivesThreeIndependentCopiesOfTheBase)
{
    const std::string base = DefaultDeviceTicket();
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnPageTicket(PageWithTicket("").Get()), S_OK);
    EXPECT_EQ(manager.JobTicketPresent(), 0);
    EXPECT_EQ(manager.DocumentTicketPresent(), 0);
    EXPECT_EQ(manager.PageTicketPresent(), 0);

    IXMLDOMDocument2* tickets[3] = {};
    const TicketLevel levels[3] = {TicketLevel::Job, TicketLevel::Document, TicketLevel::Page};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(manager.GetMergedTicket(levels[i], &tickets[i]), S_OK);
        TicketMarkup ticket(SavedMarkup(tickets[i]));
        EXPECT_EQ(OptionOf(ticket, "PageMediaSize"), "psk:ISOA4");
        EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:Feature"),
                  TicketMarkup(base).Count("/psf:PrintTicket/psf:Feature"));
    }
    EXPECT_NE(tickets[0], tickets[1]);
    EXPECT_NE(tickets[1], tickets[2]);

    // Changing the page's copy leaves the document's alone.
    {
        PrintTicketDom page(u"PrintTicket", kPrivateKeywordsNamespace, tickets[2]);
        ASSERT_EQ(page.RemoveFeature(u"PageMediaSize"), S_OK);
    }
    EXPECT_EQ(OptionOf(TicketMarkup(SavedMarkup(tickets[2])), "PageMediaSize"), "");
    EXPECT_EQ(OptionOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Document)), "PageMediaSize"), "psk:ISOA4");
    EXPECT_EQ(OptionOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Job)), "PageMediaSize"), "psk:ISOA4");
}

TEST_F(PrintTicketManagerTest, EachLevelMergesOverTheLevelAbove)
{
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket(Ticket(IntegerParameter("JobCopiesAllDocuments", 2))).Get()),
              S_OK);
    ASSERT_EQ(manager.OnDocumentTicket(
                  DocumentWithTicket(Ticket(KeywordFeature("DocumentDuplex", "TwoSidedLongEdge"))).Get()),
              S_OK);
    ASSERT_EQ(manager.OnPageTicket(PageWithTicket(Ticket(KeywordFeature("PageOrientation", "Landscape"))).Get()), S_OK);
    EXPECT_EQ(manager.JobTicketPresent(), 1);
    EXPECT_EQ(manager.DocumentTicketPresent(), 1);
    EXPECT_EQ(manager.PageTicketPresent(), 1);

    TicketMarkup job(MergedMarkup(manager, TicketLevel::Job));
    TicketMarkup document(MergedMarkup(manager, TicketLevel::Document));
    TicketMarkup page(MergedMarkup(manager, TicketLevel::Page));
    EXPECT_EQ(ParameterOf(job, "JobCopiesAllDocuments"), "2");
    EXPECT_EQ(OptionOf(job, "DocumentDuplex"), "");
    EXPECT_EQ(ParameterOf(document, "JobCopiesAllDocuments"), "2");
    EXPECT_EQ(OptionOf(document, "DocumentDuplex"), "psk:TwoSidedLongEdge");
    EXPECT_EQ(OptionOf(document, "PageOrientation"), "psk:Portrait");
    EXPECT_EQ(ParameterOf(page, "JobCopiesAllDocuments"), "2");
    EXPECT_EQ(OptionOf(page, "DocumentDuplex"), "psk:TwoSidedLongEdge");
    EXPECT_EQ(OptionOf(page, "PageOrientation"), "psk:Landscape");
    // The device default the page did not change is still there.
    EXPECT_EQ(OptionOf(page, "PageMediaSize"), "psk:ISOA4");
}

TEST_F(PrintTicketManagerTest, NewPartsDropTheTicketsBelowThem)
{
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnDocumentTicket(
                  DocumentWithTicket(Ticket(KeywordFeature("DocumentDuplex", "TwoSidedShortEdge"))).Get()),
              S_OK);
    ASSERT_EQ(manager.OnPageTicket(PageWithTicket(Ticket(KeywordFeature("PageOrientation", "Landscape"))).Get()), S_OK);

    // A second document with its own ticket: its pages no longer see the
    // first document's page ticket.
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket(Ticket(KeywordFeature("PageMediaSize", "ISOA5"))).Get()),
              S_OK);
    TicketMarkup page(MergedMarkup(manager, TicketLevel::Page));
    EXPECT_EQ(OptionOf(page, "PageOrientation"), "psk:Portrait");
    EXPECT_EQ(OptionOf(page, "PageMediaSize"), "psk:ISOA5");
    EXPECT_EQ(OptionOf(page, "DocumentDuplex"), "");

    // A third document without a ticket starts again from the job ticket.
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    EXPECT_EQ(manager.DocumentTicketPresent(), 0);
    EXPECT_EQ(OptionOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Document)), "PageMediaSize"), "psk:ISOA4");

    // A sequence with a ticket replaces only the job ticket.
    ASSERT_EQ(manager.OnPageTicket(PageWithTicket(Ticket(KeywordFeature("PageOrientation", "Landscape"))).Get()), S_OK);
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket(Ticket(IntegerParameter("JobCopiesAllDocuments", 5))).Get()),
              S_OK);
    EXPECT_EQ(ParameterOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Job)), "JobCopiesAllDocuments"), "5");
    EXPECT_EQ(ParameterOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Document)), "JobCopiesAllDocuments"), "1");
    EXPECT_EQ(OptionOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Page)), "PageOrientation"), "psk:Landscape");
    // A sequence without one drops all three: they are the base again.
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    EXPECT_EQ(ParameterOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Job)), "JobCopiesAllDocuments"), "1");
    EXPECT_EQ(OptionOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Page)), "PageOrientation"), "psk:Portrait");
}

TEST_F(PrintTicketManagerTest, DocumentTicketNeedsAJobTicketFirst)
{
    auto document = DocumentWithTicket(Ticket(KeywordFeature("DocumentDuplex", "TwoSidedLongEdge")));
    EXPECT_EQ(manager.OnDocumentTicket(document.Get()), E_UNEXPECTED);
    EXPECT_EQ(manager.DocumentTicketPresent(), 0);
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    EXPECT_EQ(manager.OnDocumentTicket(document.Get()), S_OK);
    EXPECT_EQ(manager.DocumentTicketPresent(), 1);
}

TEST_F(PrintTicketManagerTest, LevelsOutsideTheThreeAreRefused)
{
    const auto beyondJob = static_cast<TicketLevel>(3);
    ComPtr<IXMLDOMDocument2> delta = LoadDocument(Ticket(""));
    EXPECT_EQ(manager.Merge(beyondJob, delta.Get()), E_INVALIDARG);
    IXMLDOMDocument2* ticket = reinterpret_cast<IXMLDOMDocument2*>(&manager);
    EXPECT_EQ(manager.GetMergedTicket(beyondJob, &ticket), E_FAIL);
    EXPECT_EQ(ticket, nullptr);
    EXPECT_EQ(manager.GetMergedTicket(TicketLevel::Job, nullptr), E_POINTER);
}

TEST_F(PrintTicketSetupTest, NothingMergesBeforeInitialize)
{
    PrintTicketManager manager;
    ComPtr<IXMLDOMDocument2> delta = LoadDocument(Ticket(""));
    EXPECT_EQ(manager.Merge(TicketLevel::Job, delta.Get()), E_UNEXPECTED);
    EXPECT_EQ(manager.EnsureMerged(TicketLevel::Page), E_UNEXPECTED);
    EXPECT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), E_UNEXPECTED);
}

TEST_F(PrintTicketManagerTest, MergeComparesNamesByNamespaceAndKeepsPrivateSettings)
{
    // The delta calls the framework "f", the keywords "k", the XML Schema
    // namespaces "i" and "s" and the private namespace "d".
    Prefixes others{"f", "k", "i", "s", "d"};
    const std::string delta = MakeTicket(
        "<f:Feature name=\"k:PageMediaSize\"><f:Option name=\"k:ISOA5\"/></f:Feature>"
        "<f:ParameterInit name=\"k:JobCopiesAllDocuments\"><f:Value i:type=\"s:integer\">7</f:Value></f:ParameterInit>"
        "<f:Feature name=\"d:JobSettingData\"><f:Option name=\"d:On\"/></f:Feature>",
        others);
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket(delta).Get()), S_OK);

    TicketMarkup job(MergedMarkup(manager, TicketLevel::Job));
    // One medium and one copy count, each replaced, in the base's prefixes.
    EXPECT_EQ(job.Count("//psf:Feature[@name='psk:PageMediaSize']"), 1);
    EXPECT_EQ(OptionOf(job, "PageMediaSize"), "psk:ISOA5");
    EXPECT_EQ(job.Count("//psf:ParameterInit"), 1);
    EXPECT_EQ(ParameterOf(job, "JobCopiesAllDocuments"), "7");
    EXPECT_EQ(job.Text("//psf:ParameterInit/psf:Value/@xsi:type"), "xsd:integer");
    // The private feature is added under the base's private prefix.
    EXPECT_EQ(job.Text("/psf:PrintTicket/psf:Feature[@name='ns0000:JobSettingData']/psf:Option/@name"), "ns0000:On");
    EXPECT_EQ(job.RootPrefix(testsupport::kPrivateUri), "ns0000");
}

TEST_F(PrintTicketManagerTest, RefusedDeltaKeepsThePreviousTicket)
{
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket(Ticket(IntegerParameter("JobCopiesAllDocuments", 2))).Get()),
              S_OK);
    // Not a PrintTicket, and not a version the provider knows: the
    // provider refuses both.
    const std::string wrongRoot =
        "<Ticket xmlns=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\"/>";
    std::string badVersion = Ticket(IntegerParameter("JobCopiesAllDocuments", 9));
    badVersion.replace(badVersion.find("version=\"1\""), 11, "version=\"7\"");
    for (const std::string& delta : {wrongRoot, badVersion}) {
        SCOPED_TRACE(delta);
        EXPECT_EQ(manager.OnJobTicket(SequenceWithTicket(delta).Get()), E_DELTA_PRINTTICKET_FORMAT);
        EXPECT_EQ(ParameterOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Job)), "JobCopiesAllDocuments"), "2");
    }
    // A ticket part that is not well-formed does not load at all.
    EXPECT_EQ(manager.OnJobTicket(SequenceWithTicket("<psf:PrintTicket version=\"1\">").Get()), E_FAIL);
    EXPECT_EQ(ParameterOf(TicketMarkup(MergedMarkup(manager, TicketLevel::Job)), "JobCopiesAllDocuments"), "2");
    EXPECT_EQ(manager.JobTicketPresent(), 1);
}

// The imageable area as the filters read it: the full page and the printable
// rectangle inside it, in microns.
struct Imageable {
    std::string width, height, originX, originY, extentX, extentY;
    bool operator==(const Imageable&) const = default;
};

Imageable ReadImageable(IXMLDOMDocument2* capabilities)
{
    TicketMarkup document(SavedMarkup(capabilities));
    const std::string size = "//psf:Property[@name='psk:PageImageableSize']";
    const std::string area = size + "/psf:Property[@name='psk:ImageableArea']";
    auto value = [&](const std::string& parent, const char* name) {
        return document.Text(parent + "/psf:Property[@name='psk:" + name + "']/psf:Value");
    };
    return {value(size, "ImageableSizeWidth"), value(size, "ImageableSizeHeight"), value(area, "OriginWidth"),
            value(area, "OriginHeight"),       value(area, "ExtentWidth"),         value(area, "ExtentHeight")};
}

TEST_F(PrintTicketManagerTest, CapabilitiesFollowTheMergedPageTicket)
{
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    IXMLDOMDocument2* document = nullptr;
    ASSERT_EQ(manager.GetMergedTicket(TicketLevel::Document, &document), S_OK);
    ComPtr<IXMLDOMDocument2> capabilities;
    ASSERT_EQ(manager.GetPrintCapabilities(document, capabilities.Out()), S_OK);
    // A4 with 4233-micron margins: 210000 - 2 x 4233 = 201534 across,
    // 297000 - 2 x 4233 = 288534 down.
    EXPECT_EQ(ReadImageable(capabilities.Get()), (Imageable{"210000", "297000", "4233", "4233", "201534", "288534"}));

    ASSERT_EQ(manager.OnPageTicket(PageWithTicket(Ticket(KeywordFeature("PageOrientation", "Landscape"))).Get()), S_OK);
    IXMLDOMDocument2* page = nullptr;
    ASSERT_EQ(manager.GetMergedTicket(TicketLevel::Page, &page), S_OK);
    ASSERT_EQ(manager.GetPrintCapabilities(page, capabilities.Out()), S_OK);
    EXPECT_EQ(ReadImageable(capabilities.Get()), (Imageable{"297000", "210000", "4233", "4233", "288534", "201534"}));

    // The filters convert a merged ticket on the manager's own provider.
    ComPtr<IStream> pageStream;
    ASSERT_EQ(TicketDocumentStream(page, &pageStream), S_OK);
    ULONG size = 0;
    DEVMODEW* devmode = nullptr;
    ASSERT_EQ(PTConvertPrintTicketToDevMode(manager.ProviderHandle(), pageStream.Get(), kUserDefaultDevmode,
                                            kPTPageScope, &size, &devmode, nullptr),
              S_OK);
    EXPECT_EQ(devmode->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(devmode->dmPaperSize, DMPAPER_A4);
    PTReleaseMemory(devmode);

    ComPtr<IXMLDOMDocument2> notATicket = LoadDocument("<Other/>");
    EXPECT_TRUE(FAILED(manager.GetPrintCapabilities(notATicket.Get(), capabilities.Out())));
    EXPECT_FALSE(capabilities);
}

TEST_F(PrintTicketManagerTest, ImageableAreaUnderATicketInMicronsAndInPageUnits)
{
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    ASSERT_EQ(manager.OnPageTicket(PageWithTicket(Ticket(KeywordFeature("PageOrientation", "Landscape"))).Get()), S_OK);
    IXMLDOMDocument2* page = nullptr;
    ASSERT_EQ(manager.GetMergedTicket(TicketLevel::Page, &page), S_OK);
    ImageableArea area;
    ASSERT_EQ(ReadTicketImageableArea(manager, kPrivateKeywordsNamespace, page, &area), S_OK);
    EXPECT_EQ(area, (ImageableArea{297000, 210000, 4233, 4233, 288534, 201534}));
    // 264.58 microns to the unit: 4233 -> 15.9989, 288534 -> 1090.5359, 201534 -> 761.7129.
    Gdiplus::RectF rect = PrintableRectInPageUnits(area);
    EXPECT_NEAR(rect.X, 15.9989f, 1e-3);
    EXPECT_NEAR(rect.Y, 15.9989f, 1e-3);
    EXPECT_NEAR(rect.Width, 1090.5359f, 1e-3);
    EXPECT_NEAR(rect.Height, 761.7129f, 1e-3);

    EXPECT_EQ(ReadTicketImageableArea(manager, kPrivateKeywordsNamespace, nullptr, &area), E_POINTER);
}

}  // namespace
}  // namespace tickettest
