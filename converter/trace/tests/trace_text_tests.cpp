// The recording converter's text on its lines and the resources it finds in
// attribute values.
#include <gtest/gtest.h>

#include <vector>

#include "image_record.h"
#include "resource_references.h"
#include "trace_text.h"

namespace {

using namespace tav::trace;

TEST(TraceText, EveryStringStaysOnItsLine)
{
    EXPECT_EQ(Quoted("a \"b\" \\ c"), "\"a \\\"b\\\" \\\\ c\"");
    EXPECT_EQ(Quoted("line\nbreak\r\ttab\x01\x7f"), "\"line\\nbreak\\r\\ttab\\x01\\x7F\"");
    EXPECT_EQ(Quoted("Grüße"), "\"Grüße\"");
    // A pair becomes one character of four bytes; a lone half becomes U+FFFD.
    const char16_t text[] = {u'a', 0xD83D, 0xDDA8, 0xDC00, u'b', 0};
    EXPECT_EQ(WideToUtf8(text, 100),
              "a\xF0\x9F\x96\xA8\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(WideToUtf8(text, 2), "a\xEF\xBF\xBD");
    EXPECT_EQ(Hex32(0xA674F653u), "0xa674f653");
}

TEST(TraceText, ProfilesNamedInColoursAndImageSources)
{
    EXPECT_EQ(ContextColorProfile("ContextColor /p.icc 1,0.5,0.25"), "/p.icc");
    EXPECT_EQ(ContextColorProfile("  ContextColor   ../icc/a.icc 1,0"), "../icc/a.icc");
    EXPECT_EQ(ContextColorProfile("#FF000000"), std::nullopt);
    EXPECT_EQ(ContextColorProfile("sc#1,0,0"), std::nullopt);
    EXPECT_EQ(ConvertedBitmapProfile("{ColorConvertedBitmap /i.tif /p.icc}"), "/p.icc");
    EXPECT_EQ(ConvertedBitmapProfile("/i.tif"), std::nullopt);
    EXPECT_EQ(ConvertedBitmapProfile("{ColorConvertedBitmap /i.tif}"), std::nullopt);
    EXPECT_EQ(ImageSourceImage("../Images/i.png"), "../Images/i.png");
    EXPECT_EQ(ImageSourceImage("{ColorConvertedBitmap /i.tif /p.icc}"), "/i.tif");
    EXPECT_EQ(ImageSourceImage("{StaticResource b}"), std::nullopt);
    EXPECT_EQ(ImageSourceImage(" "), std::nullopt);
}

TEST(TraceText, AnImageBlockIsDescribedOnlyWithinItsSize)
{
    // 3 x 2 pixels of RGB at 150.5 x 72 dpi, with a 4-byte profile behind
    // the 18 raster bytes: 512 + 18 + 4 bytes.
    std::vector<uint8_t> block(534, 0);
    const uint8_t header[] = {'T', 'I', 'T', 'N', 6,    0, 28, 0, 3, 0,    2,    0, 150, 0, 72, 0,    3,
                              1,   0,   0,   1,   0x31, 0, 2,  0, 0, 0x02, 0x12, 0, 0,   0, 4,  0x00, 0x80};
    std::copy(std::begin(header), std::end(header), block.begin());
    EXPECT_EQ(DescribeImageBlock(block.data(), 534),
              "width 3 height 2 x-dpi 150 32768 y-dpi 72 0 samples 3 model 1 profile 4");
    // The profile one byte past the block, or a raster past it.
    EXPECT_EQ(DescribeImageBlock(block.data(), 533), "bad-header profile past the block's end");
    block[16] = 200;
    EXPECT_EQ(DescribeImageBlock(block.data(), 534), "bad-header raster past the block's end");
    EXPECT_EQ(DescribeImageBlock(block.data(), 511), "bad-header shorter than its header");
}

TEST(TraceText, ADictionarysNamesAreRelativeToTheDictionary)
{
    EXPECT_EQ(ResolveAgainst("/Resources/Dicts/a.dict", "../Fonts/f.ttf"), "/Resources/Fonts/f.ttf");
    EXPECT_EQ(ResolveAgainst("/Resources/Dicts/a.dict", "./f.ttf"), "/Resources/Dicts/f.ttf");
    EXPECT_EQ(ResolveAgainst("/a.dict", "../../f.ttf"), "/f.ttf");
    EXPECT_EQ(ResolveAgainst("/Resources/a.dict", "/Fonts/f.ttf"), "/Fonts/f.ttf");
    EXPECT_EQ(ResolveAgainst("/Resources/a.dict", "http://x/f.ttf"), "http://x/f.ttf");
    // A dictionary named relative to the page: its names stay relative to
    // the page, for the page to resolve.
    EXPECT_EQ(ResolveAgainst("../Resources/a.dict", "f.ttf"), "../Resources/f.ttf");
    EXPECT_EQ(ResolveAgainst("a.dict", "f.ttf"), "f.ttf");
}

}  // namespace
