// The recording converter's text on its lines and the resources it finds in
// attribute values.
#include <gtest/gtest.h>

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
