// ParseBox and ParseMarkupNumber: the FixedPage's boxes and sizes.
#include <gtest/gtest.h>

#include "filtercore/box_value.h"

namespace {

void ExpectBox(const Gdiplus::RectF& box, float x, float y, float width, float height)
{
    EXPECT_FLOAT_EQ(box.X, x);
    EXPECT_FLOAT_EQ(box.Y, y);
    EXPECT_FLOAT_EQ(box.Width, width);
    EXPECT_FLOAT_EQ(box.Height, height);
}

TEST(ParseBox, ReadsFourNumbers)
{
    Gdiplus::RectF box{1, 2, 3, 4};
    ParseBox(u"0,0,816,1056", box);
    ExpectBox(box, 0, 0, 816, 1056);
    ParseBox(u" 12.5, -3.25 ,1e2,7", box);
    ExpectBox(box, 12.5f, -3.25f, 100, 7);
}

TEST(ParseBox, RunsOfCommasCountAsOneAndMissingTokensKeepTheirMember)
{
    Gdiplus::RectF box{1, 2, 3, 4};
    ParseBox(u"10,,20", box);
    ExpectBox(box, 10, 20, 3, 4);
    box = {1, 2, 3, 4};
    ParseBox(u",5,", box);
    ExpectBox(box, 5, 2, 3, 4);
    box = {1, 2, 3, 4};
    ParseBox(u"", box);
    ExpectBox(box, 1, 2, 3, 4);
    ParseBox(nullptr, box);
    ExpectBox(box, 1, 2, 3, 4);
    // Tokens after the fourth are ignored.
    ParseBox(u"5,6,7,8,9", box);
    ExpectBox(box, 5, 6, 7, 8);
}

TEST(ParseMarkupNumber, ReadsWithAPointWhateverTheLocaleAndIgnoresTrailingText)
{
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"816.25"), 816.25f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"  -.5px"), -0.5f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"816,5"), 816.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"wide"), 0.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(nullptr), 0.0f);
}

TEST(ParseMarkupNumber, GivesZeroForValuesNoFloatHolds)
{
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"1e39"), 0.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"-1e400"), 0.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"inf"), 0.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"nan"), 0.0f);
    EXPECT_FLOAT_EQ(ParseMarkupNumber(u"3e38"), 3e38f);
}

}  // namespace
