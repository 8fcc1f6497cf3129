// Tickets that stay true through tavpipe: after the filters, the effective
// media of every page (its page, document and job tickets read in the output
// package, the lowest level that names a medium winning) is the size the page
// is written with; media the options offer and media of a device's own
// survive the merges; pages are recognised by namespace, and deep pages pass
// a whole chain. Checked by reading the output package and rendering it with
// MuPDF.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "jobgen/rgb_image.h"
#include "support/test_package.h"
#include "testsupport/ticket_markup.h"

namespace {

using jobgen::RgbImage;
using tav::host::testing::BuildFolder;
using tav::host::testing::FileExists;
using tav::host::testing::PagesOfSize;
using tav::host::testing::TemporaryFolder;
using tav::host::testing::TestPackage;
using tav::host::testing::TestPage;
using tav::host::testing::ZipItem;
using tav::host::testing::ZipItemNames;

constexpr double kMicronsPerUnit = 25400.0 / 96.0;
// Letter, A5 and A6 in XPS units.
constexpr double kLetterWidth = 816, kLetterHeight = 1056;
constexpr double kA5Width = 148000 / kMicronsPerUnit, kA5Height = 210000 / kMicronsPerUnit;
constexpr double kA6Width = 105000 / kMicronsPerUnit, kA6Height = 148000 / kMicronsPerUnit;

const std::string kTicketStart =
    "<psf:PrintTicket version=\"1\" "
    "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:ns0000=\"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords\">";

std::string Ticket(const std::string& body) { return kTicketStart + body + "</psf:PrintTicket>"; }

std::string Orientation(const std::string& option)
{
    return "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:" + option + "\"/></psf:Feature>";
}

std::string Transverse(const std::string& value)
{
    return "<psf:Property name=\"ns0000:PageMediaSizeData\"><psf:Property name=\"ns0000:TransverseMode\">"
           "<psf:Value xsi:type=\"xsd:string\">" +
           value + "</psf:Value></psf:Property></psf:Property>";
}

std::string Medium(const std::string& option, int width, int height)
{
    auto size = [](const char* name, int value) {
        return std::string("<psf:ScoredProperty name=\"psk:") + name + "\"><psf:Value xsi:type=\"xsd:integer\">" +
               std::to_string(value) + "</psf:Value></psf:ScoredProperty>";
    };
    return "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"" + option + "\">" +
           size("MediaSizeWidth", width) + size("MediaSizeHeight", height) + "</psf:Option></psf:Feature>";
}

std::string Folder(const std::string& name) { return TemporaryFolder() + "/" + name; }

std::string Write(const std::string& name, const TestPackage& package)
{
    std::string path = Folder(name);
    tav::host::testing::WritePackage(path, package);
    return path;
}

std::string WriteText(const std::string& name, const std::string& text)
{
    std::string path = Folder(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

jobgen::ProgramResult Tavpipe(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), BuildFolder() + "/bin/tavpipe");
    return jobgen::RunProgram(arguments);
}

// tavpipe with the arguments; a test failure when it does not succeed.
void RunTavpipe(const std::vector<std::string>& arguments)
{
    jobgen::ProgramResult result = Tavpipe(arguments);
    ASSERT_EQ(result.exitStatus, 0) << result.output;
}

bool ProgramsPresent()
{
    return FileExists(BuildFolder() + "/lib/libtavfin.so") && FileExists(BuildFolder() + "/lib/libtavord.so");
}

#define REQUIRE_CHAIN()                                                                        \
    do {                                                                                       \
        if (!ProgramsPresent()) GTEST_SKIP() << "tavpipe or the filter modules are not built"; \
    } while (false)

// --- Reading the output package --------------------------------------

struct XmlDocument {
    explicit XmlDocument(const std::string& text)
        : document(xmlReadMemory(text.data(), static_cast<int>(text.size()), "part.xml", nullptr,
                                 XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING))
    {
    }
    ~XmlDocument() { xmlFreeDoc(document); }
    xmlNode* Root() const { return document == nullptr ? nullptr : xmlDocGetRootElement(document); }
    xmlDoc* document;
};

std::string Attribute(xmlNode* element, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(element, reinterpret_cast<const xmlChar*>(name));
    std::string text = value == nullptr ? "" : reinterpret_cast<const char*>(value);
    xmlFree(value);
    return text;
}

// The values of an attribute on the children of the root with that local name.
std::vector<std::string> ChildAttributes(const std::string& markup, const char* element, const char* attribute)
{
    XmlDocument document(markup);
    std::vector<std::string> values;
    if (document.Root() == nullptr) return values;
    for (xmlNode* child = document.Root()->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE && std::string(reinterpret_cast<const char*>(child->name)) == element)
            values.push_back(Attribute(child, attribute));
    return values;
}

// The zip item a target names, relative to the part that names it.
std::string Resolve(const std::string& fromItem, const std::string& target)
{
    if (!target.empty() && target[0] == '/') return target.substr(1);
    size_t slash = fromItem.rfind('/');
    return (slash == std::string::npos ? "" : fromItem.substr(0, slash + 1)) + target;
}

std::string RelationshipsItem(const std::string& item)
{
    size_t slash = item.rfind('/');
    std::string folder = slash == std::string::npos ? "" : item.substr(0, slash + 1);
    return folder + "_rels/" + item.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

// The target of the part's relationship whose type ends so; "" when none.
std::string RelatedItem(const std::string& package, const std::string& item, const std::string& typeEnd)
{
    std::string relationshipsItem = RelationshipsItem(item);
    std::vector<std::string> names = ZipItemNames(package);
    if (std::find(names.begin(), names.end(), relationshipsItem) == names.end()) return "";
    XmlDocument relationships(ZipItem(package, relationshipsItem));
    if (relationships.Root() == nullptr) return "";
    for (xmlNode* child = relationships.Root()->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        std::string type = Attribute(child, "Type");
        if (type.size() >= typeEnd.size() && type.compare(type.size() - typeEnd.size(), typeEnd.size(), typeEnd) == 0)
            return Resolve(item, Attribute(child, "Target"));
    }
    return "";
}

std::string TicketOf(const std::string& package, const std::string& item)
{
    std::string ticket = RelatedItem(package, item, "/printticket");
    return ticket.empty() ? "" : ZipItem(package, ticket);
}

struct OutputPage {
    double width = 0, height = 0;
    std::string markup;
    // The tickets of the page, its document and the job, lowest level first;
    // "" for a level without one.
    std::vector<std::string> tickets;
};

std::vector<OutputPage> OutputPages(const std::string& package)
{
    std::vector<OutputPage> pages;
    std::string sequence = RelatedItem(package, "", "/fixedrepresentation");
    if (sequence.empty()) return pages;
    std::string jobTicket = TicketOf(package, sequence);
    for (const std::string& source : ChildAttributes(ZipItem(package, sequence), "DocumentReference", "Source")) {
        std::string document = Resolve(sequence, source);
        std::string documentTicket = TicketOf(package, document);
        for (const std::string& pageSource : ChildAttributes(ZipItem(package, document), "PageContent", "Source")) {
            std::string item = Resolve(document, pageSource);
            OutputPage page;
            page.markup = ZipItem(package, item);
            XmlDocument markup(page.markup);
            if (markup.Root() != nullptr) {
                page.width = std::atof(Attribute(markup.Root(), "Width").c_str());
                page.height = std::atof(Attribute(markup.Root(), "Height").c_str());
            }
            page.tickets = {TicketOf(package, item), documentTicket, jobTicket};
            pages.push_back(page);
        }
    }
    return pages;
}

struct Media {
    std::string name;
    int64_t width = 0, height = 0;  // microns
};

// The medium the lowest ticket that names one gives the page.
std::optional<Media> EffectiveMedia(const OutputPage& page)
{
    const std::string option = "/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']/psf:Option";
    for (const std::string& ticket : page.tickets) {
        if (ticket.empty()) continue;
        testsupport::TicketMarkup markup(ticket);
        if (markup.Count(option) != 1) continue;
        auto size = [&](const char* name) {
            std::string property = option + "/psf:ScoredProperty[@name='psk:" + name + "']";
            std::string value = markup.Text(property + "/psf:Value");
            if (value.empty()) {
                std::string reference = markup.Text(property + "/psf:ParameterRef/@name");
                value = markup.Text("/psf:PrintTicket/psf:ParameterInit[@name='" + reference + "']/psf:Value");
            }
            return std::atoll(value.c_str());
        };
        return Media{markup.Text(option + "/@name"), size("MediaSizeWidth"), size("MediaSizeHeight")};
    }
    return std::nullopt;
}

// Every page's effective medium is its written size, within a millimetre.
void ExpectMediaAreThePagesSizes(const std::vector<OutputPage>& pages)
{
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("output page " + std::to_string(i + 1));
        std::optional<Media> media = EffectiveMedia(pages[i]);
        ASSERT_TRUE(media);
        EXPECT_NEAR(media->width, pages[i].width * kMicronsPerUnit, 1000) << media->name;
        EXPECT_NEAR(media->height, pages[i].height * kMicronsPerUnit, 1000) << media->name;
    }
}

std::vector<RgbImage> Render(const std::string& package, int dpi) { return jobgen::RenderPages(package, dpi); }

// The share of pixels of a that differ clearly from b's pixel the mapping
// names.
template <class Mapping>
double DifferingShare(const RgbImage& a, const RgbImage& b, Mapping from)
{
    long differing = 0;
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            auto [sx, sy] = from(x, y);
            jobgen::Rgb p = a.At(x, y), q = b.At(sx, sy);
            differing += std::abs(p.r - q.r) > 64 || std::abs(p.g - q.g) > 64 || std::abs(p.b - q.b) > 64;
        }
    }
    return double(differing) / (double(a.Width()) * a.Height());
}

