// The rip filter through tavpipe with the recording converter: every page
// of real and generated jobs recorded with all of its markup, the sheets of
// the whole chain, the device's output settings, converter warnings, the
// images the converter is given, and jobs that fail in the converter
// leaving one line and no output.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "image_test_files.h"
#include "jobgen/package_writer.h"
#include "support/command_run.h"
#include "support/test_package.h"

namespace {

using tav::host::testing::BuildFolder;
using tav::host::testing::CommandResult;
using tav::host::testing::FixturesFolder;
using tav::host::testing::Quote;
using tav::host::testing::ReadFile;
using tav::host::testing::RunCommand;
using tav::host::testing::TemporaryFolder;
using tav::host::testing::ZipItem;

std::string Folder(const std::string& name)
{
    std::string folder = TemporaryFolder() + "/rip-" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

CommandResult Tavpipe(const std::string& arguments, const std::string& environment = "")
{
    return RunCommand(environment + " " + Quote(BuildFolder() + "/bin/tavpipe") + " " + arguments);
}

// What a page's markup holds, counted with libxml2: its elements and their
// attributes (namespace declarations are no attributes to libxml2).
struct MarkupCount {
    long elements = 0;
    long attributes = 0;
    bool operator==(const MarkupCount&) const = default;
};

void CountNode(const xmlNode* node, MarkupCount* count)
{
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        ++count->elements;
        for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next)
            ++count->attributes;
        CountNode(node->children, count);
    }
}

