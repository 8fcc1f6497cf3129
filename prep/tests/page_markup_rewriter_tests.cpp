// The text of rewritten pages, worked out by hand: the paper's size on the
// FixedPage, the scaling Canvases around the content, the resources in a
// Canvas of their own, the decorations before and after the content.
#include <gtest/gtest.h>

#include "filtercore/page_rewrite.h"
#include "page_markup_rewriter.h"
#include "testsupport/com_apartment.h"
#include "testsupport/parts.h"

namespace {

using testsupport::FixedPagePart;

// A decoration whose fragment is one Path with the given Data, and, when
// the data asks for it, the same Path as its under-content copy; with
// renders false it builds nothing, so that its markup cannot be had.
class PathDecoration : public PageDecoration {
public:
    PathDecoration(const DecorationData& data, const char16_t* pathData, bool renders = true)
        : PageDecoration(data, nullptr), pathData_(pathData), renders_(renders)
    {
    }

    HRESULT RenderFragment(float, float, const Gdiplus::RectF& imageableArea) override
    {
        renderedArea = imageableArea;
        if (!renders_) return S_OK;
        OwnedBstr name = OwnedBstr::Copy(u"Path");
        HRESULT hr = document->createElement(name.Get(), fragment.Out());
        if (FAILED(hr)) return hr;
        OwnedBstr attribute = OwnedBstr::Copy(u"Data");
        OwnedBstr value = OwnedBstr::Copy(pathData_);
        VARIANT text;
        VariantInit(&text);
        text.vt = VT_BSTR;
        text.bstrVal = value.Get();  // borrowed: the VARIANT is not cleared
        hr = fragment->setAttribute(attribute.Get(), text);
        if (FAILED(hr) || !DrawsUnderContent()) return hr;
        return fragment->cloneNode(VARIANT_TRUE, underContentCopy.Out());
    }

