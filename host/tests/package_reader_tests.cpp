// Reading packages: the real fixtures (checked against what unzip shows of
// them), generated packages with tickets, pieces and OpenXPS, and broken
// packages that must fail with the part and the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <zip.h>

#include "opc/package_error.h"
#include "package/package_walker.h"
#include "support/test_package.h"

namespace tav::host {
namespace {

using testing::FixturesFolder;
using testing::TemporaryFolder;
using testing::TestPackage;
using testing::ToUtf16;
using testing::WritePackage;
using testing::WriteZip;

// One line per part the walk yields, in the order yielded.
struct WalkLine {
    std::string kind;
    std::string name;
    std::string ticket;
    std::vector<std::string> resources;
    double width = 0;
    double height = 0;
};

std::string TicketName(const std::shared_ptr<PartData>& data)
{
    ComPtr<IPartPrintTicket> ticket = data->Ticket();
    return ticket ? HostDataOf(ticket.Get())->Name() : "";
}

std::vector<WalkLine> Walk(const std::string& path, const ZipLimits& limits = {})
{
    std::shared_ptr<Package> package = Package::Open(path, limits, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    std::vector<WalkLine> lines;
    while (ComPtr<IUnknown> part = walker.Next()) {
        std::shared_ptr<PartData> data = HostDataOf(part.Get());
        WalkLine line;
        if (!data) {
            ComPtr<IXpsDocument> document;
            EXPECT_TRUE(SUCCEEDED(part.As(IID_IXpsDocument, &document)));
            line.kind = "xps";
            lines.push_back(line);
            continue;
        }
        line.name = data->Name();
        line.ticket = TicketName(data);
        switch (data->Role()) {
        case PartRole::Sequence: line.kind = "sequence"; break;
        case PartRole::Document: line.kind = "document"; break;
        case PartRole::Page: line.kind = "page"; break;
        default: line.kind = "other"; break;
        }
        for (const PageResource& resource : data->Resources()) line.resources.push_back(resource.name);
        data->PageSize(&line.width, &line.height);
        lines.push_back(line);
    }
    return lines;
}

// The failure a walk of the whole package ends with: "part: reason".
std::string WalkFailure(const std::string& path, const ZipLimits& limits = {})
{
    try {
        Walk(path, limits);
    } catch (const PackageError& error) {
        return error.what();
    }
    return "";
}

std::string ReadAll(IPartBase* part)
{
    ComPtr<IPrintReadStream> stream;
    EXPECT_EQ(part->GetStream(stream.Out()), S_OK);
    std::string bytes;
    char block[777];
    for (;;) {
        ULONG got = 0;
        BOOL end = FALSE;
        EXPECT_EQ(stream->ReadBytes(block, sizeof block, &got, &end), S_OK);
        bytes.append(block, got);
        if (got == 0 || end) break;
    }
    return bytes;
}

std::string Fixture(const char* name) { return FixturesFolder() + "/" + name; }

#define SKIP_WITHOUT_FIXTURES() \
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present"

TEST(FixtureReadingTest, Mb01HasOnePageWithItsImageAndFont)
{
    SKIP_WITHOUT_FIXTURES();
    std::vector<WalkLine> lines = Walk(Fixture("mb01.xps"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].kind, "xps");
    EXPECT_EQ(lines[1].kind, "sequence");
    EXPECT_EQ(lines[1].name, "/FixedDocumentSequence.fdseq");
    EXPECT_EQ(lines[1].ticket, "");
    EXPECT_EQ(lines[2].kind, "document");
    EXPECT_EQ(lines[2].name, "/Documents/1/FixedDocument.fdoc");
    EXPECT_EQ(lines[3].kind, "page");
    EXPECT_EQ(lines[3].name, "/Documents/1/Pages/1.fpage");
    EXPECT_EQ(lines[3].width, 816);
    EXPECT_EQ(lines[3].height, 1056);
    EXPECT_EQ(lines[3].resources, (std::vector<std::string>{"/Resources/QL_logo_color.tif", "/Resources/arial.ttf"}));
}

TEST(FixtureReadingTest, Mb06HasJobAndDocumentTicketsAndThreePages)
{
    SKIP_WITHOUT_FIXTURES();
    std::vector<WalkLine> lines = Walk(Fixture("mb06.xps"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].ticket, "/Resources/Job_PT.xml");
    EXPECT_EQ(lines[2].ticket, "/Resources/Document1_PT.xml");
    for (int page = 0; page < 3; ++page) {
        const WalkLine& line = lines[3 + page];
        EXPECT_EQ(line.kind, "page");
        EXPECT_EQ(line.name, "/Documents/1/Pages/" + std::to_string(page + 1) + ".fpage");
        EXPECT_EQ(line.ticket, "");
        EXPECT_EQ(line.width, 816);
        EXPECT_EQ(line.height, 1056);
        EXPECT_EQ(line.resources.size(), 2u);
    }
}

TEST(FixtureReadingTest, Mb06KeepsStructureLinkTargetsAndTicketContent)
{
    SKIP_WITHOUT_FIXTURES();
    std::shared_ptr<Package> package = Package::Open(Fixture("mb06.xps"), {}, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    std::vector<ComPtr<IUnknown>> parts;
    while (ComPtr<IUnknown> part = walker.Next()) parts.push_back(part);
    std::shared_ptr<PartData> document = HostDataOf(parts[2].Get());
    std::vector<KeptRelationship> kept = document->KeptRelationships();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(HostDataOf(kept[0].part.Get())->Name(), "/Resources/DocStructure_1.struct");
    EXPECT_EQ(HostDataOf(kept[1].part.Get())->Name(), "/xmls/xml_1.xaml");
    EXPECT_EQ(document->OriginalPages().count, 3u);

    std::vector<std::string> targets = HostDataOf(parts[3].Get())->LinkTargets();
    ASSERT_EQ(targets.size(), 12u);
    EXPECT_EQ(targets.front(), "Title");
    EXPECT_EQ(targets.back(), "DigitalSignature");
    EXPECT_EQ(HostDataOf(parts[4].Get())->LinkTargets(), std::vector<std::string>{"Page2"});

    ComPtr<IFixedDocumentSequence> sequence;
    ASSERT_EQ(parts[1].As(IID_IFixedDocumentSequence, &sequence), S_OK);
    ComPtr<IPartPrintTicket> ticket;
    ASSERT_EQ(sequence->GetPrintTicket(ticket.Out()), S_OK);
    std::string markup = ReadAll(ticket.Get());
    EXPECT_EQ(markup.size(), 494u);  // as unzip -l lists Resources/Job_PT.xml
    EXPECT_NE(markup.find("psk:JobCopiesAllDocuments"), std::string::npos);
}

TEST(FixtureReadingTest, Mb08ResolvesRelativeReferences)
{
    SKIP_WITHOUT_FIXTURES();
    std::vector<WalkLine> lines = Walk(Fixture("mb08.xps"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3].name, "/Documents/1/Pages/1.fpage");
    EXPECT_EQ(lines[3].resources, std::vector<std::string>{"/Resources/a75ff97a-5662-4d9c-9bdd-8e2c2b826e05.png"});
}

TEST(FixtureReadingTest, OpenXpsIsPresentedInTheXpsNamespaces)
{
    SKIP_WITHOUT_FIXTURES();
    std::shared_ptr<Package> package = Package::Open(Fixture("mb06.oxps"), {}, std::make_shared<FailureLog>());
    EXPECT_EQ(package->Flavour(), xps::Flavour::OpenXps);
    std::vector<WalkLine> lines = Walk(Fixture("mb06.oxps"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].ticket, "/Resources/Job_PT.xml");
    EXPECT_EQ(lines[2].ticket, "/Resources/Document1_PT.xml");
    EXPECT_EQ(lines[3].resources, (std::vector<std::string>{"/Resources/QL_logo_color.tif", "/Resources/arial.ttf"}));

    PackageWalker walker(package);
    for (int i = 0; i < 4; ++i) walker.Next();
    ComPtr<IUnknown> first = walker.Next();
    ComPtr<IFixedPage> page;
    ASSERT_EQ(first.As(IID_IFixedPage, &page), S_OK);
    std::string markup = ReadAll(page.Get());
    EXPECT_EQ(markup.find("openxps"), std::string::npos);
    EXPECT_NE(markup.find("<FixedPage Width=\"816\" Height=\"1056\" xml:lang=\"en-US\" "
                          "xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"),
              std::string::npos);
    // The page's own relative references stay as they are, and resolve.
    EXPECT_NE(markup.find("ImageSource=\"../../../Resources/QL_logo_color.tif\""), std::string::npos);
    ComPtr<IUnknown> image;
    EXPECT_EQ(page->GetPagePart(u"../../../Resources/QL_logo_color.tif", image.Out()), S_OK);
}

TEST(GeneratedPackageTest, TicketsOfEveryLevelAndSeveralDocuments)
{
    TestPackage package;
    package.jobTicket = testing::SimpleTicket(2);
    package.documents.resize(2);
    package.documents[0].ticket = testing::SimpleTicket(3);
    package.documents[0].pages.resize(2);
    package.documents[0].pages[1].ticket = testing::SimpleTicket(4);
    package.documents[1].pages.resize(1);
    package.documents[1].pages[0].width = 1123;
    package.documents[1].pages[0].height = 794.5;
    std::string path = TemporaryFolder() + "/levels.xps";
    WritePackage(path, package);
    std::vector<WalkLine> lines = Walk(path);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1].ticket, "/Job_PT.xml");
    EXPECT_EQ(lines[2].ticket, "/Documents/1/Document_PT.xml");
    EXPECT_EQ(lines[3].ticket, "");
    EXPECT_EQ(lines[4].ticket, "/Documents/1/Pages/2_PT.xml");
    EXPECT_EQ(lines[5].kind, "document");
    EXPECT_EQ(lines[5].ticket, "");
    EXPECT_EQ(lines[6].name, "/Documents/2/Pages/1.fpage");
    EXPECT_EQ(lines[6].width, 1123);
    EXPECT_EQ(lines[6].height, 794.5);
}

TEST(GeneratedPackageTest, InterleavedPiecesAreJoinedInOrder)
{
    TestPackage package = testing::PagesOfSize(1);
    package.interleavePages = true;
    std::string path = TemporaryFolder() + "/pieces.xps";
    WritePackage(path, package);
    std::string expected;
    for (const auto& [name, bytes] : testing::PackageEntries(package)) {
        if (name.find(".piece") != std::string::npos) expected += bytes;
    }
    std::shared_ptr<Package> opened = Package::Open(path, {}, std::make_shared<FailureLog>());
    PackageWalker walker(opened);
    ComPtr<IUnknown> part;
    for (int i = 0; i < 4; ++i) part = walker.Next();
    ComPtr<IFixedPage> page;
    ASSERT_EQ(part.As(IID_IFixedPage, &page), S_OK);
    EXPECT_EQ(ReadAll(page.Get()), expected);
}

// Page lengths the filters could not write back (they would come out as
// Width="0.00") are refused with the page, not passed on.
TEST(PageLengthTest, OnlyLengthsTheFiltersCanCarryAreAccepted)
{
    const std::pair<const char*, double> accepted[] = {
        {"816", 816}, {" 816 ", 816}, {"+8.16e2", 816}, {"0.01", 0.01}, {"1e38", 1e38}, {"0816", 816},
    };
    for (const auto& [text, expected] : accepted) {
        double value = 0;
        EXPECT_TRUE(ParseXpsLength(text, &value)) << text;
        EXPECT_DOUBLE_EQ(value, expected) << text;
    }
    for (const char* text :
         {"0", "-816", "0.001", "1e-300", "4e38", "1e308", "1e309", "NaN", "inf", "", "816px", "8 16"}) {
        double value = 0;
        EXPECT_FALSE(ParseXpsLength(text, &value)) << text;
    }

    std::string path = TemporaryFolder() + "/huge-page.xps";
    WritePackage(path, testing::PagesOfSize(1, 1e308, 1056));
    EXPECT_EQ(WalkFailure(path), "/Documents/1/Pages/1.fpage: the FixedPage has no valid Width and Height");
}

TEST(GeneratedPackageTest, PiecesWithAGapAreRefused)
{
    TestPackage package = testing::PagesOfSize(1);
    package.interleavePages = true;
    auto entries = testing::PackageEntries(package);
    std::erase_if(entries, [](const auto& entry) { return entry.first.find("[1].piece") != std::string::npos; });
    std::string path = TemporaryFolder() + "/gap.xps";
    WriteZip(path, entries);
    EXPECT_NE(WalkFailure(path).find("/Documents/1/Pages/1.fpage: the interleaved part lacks piece 1"),
              std::string::npos)
        << WalkFailure(path);
}

// Broken packages: each must fail with the part and a reason.
class BrokenPackageTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, std::vector<std::pair<std::string, std::string>> entries)
    {
        std::string path = TemporaryFolder() + "/" + name;
        WriteZip(path, entries);
        return path;
    }
    static std::vector<std::pair<std::string, std::string>> Entries(int pages = 1)
    {
        return testing::PackageEntries(testing::PagesOfSize(pages));
    }
    static void Replace(std::vector<std::pair<std::string, std::string>>* entries, const std::string& name,
                        const std::string& bytes)
    {
        for (auto& entry : *entries) {
            if (entry.first == name) entry.second = bytes;
        }
    }
};