MarkupCount Count(const std::string& markup)
{
    MarkupCount count;
    xmlDoc* document = xmlReadMemory(markup.data(), static_cast<int>(markup.size()), "page.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    EXPECT_NE(document, nullptr);
    if (document != nullptr) CountNode(xmlDocGetRootElement(document), &count);
    xmlFreeDoc(document);
    return count;
}

// The value of each attribute named name of the root's children, in order.
std::vector<std::string> Sources(const std::string& markup, const char* name)
{
    std::vector<std::string> sources;
    xmlDoc* document = xmlReadMemory(markup.data(), static_cast<int>(markup.size()), "part.xml", nullptr,
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr) return sources;
    for (xmlNode* child = xmlDocGetRootElement(document)->children; child != nullptr; child = child->next) {
        xmlChar* value = child->type == XML_ELEMENT_NODE ? xmlGetProp(child, BAD_CAST name) : nullptr;
        if (value != nullptr) sources.emplace_back(reinterpret_cast<const char*>(value));
        xmlFree(value);
    }
    xmlFreeDoc(document);
    return sources;
}

// A zip item named by a reference from the part base ("/Documents/1/...").
std::string Resolve(const std::string& base, const std::string& reference)
{
    if (reference.front() == '/') return reference.substr(1);
    std::string folder = base.substr(0, base.rfind('/') + 1);
    return folder.substr(1) + reference;
}

// Each page's markup in reading order: the sequence's documents, each
// document's pages.
std::vector<std::string> PageMarkups(const std::string& package)
{
    std::vector<std::string> pages;
    for (const std::string& document : Sources(ZipItem(package, "FixedDocumentSequence.fdseq"), "Source")) {
        std::string documentItem = Resolve("/FixedDocumentSequence.fdseq", document);
        for (const std::string& page : Sources(ZipItem(package, documentItem), "Source"))
            pages.push_back(ZipItem(package, Resolve("/" + documentItem, page)));
    }
    return pages;
}

std::vector<std::string> Lines(const std::string& stream)
{
    std::vector<std::string> lines;
    std::istringstream in(stream);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Each page section of a recorded stream, counted: its start lines and its
// attribute lines, and what its page-end line says.
struct RecordedPage {
    int number = 0;
    MarkupCount counted;
    MarkupCount stated;
    std::string device;
};

std::vector<RecordedPage> RecordedPages(const std::string& stream)
{
    std::vector<RecordedPage> pages;
    for (const std::string& line : Lines(stream)) {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        if (keyword == "page") {
            pages.emplace_back();
            words >> pages.back().number;
        } else if (pages.empty()) {
            continue;
        } else if (keyword == "start") {
            ++pages.back().counted.elements;
        } else if (keyword == "attribute" || keyword == "attribute-wide") {
            ++pages.back().counted.attributes;
        } else if (keyword == "page-device") {
            pages.back().device = line;
        } else if (keyword == "page-end") {
            std::string word;
            int number = 0;
            words >> number >> word >> pages.back().stated.elements >> word >> pages.back().stated.attributes;
        }
    }
    return pages;
}

void ExpectPagesRecorded(const std::string& input, const std::string& trace)
{
    std::vector<std::string> markups = PageMarkups(input);
    std::vector<RecordedPage> recorded = RecordedPages(ReadFile(trace));
    ASSERT_EQ(recorded.size(), markups.size()) << input;
    for (size_t index = 0; index < markups.size(); ++index) {
        SCOPED_TRACE(input + " page " + std::to_string(index + 1));
        EXPECT_EQ(recorded[index].number, static_cast<int>(index + 1));
        MarkupCount expected = Count(markups[index]);
        EXPECT_EQ(recorded[index].counted, expected);
        EXPECT_EQ(recorded[index].stated, expected);
    }
    EXPECT_EQ(Lines(ReadFile(trace)).back(), "close pages " + std::to_string(markups.size()));
}

TEST(RipEndToEnd, EveryPageIsRecordedInOrderWithAllOfItsMarkup)
{
    std::string folder = Folder("pages");
    jobgen::JobSpec job = jobgen::MakeJob(2, 3);
    job.images = jobgen::ImageResource::PerPage;
    job.markupCharacters = true;
    jobgen::WriteXpsJob(job, folder + "/generated.xps");
    std::vector<std::string> inputs = {folder + "/generated.xps"};
    if (!FixturesFolder().empty()) {
        for (const char* fixture : {"mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"})
            inputs.push_back(FixturesFolder() + "/" + fixture);
    } else {
        std::cout << "fixtures folder absent: only the generated job is printed\n";
    }
    for (const std::string& input : inputs) {
        std::string trace = folder + "/" + std::filesystem::path(input).filename().string() + ".trace";
        CommandResult run = Tavpipe("-f rip " + Quote(input) + " " + Quote(trace));
        ASSERT_EQ(run.status, 0) << input << ": " << run.err;
        ExpectPagesRecorded(input, trace);
    }
}

// The media size a page-device line gives, smaller side first, in microns.
std::pair<long, long> DeviceMedia(const std::string& line)
{
    std::istringstream words(line.substr(line.find(' ') + 1));
    long one = 0, one2 = 0, width = 0, height = 0;
    words >> one >> one2 >> width >> height;
    return {std::min(width, height), std::max(width, height)};
}

// The sheets of the whole chain: the same chain writing XPS gives the
// pages the rip filter must have recorded.
TEST(RipEndToEnd, TheWholeChainRecordsItsSheets)
{
    if (FixturesFolder().empty()) GTEST_SKIP() << "the fixtures folder is absent";
    std::string folder = Folder("chain");
    const std::pair<const char*, const char*> cases[] = {
        {"mb06.xps", "-o number-up=4 -o page-border=single"},
        {"mb06.xps", "-o booklet"},
        {"mb01.xps", "-o poster=4"},
        {"mb06.oxps", "-o number-up=2 -o sides=two-sided-long-edge"},
    };
    for (auto [fixture, options] : cases) {
        SCOPED_TRACE(std::string(fixture) + " " + options);
        std::string input = FixturesFolder() + "/" + fixture;
        CommandResult sheets = Tavpipe("-f prep,order,layout,finisher " + std::string(options) + " " + Quote(input) +
                                       " " + Quote(folder + "/sheets.xps"));
        ASSERT_EQ(sheets.status, 0) << sheets.err;
        CommandResult printed = Tavpipe("-f prep,order,layout,finisher,rip " + std::string(options) + " " +
                                        Quote(input) + " " + Quote(folder + "/sheets.trace"));
        ASSERT_EQ(printed.status, 0) << printed.err;
        EXPECT_EQ(printed.err, "");
        ExpectPagesRecorded(folder + "/sheets.xps", folder + "/sheets.trace");
        // Each sheet is fed with its own media: the FixedPage's size, in
        // 1/96 inch, within a millimetre.
        std::vector<std::string> markups = PageMarkups(folder + "/sheets.xps");
        std::vector<RecordedPage> recorded = RecordedPages(ReadFile(folder + "/sheets.trace"));
        for (size_t index = 0; index < std::min(markups.size(), recorded.size()); ++index) {
            xmlDoc* page = xmlReadMemory(markups[index].data(), static_cast<int>(markups[index].size()), "p.xml",
                                         nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
            ASSERT_NE(page, nullptr);
            xmlChar* w = xmlGetProp(xmlDocGetRootElement(page), BAD_CAST "Width");
            xmlChar* h = xmlGetProp(xmlDocGetRootElement(page), BAD_CAST "Height");
            long pageWidth = std::lround(std::stod(reinterpret_cast<char*>(w)) * 25400 / 96);
            long pageHeight = std::lround(std::stod(reinterpret_cast<char*>(h)) * 25400 / 96);
            xmlFree(w);
            xmlFree(h);
            xmlFreeDoc(page);
            auto [shorter, longer] = DeviceMedia(recorded[index].device);
            EXPECT_NEAR(shorter, std::min(pageWidth, pageHeight), 1000) << recorded[index].device;
            EXPECT_NEAR(longer, std::max(pageWidth, pageHeight), 1000) << recorded[index].device;
        }
    }
}

// A printer-driver directory with copies of the recording converter's
// libraries under the names given.
std::string DriverFolder(const std::string& driver, const std::vector<std::pair<const char*, const char*>>& copies)
{
    std::filesystem::create_directories(driver + "/3");
    for (auto [from, to] : copies)
        std::filesystem::copy_file(BuildFolder() + "/lib/converters/trace/3/" + from, driver + "/3/" + to);
    return driver;
}

TEST(RipEndToEnd, AFailingConverterEndsTheJobWithOneLineAndNoOutput)
{
    std::string folder = Folder("failing");
    tav::host::testing::WritePackage(folder + "/in.xps", tav::host::testing::PagesOfSize(3));
    const std::string in = Quote(folder + "/in.xps");
    const std::string out = Quote(folder + "/out.trace");
    struct Case {
        std::string what;
        std::string driver;
        std::string environment;
        std::string message;
    };
    // Only the control library; the page library's name on the control
    // library's file.
    std::string noPageLibrary = DriverFolder(folder + "/no-page", {{"libpcorectl.so", "libpcorectl.so"}});
    std::string noEntryPoint = DriverFolder(folder + "/no-entry", {{"libpcoreconv.so", "libpcorectl.so"}});
    const Case cases[] = {
        {"no converter", folder + "/none", "",
         "tavpipe: " + folder + "/in.xps: there is no converter library " + folder + "/none/3/libpcorectl.so\n"},
        {"no entry point", noEntryPoint, "",
         "tavpipe: " + folder + "/in.xps: the converter library " + noEntryPoint +
             "/3/libpcorectl.so lacks the entry point PrnCtrlOpen\n"},
        {"no page library", noPageLibrary, "",
         "tavpipe: " + folder + "/in.xps: /Documents/1/Pages/1.fpage: there is no converter library " + noPageLibrary +
             "/3/libpcoreconv.so\n"},
        {"page refused", "", "TAV_TRACE_REFUSE_PAGE=2",
         "tavpipe: " + folder + "/in.xps: /Documents/1/Pages/2.fpage: page 2 refused, as TAV_TRACE_REFUSE_PAGE asks\n"},
    };
    for (const Case& failing : cases) {
        SCOPED_TRACE(failing.what);
        std::string driver = failing.driver.empty() ? "" : "--driver-dir " + Quote(failing.driver) + " ";
        CommandResult run = Tavpipe("-q -f rip " + driver + in + " " + out, failing.environment);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, failing.message);
        EXPECT_FALSE(std::filesystem::exists(folder + "/out.trace"));
    }
    // Into a pipe: the whole stream, the same as a file gets, or nothing.
    auto piped = [&](const std::string& environment) {
        std::string status = folder + "/status";
        CommandResult run = RunCommand("( { " + environment + " " + Quote(BuildFolder() + "/bin/tavpipe") +
                                       " -q -f rip " + in + " -; echo $? >" + Quote(status) + "; } | cat )");
        run.status = std::stoi(ReadFile(status));
        return run;
    };
    CommandResult refused = piped("TAV_TRACE_REFUSE_PAGE=2");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    CommandResult printed = piped("");
    ASSERT_EQ(printed.status, 0) << printed.err;
    ASSERT_EQ(Tavpipe("-q -f rip " + in + " " + out).status, 0);
    EXPECT_EQ(printed.out, ReadFile(folder + "/out.trace"));
    std::filesystem::remove(folder + "/out.trace");

    // Nothing was left beside the output either.
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".out.trace")) << entry.path();
}

