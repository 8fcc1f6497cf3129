// tavpipe as a conforming consumer of XPS packages: parts that page markup
// uses without a relationship reach the output and render there as in the
// input, packages written in UTF-16 run through the product chain, and
// every rule a package breaks is bad input (status 3) in one line naming
// the part and the rule.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "jobgen/font_resource.h"
#include "jobgen/pictures.h"
#include "jobgen/rgb_image.h"
#include "support/command_run.h"
#include "support/test_package.h"

namespace {

using namespace tav::host::testing;
using Result = CommandResult;

std::string Tavpipe() { return Quote(BuildFolder() + "/bin/tavpipe"); }

// tavpipe with the tests' pass-through filter only.
Result PassThrough(const std::string& input, const std::string& output)
{
    std::string config = TemporaryFolder() + "/conform-pass.conf";
    std::ofstream(config) << "[pipeline]\nchain = pass\n[pass]\nmodule = " << BuildFolder()
                          << "/lib/libtavtestfilters.so\nclsid = {7E57F117-0001-4000-8000-000000000001}\n";
    return RunCommand(Tavpipe() + " --config " + Quote(config) + " " + Quote(input) + " " + Quote(output));
}

// Every page's pixels as one string per page: MuPDF at 72 dpi, or libgxps.
std::vector<std::string> Render(const std::string& package, const std::string& tag, bool gxps = false)
{
    std::string folder = TemporaryFolder() + "/conform-render-" + tag;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    Result drawn = gxps
                       ? RunCommand("xpstopng " + Quote(package) + " " + Quote(folder + "/page"))
                       : RunCommand("mutool draw -q -r 72 -o " + Quote(folder + "/page-%d.png") + " " + Quote(package));
    EXPECT_EQ(drawn.status, 0) << drawn.err;
    std::vector<std::string> pages;
    for (int page = 1; FileExists(folder + "/page-" + std::to_string(page) + ".png"); ++page) {
        std::vector<uint8_t> png = jobgen::ReadPngFile(folder + "/page-" + std::to_string(page) + ".png").Bytes();
        pages.emplace_back(png.begin(), png.end());
    }
    return pages;
}

// A page that draws text in an embedded font and an embedded image, with no
// relationship declaring either.
TEST(ConformingReaderTest, ResourcesUsedOnlyByTheMarkupAreCarriedAndRender)
{
    if (!HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    std::vector<uint8_t> font = jobgen::LoadFontFile(jobgen::FindDefaultFont());
    std::vector<uint8_t> png = jobgen::EncodePng(jobgen::DrawGradient(64, 64));
    TestPackage package = PagesOfSize(1, 400, 300);
    package.resources.push_back(
        {"/Resources/text.ttf", "application/vnd.ms-opentype", std::string(font.begin(), font.end())});
    package.resources.push_back({"/Resources/picture.png", "image/png", std::string(png.begin(), png.end())});
    package.documents[0].pages[0].body =
        "<Glyphs FontUri=\"../../../Resources/text.ttf\" FontRenderingEmSize=\"40\" OriginX=\"20\" OriginY=\"60\" "
        "UnicodeString=\"Hello\" Fill=\"#FF000000\"/>"
        "<Path Data=\"M 200,100 L 360,100 360,260 200,260 Z\"><Path.Fill><ImageBrush "
        "ImageSource=\"/Resources/picture.png\" "
        "Viewbox=\"0,0,64,64\" ViewboxUnits=\"Absolute\" Viewport=\"200,100,160,160\" ViewportUnits=\"Absolute\"/>"
        "</Path.Fill></Path>";
    std::string input = TemporaryFolder() + "/markup-resources.xps";
    WritePackage(input, package);
    std::string output = TemporaryFolder() + "/markup-resources-out.xps";
    Result result = PassThrough(input, output);
    ASSERT_EQ(result.status, 0) << result.err;

    std::string relationships = ZipItem(output, "Documents/1/Pages/_rels/1.fpage.rels");
    EXPECT_NE(relationships.find("required-resource\" Target=\"/Resources/text.ttf\""), std::string::npos)
        << relationships;
    EXPECT_NE(relationships.find("required-resource\" Target=\"/Resources/picture.png\""), std::string::npos);

    std::vector<std::string> before = Render(input, "in");
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(Render(output, "out"), before);
    // The input's render (400 x 300 at 72 dpi: 300 x 225 pixels, RGB) shows
    // the text in black on its baseline row and the picture in its blue.
    auto at = [&](int x, int y) { return before[0].substr((static_cast<size_t>(y) * 300 + x) * 3, 3); };
    ASSERT_EQ(before[0].size(), 300u * 225u * 3u);
    bool black = false;
    for (int x = 15; x < 112; ++x) black = black || at(x, 38) == std::string(3, '\0');
    EXPECT_TRUE(black);
    unsigned char blue = static_cast<unsigned char>(at(210, 135)[2]);
    EXPECT_TRUE(blue > 100 && blue < 160) << int(blue);
    if (HaveTool("xpstopng")) {
        EXPECT_EQ(Render(output, "gxps-out", true), Render(input, "gxps-in", true));
    }
}

TEST(ConformingReaderTest, Utf16PackagesRunThroughTheProductChain)
{
    if (!HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    if (!FileExists(BuildFolder() + "/lib/libtavfin.so")) GTEST_SKIP() << "the filter modules are not built yet";
    TestPackage package = PagesOfSize(2);
    package.openXps = true;
    package.jobTicket = SimpleTicket(1);
    package.documents[0].ticket = SimpleTicket(1);
    package.documents[0].pages[1].ticket = SimpleTicket(1);
    auto entries = PackageEntries(package);
    std::string utf8 = TemporaryFolder() + "/utf8.oxps";
    WriteZip(utf8, entries);
    std::string chain = " -f prep,order,layout,finisher -o number-up=2 ";
    Result reference = RunCommand(Tavpipe() + chain + Quote(utf8) + " " + Quote(utf8 + "-out.xps"));
    ASSERT_EQ(reference.status, 0) << reference.err;
    std::vector<std::string> expected = Render(utf8 + "-out.xps", "utf8");
    for (bool little : {true, false}) {
        auto wide = entries;
        for (auto& [name, bytes] : wide) bytes = ToUtf16(bytes, little);
        std::string input = TemporaryFolder() + (little ? "/utf16le.oxps" : "/utf16be.oxps");
        WriteZip(input, wide);
        Result result = RunCommand(Tavpipe() + chain + Quote(input) + " " + Quote(input + "-out.xps"));
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Render(input + "-out.xps", little ? "le" : "be"), expected);
    }
}

// A page with alternative and ignorable content, mirrored by the Finisher:
// the output holds no compatibility markup and prints as the page that
// holds only the content a consumer of XPS chooses.
TEST(ConformingReaderTest, RewrittenPagesKeepOnlyTheChosenContent)
{
    if (!HaveTool("mutool")) GTEST_SKIP() << "mutool (mupdf-tools) is not installed";
    if (!FileExists(BuildFolder() + "/lib/libtavfin.so")) GTEST_SKIP() << "the filter modules are not built yet";
    const std::string chosen = "<Path Data=\"M 100,100 L 500,100 500,400 100,400 Z\" Fill=\"#FF00AA00\"/>";
    TestPackage compatible = PagesOfSize(1);
    compatible.documents[0].pages[0].body =
        "<Canvas xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" xmlns:v=\"urn:v\" "
        "mc:Ignorable=\"v\" v:note=\"x\"><v:Extra><Path Data=\"M 0,0 L 800,0 800,800 Z\" Fill=\"#FFFF0000\"/>"
        "</v:Extra><mc:AlternateContent><mc:Choice Requires=\"v\"><Path Data=\"M 0,0 L 800,800 0,800 Z\" "
        "Fill=\"#FF0000FF\"/></mc:Choice><mc:Fallback>" +
        chosen + "</mc:Fallback></mc:AlternateContent></Canvas>";
    TestPackage plain = PagesOfSize(1);
    plain.documents[0].pages[0].body = "<Canvas>" + chosen + "</Canvas>";
    std::vector<std::vector<std::string>> renders;
    for (const TestPackage* package : {&compatible, &plain}) {
        std::string input = TemporaryFolder() + (package == &plain ? "/plain.xps" : "/compatible.xps");
        WritePackage(input, *package);
        std::string output = input + "-mirrored.xps";
        Result result = RunCommand(Tavpipe() + " -f finisher -o mirror=width " + Quote(input) + " " + Quote(output));
        ASSERT_EQ(result.status, 0) << result.err;
        std::string page = ZipItem(output, "Documents/1/Pages/1.fpage");
        ASSERT_NE(page.find("<Path"), std::string::npos) << page;
        EXPECT_EQ(page.find("markup-compatibility"), std::string::npos) << page;
        EXPECT_EQ(page.find("urn:v"), std::string::npos) << page;
        renders.push_back(Render(output, package == &plain ? "plain" : "compatible"));
    }
    ASSERT_EQ(renders[0].size(), 1u);
    EXPECT_EQ(renders[0], renders[1]);
}

TEST(ConformingReaderTest, BrokenRulesAreBadInputInOneLine)
{
    const std::string kRels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    struct Case {
        std::string item;  // the entry replaced or added
        std::string bytes;
        std::string message;  // after "tavpipe: INPUT: "
    };
    auto page = [](const std::string& body) {
        return "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xml:lang=\"en-US\" Width=\"10\" "
               "Height=\"10\">" +
               body + "</FixedPage>";
    };
    const Case cases[] = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"fdseq\" ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>"
         "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>"
         "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>"
         "<Default Extension=\"fpage\" ContentType=\"image/jpeg\"/></Types>",
         "/[Content_Types].xml: the extension \"fpage\" has two Default content types"},
        {"Documents/1/Pages/_rels/1.fpage.rels",
         kRels + "<Relationship Id=\"R1\" xml:lang=\"en\" Type=\"t\" Target=\"/x\"/></Relationships>",
         "/Documents/1/Pages/_rels/1.fpage.rels: the element Relationship carries the attribute xml:lang"},
        {"Resources/%7E.png", "x", "/Resources/%7E.png: the part name percent-encodes the character '~'"},
        {"Documents/1/FixedDocument.fdoc",
         "<FixedDocument xmlns=\"http://schemas.microsoft.com/xps/2005/06\"><PageContent Source=\"Pages/1.fpage\"/>"
         "<PageContent Source=\"Pages/1.fpage\"/></FixedDocument>",
         "/Documents/1/FixedDocument.fdoc: the FixedPage /Documents/1/Pages/1.fpage is referred to more than once"},
        {"Documents/1/Pages/1.fpage", page("<Canvas>").substr(0, 90),
         "/Documents/1/Pages/1.fpage: the markup is not well-formed XML"},
        {"Documents/1/Pages/1.fpage",
         page("<Canvas xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" xmlns:v=\"urn:v\" "
              "mc:MustUnderstand=\"v\"/>"),
         "/Documents/1/Pages/1.fpage: mc:MustUnderstand names the namespace \"urn:v\", which is not understood"},
        {"Documents/1/Pages/1.fpage",
         page("<Glyphs FontUri=\"/Resources/missing.ttf\" FontRenderingEmSize=\"9\" OriginX=\"0\" "
              "OriginY=\"9\" UnicodeString=\"a\"/>"),
         "/Documents/1/Pages/1.fpage: the markup refers to /Resources/missing.ttf (FontUri), which is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        auto entries = PackageEntries(PagesOfSize(1));
        auto found =
            std::find_if(entries.begin(), entries.end(), [&](const auto& entry) { return entry.first == c.item; });
        if (found == entries.end()) {
            entries.emplace_back(c.item, c.bytes);
        } else {
            found->second = c.bytes;
        }
        std::string input = TemporaryFolder() + "/broken.xps";
        WriteZip(input, entries);
        std::string output = TemporaryFolder() + "/broken-out.xps";
        Result result = PassThrough(input, output);
        EXPECT_EQ(result.status, 3);
        EXPECT_EQ(result.err.rfind("tavpipe: " + input + ": " + c.message, 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(FileExists(output));
    }
}

}  // namespace

namespace {

// The bytes of a font whose maxp table says it has `glyphs` glyphs: its
// table directory and that table, which is all the reader looks at.
std::string FontOfGlyphs(uint16_t glyphs)
{
    std::string font("\0\1\0\0\0\1\0\0\0\0\0\0", 12);  // one table
    font += "maxp";
    font += std::string("\0\0\0\0\0\0\0\x1c\0\0\0\6", 12);  // checksum, offset 28, length 6
    font += std::string("\0\0\x50\0", 4);
    font.push_back(static_cast<char>(glyphs >> 8));
    font.push_back(static_cast<char>(glyphs));
    return font;
}

struct MarkupCase {
    std::string body;                 // the page's body
    std::vector<TestResource> parts;  // parts the page uses
    std::string message;              // after "tavpipe: INPUT: /Documents/1/Pages/1.fpage: "
};

}  // namespace

// A page of each class of rule the page vocabulary sets is refused as bad
// input in one line naming the part, the element or attribute and the rule,
// and printed with one warning when the job is lenient.
TEST(ConformingReaderTest, PageMarkupBreakingTheVocabularyIsRefusedOrPrintedLeniently)
{
    const std::string dictionaryType = "application/vnd.ms-package.xps-resourcedictionary+xml";
    const std::string keyNamespace = "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\"";
    const TestResource font{"/Resources/f.ttf", "application/vnd.ms-opentype", FontOfGlyphs(300)};
    const MarkupCase cases[] = {
        {"<Path Fill=\"#FF000000\" Data=\"M 0,0 L 9,9\"><Path.Fill><SolidColorBrush Color=\"#FF000000\"/>"
         "</Path.Fill></Path>",
         {},
         "Path: Fill is given both as an attribute and as the property element Path.Fill (line 1)"},
        {"<Canvas xml:space=\"preserve\"/>", {}, "Canvas: the attribute xml:space is not allowed (line 1)"},
        {"<Path Data=\"M 0,0 L 9,9\" Opacity=\"2\"/>", {}, "Path: the attribute Opacity \"2\" is greater than 1"},
        {"<Path Data=\"M 0,0 L 9\" Fill=\"#FF000000\"/>",
         {},
         "Path: the attribute Data is no valid geometry at offset 9: a number is missing or malformed"},
        {"<Path Data=\"M 0,0 L 9,9\" Fill=\"{StaticResource Nowhere}\"/>",
         {},
         "Path Fill: {StaticResource Nowhere} names no resource defined before it in scope"},
        {"<Glyphs FontUri=\"/Resources/f.ttf\" FontRenderingEmSize=\"12\" OriginX=\"0\" OriginY=\"12\" "
         "UnicodeString=\"ab\" Indices=\"1;2;3\"/>",
         {font},
         "Glyphs has more Indices entries than UnicodeString characters but no cluster map"},
        {"<Glyphs FontUri=\"/Resources/f.ttf\" FontRenderingEmSize=\"12\" OriginX=\"0\" OriginY=\"12\" "
         "UnicodeString=\"ab\" Indices=\"299;300\"/>",
         {font},
         "Glyphs Indices use glyph 300 of /Resources/f.ttf, which has 300 glyphs"},
        {"<Path Data=\"M 0,0 L 9,9\"><Path.Fill><ImageBrush ImageSource=\"/Resources/f.ttf\" Viewbox=\"0,0,1,1\" "
         "Viewport=\"0,0,9,9\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/></Path.Fill></Path>",
         {font},
         "the markup's ImageSource refers to /Resources/f.ttf, which is no such resource"},
        // A remote dictionary that names another.
        {"<FixedPage.Resources><ResourceDictionary Source=\"/Resources/a.dict\"/></FixedPage.Resources>",
         {{"/Resources/a.dict", dictionaryType,
           "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Source=\"b.dict\"/>"},
          {"/Resources/b.dict", dictionaryType,
           "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\"/>"}},
         "/Resources/a.dict: a remote ResourceDictionary refers to another remote dictionary"},
        // A brush that only the remote dictionary defines, of the wrong kind.
        {"<FixedPage.Resources><ResourceDictionary Source=\"/Resources/a.dict\"/></FixedPage.Resources>"
         "<Path Data=\"M 0,0 L 9,9\" Fill=\"{StaticResource M}\"/>",
         {{"/Resources/a.dict", dictionaryType,
           "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" " + keyNamespace +
               "><MatrixTransform x:Key=\"M\" Matrix=\"1,0,0,1,0,0\"/></ResourceDictionary>"}},
         "Path Fill: {StaticResource M} names a MatrixTransform, not a brush"},
        // The other flavour's namespace in an XPS 2005/06 package.
        {"<Path xmlns=\"http://schemas.openxps.org/oxps/v1.0\" Data=\"M 0,0 L 9,9\"/>",
         {},
         "the element Path is in the OpenXPS namespace \"http://schemas.openxps.org/oxps/v1.0\", which an XPS 1.0 "
         "package does not use"},
    };
    for (const MarkupCase& c : cases) {
        SCOPED_TRACE(c.body);
        TestPackage package = PagesOfSize(1, 100, 100);
        package.documents[0].pages[0].body = c.body;
        package.resources = c.parts;
        std::string input = TemporaryFolder() + "/vocabulary.xps";
        WritePackage(input, package);
        std::string output = TemporaryFolder() + "/vocabulary-out.xps";
        std::string part = c.message[0] == '/' ? "" : "/Documents/1/Pages/1.fpage: ";
        Result refused = PassThrough(input, output);
        EXPECT_EQ(refused.status, 3);
        EXPECT_EQ(refused.err.rfind("tavpipe: " + input + ": " + part + c.message, 0), 0u) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_FALSE(FileExists(output));
    }
}

TEST(ConformingReaderTest, LenientJobsPrintSuchPagesWithOneWarningEach)
{
    TestPackage package = PagesOfSize(3, 100, 100);
    const std::string broken = "<Path Data=\"M 0,0 L 9,9\" Opacity=\"2\" Fill=\"red\"/>";
    package.documents[0].pages[0].body = broken;
    package.documents[0].pages[2].body = broken;
    std::string input = TemporaryFolder() + "/lenient.xps";
    WritePackage(input, package);
    std::string config = TemporaryFolder() + "/conform-pass.conf";
    PassThrough(input, TemporaryFolder() + "/lenient-strict.xps");  // writes the configuration
    for (const char* lenient : {" --lenient ", " --set-property LenientMarkup=true "}) {
        SCOPED_TRACE(lenient);
        std::string output = TemporaryFolder() + "/lenient-out.xps";
        Result result =
            RunCommand(Tavpipe() + " --config " + Quote(config) + lenient + Quote(input) + " " + Quote(output));
        ASSERT_EQ(result.status, 0) << result.err;
        // One line for each page, naming its first fault only.
        std::string warning = "tavpipe: warning: " + input + ": /Documents/1/Pages/";
        std::string rule = ".fpage: Path: the attribute Opacity \"2\" is greater than 1 (line 1); printed as it stands";
        EXPECT_NE(result.err.find(warning + "1" + rule), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(warning + "3" + rule), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
        EXPECT_EQ(ZipItem(output, "Documents/1/Pages/1.fpage"), ZipItem(input, "Documents/1/Pages/1.fpage"));
    }
}

// References and parts around the pages: thumbnails, tickets and content
// types, and packages that hold no page at all.
TEST(ConformingReaderTest, PartsAroundThePagesBreakingTheirRules)
{
    struct Case {
        std::string name;
        std::function<void(TestPackage*)> change;
        std::string message;  // after "tavpipe: INPUT: "
    };
    const std::string ticketType = "application/vnd.ms-printing.printticket+xml";
    const Case cases[] = {
        {"gif thumbnail",
         [](TestPackage* package) {
             package->documents[0].pages[0].related.push_back(
                 {"http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail",
                  {"/Thumbnails/t.gif", "image/gif", "GIF89a"}});
         },
         "/Documents/1/Pages/_rels/1.fpage.rels: the thumbnail relationship R"},
        {"image type with parameters",
         [](TestPackage* package) {
             package->resources.push_back({"/Resources/i.png", "image/png;q=1", "png"});
             package->documents[0].pages[0].resources.push_back("/Resources/i.png");
         },
         "/Resources/i.png: the content type \"image/png;q=1\" carries parameters, which XPS parts do not take"},
        {"two tickets",
         [&](TestPackage* package) {
             package->documents[0].pages[0].ticket = SimpleTicket(1);
             package->documents[0].pages[0].related.push_back({"http://schemas.microsoft.com/xps/2005/06/printticket",
                                                               {"/Second_PT.xml", ticketType, SimpleTicket(2)}});
         },
         "/Documents/1/Pages/_rels/1.fpage.rels: the part has two PrintTicket relationships"},
        {"broken ticket", [](TestPackage* package) { package->documents[0].pages[0].ticket = "<psf:PrintTicket"; },
         "/Documents/1/Pages/1_PT.xml: "},
        {"no ticket",
         [](TestPackage* package) { package->documents[0].pages[0].ticket = "<PrintTicket xmlns=\"urn:other\"/>"; },
         "/Documents/1/Pages/1_PT.xml: the part is no PrintTicket"},
        {"no document", [](TestPackage* package) { package->documents.clear(); },
         "/FixedDocumentSequence.fdseq: the FixedDocumentSequence refers to no FixedDocument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestPackage package = PagesOfSize(1, 100, 100);
        c.change(&package);
        std::string input = TemporaryFolder() + "/around.xps";
        WritePackage(input, package);
        std::string output = TemporaryFolder() + "/around-out.xps";
        Result refused = PassThrough(input, output);
        EXPECT_EQ(refused.status, 3);
        EXPECT_EQ(refused.err.rfind("tavpipe: " + input + ": " + c.message, 0), 0u) << refused.err;
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_EQ(refused.err.find("page-ranges"), std::string::npos) << refused.err;
        Result info = RunCommand(Tavpipe() + " info " + Quote(input));
        EXPECT_EQ(info.status, 3) << info.err;
        EXPECT_EQ(info.err.rfind("tavpipe: " + input + ": " + c.message, 0), 0u) << info.err;
    }
}
