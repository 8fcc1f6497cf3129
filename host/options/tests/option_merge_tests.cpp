// Options merged over a --ticket file: an option wins over the same setting,
// the rest of the file is kept, names are compared by namespace.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ticket_query.h"

namespace {

constexpr char kFramework[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
constexpr char kKeywords[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
constexpr char kPrivate[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";

// A ticket as another program writes it: its own prefixes, a second prefix
// for the keywords namespace, N-up and a custom size with parameters, and
// settings no option touches.
std::string BaseTicket()
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + "<f:PrintTicket xmlns:f=\"" + kFramework +
           "\" xmlns:k=\"" + kKeywords + "\" xmlns:kw=\"" + kKeywords +
           "\" xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:s=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:v=\"" +
           kPrivate +
           "\" version=\"1\">"
           "<f:Feature name=\"kw:JobNUpAllDocumentsContiguously\"><f:Option>"
           "<f:ScoredProperty name=\"k:PagesPerSheet\"><f:Value i:type=\"s:integer\">2</f:Value></f:ScoredProperty>"
           "</f:Option></f:Feature>"
           "<f:Feature name=\"k:PageMediaSize\"><f:Option name=\"k:CustomMediaSize\">"
           "<f:ScoredProperty name=\"k:MediaSizeWidth\"><f:ParameterRef name=\"k:PageMediaSizeMediaSizeWidth\"/>"
           "</f:ScoredProperty></f:Option></f:Feature>"
           "<f:ParameterInit name=\"kw:PageMediaSizeMediaSizeWidth\"><f:Value i:type=\"s:integer\">99000</f:Value>"
           "</f:ParameterInit>"
           "<f:ParameterInit name=\"k:JobCopiesAllDocuments\"><f:Value "
           "i:type=\"s:integer\">2</f:Value></f:ParameterInit>"
           "<f:Feature name=\"v:PageReverseImage\"><f:Option name=\"v:On\"/></f:Feature>"
           "<f:Feature name=\"k:PageOrientation\"><f:Option name=\"k:Landscape\"/></f:Feature>"
           "</f:PrintTicket>";
}

TEST(OptionMerge, OptionWinsAndTheRestOfTheFileIsKept)
{
    TicketQuery ticket(TicketFor({{"number-up", "4"}, {"reverse-image", "off"}}, BaseTicket()));
    ASSERT_TRUE(ticket.Parsed());
    EXPECT_EQ(ticket.Expand("{k}"), "k:") << "the file's first prefix for the keywords is used";
    EXPECT_EQ(ticket.Expand("{p}"), "v:");
    // The N-up feature was named with the second prefix; it is replaced all the same.
    EXPECT_EQ(ticket.Count("//psf:Feature[@name='k:JobNUpAllDocumentsContiguously' or "
                           "@name='kw:JobNUpAllDocumentsContiguously']"),
              1);
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='k:JobNUpAllDocumentsContiguously']//psf:ScoredProperty"), "4");
    EXPECT_EQ(ticket.Count("//psf:Feature[@name='v:PageReverseImage']"), 1);
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='v:PageReverseImage']/psf:Option/@name"), "v:Off");
    EXPECT_EQ(ticket.Read("/psf:PrintTicket/psf:ParameterInit[@name='k:JobCopiesAllDocuments']"), "2");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='k:PageOrientation']/psf:Option/@name"), "k:Landscape");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='k:PageMediaSize']/psf:Option/@name"), "k:CustomMediaSize");
    // Replaced settings stay in the file's order.
    EXPECT_EQ(ticket.Read("/psf:PrintTicket/*[1]/@name"), "k:JobNUpAllDocumentsContiguously");
}

TEST(OptionMerge, ReplacedFeatureTakesItsParametersAlong)
{
    TicketQuery ticket(TicketFor({{"media", "A4"}}, BaseTicket()));
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='k:PageMediaSize']/psf:Option/@name"), "k:ISOA4");
    EXPECT_EQ(ticket.Count("//psf:ParameterInit[@name='k:PageMediaSizeMediaSizeWidth' or "
                           "@name='kw:PageMediaSizeMediaSizeWidth']"),
              0);
    EXPECT_EQ(ticket.Count("//psf:ParameterInit[@name='k:JobCopiesAllDocuments']"), 1);

    TicketQuery custom(TicketFor({{"media", "custom_120x80mm"}}, BaseTicket()));
    EXPECT_EQ(custom.Count("//psf:ParameterInit[@name='k:PageMediaSizeMediaSizeWidth' or "
                           "@name='kw:PageMediaSizeMediaSizeWidth']"),
              1);
    EXPECT_EQ(custom.Read("//psf:Feature[@name='k:PageMediaSize']//psf:ScoredProperty[@name='k:MediaSizeWidth']"),
              "120000");
}

