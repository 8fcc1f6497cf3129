// Writing packages: what a pass-through chain would write, read back with
// the reader and with libzip, and the rules for parts that changed.
#include <gtest/gtest.h>

#include "content/spill_buffer.h"
#include "opc/package_error.h"
#include "package/package_walker.h"
#include "package/package_writer.h"
#include "parts/new_part.h"
#include "parts/part_objects.h"
#include "support/package_description.h"
#include "support/test_package.h"

#include <zip.h>
#include <zlib.h>

// After the platform headers: <fcntl.h> defines LOCK_WRITE as a macro.
#include <fcntl.h>

namespace tav::host {
namespace {

using testing::TemporaryFolder;
using testing::ZipItem;
using testing::ZipItemNames;

int NewFile(const std::string& path) { return open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR | O_CLOEXEC, 0644); }

// Hands one part to the writer the way the last consumer of a chain does.
void Add(PackageWriter& writer, IUnknown* part)
{
    ComPtr<IXpsDocument> xps;
    ComPtr<IFixedDocumentSequence> sequence;
    ComPtr<IFixedDocument> document;
    ComPtr<IFixedPage> page;
    if (SUCCEEDED(part->QueryInterface(IID_IXpsDocument, xps.OutVoid()))) {
        writer.AddXpsDocument(xps.Get());
    } else if (SUCCEEDED(part->QueryInterface(IID_IFixedDocumentSequence, sequence.OutVoid()))) {
        writer.AddSequence(sequence.Get());
    } else if (SUCCEEDED(part->QueryInterface(IID_IFixedDocument, document.OutVoid()))) {
        writer.AddDocument(document.Get());
    } else if (SUCCEEDED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) {
        writer.AddPage(page.Get());
    } else {
        writer.AddOther(part);
    }
}

void Copy(const std::string& input, const std::string& output, xps::Flavour flavour,
          const std::function<void(IUnknown*)>& change = nullptr)
{
    std::shared_ptr<Package> package = Package::Open(input, {}, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    PackageWriter writer(NewFile(output), flavour);
    while (ComPtr<IUnknown> part = walker.Next()) {
        if (change) change(part.Get());
        Add(writer, part.Get());
    }
    writer.Finish();
}

std::string Bytes(IUnknown* part)
{
    std::unique_ptr<ByteReader> reader = HostDataOf(part)->Content()->Open();
    std::string bytes;
    char block[4096];
    while (size_t got = reader->Read(block, sizeof block)) bytes.append(block, got);
    return bytes;
}

std::vector<std::string> Describe(const std::string& path) { return testing::DescribePackage(path); }

testing::TestPackage RichPackage()
{
    testing::TestPackage package;
    package.jobTicket = testing::SimpleTicket(2);
    package.resources.push_back({"/Resources/shared.png", "image/png", std::string(3000, 'p')});
    package.resources.push_back({"/Resources/font.ttf", "application/vnd.ms-opentype", std::string(5000, 'f')});
    package.documents.resize(2);
    package.documents[0].ticket = testing::SimpleTicket(3);
    package.documents[0].pages.resize(2);
    package.documents[0].pages[0].resources = {"/Resources/shared.png", "/Resources/font.ttf"};
    package.documents[0].pages[1].resources = {"/Resources/shared.png"};
    package.documents[0].pages[1].ticket = testing::SimpleTicket(4);
    package.documents[1].pages.resize(1);
    package.documents[1].pages[0].width = 500;
    return package;
}

TEST(PackageWriterTest, RoundTripKeepsDocumentsPagesTicketsAndResources)
{
    std::string input = TemporaryFolder() + "/rich.xps";
    std::string output = TemporaryFolder() + "/rich-out.xps";
    testing::WritePackage(input, RichPackage());
    Copy(input, output, xps::Flavour::Xps);
    std::vector<std::string> before = Describe(input);
    ASSERT_EQ(before.size(), 6u);
    EXPECT_EQ(Describe(output), before);

    // Each shared resource is stored once.
    std::vector<std::string> items = ZipItemNames(output);
    EXPECT_EQ(std::count(items.begin(), items.end(), "Resources/shared.png"), 1);
    EXPECT_EQ(std::count(items.begin(), items.end(), "Documents/1/Pages/_rels/1.fpage.rels"), 1);
    std::string rels = ZipItem(output, "Documents/1/Pages/_rels/1.fpage.rels");
    EXPECT_NE(rels.find("Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
                        "Target=\"/Resources/font.ttf\""),
              std::string::npos);
    std::string types = ZipItem(output, "[Content_Types].xml");
    EXPECT_NE(types.find("<Default Extension=\"png\" ContentType=\"image/png\"/>"), std::string::npos);
}

// An entry as the archive stores it, read with libzip.
struct StoredEntry {
    int method = -1;
    uint32_t crc = 0;
    std::string bytes;
    bool operator==(const StoredEntry&) const = default;
};

StoredEntry StoredEntryOf(const std::string& path, const std::string& item)
{
    StoredEntry entry;
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr) return entry;
    zip_stat_t stat;
    zip_file_t* file = nullptr;
    if (zip_stat(zip, item.c_str(), 0, &stat) == 0 && (file = zip_fopen(zip, item.c_str(), ZIP_FL_COMPRESSED))) {
        entry.method = stat.comp_method;
        entry.crc = stat.crc;
        char block[4096];
        zip_int64_t got;
        while ((got = zip_fread(file, block, sizeof block)) > 0) entry.bytes.append(block, static_cast<size_t>(got));
        zip_fclose(file);
    }
    zip_discard(zip);
    return entry;
}

void ReplacePageContent(IUnknown* part, const std::u16string& pageName, const std::string& bytes)
{
    ComPtr<IFixedPage> page;
    if (FAILED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) return;
    BSTR uri = nullptr;
    page->GetUri(&uri);
    bool wanted = std::u16string(uri) == pageName;
    SysFreeString(uri);
    if (!wanted) return;
    ComPtr<IPrintWriteStream> stream;
    page->GetWriteStream(stream.Out());
    stream->WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Close();
}

TEST(PackageWriterTest, UnchangedPartsAreCopiedAsTheInputStoresThem)
{
    std::string input = TemporaryFolder() + "/stored.xps";
    std::string output = TemporaryFolder() + "/stored-out.xps";
    testing::WritePackage(input, RichPackage());
    const std::string rewritten =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" Height=\"20\"/>";
    Copy(input, output, xps::Flavour::Xps,
         [&](IUnknown* part) { ReplacePageContent(part, u"/Documents/2/Pages/1.fpage", rewritten); });

    for (const char* item :
         {"Documents/1/Pages/1.fpage", "Documents/1/Pages/2.fpage", "Resources/font.ttf", "Resources/shared.png"}) {
        StoredEntry before = StoredEntryOf(input, item);
        ASSERT_EQ(before.method, ZIP_CM_DEFLATE) << item;
        EXPECT_TRUE(StoredEntryOf(output, item) == before) << item;
        // And the copy still reads back, its CRC-32 checked by libzip.
        EXPECT_EQ(ZipItem(output, item), ZipItem(input, item)) << item;
    }
    // The rewritten page is written anew.
    EXPECT_EQ(ZipItem(output, "Documents/2/Pages/1.fpage"), rewritten);
    EXPECT_EQ(StoredEntryOf(output, "Documents/2/Pages/1.fpage").crc,
              static_cast<uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(rewritten.data()), static_cast<uInt>(rewritten.size()))));
}