TEST(RipEndToEnd, TheDevicesOutputAndConverterWarningsReachTheUser)
{
    std::string folder = Folder("device");
    // The default device with an Output section.
    std::string device = ReadFile(std::string(TAV_SOURCE_DIR) + "/devices/default.xml");
    device.insert(device.rfind("</Device>"),
                  "<Output bitsPerPixel=\"1\" planes=\"1\" landscapeRotation=\"90\" encoder=\"libmono.so\"/>\n");
    std::ofstream(folder + "/device.xml") << device;
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(2, 1056, 816);
    // A font outside the package: the host leaves it as it is, and the
    // converter cannot fetch it.
    for (auto& page : package.documents[0].pages)
        page.body =
            "<Glyphs OriginX=\"10\" OriginY=\"20\" FontRenderingEmSize=\"12\" "
            "FontUri=\"http://fonts.example/a.ttf\" UnicodeString=\"a\"/>";
    tav::host::testing::WritePackage(folder + "/in.xps", package);

    CommandResult run = Tavpipe("-q -f rip -o media=iso_a4_210x297mm -o orientation-requested=landscape --device " +
                                Quote(folder + "/device.xml") + " --set-property OutputPlanes=4 " +
                                Quote(folder + "/in.xps") + " " + Quote(folder + "/out.trace"));
    ASSERT_EQ(run.status, 0) << run.err;
    // Once, however many pages it concerns.
    EXPECT_EQ(run.err, "tavpipe: warning: the font http://fonts.example/a.ttf cannot be fetched\n");
    std::vector<RecordedPage> pages = RecordedPages(ReadFile(folder + "/out.trace"));
    ASSERT_EQ(pages.size(), 2u);
    // Landscape turned a quarter (code 3); --set-property's four planes over
    // the device's one; the device's one bit per pixel.
    std::string device1 = pages[0].device;
    EXPECT_TRUE(device1.ends_with(" 600 600 3 0 4 100 297000 297000 4 4 1")) << device1;
    std::string open = Lines(ReadFile(folder + "/out.trace"))[1];
    // The encoder beside the rip filter's module.
    EXPECT_NE(open.find("encoder \"" + BuildFolder() + "/bin/../lib/libmono.so\""), std::string::npos) << open;
    EXPECT_NE(open.find(" document \"in.xps\" "), std::string::npos) << open;

    // The resolution reaches the converter; the paper's thickness does not
    // yet, and the user is told.
    run = Tavpipe("-q -f rip -o printer-resolution=300dpi -o media-type=envelope " + Quote(folder + "/in.xps") + " " +
                  Quote(folder + "/out.trace"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "tavpipe: warning: media-type has no effect yet: rip does not act on it so far\n"
              "tavpipe: warning: the font http://fonts.example/a.ttf cannot be fetched\n");
    pages = RecordedPages(ReadFile(folder + "/out.trace"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_NE(pages[1].device.find(" 300 300 "), std::string::npos) << pages[1].device;
}

// The image line the recording converter writes for an image block of the
// fields given: its size is the header, d bytes a pixel and no profile.
struct ExpectedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    double dpiX = 0;
    double dpiY = 0;
    int samples = 0;
    int model = 0;
};

std::string Resolution(double dpi)
{
    double whole = std::floor(dpi);
    return std::to_string(static_cast<int>(whole)) + " " + std::to_string(static_cast<int>((dpi - whole) * 65536));
}

std::string ImageLineFields(const ExpectedImage& image)
{
    uint64_t bytes = 512 + uint64_t{image.width} * image.height * image.samples;
    return "bytes " + std::to_string(bytes) + " crc32 0x";
}

std::string ImageHeaderFields(const ExpectedImage& image)
{
    return "width " + std::to_string(image.width) + " height " + std::to_string(image.height) + " x-dpi " +
           Resolution(image.dpiX) + " y-dpi " + Resolution(image.dpiY) + " samples " + std::to_string(image.samples) +
           " model " + std::to_string(image.model) + " profile 0";
}

// Checks an "image" line: the size, a checksum, and the header's fields.
void ExpectImageLine(const std::vector<std::string>& lines, const std::string& uri, const ExpectedImage& image)
{
    const std::string begin = "image \"" + uri + "\" ";
    auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(begin); });
    ASSERT_NE(line, lines.end()) << uri;
    std::string rest = line->substr(begin.size());
    EXPECT_TRUE(rest.starts_with(ImageLineFields(image))) << *line;
    // "crc32 0x" and eight digits, then the header.
    size_t crc = rest.find("crc32 0x");
    ASSERT_NE(crc, std::string::npos) << *line;
    EXPECT_EQ(rest.substr(crc + 17), ImageHeaderFields(image)) << *line;
}