// A page whose upper left quarter is black, so that any turn or flip shows.
TestPage MarkedPage(double width, double height, const std::string& ticket = "")
{
    TestPage page;
    page.width = width;
    page.height = height;
    page.ticket = ticket;
    char body[200];
    std::snprintf(body, sizeof body, "<Path Data=\"M 0,0 L %.2f,0 L %.2f,%.2f L 0,%.2f Z\" Fill=\"#FF000000\"/>",
                  width / 2, width / 2, height / 2, height / 2);
    page.body = body;
    return page;
}

// --- Finisher --------------------------------------------------------

TEST(TicketsEndToEnd, UnderTransverseFeedEveryPagesMediaIsItsWrittenSize)
{
    REQUIRE_CHAIN();
    TestPackage package;
    package.documents.resize(2);
    // Turned; not turned by a partial ticket of its own; ReverseLandscape
    // and Landscape pages of the same size, neither turned.
    package.documents[0].pages = {MarkedPage(kLetterWidth, kLetterHeight),
                                  MarkedPage(kLetterWidth, kLetterHeight, Ticket(Transverse("Off"))),
                                  MarkedPage(kLetterHeight, kLetterWidth, Ticket(Orientation("ReverseLandscape"))),
                                  MarkedPage(kLetterHeight, kLetterWidth, Ticket(Orientation("Landscape")))};
    // A document whose partial ticket switches transverse feed off.
    package.documents[1].ticket = Ticket(Transverse("Off"));
    package.documents[1].pages = {MarkedPage(kLetterWidth, kLetterHeight)};
    std::string input = Write("transverse-partial.xps", package);
    std::string output = Folder("transverse-partial-out.xps");
    RunTavpipe({"-f", "finisher", "-o", "transverse=on", "-o", "media=na_letter_8.5x11in", input, output});

    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 5u);
    const std::pair<double, double> sizes[] = {{1056, 816}, {816, 1056}, {1056, 816}, {1056, 816}, {816, 1056}};
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_NEAR(pages[i].width, sizes[i].first, 0.01) << i;
        EXPECT_NEAR(pages[i].height, sizes[i].second, 0.01) << i;
    }
    ExpectMediaAreThePagesSizes(pages);

    // The ReverseLandscape page is the Landscape page turned half round.
    JOBGEN_REQUIRE_PROGRAM("mutool");
    std::vector<RgbImage> rendered = Render(output, 24);
    ASSERT_EQ(rendered.size(), 5u);
    const RgbImage& reverse = rendered[2];
    const RgbImage& landscape = rendered[3];
    ASSERT_EQ(reverse.Width(), landscape.Width());
    EXPECT_LT(DifferingShare(
                  reverse, landscape,
                  [&](int x, int y) { return std::make_pair(landscape.Width() - 1 - x, landscape.Height() - 1 - y); }),
              0.01);
    EXPECT_GT(DifferingShare(reverse, landscape, [](int x, int y) { return std::make_pair(x, y); }), 0.2);
}