TEST(PackageWriterTest, ACopiedPartWhoseCrcIsWrongIsBadInput)
{
    // A resource nobody reads before the writer, and a page the reader only
    // looks into: both are refused, by the reader or while copied.
    for (const char* item : {"Resources/font.ttf", "Documents/1/Pages/1.fpage"}) {
        std::string input = TemporaryFolder() + "/badcrc.xps";
        testing::WritePackage(input, RichPackage());
        testing::PatchDeclaredCrc(input, item, 0x12345678);
        try {
            Copy(input, TemporaryFolder() + "/badcrc-out.xps", xps::Flavour::Xps);
            ADD_FAILURE() << item << ": a wrong CRC-32 went unnoticed";
        } catch (const PackageError& error) {
            EXPECT_EQ(error.Part(), std::string("/") + item);
            EXPECT_NE(error.Reason().find("CRC"), std::string::npos) << error.Reason();
        }
    }
}

TEST(PackageWriterTest, OpenXpsOutputTranslatesNamespacesAndTypes)
{
    std::string input = TemporaryFolder() + "/plain.xps";
    std::string output = TemporaryFolder() + "/plain-out.oxps";
    testing::WritePackage(input, RichPackage());
    Copy(input, output, xps::Flavour::OpenXps);
    EXPECT_NE(ZipItem(output, "_rels/.rels").find("http://schemas.openxps.org/oxps/v1.0/fixedrepresentation"),
              std::string::npos);
    std::string page = ZipItem(output, "Documents/1/Pages/1.fpage");
    EXPECT_NE(page.find("xmlns=\"http://schemas.openxps.org/oxps/v1.0\""), std::string::npos);
    EXPECT_EQ(page.find("schemas.microsoft.com/xps"), std::string::npos);
    EXPECT_NE(ZipItem(output, "FixedDocumentSequence.fdseq").find("http://schemas.openxps.org/oxps/v1.0"),
              std::string::npos);
    EXPECT_NE(ZipItem(output, "Documents/1/Pages/_rels/2.fpage.rels").find("oxps/v1.0/printticket"), std::string::npos);
    // Read back, it is the same job.
    std::shared_ptr<Package> reread = Package::Open(output, {}, std::make_shared<FailureLog>());
    EXPECT_EQ(reread->Flavour(), xps::Flavour::OpenXps);
    EXPECT_EQ(Describe(output), Describe(input));
}