TEST(OptionMerge, LargeFileIsMergedWholeAndOnce)
{
    // A feature that refers to many parameters, many of them twice, and as
    // many unrelated parameters.
    constexpr int kCount = 10000;
    std::string base = std::string("<psf:PrintTicket xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
                       "\" version=\"1\"><psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option>";
    for (int i = 0; i < kCount; ++i)
        base += "<psf:ScoredProperty name=\"psk:S\"><psf:ParameterRef name=\"psk:P" + std::to_string(i % (kCount / 2)) +
                "\"/></psf:ScoredProperty>";
    base += "</psf:Option></psf:Feature>";
    for (int i = 0; i < kCount; ++i)
        base += "<psf:ParameterInit name=\"psk:" + std::string(i < kCount / 2 ? "P" : "Other") + std::to_string(i) +
                "\"><psf:Value>1</psf:Value></psf:ParameterInit>";
    base += "</psf:PrintTicket>";

    TicketQuery ticket(TicketFor({{"number-up", "4"}}, base));
    EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:Feature"), 1);
    EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:ParameterInit[starts-with(@name, 'psk:P')]"), 0);
    EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:ParameterInit[starts-with(@name, 'psk:Other')]"), kCount / 2);
}

TEST(OptionMerge, NamespacesTheFileLacksAreDeclaredWithoutClash)
{
    // ns0000 is taken by another namespace, the private one is missing.
    std::string base = std::string("<psf:PrintTicket xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
                       "\" xmlns:ns0000=\"urn:other\" version=\"1\"><psf:Feature name=\"ns0000:Thing\">"
                       "<psf:Option name=\"ns0000:Kept\"/></psf:Feature></psf:PrintTicket>";
    TicketQuery ticket(TicketFor({{"reverse-image", "on"}, {"number-up", "2"}}, base));
    ASSERT_TRUE(ticket.Parsed());
    EXPECT_NE(ticket.Expand("{p}"), "ns0000:");
    EXPECT_NE(ticket.Expand("{p}"), "(undeclared)");
    EXPECT_EQ(ticket.NameUri("//psf:Feature[@name='{p}PageReverseImage']"), kPrivate);
    EXPECT_EQ(ticket.ValueType("//psf:ScoredProperty[@name='{k}PagesPerSheet']"), "integer")
        << "xsi and xsd declared for the typed values";
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='ns0000:Thing']/psf:Option/@name"), "ns0000:Kept");
}

TEST(OptionMerge, UnusableFilesAreRefusedWithTheReason)
{
    std::string keywords = std::string(" xmlns:psk=\"") + kKeywords + "\"";
    struct Case {
        std::string base;
        const char* reason;
    };
    const Case cases[] = {
        {"<psf:PrintTicket", "not well-formed"},
        {"<?xml version=\"1.0\"?><!DOCTYPE t [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>"
         "<psf:PrintTicket xmlns:psf=\"" +
             std::string(kFramework) + "\" version=\"1\">&b;</psf:PrintTicket>",
         "DOCTYPE"},
        {"<Ticket xmlns=\"urn:x\"/>", "not a PrintTicket"},
        {"<psf:PrintTicket xmlns:psf=\"" + std::string(kFramework) + "\" version=\"2\"/>", "version is not 1"},
        {"<psf:PrintTicket xmlns:psf=\"" + std::string(kFramework) + "\" xmlns=\"" + kKeywords + "\"" + keywords +
             " version=\"1\"/>",
         "default namespace"},
    };
    for (const Case& test : cases) {
        std::string error = RefusalOf({{"number-up", "2"}}, test.base);
        EXPECT_TRUE(Contains(error, test.reason)) << test.reason << ": " << error;
    }
}

}  // namespace
