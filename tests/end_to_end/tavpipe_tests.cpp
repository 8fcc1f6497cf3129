// tavpipe as a user runs it: on the real fixtures and on packages made
// here, through a pass-through chain of the tests' filter module and
// through the product's chain, checking the exit status, the one-line
// message, that failed jobs leave nothing behind, and that the output
// renders in MuPDF to the same pixels as the input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "support/command_run.h"
#include "support/test_package.h"

namespace {

using Result = tav::host::testing::CommandResult;
using tav::host::testing::BuildFolder;
using tav::host::testing::FileExists;
using tav::host::testing::FixturesFolder;
using tav::host::testing::HaveTool;
using tav::host::testing::Quote;
using tav::host::testing::ReadFile;
using tav::host::testing::RunCommand;
using tav::host::testing::TemporaryFolder;

std::string Tavpipe() { return Quote(BuildFolder() + "/bin/tavpipe"); }

std::string PassConfig()
{
    static const std::string path = [] {
        std::string file = TemporaryFolder() + "/pass.conf";
        std::ofstream(file) << "[pipeline]\nchain = pass\n[pass]\nmodule = " << BuildFolder()
                            << "/lib/libtavtestfilters.so\nclsid = {7E57F117-0001-4000-8000-000000000001}\n"
                            << "[failstart]\nmodule = " << BuildFolder()
                            << "/lib/libtavtestfilters.so\nclsid = {7E57F117-0002-4000-8000-000000000002}\n";
        return file;
    }();
    return path;
}

std::string UserTicket()
{
    std::string path = TemporaryFolder() + "/user.xml";
    std::ofstream(path) << tav::host::testing::SimpleTicket(1);
    return path;
}

// tavpipe through the tests' pass-through filter.
Result PassThrough(const std::string& input, const std::string& output, const std::string& extra = "")
{
    return RunCommand(Tavpipe() + " --config " + Quote(PassConfig()) + " --user-ticket " + Quote(UserTicket()) + " " +
                      extra + " " + Quote(input) + " " + Quote(output));
}

// Each page rendered at 72 dpi as raw pixels.
std::vector<std::string> Render(const std::string& package, const std::string& tag)
{
    std::string folder = TemporaryFolder() + "/render-" + tag;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    Result drawn = RunCommand("mutool draw -q -r 72 -o " + Quote(folder + "/page-%d.pnm") + " " + Quote(package));
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    std::vector<std::string> pages;
    for (int page = 1; FileExists(folder + "/page-" + std::to_string(page) + ".pnm"); ++page) {
        pages.push_back(ReadFile(folder + "/page-" + std::to_string(page) + ".pnm"));
    }
    return pages;
}

// No file under the output's name and no temporary file beside it.
bool NothingLeft(const std::string& output)
{
    std::string name = output.substr(output.rfind('/') + 1);
    for (const auto& entry : std::filesystem::directory_iterator(TemporaryFolder())) {
        std::string file = entry.path().filename().string();
        if (file == name || file.rfind("." + name + ".tavpipe-", 0) == 0) return false;
    }
    return true;
}

void ExpectOneLine(const Result& result, const std::string& start)
{
    EXPECT_EQ(result.err.rfind("tavpipe: " + start, 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

const char* kFixtures[] = {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"};

TEST(TavpipeFixtureTest, PassThroughRendersToTheSamePixelsAndOpensInLibgxps)
{
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    if (!HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    for (const char* fixture : kFixtures) {
        std::string input = FixturesFolder() + "/" + fixture;
        std::vector<std::string> expected = Render(input, std::string(fixture) + "-in");
        ASSERT_FALSE(expected.empty()) << fixture;
        for (const char* extension : {".xps", ".oxps"}) {
            std::string output = TemporaryFolder() + "/" + fixture + "-out" + extension;
            Result result = PassThrough(input, output);
            ASSERT_EQ(result.status, 0) << fixture << ": " << result.err;
            EXPECT_EQ(result.err, "");  // quiet when stderr is no terminal
            EXPECT_EQ(Render(output, std::string(fixture) + extension), expected) << fixture << extension;
            if (HaveTool("xpstopng")) {
                std::string prefix = TemporaryFolder() + "/gxps-" + fixture + extension;
                Result opened = RunCommand("xpstopng " + Quote(output) + " " + Quote(prefix));
                EXPECT_EQ(opened.status, 0) << opened.err;
                EXPECT_TRUE(FileExists(prefix + "-1.png")) << fixture << extension;
            }
        }
    }
}

TEST(TavpipeFixtureTest, InfoShowsDocumentsPagesTicketsAndResources)
{
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    std::string input = FixturesFolder() + "/mb06.xps";
    Result result = RunCommand(Tavpipe() + " info " + Quote(input));
    ASSERT_EQ(result.status, 0) << result.err;
    // As unzip shows the package: the sequence and document tickets of its
    // relationship parts (each with one setting no option stands for: the
    // job's copy count, the document's DocumentDuplex), three letter pages of 816 x 1056 (8.5 x 11 in) with two
    // resources each.
    std::string page =
        ", 816 x 1056 (215.9 x 279.4 mm, 8.50 x 11.00 in), no ticket\n"
        "    resource /Resources/QL_logo_color.tif (image/tiff)\n"
        "    resource /Resources/arial.ttf (application/vnd.ms-opentype)\n";
    EXPECT_EQ(result.out, input +
                              ": XPS package\n"
                              "sequence /FixedDocumentSequence.fdseq, ticket /Resources/Job_PT.xml: +1 other setting\n"
                              "document 1 /Documents/1/FixedDocument.fdoc, ticket /Resources/Document1_PT.xml: "
                              "+1 other setting\n"
                              "  page 1 /Documents/1/Pages/1.fpage" +
                              page + "  page 2 /Documents/1/Pages/2.fpage" + page +
                              "  page 3 /Documents/1/Pages/3.fpage" + page + "1 document, 3 pages, 2 tickets\n");
    Result openXps = RunCommand(Tavpipe() + " info " + Quote(FixturesFolder() + "/mb06.oxps"));
    EXPECT_NE(openXps.out.find(": OpenXPS package\n"), std::string::npos);
    EXPECT_NE(openXps.out.find("1 document, 3 pages, 2 tickets\n"), std::string::npos);
}

TEST(TavpipeFixtureTest, ProductChainKeepsWhatPrints)
{
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    if (!HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    for (const char* module : {"libtavprep.so", "libtavord.so", "libtavlay.so", "libtavfin.so"}) {
        if (!FileExists(BuildFolder() + "/lib/" + module)) GTEST_SKIP() << module << " is not built yet";
    }
    for (const char* fixture : kFixtures) {
        std::string input = FixturesFolder() + "/" + fixture;
        std::string output = TemporaryFolder() + "/" + fixture + "-chain.xps";
        Result result = RunCommand(Tavpipe() + " -f prep,order,layout,finisher " + Quote(input) + " " + Quote(output));
        ASSERT_EQ(result.status, 0) << fixture << ": " << result.err;
        EXPECT_EQ(Render(output, std::string(fixture) + "-chain"), Render(input, std::string(fixture) + "-chain-in"))
            << fixture;
        if (HaveTool("xpstopng")) {
            EXPECT_EQ(RunCommand("xpstopng " + Quote(output) + " " + Quote(TemporaryFolder() + "/chain-gxps")).status,
                      0);
        }
    }
}

class TavpipeBadInputTest : public ::testing::Test {
protected:
    static std::vector<std::pair<std::string, std::string>> Entries()
    {
        return tav::host::testing::PackageEntries(tav::host::testing::PagesOfSize(2));
    }
    static std::string Write(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries)
    {
        std::string path = TemporaryFolder() + "/" + name;
        tav::host::testing::WriteZip(path, entries);
        return path;
    }
    static void ExpectBadInput(const std::string& input, const std::string& message)
    {
        std::string output = input + "-out.xps";
        Result result = PassThrough(input, output);
        EXPECT_EQ(result.status, 3) << result.err;
        ExpectOneLine(result, input + ": ");
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_TRUE(NothingLeft(output));
    }
};

TEST_F(TavpipeBadInputTest, NotAZipOrTruncated)
{
    std::string text = TemporaryFolder() + "/text.xps";
    std::ofstream(text) << "plain text\n";
    ExpectBadInput(text, "not a zip archive");

    std::string whole = Write("whole.xps", Entries());
    std::string bytes = ReadFile(whole);
    std::string truncated = TemporaryFolder() + "/truncated.xps";
    std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    ExpectBadInput(truncated, "zip");
}

TEST_F(TavpipeBadInputTest, InfoOnABadPackage)
{
    std::string text = TemporaryFolder() + "/info-text.xps";
    std::ofstream(text) << "plain text\n";
    Result result = RunCommand(Tavpipe() + " info " + Quote(text));
    EXPECT_EQ(result.status, 3);
    ExpectOneLine(result, text + ": not a zip archive");
    EXPECT_EQ(result.out, "");
}

TEST_F(TavpipeBadInputTest, ZipBomb)
{
    auto entries = Entries();
    entries.emplace_back("Resources/zeros.bin", std::string(24u << 20, '\0'));
    ExpectBadInput(Write("bomb.xps", entries), "/Resources/zeros.bin: the zip entry inflates");
}

// An entry that inflates beyond its declared size is found while the
// writer copies it: still bad input, named as such.
TEST_F(TavpipeBadInputTest, EntryLyingAboutItsSize)
{
    auto entries = Entries();
    entries.emplace_back("Resources/liar.png", std::string(300000, 'p'));
    for (auto& entry : entries) {
        if (entry.first == "[Content_Types].xml") {
            entry.second.insert(entry.second.find("</Types>"),
                                "<Default Extension=\"png\" ContentType=\"image/png\"/>");
        }
    }
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
                         "Target=\"/Resources/liar.png\"/></Relationships>");
    std::string input = Write("liar.xps", entries);
    tav::host::testing::PatchDeclaredSize(input, "Resources/liar.png", 1000);
    ExpectBadInput(input, "/Resources/liar.png: ");
}

TEST_F(TavpipeBadInputTest, BrokenNamesPartsAndMarkup)
{
    auto entries = Entries();
    entries.emplace_back("Resources/../../x.png", "x");
    ExpectBadInput(Write("dotdot.xps", entries),
                   "/Resources/../../x.png: the part name contains a '.' or '..' segment");

    entries = Entries();
    std::erase_if(entries, [](const auto& entry) { return entry.first == "Documents/1/Pages/2.fpage"; });
    ExpectBadInput(Write("missing-page.xps", entries), "/Documents/1/Pages/2.fpage: the FixedPage is missing");

    entries = Entries();
    std::erase_if(entries, [](const auto& entry) { return entry.first == "Documents/1/FixedDocument.fdoc"; });
    ExpectBadInput(Write("missing-doc.xps", entries), "/Documents/1/FixedDocument.fdoc: the FixedDocument is missing");

    entries = Entries();
    for (auto& entry : entries) {
        if (entry.first == "Documents/1/Pages/1.fpage")
            entry.second = "<!DOCTYPE FixedPage [<!ENTITY e \"e\">]>" + entry.second;
    }
    ExpectBadInput(Write("dtd.xps", entries), "/Documents/1/Pages/1.fpage: the markup contains a DTD");

    entries = Entries();
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
                         "Target=\"/Documents/1/Pages/1.fpage\"/></Relationships>");
    ExpectBadInput(Write("loop.xps", entries), "the resource relationships loop");

    // Passed on as a resource, it would give the output a second content types entry.
    entries = Entries();
    entries.emplace_back("Documents/1/Pages/_rels/1.fpage.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                         "<Relationship Id=\"R1\" Type=\"http://schemas.microsoft.com/xps/2005/06/required-resource\" "
                         "Target=\"/[Content_Types].xml\"/></Relationships>");
    ExpectBadInput(Write("content-types-resource.xps", entries),
                   "relationship R1 targets /[Content_Types].xml, which holds the package's own relationships");
}

TEST(TavpipeJobTest, FilterFailureIsStatusOneWithNoOutput)
{
    std::string input = TemporaryFolder() + "/job.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(3));
    std::string output = TemporaryFolder() + "/job-failed.xps";
    Result result = PassThrough(input, output, "-f pass,failstart");
    EXPECT_EQ(result.status, 1);
    ExpectOneLine(result, input + ": ");
    EXPECT_NE(result.err.find("filter failstart stopped the job (0x80004005)"), std::string::npos) << result.err;
    EXPECT_TRUE(NothingLeft(output));
}

// The reader reads every page whole and keeps the nesting bound there, so
// that no filter meets a page it cannot read.
TEST(TavpipeJobTest, MarkupBeyondTheReadersBoundsIsBadInput)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1);
    // Deeper than the filters' readers go, 256 levels and 64 for the
    // Canvases filters add.
    std::string nested;
    for (int i = 0; i < 400; ++i) nested += "<Canvas>";
    for (int i = 0; i < 400; ++i) nested += "</Canvas>";
    package.documents[0].pages[0].body = nested;
    std::string input = TemporaryFolder() + "/nested.xps";
    tav::host::testing::WritePackage(input, package);
    std::string output = TemporaryFolder() + "/nested-out.xps";
    Result result = RunCommand(Tavpipe() + " -f finisher -o mirror=width " + Quote(input) + " " + Quote(output));
    EXPECT_EQ(result.status, 3);
    ExpectOneLine(result, input + ": /Documents/1/Pages/1.fpage: the markup nests deeper than 256 elements");
    EXPECT_TRUE(NothingLeft(output));
}

// A ticket whose third line closes an element it never opened.
std::string MalformedTicket()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
           "version=\"1\">\n"
           "</psf:Feature></psf:PrintTicket>\n";
}

TEST(TavpipeJobTest, AMalformedTicketIsNamedWithWhatIsWrongWithIt)
{
    struct Case {
        std::string level;
        std::string part;
    };
    // A ticket that cannot be read is a fault of the input, found by the
    // reader before any filter reads it, at every level.
    for (const Case& c : {Case{"page", "/Documents/1/Pages/2_PT.xml"}, Case{"document", "/Documents/1/Document_PT.xml"},
                          Case{"job", "/Job_PT.xml"}}) {
        SCOPED_TRACE(c.level);
        tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(2);
        if (c.level == "page")
            package.documents[0].pages[1].ticket = MalformedTicket();
        else if (c.level == "document")
            package.documents[0].ticket = MalformedTicket();
        else
            package.jobTicket = MalformedTicket();
        std::string input = TemporaryFolder() + "/malformed-" + c.level + ".xps";
        tav::host::testing::WritePackage(input, package);
        std::string output = TemporaryFolder() + "/malformed-" + c.level + "-out.xps";
        std::string options = c.level == "job" ? "" : " -o mirror=width";
        Result result = RunCommand(Tavpipe() + " -f finisher" + options + " " + Quote(input) + " " + Quote(output));
        EXPECT_EQ(result.status, 3);
        ExpectOneLine(result, input + ": " + c.part + ": the markup is not well-formed XML");
        EXPECT_NE(result.err.find("(line 3)\n"), std::string::npos) << result.err;
        EXPECT_TRUE(NothingLeft(output));
    }
}

TEST(TavpipeJobTest, APerUserTicketTheFiltersCannotReadIsAUsageErrorNamingTheFile)
{
    std::string input = TemporaryFolder() + "/user-ticket.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(1));
    std::string ticket = TemporaryFolder() + "/user-ticket.xml";
    std::ofstream(ticket) << "<psf:PrintTicket";
    std::string output = TemporaryFolder() + "/user-ticket-out.xps";
    Result result =
        RunCommand(Tavpipe() + " -f order --user-ticket " + Quote(ticket) + " " + Quote(input) + " " + Quote(output));
    EXPECT_EQ(result.status, 2);
    ExpectOneLine(result, ticket + ": not a usable per-user ticket: the ticket is not well-formed XML");
    EXPECT_TRUE(NothingLeft(output));

    std::ofstream(ticket) << "<PrintTicket version=\"1\"/>";
    result =
        RunCommand(Tavpipe() + " -f order --user-ticket " + Quote(ticket) + " " + Quote(input) + " " + Quote(output));
    EXPECT_EQ(result.status, 2);
    ExpectOneLine(result, ticket +
                              ": not a usable per-user ticket: the root element is not a PrintTicket of the Print "
                              "Schema framework\n");
}

TEST(TavpipeJobTest, UsageErrorsAreStatusTwo)
{
    Result none = RunCommand(Tavpipe());
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("give an INPUT and an OUTPUT package"), std::string::npos);

    std::string input = TemporaryFolder() + "/usage.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(1));
    Result filter = PassThrough(input, TemporaryFolder() + "/usage-out.xps", "-f nosuch");
    EXPECT_EQ(filter.status, 2);
    ExpectOneLine(filter, "unknown filter \"nosuch\"");

    Result property = PassThrough(input, TemporaryFolder() + "/usage-out.xps", "--set-property PrintJobId=minus");
    EXPECT_EQ(property.status, 2);
    EXPECT_NE(property.err.find("property PrintJobId takes an integer"), std::string::npos) << property.err;
    EXPECT_TRUE(NothingLeft(TemporaryFolder() + "/usage-out.xps"));

    Result help = RunCommand(Tavpipe() + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: tavpipe [options] INPUT OUTPUT\n", 0), 0u);
}

}  // namespace

namespace {

TEST(TavpipeOptionsTest, OptionsWinOverTheDocumentsOwnJobTicket)
{
    if (FixturesFolder().empty()) GTEST_SKIP() << "the XPS fixtures are not present";
    std::string output = TemporaryFolder() + "/options-out.xps";
    Result result = PassThrough(FixturesFolder() + "/mb06.xps", output, "-o number-up=4 -o sides=two-sided-long-edge");
    ASSERT_EQ(result.status, 0) << result.err;
    // The sequence's ticket is the package's own job ticket (two copies)
    // with the options merged over it.
    std::string relationships = tav::host::testing::ZipItem(output, "_rels/FixedDocumentSequence.fdseq.rels");
    size_t target = relationships.find("Target=\"/");
    ASSERT_NE(target, std::string::npos) << relationships;
    std::string name = relationships.substr(target + 9, relationships.find('"', target + 9) - target - 9);
    std::string ticket = tav::host::testing::ZipItem(output, name);
    EXPECT_NE(ticket.find("psk:JobCopiesAllDocuments"), std::string::npos) << ticket;
    EXPECT_NE(ticket.find("psk:TwoSidedLongEdge"), std::string::npos) << ticket;
    size_t pagesPerSheet = ticket.find("psk:PagesPerSheet");
    ASSERT_NE(pagesPerSheet, std::string::npos) << ticket;
    EXPECT_NE(ticket.find(">4</psf:Value>", pagesPerSheet), std::string::npos) << ticket;
    // The document's own ticket is left as it was.
    EXPECT_EQ(tav::host::testing::ZipItem(output, "Resources/Document1_PT.xml"),
              tav::host::testing::ZipItem(FixturesFolder() + "/mb06.xps", "Resources/Document1_PT.xml"));
}

// Options are merged over the package's own job ticket; when that ticket is
// no ticket, the input is at fault, not the options.
TEST(TavpipeOptionsTest, AnUnreadableJobTicketOfThePackageIsBadInput)
{
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1);
    package.jobTicket = "<psf:PrintTicket xmlns:psf=\"urn:not-the-print-schema\"/>";
    std::string input = TemporaryFolder() + "/bad-job-ticket.xps";
    tav::host::testing::WritePackage(input, package);
    std::string output = TemporaryFolder() + "/bad-job-ticket-out.xps";
    Result result = PassThrough(input, output, "-o number-up=2");
    EXPECT_EQ(result.status, 3) << result.err;
    ExpectOneLine(result, input + ": /Job_PT.xml: the job ticket cannot be merged");
    EXPECT_TRUE(NothingLeft(output));
}

TEST(TavpipeOptionsTest, AWrongOptionIsAUsageError)
{
    std::string input = TemporaryFolder() + "/options.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(1));
    std::string output = TemporaryFolder() + "/options-bad.xps";
    Result result = PassThrough(input, output, "-o number-up=3");
    EXPECT_EQ(result.status, 2);
    ExpectOneLine(result, "number-up: unknown value \"3\"");
    EXPECT_TRUE(NothingLeft(output));
}

}  // namespace