TEST(PackageWriterTest, InterleavedInputIsWrittenWhole)
{
    testing::TestPackage package = testing::PagesOfSize(2);
    package.interleavePages = true;
    std::string input = TemporaryFolder() + "/pieces-in.xps";
    std::string output = TemporaryFolder() + "/pieces-out.xps";
    testing::WritePackage(input, package);
    Copy(input, output, xps::Flavour::Xps);
    std::vector<std::string> items = ZipItemNames(output);
    EXPECT_NE(std::find(items.begin(), items.end(), "Documents/1/Pages/2.fpage"), items.end());
    EXPECT_EQ(Describe(output), Describe(input));
}

TEST(PackageWriterTest, FixtureStructureKeptSignaturesDropped)
{
    if (testing::FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    std::string output = TemporaryFolder() + "/mb06-out.xps";
    Copy(testing::FixturesFolder() + "/mb06.xps", output, xps::Flavour::Xps);
    std::vector<std::string> items = ZipItemNames(output);
    for (const std::string& item : items) EXPECT_EQ(item.find("digital-signature"), std::string::npos) << item;
    std::string rels = ZipItem(output, "Documents/1/_rels/FixedDocument.fdoc.rels");
    EXPECT_NE(rels.find("documentstructure\" Target=\"/Resources/DocStructure_1.struct\""), std::string::npos);
    EXPECT_NE(std::find(items.begin(), items.end(), "Resources/DocStructure_1.struct"), items.end());
    std::string document = ZipItem(output, "Documents/1/FixedDocument.fdoc");
    EXPECT_NE(document.find("<LinkTarget Name=\"Page2\"/>"), std::string::npos);
}

TEST(PackageWriterTest, StructureOfADocumentWithARewrittenPageIsDropped)
{
    if (testing::FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    std::string output = TemporaryFolder() + "/mb06-changed.xps";
    Copy(testing::FixturesFolder() + "/mb06.xps", output, xps::Flavour::Xps, [](IUnknown* part) {
        ComPtr<IFixedPage> page;
        if (FAILED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) return;
        // Rewrite the second page with its own content.
        BSTR uri = nullptr;
        page->GetUri(&uri);
        bool second = std::u16string(uri) == u"/Documents/1/Pages/2.fpage";
        SysFreeString(uri);
        if (!second) return;
        std::string bytes = Bytes(part);
        ComPtr<IPrintWriteStream> stream;
        page->GetWriteStream(stream.Out());
        stream->WriteBytes(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        stream->Close();
    });
    std::string rels = ZipItem(output, "Documents/1/_rels/FixedDocument.fdoc.rels");
    EXPECT_EQ(rels.find("documentstructure"), std::string::npos);
    EXPECT_NE(rels.find("printticket"), std::string::npos);
    std::string document = ZipItem(output, "Documents/1/FixedDocument.fdoc");
    EXPECT_EQ(document.find("<LinkTarget Name=\"Page2\"/>"), std::string::npos);
    EXPECT_NE(document.find("<LinkTarget Name=\"Page3\"/>"), std::string::npos);
}

TEST(PackageWriterTest, CorePropertiesThumbnailsAndStoryFragmentsArePassedOn)
{
    const std::string thumbnailType = "http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail";
    const std::string storyType = "http://schemas.microsoft.com/xps/2005/06/storyfragments";
    const std::string kCore =
        "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\"/>";
    testing::TestPackage package = testing::PagesOfSize(2);
    package.packageParts.push_back(
        {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
         {"/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml", kCore}});
    package.packageParts.push_back({thumbnailType, {"/thumb.png", "image/png", "thumbnail bytes"}});
    package.documents[0].pages[0].related.push_back(
        {storyType,
         {"/Documents/1/Story1.frag", "application/vnd.ms-package.xps-storyfragments+xml", "<StoryFragments/>"}});
    package.documents[0].pages[1].related.push_back(
        {storyType,
         {"/Documents/1/Story2.frag", "application/vnd.ms-package.xps-storyfragments+xml", "<StoryFragments/>"}});
    std::string input = TemporaryFolder() + "/related-in.xps";
    std::string output = TemporaryFolder() + "/related-out.xps";
    testing::WritePackage(input, package);
    // Page 2 is rewritten on the way: its story fragments no longer apply.
    Copy(input, output, xps::Flavour::Xps, [](IUnknown* part) {
        ComPtr<IFixedPage> page;
        if (FAILED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) return;
        if (HostDataOf(part)->Name() != "/Documents/1/Pages/2.fpage") return;
        ComPtr<IPrintWriteStream> stream;
        page->GetWriteStream(stream.Out());
        std::string markup =
            "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"5\" "
            "Height=\"5\"/>";
        stream->WriteBytes(markup.data(), static_cast<ULONG>(markup.size()), nullptr);
        stream->Close();
    });
    std::string packageRelationships = ZipItem(output, "_rels/.rels");
    EXPECT_NE(packageRelationships.find("core-properties\" Target=\"/docProps/core.xml\""), std::string::npos);
    EXPECT_NE(packageRelationships.find("thumbnail\" Target=\"/thumb.png\""), std::string::npos);
    EXPECT_EQ(ZipItem(output, "docProps/core.xml"), kCore);
    EXPECT_EQ(ZipItem(output, "thumb.png"), "thumbnail bytes");
    EXPECT_NE(ZipItem(output, "Documents/1/Pages/_rels/1.fpage.rels").find("Target=\"/Documents/1/Story1.frag\""),
              std::string::npos);
    std::vector<std::string> items = ZipItemNames(output);
    EXPECT_NE(std::find(items.begin(), items.end(), "Documents/1/Story1.frag"), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), "Documents/1/Story2.frag"), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), "Documents/1/Pages/_rels/2.fpage.rels"), items.end());
}