TEST_F(BrokenPackageTest, NotAZip)
{
    std::string path = TemporaryFolder() + "/text.xps";
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs("this is not a package\n", file);
    std::fclose(file);
    EXPECT_EQ(WalkFailure(path), "not a zip archive (or a truncated one)");
}

TEST_F(BrokenPackageTest, TruncatedZip)
{
    std::string whole = Write("whole.xps", Entries(3));
    std::string bytes = testing::ReadFile(whole);
    std::string path = TemporaryFolder() + "/truncated.xps";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size() - 30, file);
    std::fclose(file);
    EXPECT_NE(WalkFailure(path), "");
}

TEST_F(BrokenPackageTest, DotDotInAnItemName)
{
    auto entries = Entries();
    entries.emplace_back("Documents/../../evil.png", "x");
    EXPECT_EQ(WalkFailure(Write("dotdot.xps", entries)),
              "/Documents/../../evil.png: the part name contains a '.' or '..' segment");
}

TEST_F(BrokenPackageTest, MissingFixedDocument)
{
    auto entries = Entries();
    Replace(&entries, "FixedDocumentSequence.fdseq",
            "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
            "<DocumentReference Source=\"/Documents/9/FixedDocument.fdoc\"/></FixedDocumentSequence>");
    EXPECT_EQ(WalkFailure(Write("nodoc.xps", entries)),
              "/Documents/9/FixedDocument.fdoc: the FixedDocument is missing from the package");

    // A sequence without any DocumentReference.
    Replace(&entries, "FixedDocumentSequence.fdseq",
            "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\"/>");
    EXPECT_EQ(WalkFailure(Write("nodocs.xps", entries)),
              "/FixedDocumentSequence.fdseq: the FixedDocumentSequence refers to no FixedDocument");
}