namespace {

bool ProductModulesBuilt()
{
    for (const char* module : {"libtavprep.so", "libtavord.so", "libtavlay.so", "libtavfin.so"}) {
        if (!FileExists(BuildFolder() + "/lib/" + module)) return false;
    }
    return true;
}

TEST(TavpipeJobTest, TraceFileAndDeviceFile)
{
    if (!ProductModulesBuilt()) GTEST_SKIP() << "the filter modules are not built yet";
    std::string input = TemporaryFolder() + "/trace.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(1));
    std::string trace = TemporaryFolder() + "/trace.log";
    Result traced = RunCommand(Tavpipe() + " --trace " + Quote(trace) + " " + Quote(input) + " " +
                               Quote(TemporaryFolder() + "/trace-out.xps"));
    ASSERT_EQ(traced.status, 0) << traced.err;
    // Each module writes a line when it is loaded.
    std::string lines = ReadFile(trace);
    for (const char* module : {"tavprep", "tavord", "tavlay", "tavfin"}) {
        EXPECT_NE(lines.find(std::string(module) + " attached"), std::string::npos) << module << "\n" << lines;
    }

    std::string device = TemporaryFolder() + "/bad-device.xml";
    std::ofstream(device) << "<not-a-device/>";
    std::string output = TemporaryFolder() + "/device-out.xps";
    Result bad = RunCommand(Tavpipe() + " --device " + Quote(device) + " " + Quote(input) + " " + Quote(output));
    EXPECT_EQ(bad.status, 2);
    ExpectOneLine(bad, device + ": ");
    EXPECT_TRUE(NothingLeft(output));
}

}  // namespace

