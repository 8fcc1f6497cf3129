// The rip filter over test parts with the build's recording converter: what
// reaches the converter, seen in the stream it records, and how a failing
// converter or a cancelled job ends the job.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/spooler.h"
#include "rip_test_support.h"

namespace {

using namespace riptest;
using testsupport::ColorProfilePart;
using testsupport::FixedPagePart;
using testsupport::FontPart;
using testsupport::ImagePart;
using testsupport::MakePart;
using testsupport::ResourceDictionaryPart;
using testsupport::Unknown;
using testsupport::XpsDocumentPart;

class RipFilterTest : public ::testing::Test {
protected:
    void SetUp() override { UseRecordingConverter(); }
};

std::string Crc32(const std::string& bytes)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08lx",
                  crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    return text;
}

// The page section from its first element on.
std::vector<std::string> Markup(const std::string& stream, int page)
{
    std::vector<std::string> section = PageSection(stream, page);
    while (!section.empty() && !section.front().starts_with("start ")) section.erase(section.begin());
    return section;
}

TEST_F(RipFilterTest, EachPageGetsItsDevModeAndPageDeviceInOrder)
{
    auto bag = RipPropertyBag();
    bag->SetUInt32(u"OutputPlanes", 4);
    bag->SetUInt32(u"PortraitRotation", 90);
    auto portrait = Page(1, "");
    auto landscape = Page(2, "");
    SetOrientation(landscape.Get(), "Landscape");
    std::vector<ComPtr<IUnknown>> parts = Job({portrait, landscape});
    // A document part and a resource on its own produce nothing.
    parts.insert(parts.begin(), Unknown(MakePart<XpsDocumentPart>(u"/")));
    parts.insert(parts.begin() + 3, Unknown(MakePart<ImagePart>(u"/Resources/i.png", "png")));
    RipRun run = RunRip(parts, bag.Get());

    EXPECT_EQ(run.startResult, S_OK);
    EXPECT_TRUE(run.control->shutdowns.empty()) << testing::PrintToString(run.control->failureReason);
    EXPECT_EQ(run.control->finished, 1);
    EXPECT_EQ(run.writerCloses, 1);
    std::vector<std::string> lines = Lines(run.stream);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "tav-trace 1");
    EXPECT_EQ(lines[1],
              "open driver-out \"driverout\" reserved 0 encoder \"\" printer \"tav test printer\" document "
              "\"report.xps\" job-id 1 one 1 text \"\" cancel");
    EXPECT_EQ(lines.back(), "close pages 2");
    EXPECT_EQ(Only(Lines(run.stream), {"page"}), (std::vector<std::string>{"page 1", "page 2"}));

    // The default device's A4 (210 x 297 mm), 600 dpi; a portrait page turned
    // by PortraitRotation 90 (code 3), a landscape one by the default 270
    // (code 5); four planes keep their number.
    std::vector<std::string> first = PageSection(run.stream, 1);
    EXPECT_EQ(Only(first, {"page-device"}),
              std::vector<std::string>{"page-device 1 1 210000 297000 0 0 210000 297000 600 600 3 0 4 100 297000 "
                                       "297000 4 4 8"});
    EXPECT_EQ(Only(PageSection(run.stream, 2), {"page-device"}),
              std::vector<std::string>{"page-device 1 1 210000 297000 0 0 210000 297000 600 600 5 0 4 100 297000 "
                                       "297000 4 4 8"});
    // The DEVMODE of each page's ticket: A4 (code 9, 2100 x 2970 tenths of a
    // millimetre), portrait (1) or landscape (2).
    ASSERT_EQ(Only(first, {"devmode"}).size(), 1u);
    EXPECT_NE(first[1].find(" orientation 1 paper-size 9 paper-length 2970 paper-width 2100 "), std::string::npos)
        << first[1];
    EXPECT_NE(PageSection(run.stream, 2)[1].find(" orientation 2 "), std::string::npos);
    EXPECT_EQ(Only(first, {"callbacks"}), std::vector<std::string>{"callbacks font colour-profile image"});
}