TEST_F(BrokenPackageTest, MissingFixedPage)
{
    auto entries = Entries(2);
    std::erase_if(entries, [](const auto& entry) { return entry.first == "Documents/1/Pages/2.fpage"; });
    EXPECT_EQ(WalkFailure(Write("nopage.xps", entries)),
              "/Documents/1/Pages/2.fpage: the FixedPage is missing from the package");
}

TEST_F(BrokenPackageTest, DtdInDocumentOrPageMarkup)
{
    const std::string dtd = "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">]>";
    auto entries = Entries();
    Replace(&entries, "Documents/1/FixedDocument.fdoc",
            dtd +
                "<FixedDocument xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
                "<PageContent Source=\"Pages/1.fpage\"/></FixedDocument>");
    EXPECT_EQ(WalkFailure(Write("dtd-doc.xps", entries)),
              "/Documents/1/FixedDocument.fdoc: the markup contains a DTD (DOCTYPE), which XPS forbids");

    entries = Entries();
    Replace(&entries, "Documents/1/Pages/1.fpage",
            dtd +
                "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"1\" "
                "Height=\"1\"/>");
    EXPECT_EQ(WalkFailure(Write("dtd-page.xps", entries)),
              "/Documents/1/Pages/1.fpage: the markup contains a DTD (DOCTYPE), which XPS forbids");
}

TEST_F(BrokenPackageTest, ResourceRelationshipsThatLoop)
{
    const std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
        "Target=\"/Resources/dictionary.dict\"/></Relationships>";
    auto entries = Entries();
    Replace(&entries, "[Content_Types].xml",
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"fdseq\" ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>"
            "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>"
            "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>"
            "<Default Extension=\"dict\" ContentType=\"application/vnd.ms-package.xps-resourcedictionary+xml\"/>"
            "</Types>");
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels", rels);
    entries.emplace_back("Resources/dictionary.dict",
                         "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\"/>");
    entries.emplace_back("Resources/_rels/dictionary.dict.rels", rels);  // the dictionary requires itself
    EXPECT_EQ(WalkFailure(Write("loop.xps", entries)),
              "/Resources/dictionary.dict: the resource relationships loop: /Documents/1/Pages/1.fpage -> "
              "/Resources/dictionary.dict -> /Resources/dictionary.dict");

    // A page requiring itself as a resource.
    entries = Entries();
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
                         "Target=\"1.fpage\"/></Relationships>");
    EXPECT_NE(WalkFailure(Write("self.xps", entries)).find("loop"), std::string::npos);
}

