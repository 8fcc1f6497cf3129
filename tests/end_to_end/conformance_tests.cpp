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
        {"Documents/1/Pages/1.fpage", page("<Glyphs FontUri=\"/Resources/missing.ttf\"/>"),
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