    // The printable area the fragment was last built with.
    Gdiplus::RectF renderedArea;

private:
    const char16_t* pathData_;
    bool renders_;
};

DecorationData OutlinedWatermark()
{
    DecorationData data;
    data.kind = kWatermarkDecoration;
    data.watermarkOptions.pageWatermark = 1;
    data.watermarkOptions.outlineTxt = 1;
    data.watermarkOptions.overlayMethod = 0;
    data.activeEntry.type = kWatermarkText;
    return data;
}

DecorationData HeaderFooter()
{
    DecorationData data;
    data.kind = kHeaderFooterDecoration;
    return data;
}

std::string Rewrite(PreparationContext& context, const std::string& markup)
{
    auto page = testsupport::MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", markup);
    HRESULT hr = RewriteFixedPage(
        page.Get(), [&context](IPrintWriteStream* stream) { return new PageMarkupRewriter(stream, context); });
    EXPECT_EQ(hr, S_OK);
    return page->Content();
}

// The default device's printable area on Letter.
const ImageableArea kLetterArea = {215900, 279400, 4233, 4233, 207434, 270934};

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const std::string kXps = "xmlns=\"http://schemas.microsoft.com/xps/2005/06\"";

class PageMarkupRewriterTest : public ::testing::Test {
protected:
    testsupport::ComApartment apartment;
    PrintTicketManager manager;
};

TEST_F(PageMarkupRewriterTest, DecorationsGoAroundTheContentInsideTheScalingCanvas)
{
    PreparationContext context(manager, u"urn:private", nullptr);
    PageScalingSettings correct;
    correct.correctFixedPageSize = TRUE;
    context.scaling.emplace(correct, PageGeometry(), kLetterArea, kLetterArea);
    context.watermark = std::make_unique<PathDecoration>(OutlinedWatermark(), u"W");
    context.headerFooter = std::make_unique<PathDecoration>(HeaderFooter(), u"H");

    std::string page = "<FixedPage " + kXps +
                       " Width=\"816\" Height=\"1056\" ContentBox=\"0,0,0,0\" BleedBox=\"-9,-9,834,1074\""
                       " xml:lang=\"en\">\n  <FixedPage.Resources><ResourceDictionary/></FixedPage.Resources>\n"
                       "  <Glyphs UnicodeString=\"A &amp; B &lt; C\"/>\n"
                       "  <Canvas><Path Data=\"M 1,1 L 2,2\"/></Canvas>\n</FixedPage>";
    // Letter, 215900 x 279400 microns, is 816.01 x 1056.01; the content box
    // of zeros is the whole page.
    std::string expected = kDeclaration + "<FixedPage " + kXps +
                           " Width=\"816.01\" Height=\"1056.01\" xml:lang=\"en\">"
                           "<Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
                           " Clip=\"M 0.00,0.00 L 816.00,0.00 816.00,1056.00 0.00,1056.00 z\">"
                           "<Path Data=\"W\"/>"
                           "<Canvas><Canvas.Resources><ResourceDictionary/></Canvas.Resources>"
                           "<Glyphs UnicodeString=\"A &amp; B &lt; C\"/>"
                           "<Canvas><Path Data=\"M 1,1 L 2,2\"/></Canvas>"
                           "</Canvas>"
                           "<Path Data=\"W\"/><Path Data=\"H\"/>"
                           "</Canvas>\n"
                           "</FixedPage>\n";
    EXPECT_EQ(Rewrite(context, page), expected);
}

TEST_F(PageMarkupRewriterTest, TwoScalingCanvasesCloseEvenWhenTheWatermarkCannotBeWritten)
{
    PreparationContext context(manager, u"urn:private", nullptr);
    PageScalingSettings bleed;
    bleed.option = kScalingFitBleedToImageable;
    bleed.alignment = kAlignTopLeft;
    PageGeometry landscape;
    landscape.orientation = PageOrientation::Landscape;
    ImageableArea area = {279400, 215900, 0, 0, 279400, 215900};
    context.scaling.emplace(bleed, landscape, area, area);
    // A watermark without fragment takes the header/footer with it.
    context.watermark = std::make_unique<PathDecoration>(DecorationData(), u"W", false);
    context.headerFooter = std::make_unique<PathDecoration>(HeaderFooter(), u"H");

    // The bleed box 528 x 408 fills the landscape paper, 1056.0133 x
    // 816.0103, twice over: 1056.0133 / 528 = 816.0103 / 408 = 2.000025,
    // from the top left corner. The content box clips the page before that.
    std::string page =
        "<x:FixedPage xmlns:x=\"http://schemas.microsoft.com/xps/2005/06\" Height=\"408\""
        " BleedBox=\"10,20,528,408\" Width=\"548\" ContentBox=\"30,40,100,50\">"
        "<x:Path Data=\"M 0,0 L 5,5\"/></x:FixedPage>";
    std::string expected = kDeclaration +
                           "<x:FixedPage xmlns:x=\"http://schemas.microsoft.com/xps/2005/06\" Height=\"816.01\""
                           " Width=\"1056.01\">"
                           "<x:Canvas RenderTransform=\"2.000025,0.000000,0.000000,2.000025,0.00,0.00\">"
                           "<x:Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,-10.00,-20.00\""
                           " Clip=\"M 30.00,40.00 L 130.00,40.00 130.00,90.00 30.00,90.00 z\">"
                           "<x:Path Data=\"M 0,0 L 5,5\"/>"
                           "</x:Canvas>\n</x:Canvas>\n"
                           "</x:FixedPage>\n";
    EXPECT_EQ(Rewrite(context, page), expected);
}

// A slide (1056 x 816) under a portrait Letter ticket with a tight content
// box and a prefixed root, decorated only: it keeps its size; the inner
// Canvas clips to the page and the content alone to the content box; the
// line is laid out in the printable area turned with the page; and its
// fragment, which has no prefix, declares the page's namespace.
TEST_F(PageMarkupRewriterTest, DecorationsKeepThePagesSizeAndLieOutsideItsContentBox)
{
    PreparationContext context(manager, u"urn:private", nullptr);
    context.scaling.emplace(PageScalingSettings(), PageGeometry(), kLetterArea, kLetterArea);
    context.imageableArea = Gdiplus::RectF(16, 16, 784, 1024);
    auto line = std::make_unique<PathDecoration>(HeaderFooter(), u"H");
    PathDecoration* rendered = line.get();
    context.headerFooter = std::move(line);

    const std::string xps = "http://schemas.microsoft.com/xps/2005/06";
    std::string page = "<x:FixedPage xmlns:x=\"" + xps +
                       "\" Width=\"1056\" Height=\"816\" ContentBox=\"48,48,720,700\">"
                       "<x:Path Data=\"M 0,0 L 5,5\"/></x:FixedPage>";
    std::string expected = kDeclaration + "<x:FixedPage xmlns:x=\"" + xps + "\" Width=\"1056\" Height=\"816\">" +
                           "<x:Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
                           " Clip=\"M 0.00,0.00 L 1056.00,0.00 1056.00,816.00 0.00,816.00 z\">"
                           "<x:Canvas Clip=\"M 48.00,48.00 L 768.00,48.00 768.00,748.00 48.00,748.00 z\">"
                           "<x:Path Data=\"M 0,0 L 5,5\"/></x:Canvas>"
                           "<Path xmlns=\"" +
                           xps + "\" Data=\"H\"/></x:Canvas>\n</x:FixedPage>\n";
    EXPECT_EQ(Rewrite(context, page), expected);
    // Letter is 816.01 x 1056.01: the margins on the right and at the
    // bottom are 16.01 each.
    const Gdiplus::RectF& area = rendered->renderedArea;
    EXPECT_FLOAT_EQ(area.X, 16);
    EXPECT_FLOAT_EQ(area.Y, 16);
    EXPECT_NEAR(area.Width, 1024, 0.02);
    EXPECT_NEAR(area.Height, 784, 0.02);
}

}  // namespace