uint32_t BigEndian32(const std::string& bytes, size_t at)
{
    return uint32_t{static_cast<uint8_t>(bytes[at])} << 24 | uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 16 |
           uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 8 | static_cast<uint8_t>(bytes[at + 3]);
}

// A PNG's size, resolution and samples as its own chunks state them: IHDR
// (width, height, colour type) and pHYs (pixels a metre).
ExpectedImage FromPngChunks(const std::string& png)
{
    ExpectedImage image;
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    image.width = BigEndian32(png, 16);
    image.height = BigEndian32(png, 20);
    const int colourType = png[25];
    EXPECT_TRUE(colourType == 2 || colourType == 6) << "colour type " << colourType;
    image.samples = colourType == 6 ? 4 : 3;
    image.model = colourType == 6 ? 9 : 1;
    size_t phys = png.find("pHYs");
    if (phys != std::string::npos && png[phys + 12] == 1) {
        image.dpiX = BigEndian32(png, phys + 4) * 0.0254;
        image.dpiY = BigEndian32(png, phys + 8) * 0.0254;
    } else {
        image.dpiX = image.dpiY = 96;
    }
    return image;
}

TEST(RipEndToEnd, TheConverterGetsEveryImageAsItsHeaderStatesIt)
{
    std::string folder = Folder("images");
    const std::string dictionaryType = "application/vnd.ms-package.xps-resourcedictionary+xml";
    // A JPEG of 100 x 50 pixels at 72 dpi named inside a remote dictionary,
    // relative to it, with a profile; a PNG cut short on the page itself.
    const std::string jpeg = imagetest::SolidJpeg(100, 50, {200, 100, 50}, 1, 72);
    const std::string png = imagetest::RgbPng(4, 4, std::vector<imagetest::Rgb>(16, {1, 2, 3}));
    tav::host::testing::TestPackage package = tav::host::testing::PagesOfSize(1);
    package.resources = {
        {"/Resources/Dicts/d.dict", dictionaryType,
         "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
         "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\">"
         "<ImageBrush x:Key=\"photo\" ImageSource=\"{ColorConvertedBitmap ../Images/photo.jpg ../Profiles/p.icc}\" "
         "Viewbox=\"0,0,100,50\" Viewport=\"0,0,100,50\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/>"
         "</ResourceDictionary>"},
        {"/Resources/Images/photo.jpg", "image/jpeg", jpeg},
        {"/Resources/Profiles/p.icc", "application/vnd.ms-color.iccprofile", std::string(128, 'p')},
        {"/Resources/Images/cut.png", "image/png", png.substr(0, png.size() - 20)},
    };
    package.documents[0].pages[0].resources = {"/Resources/Dicts/d.dict", "/Resources/Images/photo.jpg",
                                               "/Resources/Profiles/p.icc", "/Resources/Images/cut.png"};
    package.documents[0].pages[0].body =
        "<FixedPage.Resources><ResourceDictionary Source=\"/Resources/Dicts/d.dict\"/></FixedPage.Resources>"
        "<Path Data=\"M 0,0 L 100,0 100,50 Z\" Fill=\"{StaticResource photo}\"/>"
        "<Path Data=\"M 0,0 L 4,0 4,4 Z\"><Path.Fill><ImageBrush ImageSource=\"/Resources/Images/cut.png\" "
        "Viewbox=\"0,0,4,4\" Viewport=\"0,0,4,4\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/>"
        "</Path.Fill></Path>";
    tav::host::testing::WritePackage(folder + "/in.xps", package);

    CommandResult run = Tavpipe("-q -f rip " + Quote(folder + "/in.xps") + " " + Quote(folder + "/out.trace"));
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(ReadFile(folder + "/out.trace"));
    ExpectImageLine(lines, "/Resources/Images/photo.jpg", {100, 50, 72, 72, 3, 1});
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with("colour-profile \"/Resources/Profiles/p.icc\" bytes 128 ");
                            }),
              1);
    // The converter learns only that the cut image is not there; the user
    // learns why, with the part named.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "image \"/Resources/Images/cut.png\" unavailable"), 1);
    const std::string warning = "tavpipe: warning: the image /Resources/Images/cut.png cannot be used: ";
    EXPECT_TRUE(run.err.starts_with(warning) && run.err.size() > warning.size() + 1) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

    if (FixturesFolder().empty()) GTEST_SKIP() << "the fixtures folder is absent";
    // A real document's PNG, its fields read from its own chunks.
    const std::string fixture = FixturesFolder() + "/mb08.xps";
    const std::string image = "/Resources/a75ff97a-5662-4d9c-9bdd-8e2c2b826e05.png";
    run = Tavpipe("-q -f rip " + Quote(fixture) + " " + Quote(folder + "/mb08.trace"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ExpectImageLine(Lines(ReadFile(folder + "/mb08.trace")), image, FromPngChunks(ZipItem(fixture, image.substr(1))));
}

}  // namespace

