// Part names made from the file names users choose, worked out by hand from
// the UTF-8 bytes of each character.
#include <gtest/gtest.h>

#include "watermark_part_name.h"

namespace {

TEST(WatermarkPartName, KeepsThePlainBaseNameOfAnyPath)
{
    EXPECT_EQ(WatermarkImagePartName(u"C:\\Users\\ann\\Pictures\\logo.png", 1234), u"/WM_logo.png_1234.png");
    EXPECT_EQ(WatermarkImagePartName(u"/home/ann/seal-2_final.v1~.tif", 7), u"/WM_seal-2_final.v1~.tif_7.png");
    EXPECT_EQ(WatermarkImagePartName(u"D:stamp.gif", 0), u"/WM_stamp.gif_0.png");
    EXPECT_EQ(WatermarkImagePartName(u"stamp.bmp", 4294967295u), u"/WM_stamp.bmp_4294967295.png");
    // A name ending in a separator has an empty base name.
    EXPECT_EQ(WatermarkImagePartName(u"/images/", 5), u"/WM__5.png");
    // Sub-delimiters and "@" are allowed in a segment.
    EXPECT_EQ(WatermarkImagePartName(u"a!$&'()*+,;=@b.png", 1), u"/WM_a!$&'()*+,;=@b.png_1.png");
}

TEST(WatermarkPartName, EncodesWhatASegmentMayNotHold)
{
    EXPECT_EQ(WatermarkImagePartName(u"/home/ann/My Logo #2 100%.png", 9), u"/WM_My%20Logo%20%232%20100%25.png_9.png");
    EXPECT_EQ(PercentEncodePartNameText(u"?[]<>\"{}|^`"), u"%3F%5B%5D%3C%3E%22%7B%7D%7C%5E%60");
    // é is C3 A9, ☕ (U+2615) E2 98 95, 😀 (U+1F600) F0 9F 98 80.
    EXPECT_EQ(PercentEncodePartNameText(u"Café ☕😀"), u"Caf%C3%A9%20%E2%98%95%F0%9F%98%80");
    // An unpaired surrogate becomes U+FFFD, EF BF BD; a control character
    // its byte.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0x0001, 0};
    EXPECT_EQ(PercentEncodePartNameText(lone), u"a%EF%BF%BDb%EF%BF%BD%01");
}

TEST(WatermarkPartName, CutsLongBaseNamesWithoutSplittingACharacter)
{
    const std::u16string longName(300, u'x');
    EXPECT_EQ(WatermarkFileBaseName(u"/dir/" + longName), std::u16string(259, u'x'));
    // A pair whose high half would be the 259th unit is left out whole.
    const std::u16string paired = std::u16string(258, u'y') + u"😀z";
    EXPECT_EQ(WatermarkFileBaseName(paired), std::u16string(258, u'y'));
}

}  // namespace
