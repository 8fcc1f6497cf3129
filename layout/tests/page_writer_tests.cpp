// The layout filter's page writers on pages held in test parts, compared
// with markup worked out by hand, and the part references made absolute for
// markup that moves into a sheet.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/page_rewrite.h"
#include "part_references.h"
#include "sheet_page_writer.h"
#include "testsupport/com_apartment.h"
#include "testsupport/parts.h"
#include "wrap_page_writer.h"

namespace {

constexpr char kPageName[] = "/Documents/1/Pages/1.fpage";

std::string Page(const std::string& body)
{
    return "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xmlns:x=\"urn:extra\" Width=\"816\" "
           "Height=\"1056\" xml:lang=\"en-US\" Name=\"P1\">" +
           body + "</FixedPage>";
}

class PageWriters : public ::testing::Test {
protected:
    std::string Rewritten(const std::string& markup, const MarkupWriterFactory& makeWriter)
    {
        auto page = testsupport::MakePart<testsupport::FixedPagePart>(u"/Documents/1/Pages/1.fpage", markup);
        EXPECT_EQ(RewriteFixedPage(page.Get(), makeWriter), S_OK);
        return page->Content();
    }

    testsupport::ComApartment com;
    PlacementTransform placement;
};

TEST_F(PageWriters, APagePlacedOnASheetBecomesACanvasWithItsTransformClipAndResources)
{
    // Half size, moved by (10, 20); the page's printable area as the clip.
    placement.Set(Gdiplus::Matrix(0.5f, 0, 0, 0.5f, 10, 20));
    placement.SetClip(Gdiplus::RectF(16, 16, 784, 1024));
    std::string body =
        "<FixedPage.Resources><ResourceDictionary Source=\"../Resources/dict.dict\"/></FixedPage.Resources>"
        "<Path Data=\"M 0,0 L 10,10\"/>"
        "<Glyphs FontUri=\"../../../Resources/Fonts/f.odttf\" UnicodeString=\"A &amp; B\" OriginX=\"1\"/>"
        "<Path><Path.Fill><ImageBrush ImageSource=\"/Resources/a.png\" Viewbox=\"0,0,1,1\"/></Path.Fill></Path>";
    std::string sheet = Rewritten(Page(body), [this](IPrintWriteStream* stream) {
        return new SheetPageWriter(stream, placement, u"/Documents/1/Pages/1.fpage");
    });
    EXPECT_EQ(sheet,
              "<Canvas RenderTransform=\"0.500000,0.000000,0.000000,0.500000,10.000,20.000\" "
              "Clip=\"M 16.00,16.00 L 800.00,16.00 L 800.00,1040.00 L 16.00,1040.00 Z\" xmlns:x=\"urn:extra\">"
              "<Canvas.Resources><ResourceDictionary Source=\"/Documents/1/Resources/dict.dict\"/></Canvas.Resources>"
              "<Path Data=\"M 0,0 L 10,10\"/>"
              "<Glyphs FontUri=\"/Resources/Fonts/f.odttf\" UnicodeString=\"A &amp; B\" OriginX=\"1\"/>"
              "<Path><Path.Fill><ImageBrush ImageSource=\"/Resources/a.png\" Viewbox=\"0,0,1,1\"/></Path.Fill></Path>"
              "</Canvas>");
}

TEST_F(PageWriters, APageWrappedInPlaceKeepsItsFixedPageAndHasItsResourcesOpenTheCanvas)
{
    // 10000 microns across, as a binding gutter: 10000 / 264.58.
    placement.Set(Gdiplus::Matrix(1, 0, 0, 1, 10000 / 264.58f, 0));
    std::string body = "<FixedPage.Resources><ResourceDictionary/></FixedPage.Resources><Path Data=\"M 0,0 L 1,1\"/>";
    std::string wrapped =
        Rewritten(Page(body), [this](IPrintWriteStream* stream) { return new WrapPageWriter(stream, placement); });
    EXPECT_EQ(wrapped,
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
              "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" xmlns:x=\"urn:extra\" Width=\"816\" "
              "Height=\"1056\" xml:lang=\"en-US\" Name=\"P1\">"
              "<Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,37.796,0.000\" "
              "Clip=\"M 0.00,0.00 L 816.00,0.00 L 816.00,1056.00 L 0.00,1056.00 Z\">"
              "<Canvas.Resources><ResourceDictionary/></Canvas.Resources><Path Data=\"M 0,0 L 1,1\"/>"
              "</Canvas></FixedPage>");
}

TEST(PartReferences, RelativeReferencesResolveAgainstThePageTheyWereWrittenIn)
{
    EXPECT_EQ(AbsolutePartReference(u"/Documents/1/Pages/1.fpage", u"../Resources/a.png"),
              u"/Documents/1/Resources/a.png");
    EXPECT_EQ(AbsolutePartReference(u"/Documents/1/Pages/1.fpage", u"./f.odttf"), u"/Documents/1/Pages/f.odttf");
    EXPECT_EQ(AbsolutePartReference(u"/Documents/1/Pages/1.fpage", u"../../../../x.png"), u"/x.png");
    EXPECT_EQ(AbsolutePartReference(u"/Documents/1/Pages/1.fpage", u"/Resources/a.png"), u"/Resources/a.png");
    EXPECT_EQ(AbsolutePartReference(u"/Documents/1/Pages/1.fpage", u"http://example.com/a.png"),
              u"http://example.com/a.png");

    const std::u16string page = u"/Documents/1/Pages/1.fpage";
    EXPECT_EQ(AbsoluteReferencesIn(page, u"ImageSource", u"{ColorConvertedBitmap ../i.tif ../p.icc}"),
              u"{ColorConvertedBitmap /Documents/1/i.tif /Documents/1/p.icc}");
    EXPECT_EQ(AbsoluteReferencesIn(page, u"Fill", u"ContextColor ../p.icc 1,0.5,0.5,0.5"),
              u"ContextColor /Documents/1/p.icc 1,0.5,0.5,0.5");
    EXPECT_EQ(AbsoluteReferencesIn(page, u"ImageSource", u"{StaticResource img}"), std::nullopt);
    EXPECT_EQ(AbsoluteReferencesIn(page, u"Fill", u"#FF000000"), std::nullopt);
    EXPECT_EQ(AbsoluteReferencesIn(page, u"FontUri", u"/Resources/f.odttf"), std::nullopt);
    EXPECT_EQ(AbsoluteReferencesIn(page, u"Name", u"a/b"), std::nullopt);
}

}  // namespace