TEST(PackageWriterTest, NewPagesTicketsAndDuplicateNames)
{
    std::string input = TemporaryFolder() + "/dup-in.xps";
    std::string output = TemporaryFolder() + "/dup-out.xps";
    testing::WritePackage(input, testing::PagesOfSize(1));
    auto log = std::make_shared<FailureLog>();
    std::shared_ptr<Package> package = Package::Open(input, {}, log);
    PackageWalker walker(package);
    PackageWriter writer(NewFile(output), xps::Flavour::Xps);
    ComPtr<IUnknown> lastPage;
    while (ComPtr<IUnknown> part = walker.Next()) {
        Add(writer, part.Get());
        lastPage = part;
    }
    // The same page again (three times: each copy gets the next number),
    // and a new page named like a ticket part.
    for (int copy = 0; copy < 3; ++copy) Add(writer, lastPage.Get());
    ComPtr<IFixedPage> page;
    ComPtr<IPrintWriteStream> stream;
    ASSERT_EQ(CreateEmptyPart(u"/LO_NUpPage_1.xml", IID_IFixedPage, page.OutVoid(), stream.Out(), log), S_OK);
    std::string markup =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" Height=\"20\"/>";
    stream->WriteBytes(markup.data(), static_cast<ULONG>(markup.size()), nullptr);
    stream->Close();
    ComPtr<IPartPrintTicket> ticket;
    ASSERT_EQ(CreateEmptyPart(u"/PT_LO_1_2.xml", IID_IPartPrintTicket, ticket.OutVoid(), stream.Out(), log), S_OK);
    std::string ticketMarkup = testing::SimpleTicket(9);
    stream->WriteBytes(ticketMarkup.data(), static_cast<ULONG>(ticketMarkup.size()), nullptr);
    stream->Close();
    page->SetPrintTicket(ticket.Get());
    writer.AddPage(page.Get());
    writer.Finish();

    std::vector<std::string> lines = Describe(output);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2].substr(0, lines[2].find(' ')), "/Documents/1/Pages/1.fpage");
    EXPECT_EQ(lines[3].substr(0, lines[3].find(' ')), "/Documents/1/Pages/1_2.fpage");
    EXPECT_EQ(lines[4].substr(0, lines[4].find(' ')), "/Documents/1/Pages/1_3.fpage");
    EXPECT_EQ(lines[5].substr(0, lines[5].find(' ')), "/Documents/1/Pages/1_4.fpage");
    EXPECT_EQ(lines[6], "/LO_NUpPage_1.xml ticket /PT_LO_1_2.xml [" + ticketMarkup + "] content " + markup);
    // Both .xml parts are told apart in the content types.
    std::string types = ZipItem(output, "[Content_Types].xml");
    EXPECT_NE(types.find("application/vnd.ms-printing.printticket+xml"), std::string::npos);
    EXPECT_NE(types.find("application/vnd.ms-package.xps-fixedpage+xml"), std::string::npos);
}

