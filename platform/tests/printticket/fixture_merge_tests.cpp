// Merging the job and document tickets of a real XPS package, read out of
// the package with libzip, over the default device's ticket.
#include <zip.h>

#include <string>

#include "ticket_test_support.h"

namespace tav::testing {
namespace {

// The uncompressed content of one part of a zip package.
std::string ReadZipEntry(const std::string& package, const char* name)
{
    int error = 0;
    zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) return {};
    std::string content;
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) && stat.size < (1u << 20)) {
        if (zip_file_t* file = zip_fopen(archive, name, 0)) {
            content.resize(stat.size);
            zip_int64_t read = zip_fread(file, content.data(), stat.size);
            content.resize(read < 0 ? 0 : static_cast<size_t>(read));
            zip_fclose(file);
        }
    }
    zip_close(archive);
    return content;
}

TEST(FixtureTickets, JobAndDocumentTicketsMergeOverTheDefaultTicket)
{
    std::string fixtures = FixturesFolder();
    if (fixtures.empty()) GTEST_SKIP() << "the fixtures folder is absent";
    std::string package = fixtures + "/xps/mb06.xps";
    std::string jobTicket = ReadZipEntry(package, "Resources/Job_PT.xml");
    std::string documentTicket = ReadZipEntry(package, "Resources/Document1_PT.xml");
    ASSERT_FALSE(jobTicket.empty());
    ASSERT_FALSE(documentTicket.empty());

    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    MergeOutcome job = Merge(provider.Get(), base, jobTicket);
    ASSERT_EQ(job.hr, S_PT_NO_CONFLICT) << job.message;
    Document jobResult(job.result);
    // The job ticket asks for two copies, with the "xs" prefix for the XML
    // Schema namespace, which the base calls "xsd".
    EXPECT_EQ(jobResult.Count("//psf:ParameterInit"), 1);
    EXPECT_EQ(jobResult.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "2");
    EXPECT_EQ(jobResult.Text("//psf:ParameterInit/psf:Value/@xsi:type"), "xsd:integer");
    EXPECT_EQ(jobResult.RootPrefix("http://www.w3.org/2001/XMLSchema"), "xsd");
    EXPECT_EQ(jobResult.Count("/psf:PrintTicket/psf:Feature"), 6);

    MergeOutcome document = Merge(provider.Get(), job.result, documentTicket);
    ASSERT_EQ(document.hr, S_PT_NO_CONFLICT) << document.message;
    Document documentResult(document.result);
    EXPECT_EQ(documentResult.Count("/psf:PrintTicket/psf:Feature"), 7);
    EXPECT_EQ(documentResult.Text("//psf:Feature[@name='psk:DocumentDuplex']/psf:Option/@name"), "psk:TwoSidedLongEdge");
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