TEST(TicketsEndToEnd, TransverseFeedOfThePerUserTicketAloneIsSaidInTheOutput)
{
    REQUIRE_CHAIN();
    // Its value spread over lines, as the provider reads it: "On".
    std::string userTicket = WriteText(
        "user-transverse.xml",
        Ticket(Medium("psk:NorthAmericaLetter", 215900, 279400) + Transverse("\n        On\n      ") +
               "<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"ns0000:Resolution600\"/></psf:Feature>"));
    TestPackage package;
    package.documents.resize(1);
    package.documents[0].pages = {MarkedPage(kLetterWidth, kLetterHeight), MarkedPage(kLetterWidth, kLetterHeight)};
    std::string input = Write("user-transverse.xps", package);
    std::string output = Folder("user-transverse-out.xps");
    RunTavpipe({"-f", "finisher", "--user-ticket", userTicket, input, output});

    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 2u);
    for (const OutputPage& page : pages) {
        EXPECT_NEAR(page.width, 1056, 0.01);
        EXPECT_NEAR(page.height, 816, 0.01);
    }
    ExpectMediaAreThePagesSizes(pages);
}

// --- Order -----------------------------------------------------------

TEST(TicketsEndToEnd, BookletPagesOfEveryDocumentKeepTheirDocumentsMedia)
{
    REQUIRE_CHAIN();
    TestPackage package;
    package.documents.resize(2);
    package.documents[0].ticket = Ticket(Medium("psk:NorthAmericaLetter", 215900, 279400));
    package.documents[0].pages = {MarkedPage(kLetterWidth, kLetterHeight)};
    package.documents[1].ticket = Ticket(Medium("psk:ISOA5", 148000, 210000));
    package.documents[1].pages = {MarkedPage(kA5Width, kA5Height), MarkedPage(kA5Width, kA5Height)};
    std::string input = Write("booklet-documents.xps", package);
    std::string output = Folder("booklet-documents-out.xps");
    RunTavpipe({"-f", "order", "-o", "booklet=on", input, output});

    // Three pages and one padding page of the first page's size, in one
    // document: padding, Letter, A5, A5.
    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_NEAR(pages[0].width, kLetterWidth, 0.01);
    EXPECT_NEAR(pages[1].width, kLetterWidth, 0.01);
    EXPECT_NEAR(pages[2].width, kA5Width, 0.01);
    EXPECT_NEAR(pages[3].width, kA5Width, 0.01);
    ExpectMediaAreThePagesSizes(pages);
}