TEST(PackageWriterTest, TwoDifferentResourcesOfOneNameFail)
{
    auto log = std::make_shared<FailureLog>();
    std::string output = TemporaryFolder() + "/clash.xps";
    PackageWriter writer(NewFile(output), xps::Flavour::Xps);
    ComPtr<IFixedDocument> document;
    ComPtr<IPrintWriteStream> stream;
    ComPtr<IFixedPage> first, second;
    ComPtr<IPartImage> imageA, imageB;
    ASSERT_EQ(CreateEmptyPart(u"/a.fpage", IID_IFixedPage, first.OutVoid(), stream.Out(), log), S_OK);
    ASSERT_EQ(CreateEmptyPart(u"/b.fpage", IID_IFixedPage, second.OutVoid(), stream.Out(), log), S_OK);
    ASSERT_EQ(CreateEmptyPart(u"/same.png", IID_IPartImage, imageA.OutVoid(), stream.Out(), log), S_OK);
    ASSERT_EQ(CreateEmptyPart(u"/same.png", IID_IPartImage, imageB.OutVoid(), stream.Out(), log), S_OK);
    first->SetPagePart(imageA.Get());
    second->SetPagePart(imageB.Get());
    auto data = std::make_shared<PartData>("/d.fdoc", PartRole::Document, "", nullptr, log);
    ComPtr<IUnknown> documentObject = MakePartObject(data);
    documentObject.As(IID_IFixedDocument, &document);
    writer.AddDocument(document.Get());
    writer.AddPage(first.Get());
    try {
        writer.AddPage(second.Get());
        FAIL() << "no error";
    } catch (const PackageError& error) {
        EXPECT_EQ(std::string(error.what()), "/same.png: two different parts of this name reached the output");
    }
}

