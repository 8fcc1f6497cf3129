// Generated packages read back with libzip and libxml2: every part has a
// content type, every relationship resolves, every XML part is well-formed,
// and the documents, pages, sizes, tickets and resources are those asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>

#include "jobgen/font_resource.h"
#include "jobgen/package_writer.h"
#include "test_support.h"

namespace jobgen {
namespace {

using namespace jobgen::testing;

struct Names {
    const char* ns;
    const char* representation;
    const char* resource;
    const char* ticket;
};

const Names kXpsNames{"http://schemas.microsoft.com/xps/2005/06",
                      "http://schemas.microsoft.com/xps/2005/06/fixedrepresentation",
                      "http://schemas.microsoft.com/xps/2005/06/required-resource",
                      "http://schemas.microsoft.com/xps/2005/06/printticket"};
const Names kOpenXpsNames{
    "http://schemas.openxps.org/oxps/v1.0", "http://schemas.openxps.org/oxps/v1.0/fixedrepresentation",
    "http://schemas.openxps.org/oxps/v1.0/required-resource", "http://schemas.openxps.org/oxps/v1.0/printticket"};

std::string Ticket(const std::string& label)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<psf:PrintTicket version=\"1\" "
           "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\">"
           "<!-- " +
           label + " --></psf:PrintTicket>\n";
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The content type [Content_Types].xml gives a part, or empty.
std::string ContentTypeOf(xmlNode* types, const std::string& partName)
{
    for (xmlNode* entry : ChildElements(types, "Override")) {
        if (Lower(Attribute(entry, "PartName")) == Lower(partName)) return Attribute(entry, "ContentType");
    }
    size_t dot = partName.rfind('.');
    std::string extension = dot == std::string::npos ? "" : Lower(partName.substr(dot + 1));
    for (xmlNode* entry : ChildElements(types, "Default")) {
        if (Lower(Attribute(entry, "Extension")) == extension) return Attribute(entry, "ContentType");
    }
    return {};
}

const char* ExpectedContentType(const std::string& partName)
{
    auto endsWith = [&](const char* suffix) { return partName.ends_with(suffix); };
    if (endsWith(".rels")) return "application/vnd.openxmlformats-package.relationships+xml";
    if (endsWith(".fdseq")) return "application/vnd.ms-package.xps-fixeddocumentsequence+xml";
    if (endsWith(".fdoc")) return "application/vnd.ms-package.xps-fixeddocument+xml";
    if (endsWith(".fpage")) return "application/vnd.ms-package.xps-fixedpage+xml";
    if (endsWith(".odttf")) return "application/vnd.ms-package.obfuscated-opentype";
    if (endsWith(".ttf")) return "application/vnd.ms-opentype";
    if (endsWith(".png")) return "image/png";
    if (partName.find("_PT.xml") != std::string::npos) return "application/vnd.ms-printing.printticket+xml";
    return "unexpected part";
}

xmlNode* Root(const XmlDoc& doc) { return xmlDocGetRootElement(doc.get()); }

// The one relationship of `type`, if any; fails the test when there are
// several.
std::optional<Relationship> Single(const std::vector<Relationship>& relationships, const std::string& type)
{
    std::optional<Relationship> found;
    for (const Relationship& r : relationships) {
        if (r.type != type) continue;
        EXPECT_FALSE(found) << "two relationships of type " << type;
        found = r;
    }
    return found;
}

// Checks the whole package against the job it was made from.
void CheckPackage(const std::string& path, const JobSpec& job)
{
    ZipPackage package(path);
    const Names& names = job.flavour == XpsFlavour::OpenXps ? kOpenXpsNames : kXpsNames;

    XmlDoc types = ParseXml(package.Part("/[Content_Types].xml"));
    ASSERT_TRUE(types);
    for (const std::string& part : package.PartNames()) {
        if (part == "/[Content_Types].xml") continue;
        EXPECT_EQ(ContentTypeOf(Root(types), part), ExpectedContentType(part)) << part;
        if (!part.ends_with(".png") && !part.ends_with("ttf")) {
            EXPECT_TRUE(ParseXml(package.Part(part))) << part;
        }
        if (part.ends_with(".rels")) {
            // Every relationships part belongs to a part, and each of its
            // targets is a part of the package.
            std::string folder = part.substr(0, part.rfind("_rels/"));
            std::string source = folder + part.substr(part.rfind('/') + 1, part.size() - part.rfind('/') - 6);
            if (source != "/") {
                EXPECT_TRUE(package.HasPart(source)) << part;
            }
            for (const Relationship& r : RelationshipsOf(package, source))
                EXPECT_TRUE(package.HasPart(r.target)) << part << " -> " << r.target;
        }
    }

    auto ticketOf = [&](const std::string& part) {
        std::optional<Relationship> ticket = Single(RelationshipsOf(package, part), names.ticket);
        return ticket ? package.Part(ticket->target) : std::string();
    };

    std::optional<Relationship> start = Single(RelationshipsOf(package, "/"), names.representation);
    ASSERT_TRUE(start);
    XmlDoc sequence = ParseXml(package.Part(start->target));
    ASSERT_TRUE(sequence);
    EXPECT_STREQ(reinterpret_cast<const char*>(Root(sequence)->name), "FixedDocumentSequence");
    EXPECT_EQ(Namespace(Root(sequence)), names.ns);
    EXPECT_EQ(ticketOf(start->target), job.jobTicket);

    std::vector<xmlNode*> references = ChildElements(Root(sequence), "DocumentReference");
    ASSERT_EQ(references.size(), job.documents.size());
    std::set<std::string> fontParts;
    for (size_t d = 0; d < references.size(); ++d) {
        const DocumentSpec& expected = job.documents[d];
        std::string documentPart = ResolvePartName(start->target, Attribute(references[d], "Source"));
        XmlDoc document = ParseXml(package.Part(documentPart));
        ASSERT_TRUE(document) << documentPart;
        EXPECT_EQ(Namespace(Root(document)), names.ns);
        EXPECT_EQ(ticketOf(documentPart), expected.ticket);
        std::vector<xmlNode*> contents = ChildElements(Root(document), "PageContent");
        ASSERT_EQ(contents.size(), expected.pages.size()) << documentPart;
        for (size_t p = 0; p < contents.size(); ++p) {
            PageSize size = OrientedSize(job.contentOrientation, expected.pages[p].size);
            std::string pagePart = ResolvePartName(documentPart, Attribute(contents[p], "Source"));
            SCOPED_TRACE(pagePart);
            XmlDoc page = ParseXml(package.Part(pagePart));
            ASSERT_TRUE(page);
            xmlNode* fixedPage = Root(page);
            EXPECT_STREQ(reinterpret_cast<const char*>(fixedPage->name), "FixedPage");
            EXPECT_EQ(Namespace(fixedPage), names.ns);
            EXPECT_EQ(std::stod(Attribute(fixedPage, "Width")), size.width);
            EXPECT_EQ(std::stod(Attribute(fixedPage, "Height")), size.height);
            EXPECT_EQ(std::stod(Attribute(contents[p], "Width")), size.width);
            EXPECT_EQ(std::stod(Attribute(contents[p], "Height")), size.height);
            EXPECT_EQ(ticketOf(pagePart), expected.pages[p].ticket);

            // Every font and image the markup uses is a required resource.
            std::set<std::string> used, required;
            std::vector<xmlNode*> pending{fixedPage};
            while (!pending.empty()) {
                xmlNode* element = pending.back();
                pending.pop_back();
                for (const char* attribute : {"FontUri", "ImageSource"}) {
                    std::string uri = Attribute(element, attribute);
                    if (!uri.empty()) used.insert(ResolvePartName(pagePart, uri));
                }
                for (xmlNode* child : ChildElements(element)) pending.push_back(child);
            }
            for (const Relationship& r : RelationshipsOf(package, pagePart)) {
                if (r.type == names.resource) required.insert(r.target);
            }
            EXPECT_EQ(used, required);
            for (const std::string& resource : required) {
                if (resource.find("/Fonts/") != std::string::npos) fontParts.insert(resource);
            }
        }
    }
    EXPECT_EQ(fontParts.size(), job.font == FontEmbedding::None ? 0u : 1u);
}

// Every configuration of the generator, in groups that a printer driver's
// tests would ask for.
struct Configuration {
    const char* name;
    JobSpec job;
    friend void PrintTo(const Configuration& c, std::ostream* out) { *out << c.name; }
};

std::vector<Configuration> Configurations()
{
    std::vector<Configuration> all;

    JobSpec tickets = MakeJob(2, 3);
    PageSize sizes[] = {kA4, Landscape(kLetter), PageSize{500, 700.5}};
    int index = 0;
    for (DocumentSpec& document : tickets.documents) {
        for (PageSpec& page : document.pages) page.size = sizes[index++ % 3];
    }
    tickets.jobTicket = Ticket("job");
    tickets.documents[1].ticket = Ticket("document 2");
    tickets.documents[0].pages[1].ticket = Ticket("page 2");
    tickets.documents[1].pages[2].ticket = Ticket("page 6");
    tickets.images = ImageResource::PerPage;
    all.push_back({"MixedSizesTicketsAndPageImages", tickets});

    JobSpec open = MakeJob(1, 2, kLetter);
    open.flavour = XpsFlavour::OpenXps;
    open.font = FontEmbedding::Plain;
    open.images = ImageResource::Shared;
    open.jobTicket = Ticket("job");
    open.documents[0].pages[0].ticket = Ticket("page 1");
    all.push_back({"OpenXpsPlainFontSharedImage", open});

    JobSpec pieces = tickets;
    pieces.interleaved = true;
    pieces.extraElements = 40;
    all.push_back({"InterleavedPieces", pieces});

    JobSpec bare = MakeJob(1, 2);
    bare.font = FontEmbedding::None;
    bare.vectorPaths = false;
    bare.contentOrientation = {1, true};
    all.push_back({"NoFontTurnedMirrored", bare});
    return all;
}

class GeneratedPackage : public ::testing::TestWithParam<Configuration> {};

TEST_P(GeneratedPackage, IsCompleteAndAsAsked)
{
    TempDir dir;
    std::string path = dir.File("job.xps");
    const JobSpec& job = GetParam().job;
    JobSummary summary = WriteXpsJob(job, path);
    EXPECT_EQ(summary.pages, TotalPages(job));
    EXPECT_EQ(summary.bytes, std::filesystem::file_size(path));
    CheckPackage(path, job);
}

INSTANTIATE_TEST_SUITE_P(Jobs, GeneratedPackage, ::testing::ValuesIn(Configurations()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GeneratedPackage, InterleavedPartsAreReallySplitIntoPieces)
{
    TempDir dir;
    JobSpec job = MakeJob(1, 2);
    job.interleaved = true;
    WriteXpsJob(job, dir.File("job.xps"));
    ZipPackage package(dir.File("job.xps"));
    const auto& entries = package.EntryNames();
    auto position = [&](const std::string& name) {
        auto found = std::find(entries.begin(), entries.end(), name);
        EXPECT_NE(found, entries.end()) << name;
        return found - entries.begin();
    };
    // Page 1's halves enclose its relationships; the document's pieces
    // enclose the pages.
    EXPECT_LT(position("Documents/1/Pages/1.fpage/[0].piece"), position("Documents/1/Pages/_rels/1.fpage.rels"));
    EXPECT_LT(position("Documents/1/Pages/_rels/1.fpage.rels"), position("Documents/1/Pages/1.fpage/[1].last.piece"));
    EXPECT_LT(position("Documents/1/FixedDocument.fdoc/[0].piece"), position("Documents/1/Pages/1.fpage/[0].piece"));
    EXPECT_LT(position("Documents/1/Pages/2.fpage/[1].last.piece"),
              position("Documents/1/FixedDocument.fdoc/[2].last.piece"));
}

std::string FontPartOf(const ZipPackage& package)
{
    for (const std::string& part : package.PartNames()) {
        if (part.starts_with("/Resources/Fonts/")) return part;
    }
    return {};
}

TEST(GeneratedPackage, EmbedsTheFontObfuscatedOrPlain)
{
    std::vector<uint8_t> original = LoadFontFile(FindDefaultFont());
    TempDir dir;
    JobSpec job = MakeJob(1, 1);
    WriteXpsJob(job, dir.File("obfuscated.xps"));
    job.font = FontEmbedding::Plain;
    WriteXpsJob(job, dir.File("plain.xps"));

    ZipPackage obfuscated(dir.File("obfuscated.xps"));
    std::string name = FontPartOf(obfuscated);
    // The part is named by the GUID that keys it.
    EXPECT_EQ(name, std::string("/Resources/Fonts/") + kFontGuid + ".odttf");
    const std::string& hidden = obfuscated.Part(name);
    ASSERT_EQ(hidden.size(), original.size());
    EXPECT_NE(hidden.substr(0, 32), std::string(original.begin(), original.begin() + 32));
    EXPECT_EQ(hidden.substr(32), std::string(original.begin() + 32, original.end()));

    ZipPackage plain(dir.File("plain.xps"));
    EXPECT_EQ(plain.Part(FontPartOf(plain)), std::string(original.begin(), original.end()));
}

TEST(GeneratedPackage, MarkupCharactersAreEscapedAndReadBackIntact)
{
    TempDir dir;
    JobSpec job = MakeJob(1, 1);
    job.markupCharacters = true;
    WriteXpsJob(job, dir.File("job.xps"));
    ZipPackage package(dir.File("job.xps"));
    XmlDoc page = ParseXml(package.Part("/Documents/1/Pages/1.fpage"));
    ASSERT_TRUE(page);
    std::set<std::string> uris, names, texts;
    for (xmlNode* element : ChildElements(Root(page))) {
        uris.insert(Attribute(element, "FixedPage.NavigateUri"));
        names.insert(Attribute(element, "AutomationProperties.Name"));
        texts.insert(Attribute(element, "UnicodeString"));
    }
    EXPECT_TRUE(uris.count("https://example.test/find?a=1&b=2&q=\"x<y>\""));
    EXPECT_TRUE(names.count("Tom & \"Jerry\" <3>"));
    EXPECT_TRUE(texts.count("Fish & Chips <\"42\">"));
}

TEST(GeneratedPackage, ExtraElementsMakeLargePages)
{
    TempDir dir;
    JobSpec job = MakeJob(1, 1);
    job.extraElements = 1000;
    job.images = ImageResource::Shared;
    WriteXpsJob(job, dir.File("job.xps"));
    ZipPackage package(dir.File("job.xps"));
    XmlDoc page = ParseXml(package.Part("/Documents/1/Pages/1.fpage"));
    ASSERT_TRUE(page);
    // Frame, 14 bars, band, triangle, page number, image, star, circle,
    // curve, and the thousand extra ones.
    EXPECT_EQ(ChildElements(Root(page)).size(), 17u + 1 + 1 + 3 + 1000);
    EXPECT_EQ(ChildElements(Root(page), "Glyphs").size(), 1u + 500);
}

TEST(GeneratedPackage, AFailedJobLeavesNoFile)
{
    TempDir dir;
    JobSpec job = MakeJob(1, 2);
    job.documents[0].pages[1].size = PageSize{100, 100};
    EXPECT_THROW(WriteXpsJob(job, dir.File("small.xps")), std::invalid_argument);
    job = MakeJob(1, 2);
    job.fontPath = dir.File("no-such-font.ttf");
    EXPECT_THROW(WriteXpsJob(job, dir.File("nofont.xps")), std::runtime_error);
    EXPECT_THROW(WriteXpsJob(MakeJob(0, 1), dir.File("empty.xps")), std::invalid_argument);
    EXPECT_THROW(WriteXpsJob(MakeJob(2, 0), dir.File("nopages.xps")), std::invalid_argument);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(GeneratedPackage, ThousandsOfPagesStreamIntoOnePackage)
{
    TempDir dir;
    JobSpec job = MakeJob(4, 500);
    job.images = ImageResource::Shared;
    int calls = 0, last = 0;
    JobSummary summary = WriteXpsJob(job, dir.File("big.xps"), [&](int written, int total) {
        ++calls;
        last = written;
        EXPECT_EQ(total, 2000);
    });
    EXPECT_EQ(summary.pages, 2000);
    EXPECT_EQ(calls, 2000);
    EXPECT_EQ(last, 2000);
    ZipPackage package(dir.File("big.xps"));
    XmlDoc document = ParseXml(package.Part("/Documents/4/FixedDocument.fdoc"));
    ASSERT_TRUE(document);
    EXPECT_EQ(ChildElements(Root(document), "PageContent").size(), 500u);
    EXPECT_TRUE(package.HasPart("/Documents/4/Pages/500.fpage"));
}

}  // namespace
}  // namespace jobgen