namespace {

TEST(TavpipeOptionsTest, UserNameGoesIntoTheJobTicket)
{
    std::string input = TemporaryFolder() + "/user.xps";
    tav::host::testing::WritePackage(input, tav::host::testing::PagesOfSize(1));
    std::string output = TemporaryFolder() + "/user-out.xps";
    Result result = PassThrough(input, output, "--user alice");
    ASSERT_EQ(result.status, 0) << result.err;
    std::string ticket = tav::host::testing::ZipItem(output, "PT_HO_Job.xml");
    size_t user = ticket.find("DefaultUserName");
    ASSERT_NE(user, std::string::npos) << ticket;
    EXPECT_NE(ticket.find(">alice</psf:Value>", user), std::string::npos) << ticket;

    // Without --user, the identification print names the job's owner.
    Result owner = RunCommand("id -un");
    ASSERT_EQ(owner.status, 0);
    std::string name = owner.out.substr(0, owner.out.find('\n'));
    result = PassThrough(input, output, "-o header-footer=on -o header-footer-id=user");
    ASSERT_EQ(result.status, 0) << result.err;
    ticket = tav::host::testing::ZipItem(output, "PT_HO_Job.xml");
    user = ticket.find("DefaultUserName");
    ASSERT_NE(user, std::string::npos) << ticket;
    EXPECT_NE(ticket.find(">" + name + "</psf:Value>", user), std::string::npos) << ticket;
}

}  // namespace