// A ticket part made for one page is written with it and then let go: a
// job of many sheets must not keep every sheet's ticket to its end. A part
// still referred to is written once.
TEST(PackageWriterTest, WrittenPartsAreNotHeldBeyondTheirPages)
{
    auto log = std::make_shared<FailureLog>();
    std::string output = TemporaryFolder() + "/released.xps";
    PackageWriter writer(NewFile(output), xps::Flavour::Xps);
    ComPtr<IFixedDocument> document;
    MakePartObject(std::make_shared<PartData>("/d.fdoc", PartRole::Document, "", nullptr, log))
        .As(IID_IFixedDocument, &document);
    writer.AddDocument(document.Get());
    const std::string markup =
        "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" Height=\"20\"/>";
    const std::string ticketMarkup = testing::SimpleTicket(3);
    // A new part of the name with the text as its content.
    auto make = [&](const char16_t* name, REFIID kind, const std::string& text, void** part) {
        ComPtr<IPrintWriteStream> stream;
        ASSERT_EQ(CreateEmptyPart(name, kind, part, stream.Out(), log), S_OK);
        stream->WriteBytes(text.data(), static_cast<ULONG>(text.size()), nullptr);
        stream->Close();
    };
    ComPtr<IPartPrintTicket> shared;
    make(u"/PT_shared.xml", IID_IPartPrintTicket, ticketMarkup, shared.OutVoid());
    std::weak_ptr<PartData> firstTicket;
    const char16_t* pageNames[] = {u"/1.fpage", u"/2.fpage", u"/3.fpage", u"/4.fpage"};
    for (int k = 0; k < 4; ++k) {
        ComPtr<IFixedPage> page;
        make(pageNames[k], IID_IFixedPage, markup, page.OutVoid());
        ComPtr<IPartPrintTicket> own;
        make(u"/PT_own.xml", IID_IPartPrintTicket, ticketMarkup, own.OutVoid());
        bool sharing = k % 2 == 1;
        page->SetPrintTicket(sharing ? shared.Get() : own.Get());
        if (k == 0) firstTicket = HostDataOf(own.Get());
        writer.AddPage(page.Get());
    }
    writer.Finish();
    EXPECT_TRUE(firstTicket.expired());
    // Page 3's ticket is another part of page 1's ticket's name, written
    // under a new name; the shared one is written once.
    std::vector<std::string> lines = Describe(output);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[2].find("ticket /PT_own.xml "), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("ticket /PT_shared.xml "), std::string::npos) << lines[3];
    EXPECT_NE(lines[4].find("ticket /PT_own_2.xml "), std::string::npos) << lines[4];
    EXPECT_NE(lines[5].find("ticket /PT_shared.xml "), std::string::npos) << lines[5];
}

// The writer makes the relationships parts and the content types itself; a
// resource of one of their names would give the output two such entries.
TEST(PackageWriterTest, PartsNamedAsThePackagesBookkeepingAreRefused)
{
    auto log = std::make_shared<FailureLog>();
    for (const char* name : {"/a/_rels/b.fpage.rels", "/[Content_Types].xml"}) {
        SCOPED_TRACE(name);
        PackageWriter writer(NewFile(TemporaryFolder() + "/bookkeeping.xps"), xps::Flavour::Xps);
        ComPtr<IFixedDocument> document;
        ComPtr<IPrintWriteStream> stream;
        ComPtr<IFixedPage> page;
        ASSERT_EQ(CreateEmptyPart(u"/a/b.fpage", IID_IFixedPage, page.OutVoid(), stream.Out(), log), S_OK);
        ComPtr<IUnknown> image =
            MakePartObject(std::make_shared<PartData>(name, PartRole::Image, "image/png", MemoryContent("png"), log));
        page->SetPagePart(image.Get());
        ComPtr<IUnknown> documentObject =
            MakePartObject(std::make_shared<PartData>("/d.fdoc", PartRole::Document, "", nullptr, log));
        documentObject.As(IID_IFixedDocument, &document);
        writer.AddDocument(document.Get());
        try {
            writer.AddPage(page.Get());
            FAIL() << "no error";
        } catch (const PackageError& error) {
            EXPECT_EQ(std::string(error.what()),
                      std::string(name) +
                          ": a part named as the package's own relationships or content types reached the output");
        }
    }
}

TEST(PackageWriterTest, AJobWithoutPagesIsNoPackage)
{
    std::string input = TemporaryFolder() + "/nopages-in.xps";
    testing::WritePackage(input, testing::PagesOfSize(1));
    std::shared_ptr<Package> package = Package::Open(input, {}, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    PackageWriter writer(NewFile(TemporaryFolder() + "/nopages-out.xps"), xps::Flavour::Xps);
    while (ComPtr<IUnknown> part = walker.Next()) {
        ComPtr<IFixedPage> page;
        if (FAILED(part.As(IID_IFixedPage, &page))) Add(writer, part.Get());
    }
    EXPECT_THROW(writer.Finish(), std::runtime_error);
}

}  // namespace
}  // namespace tav::host