// --- Media -----------------------------------------------------------

TEST(TicketsEndToEnd, AnA6JobIsTurnedOnA6)
{
    REQUIRE_CHAIN();
    TestPackage package;
    package.documents.resize(1);
    package.documents[0].pages = {MarkedPage(kA6Width, kA6Height)};
    std::string input = Write("a6.xps", package);
    std::string output = Folder("a6-out.xps");
    jobgen::ProgramResult result = Tavpipe({"-f", "finisher", "-o", "media=A6", "-o", "transverse=on", input, output});
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(result.output.find("warning"), std::string::npos) << result.output;

    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, kA6Height, 0.01);
    EXPECT_NEAR(pages[0].height, kA6Width, 0.01);
    std::optional<Media> media = EffectiveMedia(pages[0]);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->name, "psk:ISOA6");
    EXPECT_EQ(media->width, 148000);
    EXPECT_EQ(media->height, 105000);
}

// A device with Letter, A4 and a private 100 x 300 mm medium.
std::string DeviceWithPrivateMedium()
{
    return "<Device xmlns=\"http://schemas.tavprint.example/tav/2026/device\" version=\"1\" name=\"Banner\" "
           "color=\"yes\" duplex=\"yes\">"
           "<Margins left=\"4233\" top=\"4233\" right=\"4233\" bottom=\"4233\"/>"
           "<Media><Medium name=\"NorthAmericaLetter\" width=\"215900\" height=\"279400\"/>"
           "<Medium name=\"ISOA4\" width=\"210000\" height=\"297000\"/>"
           "<Medium name=\"Banner\" private=\"yes\" width=\"100000\" height=\"300000\"/></Media>"
           "<Orientations><Orientation name=\"Portrait\"/><Orientation name=\"Landscape\"/></Orientations>"
           "<Resolutions><Resolution dpi=\"600\"/></Resolutions>"
           "<InputBins><InputBin name=\"AutoSelect\"/></InputBins><DefaultTicket>" +
           Ticket(Medium("psk:ISOA4", 210000, 297000) + Orientation("Portrait") +
                  "<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"ns0000:Resolution600\">"
                  "<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:Value xsi:type=\"xsd:integer\">600</psf:Value>"
                  "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:ResolutionY\"><psf:Value "
                  "xsi:type=\"xsd:integer\">600</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>") +
           "</DefaultTicket></Device>";
}

