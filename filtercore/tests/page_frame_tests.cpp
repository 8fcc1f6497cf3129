// A page's frame read from its markup alone, and the paper's printable area
// on pages of the paper's size, the paper turned, and sizes of their own.
#include <gtest/gtest.h>

#include "filtercore/page_frame.h"
#include "filtercore/page_on_paper.h"
#include "testsupport/com_apartment.h"
#include "testsupport/parts.h"

namespace {

using testsupport::FixedPagePart;

class PageFrameTest : public ::testing::Test {
    testsupport::ComApartment com_;
};

HRESULT FrameOfPage(const std::string& markup, FixedPageFrame* frame)
{
    auto page = testsupport::MakePart<FixedPagePart>(u"/Pages/1.fpage", markup);
    return ReadFixedPageFrame(page.Get(), frame);
}

// The reading stops at the root's start tag: what follows it, well formed
// or not, is never looked at.
TEST_F(PageFrameTest, ReadsTheRootsSizeAndBoxesAndNothingAfterThem)
{
    FixedPageFrame frame;
    ASSERT_EQ(
        FrameOfPage("\xEF\xBB\xBF<!-- a comment --><x:FixedPage xmlns:x=\"http://schemas.microsoft.com/xps/2005/06\""
                    " Width=\"1056\" Height=\"816\" ContentBox=\"48,48,720,700\"><x:Path></x:Canvas>",
                    &frame),
        S_OK);
    EXPECT_FLOAT_EQ(frame.width, 1056);
    EXPECT_FLOAT_EQ(frame.height, 816);
    ASSERT_TRUE(frame.contentBox);
    EXPECT_FLOAT_EQ(frame.contentBox->Height, 700);
    EXPECT_FALSE(frame.bleedBox);

    EXPECT_EQ(FrameOfPage("<Canvas Width=\"5\"/>", &frame), E_FAIL);
    EXPECT_EQ(FrameOfPage("<FixedPage Width=\"1\" Width=\"2\"/>", &frame), XML_E_PARSE_FAILED);
    EXPECT_EQ(ReadFixedPageFrame(nullptr, &frame), E_POINTER);
}

// Letter is 816 x 1056 with margins of 16 on every side but the bottom's
// 40 here, so that the turn shows.
TEST(PageOnPaper, ThePrintableAreaFallsOnThePageByItsSizeAndShape)
{
    const Gdiplus::RectF letter(16, 16, 784, 1000);
    // Within a millimetre (3.78 units) the page is the paper.
    EXPECT_TRUE(IsSameSize(793.7f, 1122.5f, 794, 1123));
    EXPECT_FALSE(IsSameSize(816, 1056, 816, 1061));
    EXPECT_EQ(PrintableAreaOnPage(letter, 816, 1056, 818, 1053), letter);
    // The slide lies across: the left margin is the paper's top, the top
    // its left, the right its bottom and the bottom its right.
    EXPECT_TRUE(LiesAcross(1056, 816, 816, 1056));
    EXPECT_FALSE(LiesAcross(816, 816, 816, 1056));
    EXPECT_EQ(PrintableAreaOnPage(letter, 816, 1056, 1056, 816), Gdiplus::RectF(16, 16, 1000, 784));
    // Tabloid keeps the paper's margins around its own size.
    EXPECT_EQ(PrintableAreaOnPage(letter, 816, 1056, 1056, 1632), Gdiplus::RectF(16, 16, 1024, 1576));
    // A page smaller than the margins prints nothing; a paper of no size
    // leaves the whole page.
    EXPECT_EQ(PrintableAreaOnPage(letter, 816, 1056, 20, 30), Gdiplus::RectF(16, 16, 0, 0));
    EXPECT_EQ(PrintableAreaOnPage(letter, 0, 0, 600, 900), Gdiplus::RectF(0, 0, 600, 900));
}

}  // namespace
