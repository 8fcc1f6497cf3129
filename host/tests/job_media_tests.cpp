// The media of a job: which medium a ticket names, the warning when the
// device gives another, and the medium a job without one takes from its
// first page. Sizes worked out by hand from 96 units an inch.
#include <gtest/gtest.h>

#include <memory>

#include "content/failure_log.h"
#include "job/job_media.h"
#include "package/package.h"
#include "support/test_package.h"

namespace tav::host {
namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

const std::string kTicketStart =
    "<f:PrintTicket version=\"1\" "
    "xmlns:f=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:k=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
    "xmlns:p=\"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords\">";

std::string Ticket(const std::string& body) { return kTicketStart + body + "</f:PrintTicket>"; }

TEST(JobMedia, TicketsNameTheirOptionsByNamespace)
{
    std::string ticket = Ticket(
        "<f:Feature name=\"p:PageMediaSize\"><f:Option name=\"p:Own\"/></f:Feature>"
        "<f:Feature name=\" k:PageMediaSize\"><f:Option name=\"k:ISOA6\"/></f:Feature>");
    EXPECT_EQ(TicketOptionName(ticket, "PageMediaSize"), "ISOA6");
    EXPECT_EQ(TicketOptionName(ticket, "PageOrientation"), std::nullopt);
    EXPECT_EQ(TicketOptionName("<not a ticket", "PageMediaSize"), std::nullopt);
    EXPECT_EQ(TicketOptionName("", "PageMediaSize"), std::nullopt);

    std::string a4 = Ticket("<f:Feature name=\"k:PageMediaSize\"><f:Option name=\"k:ISOA4\"/></f:Feature>");
    EXPECT_EQ(MediaReplacementWarning(ticket, a4),
              "the printer has no medium ISOA6; the job is printed on ISOA4 instead");
    EXPECT_EQ(MediaReplacementWarning(a4, a4), std::nullopt);
    EXPECT_EQ(MediaReplacementWarning(Ticket(""), a4), std::nullopt);
}

TEST(JobMedia, AFirstPageGivesTheMediumOfItsSize)
{
    // Letter: 8.5 x 11 inches. A4 as documents write it, rounded to whole
    // units: 794 x 1123, within a millimetre of 210 x 297 mm.
    EXPECT_EQ(MediaOptionsForPage(816, 1056, true), (Options{{"media", "na_letter_8.5x11in"}}));
    EXPECT_EQ(MediaOptionsForPage(794, 1123, true), (Options{{"media", "iso_a4_210x297mm"}}));
    // Wider than tall: the medium in landscape, unless the job says otherwise.
    EXPECT_EQ(MediaOptionsForPage(1123, 794, true),
              (Options{{"media", "iso_a4_210x297mm"}, {"orientation-requested", "landscape"}}));
    EXPECT_EQ(MediaOptionsForPage(1123, 794, false), (Options{{"media", "iso_a4_210x297mm"}}));
    // 480 x 600 units are 127 x 158.75 mm: no named medium.
    EXPECT_EQ(MediaOptionsForPage(480, 600, true), (Options{{"media", "custom_127.00x158.75mm"}}));
    // Smaller than any custom size.
    EXPECT_TRUE(MediaOptionsForPage(1, 1, true).empty());
}

TEST(JobMedia, TheFirstPageIsReadFromThePackage)
{
    testing::TestPackage description = testing::PagesOfSize(2);
    description.documents[0].pages[0].width = 480;
    description.documents[0].pages[0].height = 600;
    std::string path = testing::TemporaryFolder() + "/first-page.xps";
    testing::WritePackage(path, description);
    EXPECT_EQ(FirstPageOf(Package::Open(path, ZipLimits(), std::make_shared<FailureLog>())),
              (FirstPage{480.0, 600.0, false}));

    // Its own ticket says whether it names its orientation.
    description.documents[0].pages[0].ticket = testing::SimpleTicket(1);
    testing::WritePackage(path, description);
    EXPECT_FALSE(FirstPageOf(Package::Open(path, ZipLimits(), std::make_shared<FailureLog>()))->namesOrientation);
    description.documents[0].pages[0].ticket =
        "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
        "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">"
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option "
        "name=\"psk:Landscape\"/></psf:Feature></psf:PrintTicket>";
    testing::WritePackage(path, description);
    EXPECT_TRUE(FirstPageOf(Package::Open(path, ZipLimits(), std::make_shared<FailureLog>()))->namesOrientation);

    // A document without pages is a fault of the package, which the job
    // reports when it walks there.
    testing::TestPackage empty;
    empty.documents.resize(1);
    testing::WritePackage(path, empty);
    EXPECT_EQ(FirstPageOf(Package::Open(path, ZipLimits(), std::make_shared<FailureLog>())), std::nullopt);
}

}  // namespace
}  // namespace tav::host