namespace {

// The lines that begin with the word and a blank.
std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& word)
{
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.starts_with(word + " ")) found.push_back(line);
    return found;
}

// The value of a quoted field of a recorded line: second-pass-page "PATH".
std::string QuotedField(const std::string& line)
{
    size_t open = line.find('"');
    size_t close = line.rfind('"');
    return open == std::string::npos || close <= open ? "" : line.substr(open + 1, close - open - 1);
}

TEST(RipEndToEnd, AManualTwoSidedJobHandsItsSecondPassToTheManualDuplexProgram)
{
    std::string folder = Folder("manual-duplex");
    tav::host::testing::WritePackage(folder + "/in.xps", tav::host::testing::PagesOfSize(4));
    // German: language identifier 0x0407. Without a controlling terminal
    // (setsid), so that the program never waits for a key.
    CommandResult run = RunCommand("LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 TMPDIR=" + Quote(folder) + " setsid -w " +
                                   Quote(BuildFolder() + "/bin/tavpipe") +
                                   " -q -f layout,rip -o sides=two-sided-long-edge -o duplex-mode=manual " +
                                   Quote(folder + "/in.xps") + " " + Quote(folder + "/out.trace") + " </dev/null");
    ASSERT_EQ(run.status, 0) << run.err;

    // The fronts in the printer stream, the backs in files of their own.
    std::vector<std::string> lines = Lines(ReadFile(folder + "/out.trace"));
    EXPECT_EQ(Only(lines, "page"), (std::vector<std::string>{"page 1", "page 3"}));
    std::vector<std::string> backs = Only(lines, "second-pass-page");
    ASSERT_EQ(backs.size(), 2u);
    EXPECT_EQ(lines.back(), "close pages 4");
    std::vector<std::string> files;
    for (size_t index = 0; index < backs.size(); ++index) {
        files.push_back(QuotedField(backs[index]));
        std::string page = std::to_string(2 * index + 2);
        std::vector<std::string> back = Lines(ReadFile(files.back()));
        ASSERT_FALSE(back.empty()) << files.back();
        EXPECT_EQ(back.front(), "page " + page);
        EXPECT_TRUE(back.back().starts_with("page-end " + page + " ")) << back.back();
    }

    // One list, keys in arrival order, started as "%d %s" of the language
    // and the list; the program names the files.
    std::string second = std::filesystem::path(files[0]).parent_path().string();
    std::vector<std::string> lists;
    for (const auto& entry : std::filesystem::directory_iterator(second))
        if (entry.is_directory() && entry.path().filename().string().starts_with("qz"))
            lists.push_back(entry.path().string() + "/filelist.ini");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(ReadFile(lists[0]), "[FileList]\n1=" + files[0] + "\n2=" + files[1] + "\n");
    EXPECT_EQ(run.err, "tavmanualduplex: the second pass of the two-sided job is 2 files (list " + lists[0] +
                           ", language 1031):\n  1 " + files[0] + "\n  2 " + files[1] +
                           "\ntavmanualduplex: there is no terminal to wait on: turn the printed paper over, put it "
                           "back and print these files\n");
}

}  // namespace
