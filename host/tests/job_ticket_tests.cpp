// The job ticket: which of the job's own tickets name a medium, the first
// page's medium, and the printer's device that has not got it. Merged by
// the platform's provider for a device of two media written here.
#include <gtest/gtest.h>

#include <fstream>

#include "job/job_ticket.h"
#include "job/ticket_provider.h"
#include "support/test_package.h"

namespace tav::host {
namespace {

constexpr char kPrinter[] = "job-ticket-tests";

std::string Ticket(const std::string& body)
{
    return "<psf:PrintTicket version=\"1\" "
           "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
           "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
           "xmlns:ns0000=\"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">" +
           body + "</psf:PrintTicket>";
}

std::string Feature(const std::string& feature, const std::string& option)
{
    return "<psf:Feature name=\"psk:" + feature + "\"><psf:Option name=\"psk:" + option + "\"/></psf:Feature>";
}

constexpr char kResolution[] =
    "<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"ns0000:Resolution600\">"
    "<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:Value xsi:type=\"xsd:integer\">600</psf:Value>"
    "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:ResolutionY\"><psf:Value xsi:type=\"xsd:integer\">600"
    "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";

const std::string kA4 =
    "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\">"
    "<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">210000</psf:Value>"
    "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">"
    "297000</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";

// Letter and A4 only, A4 portrait by default.
void RegisterLetterAndA4Device()
{
    std::string path = testing::TemporaryFolder() + "/letter-a4-device.xml";
    std::ofstream(path) << "<Device xmlns=\"http://schemas.tavprint.example/tav/2026/device\" version=\"1\" "
                           "name=\"Two\" color=\"yes\" duplex=\"yes\">"
                           "<Margins left=\"4233\" top=\"4233\" right=\"4233\" bottom=\"4233\"/>"
                           "<Media><Medium name=\"NorthAmericaLetter\" width=\"215900\" height=\"279400\"/>"
                           "<Medium name=\"ISOA4\" width=\"210000\" height=\"297000\"/></Media>"
                           "<Orientations><Orientation name=\"Portrait\"/><Orientation name=\"Landscape\"/>"
                           "</Orientations><Resolutions><Resolution dpi=\"600\"/></Resolutions>"
                           "<InputBins><InputBin name=\"AutoSelect\"/></InputBins><DefaultTicket>" +
                               Ticket(kA4 + Feature("PageOrientation", "Portrait") + kResolution) +
                               "</DefaultTicket></Device>";
    RegisterDevice(kPrinter, path);
}

// 96 units an inch: Letter is 816 x 1056, A5 is 559.37 x 793.70.
constexpr FirstPage kLetterPage{816, 1056, false};
constexpr FirstPage kLandscapeA5Page{793.70, 559.37, false};

TEST(JobTicket, OnlyTheJobsOwnTicketsNameItsMedium)
{
    RegisterLetterAndA4Device();
    std::vector<std::string> warnings;
    // The device's default ticket names A4, but the job did not choose it.
    JobTicket plain(kPrinter, {{"number-up", "2"}}, "", &warnings);
    plain.SetBase(DeviceDefaultTicket(kPrinter), nullptr, std::nullopt);
    EXPECT_FALSE(plain.NamesMedium());
    EXPECT_TRUE(plain.WantsFirstPage());
    plain.AddFirstPage(kLetterPage);
    std::string merged = plain.Merge(&warnings);
    EXPECT_EQ(TicketOptionName(merged, "PageMediaSize"), "NorthAmericaLetter");
    EXPECT_TRUE(warnings.empty());

    // A per-user ticket the user gave, a ticket file and the package's own
    // ticket name theirs; once medium and orientation are named the first
    // page is not asked for.
    JobTicket own(kPrinter, {{"number-up", "2"}}, Ticket(Feature("PageOrientation", "Landscape")), &warnings);
    std::string fault;
    own.SetBase("", ParseGivenTicket(Ticket(Feature("PageMediaSize", "ISOA4")), &fault), std::nullopt);
    EXPECT_TRUE(own.NamesMedium());
    EXPECT_TRUE(own.NamesOrientation());
    EXPECT_FALSE(own.WantsFirstPage());

    JobTicket packaged(kPrinter, {}, "", &warnings);
    packaged.SetBase(DeviceDefaultTicket(kPrinter), nullptr,
                     PackageTicket{"/Job_PT.xml", Ticket(Feature("PageMediaSize", "NorthAmericaLetter"))});
    EXPECT_TRUE(packaged.NamesMedium());
    EXPECT_FALSE(packaged.HasSettings());
    EXPECT_EQ(packaged.Merge(&warnings), "");
    EXPECT_TRUE(warnings.empty());
}

TEST(JobTicket, AFirstPageMediumTheDeviceHasNotGotIsLeftOutWithItsOrientation)
{
    RegisterLetterAndA4Device();
    std::vector<std::string> warnings;
    JobTicket ticket(kPrinter, {{"number-up", "2"}}, "", &warnings);
    ticket.SetBase(DeviceDefaultTicket(kPrinter), nullptr, std::nullopt);
    ticket.AddFirstPage(kLandscapeA5Page);
    std::string merged = ticket.Merge(&warnings);
    // Merged with A5 in landscape the device would give A4 in landscape and
    // warn of A5; the job is printed as if it named nothing instead.
    EXPECT_EQ(TicketOptionName(merged, "PageMediaSize"), "ISOA4");
    EXPECT_EQ(TicketOptionName(merged, "PageOrientation"), "Portrait");
    EXPECT_TRUE(warnings.empty());

    // A medium the user asked for is warned of.
    JobTicket asked(kPrinter, {{"media", "A5"}}, "", &warnings);
    asked.SetBase(DeviceDefaultTicket(kPrinter), nullptr, std::nullopt);
    asked.AddFirstPage(kLandscapeA5Page);
    merged = asked.Merge(&warnings);
    EXPECT_EQ(TicketOptionName(merged, "PageMediaSize"), "ISOA4");
    EXPECT_EQ(warnings,
              std::vector<std::string>{"the printer has no medium ISOA5; the job is printed on ISOA4 instead"});
}

TEST(JobTicket, OptionsAndTicketFilesItCannotUseAreRefusedAtOnce)
{
    std::vector<std::string> warnings;
    EXPECT_THROW(JobTicket(kPrinter, {{"number-up", "5"}}, "", &warnings), SettingsError);
    EXPECT_THROW(JobTicket(kPrinter, {{"number-up", "2"}}, "<not a ticket", &warnings), SettingsError);
    // Without options the file is the delta as it stands: the merge says
    // what is wrong with it.
    EXPECT_NO_THROW(JobTicket(kPrinter, {}, "<not a ticket", &warnings));
}

}  // namespace
}  // namespace tav::host