// A page whose resource dictionaries each require all later ones: every
// dictionary is collected once, not once per path to it (2^29 paths).
TEST_F(BrokenPackageTest, DictionariesSharedByManyOthersAreCollectedOnce)
{
    const int count = 30;
    auto dictionary = [](int i) { return "/Resources/d" + std::to_string(i) + ".dict"; };
    auto requiring = [&](int from) {
        std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        for (int to = from; to < count; ++to) {
            rels += "<Relationship Id=\"R" + std::to_string(to) +
                    "\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" Target=\"" +
                    dictionary(to) + "\"/>";
        }
        return rels + "</Relationships>";
    };
    auto entries = Entries();
    for (auto& entry : entries) {
        if (entry.first != "[Content_Types].xml") continue;
        entry.second.insert(entry.second.find("</Types>"),
                            "<Default Extension=\"dict\" "
                            "ContentType=\"application/vnd.ms-package.xps-resourcedictionary+xml\"/>");
    }
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels", requiring(0));
    for (int i = 0; i < count; ++i) {
        entries.emplace_back(dictionary(i).substr(1),
                             "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\"/>");
        entries.emplace_back("Resources/_rels/d" + std::to_string(i) + ".dict.rels", requiring(i + 1));
    }
    std::vector<WalkLine> lines = Walk(Write("shared-dictionaries.xps", entries));
    ASSERT_EQ(lines.back().kind, "page");
    std::vector<std::string> expected;
    for (int i = 0; i < count; ++i) expected.push_back(dictionary(i));
    std::vector<std::string> resources = lines.back().resources;
    std::sort(resources.begin(), resources.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(resources, expected);
}

// Relationships may not target the parts the package keeps for itself: the
// output would get a second entry of the name the writer gives its own.
TEST_F(BrokenPackageTest, RelationshipsTargetingTheContentTypesOrARelationshipsPart)
{
    struct Case {
        const char* relationshipsPart;
        const char* type;
        const char* target;
    };
    const Case cases[] = {
        {"Documents/1/Pages/_rels/1.fpage.rels", "http://schemas.microsoft.com/xps/2005/06/required-resource",
         "/[Content_Types].xml"},
        {"Documents/1/Pages/_rels/1.fpage.rels", "http://schemas.microsoft.com/xps/2005/06/required-resource",
         "_rels/1.fpage.rels"},
        {"Documents/1/Pages/_rels/1.fpage.rels", "http://schemas.microsoft.com/xps/2005/06/printticket",
         "/_RELS/.RELS"},
        {"Documents/1/_rels/FixedDocument.fdoc.rels", "http://schemas.microsoft.com/xps/2005/06/documentstructure",
         "/Documents/1/_rels/FixedDocument.fdoc.rels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        auto entries = Entries();
        entries.emplace_back(c.relationshipsPart,
                             std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                         "relationships\"><Relationship Id=\"R1\" Type=\"") +
                                 c.type + "\" Target=\"" + c.target + "\"/></Relationships>");
        std::string failure = WalkFailure(Write("bookkeeping.xps", entries));
        EXPECT_EQ(failure.substr(0, failure.find(':')), std::string("/") + c.relationshipsPart);
        EXPECT_NE(failure.find("relationship R1 targets"), std::string::npos) << failure;
        EXPECT_NE(failure.find("the package's own relationships or content types"), std::string::npos) << failure;
    }
}

TEST_F(BrokenPackageTest, TwoEntriesOfOneName)
{
    // libzip writes no two entries of one name: the second gets its name
    // by patching the archive's bytes.
    auto entries = Entries();
    entries.emplace_back("Documents/1/Pages/Z.fpage", "<x/>");
    std::string path = Write("twice.xps", entries);
    std::string bytes = testing::ReadFile(path);
    for (size_t at = 0; (at = bytes.find("Pages/Z.fpage", at)) != std::string::npos;) bytes[at + 6] = '1';
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    EXPECT_EQ(WalkFailure(path), "the zip archive holds two entries of one name");
}

// libxml2 compares each attribute with all earlier ones of its element; the
// package's markup is refused before a start tag with very many attributes
// reaches it. Its error messages are reported on one line.
TEST_F(BrokenPackageTest, MarkupWithTooManyAttributesOrInvalidUtf8)
{
    std::string attributes;
    for (int i = 0; i < 5000; ++i) attributes += " a" + std::to_string(i) + "=\"1\"";
    const std::pair<const char*, const char*> parts[] = {
        {"[Content_Types].xml", "<Types"},
        {"_rels/.rels", "<Relationships"},
        {"Documents/1/Pages/1.fpage", "<FixedPage"},
    };
    for (const auto& [item, root] : parts) {
        SCOPED_TRACE(item);
        auto entries = Entries();
        for (auto& entry : entries) {
            if (entry.first != item) continue;
            size_t at = entry.second.find(root);
            ASSERT_NE(at, std::string::npos);
            entry.second.insert(at + std::strlen(root), attributes);
        }
        EXPECT_EQ(WalkFailure(Write("attributes.xps", entries)),
                  std::string("/") + item + ": an element of the markup has more than 4096 attributes");

        entries = Entries();
        for (auto& entry : entries) {
            if (entry.first == item)
                entry.second.insert(entry.second.find(root) + std::strlen(root), " a=\"\xFF\xFE\"");
        }
        std::string failure = WalkFailure(Write("utf8.xps", entries));
        EXPECT_EQ(failure.rfind(std::string("/") + item + ": the markup is not well-formed XML", 0), 0u) << failure;
        EXPECT_EQ(failure.find('\n'), std::string::npos) << failure;
    }
}

TEST_F(BrokenPackageTest, DocumentReferenceToTheSequenceItself)
{
    auto entries = Entries();
    Replace(&entries, "FixedDocumentSequence.fdseq",
            "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
            "<DocumentReference Source=\"/FixedDocumentSequence.fdseq\"/></FixedDocumentSequence>");
    EXPECT_EQ(WalkFailure(Write("selfseq.xps", entries)),
              "/FixedDocumentSequence.fdseq: the part is referred to as a FixedDocument but its content type is "
              "application/vnd.ms-package.xps-fixeddocumentsequence+xml");
}

TEST_F(BrokenPackageTest, NoFixedRepresentation)
{
    auto entries = Entries();
    Replace(&entries, "_rels/.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
    EXPECT_EQ(WalkFailure(Write("norep.xps", entries)),
              "/_rels/.rels: the package has no fixed-representation relationship (not an XPS package)");
}

TEST_F(BrokenPackageTest, EntryLargerThanTheLimitOrTooCompressed)
{
    auto entries = Entries();
    entries.emplace_back("Resources/zeros.bin", std::string(4u << 20, '\0'));
    std::string path = Write("bomb.xps", entries);
    ZipLimits small;
    small.maxEntrySize = 1u << 20;
    EXPECT_EQ(
        WalkFailure(path, small),
        "/Resources/zeros.bin: the zip entry declares 4194304 uncompressed bytes, more than the limit of 1048576");
    ZipLimits ratio;
    ratio.maxRatio = 100;
    EXPECT_NE(WalkFailure(path, ratio).find("/Resources/zeros.bin: the zip entry inflates"), std::string::npos);
    ZipLimits total;
    total.maxRatio = 1u << 30;
    total.maxTotalSize = 2u << 20;
    EXPECT_NE(WalkFailure(path, total).find("uncompressed bytes in all"), std::string::npos);
    ZipLimits entriesLimit;
    entriesLimit.maxEntries = 3;
    EXPECT_NE(WalkFailure(path, entriesLimit).find("more than the limit of 3"), std::string::npos);
}

TEST_F(BrokenPackageTest, EntryInflatingBeyondItsDeclaredSize)
{
    auto entries = Entries();
    std::string big(200000, ' ');
    Replace(
        &entries, "Documents/1/Pages/1.fpage",
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"1\" Height=\"1\">" +
            big + "</FixedPage>");
    std::string path = Write("liar.xps", entries);
    testing::PatchDeclaredSize(path, "Documents/1/Pages/1.fpage", 1000);
    std::string failure = WalkFailure(path);
    EXPECT_NE(failure.find("/Documents/1/Pages/1.fpage"), std::string::npos) << failure;
    EXPECT_TRUE(failure.find("declared") != std::string::npos || failure.find("CRC") != std::string::npos ||
                failure.find("consistency") != std::string::npos)
        << failure;
}

// Rules of a conforming consumer: each case breaks one and must be refused
// with the part and the rule.
class ConformanceTest : public BrokenPackageTest {
protected:
    static constexpr const char* kRelsOpen =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    // failure must start with expected.
    void ExpectRefused(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& expected)
    {
        std::string failure = WalkFailure(Write("case.xps", entries));
        EXPECT_EQ(failure.substr(0, expected.size()), expected) << failure;
    }
    static std::vector<std::pair<std::string, std::string>> WithTypes(const std::string& extra)
    {
        auto entries = Entries();
        for (auto& entry : entries) {
            if (entry.first == "[Content_Types].xml") entry.second.insert(entry.second.find("</Types>"), extra);
        }
        return entries;
    }
};

TEST_F(ConformanceTest, ContentTypesThatConflictAreMalformedOrMissing)
{
    ExpectRefused(WithTypes("<Default Extension=\"FPAGE\" ContentType=\"image/gif\"/>"),
                  "/[Content_Types].xml: the extension \"FPAGE\" has two Default content types, "
                  "application/vnd.ms-package.xps-fixedpage+xml and image/gif");
    ExpectRefused(WithTypes("<Override PartName=\"/a.jpg\" ContentType=\"image/jpeg\"/>"
                            "<Override PartName=\"/A.JPG\" ContentType=\"image/gif\"/>"),
                  "/[Content_Types].xml: the part /A.JPG has two Override content types, image/jpeg and image/gif");
    for (const char* type :
         {"image", "image/jpeg?", " image/png", "image/png ", "image/ png", "image/png; q=1", "image/"}) {
        ExpectRefused(WithTypes(std::string("<Default Extension=\"png\" ContentType=\"") + type + "\"/>"),
                      std::string("/[Content_Types].xml: the content type \"") + type + "\" is no media type");
    }
    auto entries = Entries();
    entries.emplace_back("Resources/untyped.bin", "x");
    ExpectRefused(entries, "/Resources/untyped.bin: the part has no content type");
    // Repeating an entry with the same type is harmless and accepted.
    EXPECT_EQ(WalkFailure(Write("same.xps",
                                WithTypes("<Default Extension=\"fpage\" ContentType=\"application/"
                                          "vnd.ms-package.xps-fixedpage+xml\"/>"
                                          "<Default Extension=\"png\" ContentType=\"image/png;a=&quot;b c&quot;\"/>"))),
              "");
}

TEST_F(ConformanceTest, PackageMarkupHoldsOnlyItsOwnVocabulary)
{
    ExpectRefused(WithTypes("<x:Extra xmlns:x=\"urn:x\"/>"),
                  "/[Content_Types].xml: the element Extra is of the namespace \"urn:x\"");
    auto rels = [](const std::string& root, const std::string& relationship) {
        auto entries = Entries();
        Replace(&entries, "_rels/.rels",
                "<?xml version=\"1.0\" encoding=\"utf-8\"?><Relationships " + root +
                    " xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship " +
                    relationship +
                    " Type=\"http://schemas.microsoft.com/xps/2005/06/fixedrepresentation\" "
                    "Target=\"/FixedDocumentSequence.fdseq\"/></Relationships>");
        return entries;
    };
    ExpectRefused(rels("xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" xmlns:v=\"urn:v\" "
                       "mc:Ignorable=\"v\"",
                       "Id=\"R1\""),
                  "/_rels/.rels: the element Relationships carries the attribute mc:Ignorable");
    ExpectRefused(rels("", "Id=\"R1\" xml:lang=\"en\""),
                  "/_rels/.rels: the element Relationship carries the attribute xml:lang");
    ExpectRefused(rels("", "Id=\"1R\""), "/_rels/.rels: the relationship Id \"1R\" is no XML ID");
    ExpectRefused(rels("", "Id=\"R 1\""), "/_rels/.rels: the relationship Id \"R 1\" is no XML ID");
    auto entries = rels("", "Id=\"R1\"");
    Replace(
        &entries, "_rels/.rels",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + entries[1].second.substr(entries[1].second.find("?>") + 2));
    ExpectRefused(entries, "/_rels/.rels: the markup is encoded in ISO-8859-1, not in UTF-8 or UTF-16");
}

TEST_F(ConformanceTest, CorePropertiesOnceAndInTheirVocabulary)
{
    const std::string core = "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
    auto withCore = [&](const std::string& body, int relationships) {
        auto entries = WithTypes(
            "<Override PartName=\"/core.xml\" ContentType=\"application/"
            "vnd.openxmlformats-package.core-properties+xml\"/>");
        std::string markup = std::string(kRelsOpen) +
                             "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/"
                             "fixedrepresentation\" Target=\"/FixedDocumentSequence.fdseq\"/>";
        for (int i = 0; i < relationships; ++i) {
            markup += "<Relationship Id=\"C" + std::to_string(i) + "\" Type=\"" + core + "\" Target=\"/core.xml\"/>";
        }
        Replace(&entries, "_rels/.rels", markup + "</Relationships>");
        entries.emplace_back("core.xml",
                             "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
                             "core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                             "xmlns:t=\"http://purl.org/dc/terms/\" xmlns:xsi=\"http://www.w3.org/2001/"
                             "XMLSchema-instance\">" +
                                 body + "</cp:coreProperties>");
        return entries;
    };
    const std::string created = "<t:created xsi:type=\"t:W3CDTF\">2024-01-01</t:created>";
    EXPECT_EQ(WalkFailure(Write("core.xps", withCore("<dc:title>T</dc:title>" + created, 1))), "");
    ExpectRefused(withCore("", 2), "/_rels/.rels: the package has two core-properties relationships");
    ExpectRefused(withCore("<dc:title xml:lang=\"en\">T</dc:title>", 1),
                  "/core.xml: the element title of the core properties carries xml:lang");
    ExpectRefused(withCore("<t:abstract>A</t:abstract>", 1),
                  "/core.xml: the core properties refine Dublin Core with dcterms:abstract");
    ExpectRefused(withCore("<t:created>2024</t:created>", 1), "/core.xml: dcterms:created has no xsi:type");
    ExpectRefused(withCore("<dc:title xsi:type=\"t:W3CDTF\">T</dc:title>", 1),
                  "/core.xml: the element title of the core properties carries the attribute type of the namespace");
    ExpectRefused(withCore("<dc:title xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
                           "mc:Ignorable=\"dc\">T</dc:title>",
                           1),
                  "/core.xml: the element title of the core properties carries the attribute mc:Ignorable");
}

TEST_F(ConformanceTest, PartNamesWithForbiddenOrInvalidEscapes)
{
    auto entries = Entries();
    entries.emplace_back("Resources/%41.xml", "x");
    ExpectRefused(entries, "/Resources/%41.xml: the part name percent-encodes the character 'A'");
    entries = Entries();
    entries.emplace_back("Resources/caf%E9.xml", "x");
    ExpectRefused(entries, "/Resources/caf%E9.xml: the part name's percent escapes encode no UTF-8 character");
}

TEST_F(ConformanceTest, RepeatedAndMisdirectedReferences)
{
    auto entries = Entries(2);
    Replace(&entries, "FixedDocumentSequence.fdseq",
            "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
            "<DocumentReference Source=\"/Documents/1/FixedDocument.fdoc\"/>"
            "<DocumentReference Source=\"Documents/1/FixedDocument.fdoc\"/></FixedDocumentSequence>");
    ExpectRefused(entries,
                  "/FixedDocumentSequence.fdseq: the FixedDocument /Documents/1/FixedDocument.fdoc is "
                  "referred to more than once");
    entries = Entries(2);
    Replace(
        &entries, "Documents/1/FixedDocument.fdoc",
        "<FixedDocument xmlns=\"http://schemas.microsoft.com/xps/2005/06\"><PageContent Source=\"Pages/1.fpage\"/>"
        "<PageContent Source=\"Pages/2.fpage\"/><PageContent Source=\"/Documents/1/Pages/1.fpage\"/></FixedDocument>");
    ExpectRefused(entries,
                  "/Documents/1/FixedDocument.fdoc: the FixedPage /Documents/1/Pages/1.fpage is referred to "
                  "more than once");
    for (const char* type : {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail",
                             "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"}) {
        entries = Entries();
        Replace(&entries, "_rels/.rels",
                std::string(kRelsOpen) +
                    "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/fixedrepresentation\" "
                    "Target=\"/FixedDocumentSequence.fdseq\"/><Relationship Id=\"R2\" Type=\"" +
                    type + "\" Target=\"/FixedDocumentSequence.fdseq\"/></Relationships>");
        std::string failure = WalkFailure(Write("misdirected.xps", entries));
        EXPECT_EQ(failure.rfind("/_rels/.rels: the ", 0), 0u) << failure;
        EXPECT_NE(failure.find("relationship R2 targets /FixedDocumentSequence.fdseq, whose content type is "
                               "application/vnd.ms-package.xps-fixeddocumentsequence+xml"),
                  std::string::npos)
            << failure;
    }
    entries = Entries();
    entries.emplace_back("Documents/1/_rels/FixedDocument.fdoc.rels",
                         std::string(kRelsOpen) +
                             "<Relationship Id=\"S\" Type=\"http://schemas.microsoft.com/xps/2005/06/"
                             "documentstructure\" Target=\"FixedDocument.fdoc\"/></Relationships>");
    ExpectRefused(entries,
                  "/Documents/1/_rels/FixedDocument.fdoc.rels: the DocumentStructure relationship S targets "
                  "/Documents/1/FixedDocument.fdoc");
}

TEST_F(ConformanceTest, PagesAreReadWholeAndMustBeWellFormed)
{
    auto entries = Entries();
    for (auto& entry : entries) {
        if (entry.first == "Documents/1/Pages/1.fpage") entry.second.resize(entry.second.size() / 2);
    }
    ExpectRefused(entries, "/Documents/1/Pages/1.fpage: the markup is not well-formed XML");
    entries = Entries();
    Replace(&entries, "Documents/1/Pages/1.fpage",
            "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" "
            "Height=\"10\">\n<Canvas>\n"
            "<Path Data=\"M 0,0 L 1,1\"></Canvas>\n</FixedPage>");
    std::string failure = WalkFailure(Write("mismatch.xps", entries));
    EXPECT_EQ(failure.rfind("/Documents/1/Pages/1.fpage: the markup is not well-formed XML", 0), 0u) << failure;
    EXPECT_NE(failure.find("(line 3)"), std::string::npos) << failure;
}

// The markup-compatibility rules, on page bodies.
TEST_F(ConformanceTest, MalformedOrNotUnderstoodCompatibilityMarkup)
{
    const std::string mc =
        " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" xmlns:v=\"urn:v\"";
    const std::pair<std::string, std::string> cases[] = {
        {"<Canvas" + mc + " mc:MustUnderstand=\"v\"/>",
         "mc:MustUnderstand names the namespace \"urn:v\", which is not understood"},
        {"<Canvas" + mc + " mc:Ignorable=\"w\"/>", "mc:Ignorable names the undeclared prefix \"w\""},
        {"<Canvas" + mc + " mc:ProcessContent=\"v:Group\"/>",
         "mc:ProcessContent names the namespace \"urn:v\", which is not declared Ignorable"},
        {"<Canvas" + mc + " mc:PreserveElements=\"v:Group\"/>",
         "mc:PreserveElements names the namespace \"urn:v\", which is not declared Ignorable"},
        {"<Canvas" + mc + " mc:Unknown=\"v\"/>", "the markup-compatibility attribute mc:Unknown is unknown"},
        {"<mc:AlternateContent" + mc + "><mc:Choice><Canvas/></mc:Choice></mc:AlternateContent>",
         "mc:Choice has no Requires"},
        {"<mc:AlternateContent" + mc + "><mc:Fallback/><mc:Choice Requires=\"v\"/></mc:AlternateContent>",
         "mc:Fallback comes before any mc:Choice"},
        {"<mc:AlternateContent" + mc + "><mc:Choice Requires=\"v\"/><mc:Fallback/><mc:Fallback/></mc:AlternateContent>",
         "mc:Fallback follows the mc:Fallback"},
        {"<mc:AlternateContent" + mc + "><Canvas/></mc:AlternateContent>",
         "mc:AlternateContent may hold only mc:Choice and mc:Fallback"},
        {"<mc:AlternateContent" + mc + "/>", "mc:AlternateContent has no mc:Choice"},
        {"<mc:Choice" + mc + " Requires=\"v\"/>", "mc:Choice stands outside mc:AlternateContent"},
        {"<v:Shape" + mc + "/>",
         "the element Shape is of the namespace \"urn:v\", which is neither understood nor "
         "declared Ignorable"},
        {"<Canvas" + mc + " v:hint=\"1\"/>", "the attribute hint is of the namespace \"urn:v\""},
    };
    for (const auto& [body, reason] : cases) {
        SCOPED_TRACE(body);
        auto entries = Entries();
        Replace(&entries, "Documents/1/Pages/1.fpage",
                "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" "
                "Height=\"10\">" +
                    body + "</FixedPage>");
        ExpectRefused(entries, "/Documents/1/Pages/1.fpage: " + reason);
    }
}

// Filters see the Choice a consumer of the XPS vocabulary takes, no
// ignorable content, and no compatibility markup or foreign declarations.
TEST_F(ConformanceTest, FiltersSeeTheChosenContentOnly)
{
    auto entries = Entries();
    Replace(&entries, "Documents/1/Pages/1.fpage",
            "<x:FixedPage xmlns:x=\"http://schemas.microsoft.com/xps/2005/06\" "
            "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" xmlns:v=\"urn:v\" "
            "mc:Ignorable=\"v\" mc:ProcessContent=\"v:Group\" Width=\"10\" Height=\"20\" v:hint=\"1\">"
            "<v:Note>left out<x:Path/></v:Note>"
            "<v:Group v:a=\"1\"><x:Path Data=\"M 0,0 L 1,1\" Fill=\"#FF00FF00\"/></v:Group>"
            "<mc:AlternateContent><mc:Choice Requires=\"v\"><x:Path Name=\"v\"/></mc:Choice>"
            "<mc:Fallback><x:Canvas Name=\"fallback\">a &amp; b</x:Canvas></mc:Fallback></mc:AlternateContent>"
            "<mc:AlternateContent><mc:Choice Requires=\"x\"><x:Path Name=\"xps\"/></mc:Choice>"
            "<mc:Choice Requires=\"x\"><x:Path Name=\"second\"/></mc:Choice>"
            "<mc:Fallback><x:Path Name=\"unused\"/></mc:Fallback></mc:AlternateContent>"
            "</x:FixedPage>");
    std::shared_ptr<Package> package = Package::Open(Write("mc.xps", entries), {}, std::make_shared<FailureLog>());
    // The page breaks the vocabulary (no xml:lang, text in a Canvas) to
    // show how text is carried: read leniently.
    package->SetLenientMarkup(true);
    PackageWalker walker(package);
    for (int i = 0; i < 3; ++i) walker.Next();
    ComPtr<IUnknown> part = walker.Next();
    ComPtr<IFixedPage> page;
    ASSERT_EQ(part.As(IID_IFixedPage, &page), S_OK);
    EXPECT_EQ(ReadAll(page.Get()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
              "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" Width=\"10\" Height=\"20\">"
              "<Path Data=\"M 0,0 L 1,1\" Fill=\"#FF00FF00\"/><Canvas Name=\"fallback\">a &amp; b</Canvas>"
              "<Path Name=\"xps\"/></FixedPage>");
    double width = 0, height = 0;
    EXPECT_TRUE(HostDataOf(part.Get())->PageSize(&width, &height));
    EXPECT_EQ(height, 20);

    // A page without compatibility markup reaches the filters as it is.
    std::shared_ptr<Package> plain = Package::Open(Write("plain.xps", Entries()), {}, std::make_shared<FailureLog>());
    PackageWalker plainWalker(plain);
    for (int i = 0; i < 3; ++i) plainWalker.Next();
    ComPtr<IUnknown> plainPage = plainWalker.Next();
    EXPECT_FALSE(HostDataOf(plainPage.Get())->Changed());
}

// Parts the markup uses are attached to the page whether or not a
// relationship declares them; a part it names that is missing is refused.
TEST_F(ConformanceTest, ResourcesAreFoundFromTheMarkup)
{
    auto entries = WithTypes(
        "<Default Extension=\"ttf\" ContentType=\"application/vnd.ms-opentype\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Default Extension=\"icc\" ContentType=\"application/vnd.ms-color.iccprofile\"/>"
        "<Default Extension=\"dict\" "
        "ContentType=\"application/vnd.ms-package.xps-resourcedictionary+xml\"/>");
    Replace(
        &entries, "Documents/1/Pages/1.fpage",
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" Height=\"10\">"
        "<FixedPage.Resources><ResourceDictionary Source=\"../../../R/d.dict\"/></FixedPage.Resources>"
        "<Glyphs FontUri=\"/R/f.ttf#0\" OriginX=\"1\" OriginY=\"1\" FontRenderingEmSize=\"1\" "
        "UnicodeString=\"a\" Fill=\"ContextColor /R/c.icc 1,0.5,0.5,0.5\"/>"
        "<Path Data=\"M 0,0 L 1,1\"><Path.Fill><ImageBrush ImageSource=\"{ColorConvertedBitmap ../../../R/i.png "
        "../../../R/c.icc}\" Viewbox=\"0,0,1,1\" Viewport=\"0,0,1,1\" ViewboxUnits=\"Absolute\" "
        "ViewportUnits=\"Absolute\"/></Path.Fill></Path>"
        "<Glyphs FontUri=\"http://example.com/f.ttf\" OriginX=\"1\" OriginY=\"1\" FontRenderingEmSize=\"1\" "
        "UnicodeString=\"b\"/>"
        "</FixedPage>");
    entries.emplace_back("R/f.ttf", "font");
    entries.emplace_back("R/c.icc", "profile");
    entries.emplace_back("R/i.png", "image");
    entries.emplace_back("R/j.png", "image used by the dictionary");
    entries.emplace_back("R/d.dict",
                         "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
                         "<ImageBrush x:Key=\"b\" xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/"
                         "resourcedictionary-key\" ImageSource=\"j.png\" Viewbox=\"0,0,1,1\" "
                         "Viewport=\"0,0,1,1\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/>"
                         "</ResourceDictionary>");
    std::vector<WalkLine> lines = Walk(Write("markup-resources.xps", entries));
    ASSERT_EQ(lines.size(), 4u);
    std::vector<std::string> resources = lines[3].resources;
    std::sort(resources.begin(), resources.end());
    EXPECT_EQ(resources, (std::vector<std::string>{"/R/c.icc", "/R/d.dict", "/R/f.ttf", "/R/i.png", "/R/j.png"}));

    std::erase_if(entries, [](const auto& entry) { return entry.first == "R/j.png"; });
    ExpectRefused(entries, "/R/d.dict: the markup refers to /R/j.png (ImageSource), which is missing from the package");
    entries.emplace_back("R/j.png", "image");
    Replace(&entries, "R/d.dict",
            "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
            "<ImageBrush x:Key=\"b\" xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" "
            "ImageSource=\"/Documents/1/Pages/1.fpage\" Viewbox=\"0,0,1,1\" Viewport=\"0,0,1,1\" "
            "ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/></ResourceDictionary>");
    ExpectRefused(entries,
                  "/R/d.dict: the markup's ImageSource refers to /Documents/1/Pages/1.fpage, which is no "
                  "such resource");
}

// Every XML part may be UTF-16 with a byte-order mark, in either byte order.
TEST(Utf16PackageTest, EveryKindOfXmlPartIsReadInEitherByteOrder)
{
    for (bool openXps : {false, true}) {
        TestPackage package;
        package.openXps = openXps;
        package.jobTicket = testing::SimpleTicket(2);
        package.documents.resize(1);
        package.documents[0].ticket = testing::SimpleTicket(3);
        package.documents[0].pages.resize(2);
        package.documents[0].pages[1].ticket = testing::SimpleTicket(4);
        package.documents[0].pages[1].width = 500;
        auto entries = testing::PackageEntries(package);
        std::vector<WalkLine> expected = Walk([&] {
            std::string path = TemporaryFolder() + "/utf8.xps";
            WriteZip(path, entries);
            return path;
        }());
        for (bool little : {true, false}) {
            SCOPED_TRACE(std::string(openXps ? "OpenXPS " : "XPS ") + (little ? "LE" : "BE"));
            auto wide = entries;
            for (auto& [name, bytes] : wide) bytes = ToUtf16(bytes, little);  // every part here is XML
            std::string path = TemporaryFolder() + "/utf16.xps";
            WriteZip(path, wide);
            std::vector<WalkLine> lines = Walk(path);
            ASSERT_EQ(lines.size(), expected.size());
            for (size_t i = 0; i < lines.size(); ++i) {
                EXPECT_EQ(lines[i].kind, expected[i].kind);
                EXPECT_EQ(lines[i].name, expected[i].name);
                EXPECT_EQ(lines[i].ticket, expected[i].ticket);
                EXPECT_EQ(lines[i].width, expected[i].width);
            }
            // OpenXPS markup reaches the filters in the 2005/06 namespace,
            // still in UTF-16.
            std::shared_ptr<Package> opened = Package::Open(path, {}, std::make_shared<FailureLog>());
            PackageWalker walker(opened);
            for (int i = 0; i < 3; ++i) walker.Next();
            ComPtr<IFixedPage> page;
            ASSERT_EQ(walker.Next().As(IID_IFixedPage, &page), S_OK);
            EXPECT_NE(ReadAll(page.Get())
                          .find(ToUtf16("xmlns=\"http://schemas.microsoft.com/xps/2005/06\"", little).substr(2)),
                      std::string::npos);
        }
    }
}

// Each flavour's markup keeps to its own namespaces. OpenXPS markup is
// translated as it is read, so the 2005/06 namespace in it is noticed in
// the original bytes; text that only mentions that namespace is no markup
// of the other flavour.
TEST_F(ConformanceTest, EachFlavourKeepsToItsOwnNamespaces)
{
    const std::string xps = "http://schemas.microsoft.com/xps/2005/06";
    const std::string oxps = "http://schemas.openxps.org/oxps/v1.0";
    const std::string page = "Documents/1/Pages/1.fpage";
    TestPackage open = testing::PagesOfSize(1);
    open.openXps = true;
    auto entries = testing::PackageEntries(open);
    const std::string glyphs = "<Path Data=\"M 0,0 L 1,1\" Stroke=\"#FF000000\" Name=\"see\"/><Canvas Name=\"x\"/>";
    Replace(&entries, page,
            "<FixedPage xmlns=\"" + oxps + "\" Width=\"10\" Height=\"10\" xml:lang=\"en-US\">" +
                "<Glyphs OriginX=\"1\" OriginY=\"1\" FontRenderingEmSize=\"1\" FontUri=\"/f.ttf\" "
                "UnicodeString=\"see " +
                xps + "\"/></FixedPage>");
    EXPECT_EQ(WalkFailure(Write("mention.oxps", entries)).find("namespace"), std::string::npos);

    Replace(
        &entries, page,
        "<FixedPage xmlns=\"" + xps + "\" Width=\"10\" Height=\"10\" xml:lang=\"en-US\">" + glyphs + "</FixedPage>");
    std::string expected =
        "/" + page + ": the markup uses the XPS 1.0 namespace " + xps + ", which an OpenXPS package does not use";
    ExpectRefused(entries, expected);
    // Leniently, the page is read (it is XPS markup all the same) with the
    // rule as its warning.
    auto log = std::make_shared<FailureLog>();
    std::shared_ptr<Package> lenient = Package::Open(Write("mixed.oxps", entries), {}, log);
    lenient->SetLenientMarkup(true);
    PackageWalker walker(lenient);
    while (walker.Next()) {
    }
    EXPECT_EQ(log->Excused(), std::vector<std::string>{expected});
    // The same in UTF-16, where the strings are matched code unit by unit.
    Replace(&entries, page,
            ToUtf16("<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage xmlns=\"" + xps +
                        "\" Width=\"10\" Height=\"10\" xml:lang=\"en-US\">" + glyphs + "</FixedPage>",
                    true));
    ExpectRefused(entries, expected);

    // The other way round: OpenXPS markup in an XPS package.
    entries = Entries();
    Replace(
        &entries, page,
        "<FixedPage xmlns=\"" + oxps + "\" Width=\"10\" Height=\"10\" xml:lang=\"en-US\">" + glyphs + "</FixedPage>");
    ExpectRefused(entries,
                  "/" + page + ": the root element is in the OpenXPS namespace, which an XPS 1.0 package does not use");
    Replace(&entries, page,
            "<FixedPage xmlns=\"" + xps + "\" xmlns:o=\"" + oxps +
                "\" Width=\"10\" Height=\"10\" xml:lang=\"en-US\"><o:Canvas/></FixedPage>");
    ExpectRefused(entries, "/" + page + ": the element Canvas is in the OpenXPS namespace \"" + oxps +
                               "\", which an XPS 1.0 package does not use");
}

// Names in the zip: piece numbers without leading zeros and each once, no
// part named as another's folder, and an item's name, extra fields and
// comment within 65,535 bytes together.
TEST_F(ConformanceTest, PieceAndItemNamesFollowThePackageRules)
{
    TestPackage interleaved = testing::PagesOfSize(1);
    interleaved.interleavePages = true;
    const auto pieces = testing::PackageEntries(interleaved);
    auto entries = pieces;
    for (auto& entry : entries) {
        if (entry.first.find("/[1].piece") != std::string::npos)
            entry.first.replace(entry.first.find("[1]"), 3, "[01]");
    }
    ExpectRefused(entries, "/Documents/1/Pages/1.fpage: the piece [01].piece has a number with a leading zero");
    entries = pieces;
    for (const auto& entry : pieces) {
        if (entry.first.find("/[1].piece") != std::string::npos) {
            entries.emplace_back(entry.first.substr(0, entry.first.size() - 5) + "PIECE", entry.second);
        }
    }
    ExpectRefused(entries, "/Documents/1/Pages/1.fpage: the interleaved part has piece 1 twice");

    entries = WithTypes("<Default Extension=\"png\" ContentType=\"image/png\"/>");
    entries.emplace_back("Documents/1/Pages/1.fpage/inside.png", "image");
    ExpectRefused(entries,
                  "/Documents/1/Pages/1.fpage/inside.png: the part's name extends the name of the part "
                  "/Documents/1/Pages/1.fpage");

    // 40,000 bytes of name and a comment of 30,000: each within the zip
    // format's own limit, together beyond the package's.
    std::string path = Write("long-name.xps", Entries());
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), 0, &code);
    ASSERT_NE(archive, nullptr);
    std::string longName = "Resources/" + std::string(39990, 'n');
    zip_source_t* source = zip_source_buffer(archive, "x", 1, 0);
    zip_int64_t index = zip_file_add(archive, longName.c_str(), source, ZIP_FL_ENC_UTF_8);
    ASSERT_GE(index, 0);
    std::string comment(30000, 'c');
    ASSERT_EQ(zip_file_set_comment(archive, static_cast<zip_uint64_t>(index), comment.data(),
                                   static_cast<zip_uint16_t>(comment.size()), 0),
              0);
    ASSERT_EQ(zip_close(archive), 0);
    std::string failure = WalkFailure(path);
    EXPECT_NE(failure.find("the zip item's name, extra fields and comment take 70000 bytes, more than the 65535"),
              std::string::npos)
        << failure.substr(0, 200);
}

}  // namespace
}  // namespace tav::host