TEST_F(RipFilterTest, TheOpenRecordCarriesTheJobsNamesCutTo255Characters)
{
    std::u16string printer(300, u'P');
    std::u16string document = std::u16string(254, u'd') + u"éé";
    DRIVER_INFO_2W driver{};
    ASSERT_TRUE(SpoolerSetPrinterDriver(printer.c_str(), &driver));
    JOB_INFO_1W job{};
    job.JobId = 9;
    job.pDocument = document.data();
    ASSERT_TRUE(SpoolerAddJob(printer.c_str(), &job));
    auto bag = RipPropertyBag();
    bag->SetString(u"PrinterName", printer.c_str());
    bag->SetUInt32(u"PrintJobId", 9);
    RipRun run = RunRip(Job({Page(1, "")}), bag.Get());
    SpoolerDeleteJob(printer.c_str(), 9);
    ASSERT_EQ(run.startResult, S_OK);
    ASSERT_GE(Lines(run.stream).size(), 2u);
    EXPECT_EQ(Lines(run.stream)[1], "open driver-out \"driverout\" reserved 0 encoder \"\" printer \"" +
                                        std::string(255, 'P') + "\" document \"" + std::string(254, 'd') +
                                        "é\" job-id 9 one 1 text \"\" cancel");
}

TEST_F(RipFilterTest, MarkupArrivesElementByElementWithItsAttributesLastToFirst)
{
    std::string font(5000, '\0');
    for (size_t i = 0; i < font.size(); ++i) font[i] = static_cast<char>(i * 7);
    auto page = Page(1,
                     "<Canvas RenderTransform=\"1,0,0,1,0,0\" Name=\"c\"><Path Data=\"M 0,0 L 1,1\" "
                     "Fill=\"#FF000000\"/></Canvas>"
                     "<Glyphs xmlns:x=\"urn:x\" OriginX=\"10\" OriginY=\"20\" FontRenderingEmSize=\"12\" "
                     "FontUri=\"/Resources/f.odttf\" UnicodeString=\"Grüße &quot;€&quot;\"/>"
                     "<Path Data=\"M 0,0\" Fill=\"ContextColor /Resources/p.icc 1,0.5,0.25,0\"/>");
    auto fontPart = MakePart<FontPart>(u"/Resources/f.odttf", font);
    fontPart->ContentState().SetReadBlockSize(700);  // the font comes in pieces
    page->SetPagePart(fontPart.Get());
    page->SetPagePart(MakePart<ColorProfilePart>(u"/Resources/p.icc", "profile bytes").Get());
    RipRun run = RunRip(Job({page}));
    ASSERT_EQ(run.startResult, S_OK);

    // Namespace declarations are not attributes; UnicodeString comes as a
    // wide string; a childless element ends with end-current.
    EXPECT_EQ(Markup(run.stream, 1), (std::vector<std::string>{
                                         "start FixedPage",
                                         "attribute Height \"1056\"",
                                         "attribute Width \"816\"",
                                         "start Canvas",
                                         "attribute Name \"c\"",
                                         "attribute RenderTransform \"1,0,0,1,0,0\"",
                                         "start Path",
                                         "attribute Fill \"#FF000000\"",
                                         "attribute Data \"M 0,0 L 1,1\"",
                                         "end-current",
                                         "end Canvas",
                                         "start Glyphs",
                                         "attribute-wide UnicodeString \"Grüße \\\"€\\\"\"",
                                         "attribute FontUri \"/Resources/f.odttf\"",
                                         "font \"/Resources/f.odttf\" bytes 5000 crc32 " + Crc32(font),
                                         "attribute FontRenderingEmSize \"12\"",
                                         "attribute OriginY \"20\"",
                                         "attribute OriginX \"10\"",
                                         "end-current",
                                         "start Path",
                                         "attribute Fill \"ContextColor /Resources/p.icc 1,0.5,0.25,0\"",
                                         "colour-profile \"/Resources/p.icc\" bytes 13 crc32 " + Crc32("profile bytes"),
                                         "attribute Data \"M 0,0\"",
                                         "end-current",
                                         "end FixedPage",
                                         "page-end 1 elements 5 attributes 13",
                                     }));
}