TEST(TicketsEndToEnd, AMediumOfTheDevicesOwnSurvivesAMergeAndAMissingOneIsReported)
{
    REQUIRE_CHAIN();
    std::string device = WriteText("banner-device.xml", DeviceWithPrivateMedium());
    const double width = 100000 / kMicronsPerUnit, height = 300000 / kMicronsPerUnit;
    TestPackage package;
    package.jobTicket = Ticket(Medium("ns0000:Banner", 100000, 300000));
    package.documents.resize(1);
    package.documents[0].pages = {MarkedPage(width, height)};
    std::string input = Write("banner.xps", package);
    std::string output = Folder("banner-out.xps");
    jobgen::ProgramResult result =
        Tavpipe({"--device", device, "-f", "finisher", "-o", "transverse=on", input, output});
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(result.output.find("warning"), std::string::npos) << result.output;

    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width, height, 0.01);
    std::optional<Media> media = EffectiveMedia(pages[0]);
    ASSERT_TRUE(media);
    // The job's ticket gives it, named in the private namespace.
    ASSERT_FALSE(pages[0].tickets[2].empty());
    testsupport::TicketMarkup job(pages[0].tickets[2]);
    EXPECT_EQ(media->name, job.RootPrefix(testsupport::kPrivateUri) + ":Banner");
    EXPECT_EQ(media->width, 300000);
    EXPECT_EQ(media->height, 100000);

    // A6 is not among this device's media: the job goes on, on its default,
    // and says so.
    result = Tavpipe({"--device", device, "-f", "finisher", "-o", "media=A6", input, Folder("banner-a6.xps")});
    ASSERT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_NE(result.output.find("warning: the printer has no medium ISOA6; the job is printed on ISOA4 instead"),
              std::string::npos)
        << result.output;
}

// --- Page markup -----------------------------------------------------

