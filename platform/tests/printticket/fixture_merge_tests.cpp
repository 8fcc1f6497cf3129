// Merging the job and document tickets of a real XPS package, read out of
// the package with libzip, over the default device's ticket.
#include <string>

#include "testsupport/fixtures.h"
#include "ticket_test_support.h"

namespace tav::testing {
namespace {

TEST(FixtureTickets, JobAndDocumentTicketsMergeOverTheDefaultTicket)
{
    std::string jobTicket;
    std::string documentTicket;
    if (!testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Job_PT.xml", &jobTicket) ||
        !testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Document1_PT.xml", &documentTicket))
        GTEST_SKIP() << "the fixture xps/mb06.xps is absent; set TAV_FIXTURES";

    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    MergeOutcome job = Merge(provider.Get(), base, jobTicket);
    ASSERT_EQ(job.hr, S_PT_NO_CONFLICT) << job.message;
    TicketMarkup jobResult(job.result);
    // The job ticket asks for two copies, with the "xs" prefix for the XML
    // Schema namespace, which the base calls "xsd".
    EXPECT_EQ(jobResult.Count("//psf:ParameterInit"), 1);
    EXPECT_EQ(jobResult.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "2");
    EXPECT_EQ(jobResult.Text("//psf:ParameterInit/psf:Value/@xsi:type"), "xsd:integer");
    EXPECT_EQ(jobResult.RootPrefix("http://www.w3.org/2001/XMLSchema"), "xsd");
    EXPECT_EQ(jobResult.Count("/psf:PrintTicket/psf:Feature"), 6);

    MergeOutcome document = Merge(provider.Get(), job.result, documentTicket);
    ASSERT_EQ(document.hr, S_PT_NO_CONFLICT) << document.message;
    TicketMarkup documentResult(document.result);
    EXPECT_EQ(documentResult.Count("/psf:PrintTicket/psf:Feature"), 7);
    EXPECT_EQ(documentResult.Text("//psf:Feature[@name='psk:DocumentDuplex']/psf:Option/@name"),
              "psk:TwoSidedLongEdge");
    EXPECT_EQ(documentResult.Text("//psf:ScoredProperty[@name='psk:DuplexMode']/psf:Value"), "_Undefined_");
    EXPECT_EQ(documentResult.Text("//psf:ScoredProperty[@name='psk:DuplexMode']/psf:Value/@xsi:type"), "xsd:string");
    // What the job ticket and the device default set stays.
    EXPECT_EQ(documentResult.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "2");
    EXPECT_EQ(documentResult.Text("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']/psf:Option/@name"),
              "psk:OneSided");
    EXPECT_EQ(documentResult.Text("//psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name"), "psk:ISOA4");
}

}  // namespace
}  // namespace tav::testing