TEST_F(RipFilterTest, LongNonAsciiValuesArriveWhole)
{
    // 600 characters of two bytes each, and 300 of three: both longer than
    // the 512 bytes a short value is converted into.
    std::string twoByte, threeByte;
    for (int i = 0; i < 600; ++i) twoByte += "é";
    for (int i = 0; i < 300; ++i) threeByte += "€";
    RipRun run = RunRip(Job({Page(1, "<Path Name=\"" + threeByte + "\" Data=\"" + twoByte + "\"/>")}));
    ASSERT_EQ(run.startResult, S_OK);
    EXPECT_EQ(Only(PageSection(run.stream, 1), {"attribute"}),
              (std::vector<std::string>{"attribute Height \"1056\"", "attribute Width \"816\"",
                                        "attribute Data \"" + twoByte + "\"", "attribute Name \"" + threeByte + "\""}));
}

TEST_F(RipFilterTest, AReferencedDictionaryIsFedRightAfterTheElementThatNamesIt)
{
    auto page = Page(1,
                     "<FixedPage.Resources><ResourceDictionary Source=\"/Resources/Dicts/shared.dict\"/>"
                     "</FixedPage.Resources><Path Fill=\"{StaticResource b}\" Data=\"M 0,0\"/>");
    page->SetPagePart(MakePart<ResourceDictionaryPart>(
                          u"/Resources/Dicts/shared.dict",
                          "<ResourceDictionary xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
                          "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\">"
                          "<SolidColorBrush x:Key=\"b\" Color=\"ContextColor ../Profiles/cmyk.icc 1,0,0,0,1\"/>"
                          "</ResourceDictionary>")
                          .Get());
    // The dictionary names the profile relative to itself.
    page->SetPagePart(MakePart<ColorProfilePart>(u"/Resources/Profiles/cmyk.icc", "cmyk").Get());
    RipRun run = RunRip(Job({page}));
    ASSERT_EQ(run.startResult, S_OK) << testing::PrintToString(run.control->failureReason);
    std::vector<std::string> markup = Markup(run.stream, 1);
    std::vector<std::string> expected = {
        "start FixedPage",
        "attribute Height \"1056\"",
        "attribute Width \"816\"",
        "start FixedPage.Resources",
        "start ResourceDictionary",
        "attribute Source \"/Resources/Dicts/shared.dict\"",
        "end-current",
        "start ResourceDictionary",
        "start SolidColorBrush",
        "attribute Color \"ContextColor ../Profiles/cmyk.icc 1,0,0,0,1\"",
        "colour-profile \"/Resources/Profiles/cmyk.icc\" bytes 4 crc32 " + Crc32("cmyk"),
        "attribute x:Key \"b\"",
        "end-current",
        "end ResourceDictionary",
        "end FixedPage.Resources",
        "start Path",
    };
    ASSERT_GE(markup.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(markup.begin(), markup.begin() + expected.size()), expected);
}

// A page fed without the resources it names would print wrong: a
// dictionary that cannot be had fails the page.
TEST_F(RipFilterTest, ADictionaryThatCannotBeReadFailsItsPage)
{
    RipRun run = RunRip(Job({Page(1,
                                  "<Canvas><Canvas.Resources><ResourceDictionary Source=\"/Resources/none.dict\"/>"
                                  "</Canvas.Resources></Canvas>")}));
    EXPECT_EQ(run.startResult, S_OK);
    EXPECT_EQ(run.control->shutdowns, std::vector<HRESULT>{HRESULT_FROM_WIN32(ERROR_NOT_FOUND)});
    EXPECT_EQ(run.control->failurePart, u"/Documents/1/Pages/1.fpage");
    EXPECT_EQ(run.control->failureReason, u"the resource dictionary /Resources/none.dict cannot be read");
}