// The package with its pages' XPS namespace written with the prefix x.
void WritePrefixed(const std::string& path, const TestPackage& package)
{
    auto entries = tav::host::testing::PackageEntries(package);
    for (auto& [name, bytes] : entries) {
        if (name.size() < 6 || name.compare(name.size() - 6, 6, ".fpage") != 0) continue;
        std::string prefixed;
        for (size_t i = 0; i < bytes.size(); ++i) {
            prefixed += bytes[i];
            if (bytes[i] == '<' && i + 1 < bytes.size() && bytes[i + 1] != '?') {
                if (bytes[i + 1] == '/') prefixed += bytes[++i];
                prefixed += "x:";
            }
        }
        size_t declaration = prefixed.find("xmlns=");
        prefixed.replace(declaration, 6, "xmlns:x=");
        bytes = prefixed;
    }
    tav::host::testing::WriteZip(path, entries);
}

TEST(TicketsEndToEnd, APageWithAPrefixedRootIsMirroredAndBookletOrdered)
{
    REQUIRE_CHAIN();
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TestPackage package;
    package.documents.resize(1);
    package.documents[0].pages = {MarkedPage(kLetterWidth, kLetterHeight)};
    std::string input = Folder("prefixed.xps");
    WritePrefixed(input, package);
    ASSERT_NE(ZipItem(input, "Documents/1/Pages/1.fpage").find("<x:FixedPage xmlns:x="), std::string::npos);

    std::string mirrored = Folder("prefixed-mirrored.xps");
    RunTavpipe({"-f", "finisher", "-o", "mirror=width", input, mirrored});
    std::vector<RgbImage> before = Render(input, 24);
    std::vector<RgbImage> after = Render(mirrored, 24);
    ASSERT_EQ(before.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    ASSERT_EQ(after[0].Width(), before[0].Width());
    EXPECT_LT(
        DifferingShare(after[0], before[0], [&](int x, int y) { return std::make_pair(before[0].Width() - 1 - x, y); }),
        0.01);
    EXPECT_GT(DifferingShare(after[0], before[0], [](int x, int y) { return std::make_pair(x, y); }), 0.2);

    std::string booklet = Folder("prefixed-booklet.xps");
    RunTavpipe({"-f", "order", "-o", "booklet=on", input, booklet});
    std::vector<OutputPage> pages = OutputPages(booklet);
    ASSERT_EQ(pages.size(), 4u);
    // The padding pages are blank pages of the page's size.
    EXPECT_NEAR(pages[0].width, kLetterWidth, 0.01);
    EXPECT_NEAR(pages[0].height, kLetterHeight, 0.01);
}

// A watermark and a footer on a page that calls the XPS namespace by the
// prefix x: their markup, whose names have no prefix, declares the
// namespace, so that the output reads back and prints them. Undeclared, it
// was markup of no namespace, which tavpipe itself refused.
TEST(TicketsEndToEnd, ADecoratedPageWithAPrefixedRootReadsBackAndPrintsItsDecorations)
{
    REQUIRE_CHAIN();
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TestPackage package = PagesOfSize(1);
    package.documents[0].pages[0].body = "<Path Data=\"M 0,0 L 8,0 8,8 0,8 Z\" Fill=\"#FF000000\"/>";
    std::string input = Folder("prefixed-plain.xps");
    WritePrefixed(input, package);
    std::string output = Folder("prefixed-decorated.xps");
    RunTavpipe({"-f", "prep", "-o", "watermark-text=DRAFT", "-o", "header-footer=on", "-o", "header-footer-id=user",
                "-o", "job-originating-user-name=alice", input, output});
    RunTavpipe({"info", output});
    RunTavpipe({"-q", output, Folder("prefixed-decorated-again.xps")});
    std::vector<RgbImage> pages = Render(output, 72);
    ASSERT_EQ(pages.size(), 1u);
    long grey = 0, dark = 0;
    for (int y = 0; y < pages[0].Height(); ++y) {
        for (int x = 0; x < pages[0].Width(); ++x) {
            jobgen::Rgb p = pages[0].At(x, y);
            grey += std::abs(p.r - 0xC0) < 16 && std::abs(p.g - 0xC0) < 16 && std::abs(p.b - 0xC0) < 16;
            // The footer, at the bottom right, away from the black square.
            dark += x > pages[0].Width() / 2 && y > pages[0].Height() * 9 / 10 && p.r < 160;
        }
    }
    EXPECT_GT(grey, 50);
    EXPECT_GT(dark, 0);
}

TEST(TicketsEndToEnd, CutMarksOfALetterJobWithoutMediaLieOnThePage)
{
    REQUIRE_CHAIN();
    JOBGEN_REQUIRE_PROGRAM("mutool");
    TestPackage package = PagesOfSize(1);
    package.documents[0].pages[0].body = "<Path Data=\"M 0,0 L 816,0 L 816,1056 L 0,1056 Z\" Fill=\"#FFC0C0C0\"/>";
    std::string input = Write("letter-cut.xps", package);
    std::string output = Folder("letter-cut-out.xps");
    RunTavpipe({"-f", "finisher", "-o", "poster=4", "-o", "poster-cut-lines=on", input, output});

    // Letter's printable area on the default device lies 16.00 units inside
    // every edge; the marks 0.64 further in: along x = 799.37 on the right
    // and y = 1039.37 at the bottom, each 52.18 wide and 68.18 high. On A4
    // they would lie at x = 777.06 and y = 1105.87, below the page.
    std::vector<RgbImage> rendered = Render(output, 192);
    ASSERT_EQ(rendered.size(), 1u);
    const RgbImage& page = rendered[0];
    ASSERT_EQ(page.Width(), 1632);
    ASSERT_EQ(page.Height(), 2112);
    auto darkest = [&](double x, double y) {
        int value = 255;
        for (double dx = -1; dx <= 1; dx += 0.5)
            for (double dy = -1; dy <= 1; dy += 0.5)
                value = std::min<int>(value, page.At(static_cast<int>((x + dx) * 2), static_cast<int>((y + dy) * 2)).g);
        return value;
    };
    const std::pair<double, double> marks[] = {{16.64, 1039.37 - 34.09},  {16.64 + 26.09, 1039.37},
                                               {799.37, 1039.37 - 34.09}, {799.37 - 26.09, 1039.37},
                                               {799.37, 16.64 + 34.09},   {381.91 + 26.09, 1039.37}};
    for (auto [x, y] : marks) EXPECT_LT(darkest(x, y), 0xC0 - 40) << "mark at " << x << "," << y;

    // The job's ticket says Letter.
    std::vector<OutputPage> pages = OutputPages(output);
    ASSERT_EQ(pages.size(), 1u);
    std::optional<Media> media = EffectiveMedia(pages[0]);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->name, "psk:NorthAmericaLetter");
}

TEST(TicketsEndToEnd, APageAsDeepAsTheInputAllowsPassesTheWholeChain)
{
    REQUIRE_CHAIN();
    // The FixedPage, 254 Canvases and a Path: 256 open elements, the most
    // the package reader takes. The finisher wraps the content in two
    // Canvases of its own (the mirror and the clip), and the Order filter
    // after it reads the whole page for the booklet's padding pages.
    TestPackage package = PagesOfSize(1);
    std::string body;
    for (int i = 0; i < 254; ++i) body += "<Canvas>";
    body += "<Path Data=\"M 0,0 L 100,0 L 100,100 Z\" Fill=\"#FF000000\"/>";
    for (int i = 0; i < 254; ++i) body += "</Canvas>";
    package.documents[0].pages[0].body = body;
    std::string input = Write("deep.xps", package);
    std::string output = Folder("deep-out.xps");
    RunTavpipe({"-f", "prep,layout,finisher,order", "-o", "mirror=width", "-o", "poster=4", "-o", "poster-cut-lines=on",
                "-o", "booklet=on", input, output});
    EXPECT_EQ(OutputPages(output).size(), 4u);
}

}  // namespace