TEST_F(RipFilterTest, ADeletedJobStopsAtTheEndOfTheNextImageBrush)
{
    SetJobStatus(JOB_STATUS_DELETING);
    auto page = Page(1,
                     "<Path Data=\"M 0,0\"><Path.Fill><ImageBrush ImageSource=\"/i.png\" Viewbox=\"0,0,1,1\" "
                     "Viewport=\"0,0,1,1\" ViewboxUnits=\"Absolute\" ViewportUnits=\"Absolute\"/></Path.Fill>"
                     "</Path><Path Data=\"M 1,1\"/>");
    RipRun run = RunRip(Job({page, Page(2, "")}));
    SetJobStatus(JOB_STATUS_PRINTING);

    EXPECT_EQ(run.startResult, S_OK);
    EXPECT_EQ(run.control->shutdowns, std::vector<HRESULT>{HRESULT_FROM_WIN32(ERROR_PRINT_CANCELLED)});
    EXPECT_EQ(run.control->failurePart, u"/Documents/1/Pages/1.fpage");
    EXPECT_EQ(run.control->failureReason, u"the job was cancelled");
    EXPECT_EQ(run.writerCloses, 1);
    // Nothing after the brush's end (its five attributes, the image it
    // names, which the page does not have, then end-current); the
    // converter's job is closed.
    std::vector<std::string> markup = Markup(run.stream, 1);
    auto brush = std::find(markup.begin(), markup.end(), "start ImageBrush");
    ASSERT_NE(brush, markup.end()) << run.stream;
    EXPECT_EQ(markup.end() - brush, 8);
    EXPECT_EQ(brush[6], "image \"/i.png\" unavailable");
    EXPECT_EQ(markup.back(), "end-current");
    EXPECT_EQ(Lines(run.stream).back(), "close pages 0");
    EXPECT_TRUE(PageSection(run.stream, 2).empty());
}

TEST_F(RipFilterTest, APageTheConverterRefusesEndsTheJobWithItsReason)
{
    setenv("TAV_TRACE_REFUSE_PAGE", "2", 1);
    RipRun run = RunRip(Job({Page(1, ""), Page(2, ""), Page(3, "")}));
    unsetenv("TAV_TRACE_REFUSE_PAGE");
    // S_OK towards the pipeline, and the failure with its shutdown request.
    EXPECT_EQ(run.startResult, S_OK);
    EXPECT_EQ(run.control->shutdowns, std::vector<HRESULT>{E_FAIL});
    EXPECT_EQ(run.control->failurePart, u"/Documents/1/Pages/2.fpage");
    EXPECT_EQ(run.control->failureReason, u"page 2 refused, as TAV_TRACE_REFUSE_PAGE asks");
    EXPECT_EQ(run.control->finished, 1);
    EXPECT_EQ(run.writerCloses, 1);
    EXPECT_EQ(Only(Lines(run.stream), {"page", "page-end"}),
              (std::vector<std::string>{"page 1", "page-end 1 elements 1 attributes 2", "page 2"}));
}

TEST_F(RipFilterTest, ConverterWarningsReachThePipelineOncePerText)
{
    const std::string glyphs =
        "<Glyphs OriginX=\"1\" OriginY=\"2\" FontRenderingEmSize=\"9\" "
        "FontUri=\"http://fonts.example/a.ttf\" UnicodeString=\"a\"/>";
    RipRun run = RunRip(Job({Page(1, glyphs), Page(2, glyphs)}));
    EXPECT_EQ(run.startResult, S_OK);
    EXPECT_TRUE(run.control->shutdowns.empty());
    EXPECT_EQ(run.control->warnings,
              std::vector<std::u16string>{u"the font http://fonts.example/a.ttf cannot be fetched"});
    EXPECT_EQ(Only(Lines(run.stream), {"font"}),
              std::vector<std::string>(2, "font \"http://fonts.example/a.ttf\" unavailable"));
}

}  // namespace
