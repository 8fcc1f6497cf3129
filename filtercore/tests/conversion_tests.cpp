// Conversions between wide text, UTF-8, the ANSI code page and BSTRs, and the
// BSTR helpers.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/bstr_utils.h"
#include "filtercore/heap_string.h"
#include "filtercore/utf8_converter.h"

namespace {

std::string BytesOf(const BYTE* bytes, ULONG count) { return std::string(reinterpret_cast<const char*>(bytes), count); }

TEST(Utf8Converter, ConvertsTheWholeTextWithoutTerminator)
{
    HeapWideString text;
    // e-acute (2 bytes), euro sign (3 bytes), G clef as a surrogate pair (4 bytes).
    text.Assign(u"A\u00E9\u20AC\U0001D11E");
    Utf8Converter converter(&text);
    const BYTE* bytes = nullptr;
    ULONG count = 0;
    ASSERT_EQ(converter.Convert(&bytes, &count), S_OK);
    EXPECT_EQ(BytesOf(bytes, count), "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");

    // Converting again gives the new text.
    text.Assign(u"<x/>");
    ASSERT_EQ(converter.Convert(&bytes, &count), S_OK);
    EXPECT_EQ(BytesOf(bytes, count), "<x/>");
}

TEST(Utf8Converter, EmptyTextAndNullPointers)
{
    HeapWideString text;
    Utf8Converter converter(&text);
    const BYTE* bytes = nullptr;
    ULONG count = 0;
    EXPECT_EQ(converter.Convert(&bytes, &count), E_FAIL);
    text.Assign(u"");
    EXPECT_EQ(converter.Convert(&bytes, &count), E_FAIL);
    text.Assign(u"a");
    EXPECT_EQ(converter.Convert(nullptr, &count), E_POINTER);
    EXPECT_EQ(converter.Convert(&bytes, nullptr), E_POINTER);
}

TEST(HeapNarrowString, FromWideConvertsToTheAnsiCodePage)
{
    HeapNarrowString narrow;
    narrow.FromWide(u"Stra\u00DFe");
    // The ANSI code page is UTF-8: six characters, seven bytes.
    EXPECT_EQ(std::string(narrow.Text()),
              "Stra\xC3\x9F"
              "e");
    narrow.FromWide(nullptr);
    EXPECT_EQ(std::string(narrow.Text()), "");
    narrow.FromWide(u"");
    EXPECT_EQ(std::string(narrow.Text()), "");
}

TEST(HeapNarrowString, FromWideSizesTheBufferByConvertedBytes)
{
    // 100 characters of three bytes each need 300 bytes.
    std::u16string wide(100, u'\u20AC');
    HeapNarrowString narrow;
    narrow.FromWide(wide.c_str());
    EXPECT_EQ(narrow.Length(), 300u);
    EXPECT_EQ(narrow.Capacity(), 512u);
}

TEST(MultibyteToBstr, ConvertsUtf8IntoALengthPrefixedBstr)
{
    BSTR text = MultibyteToBstr("A4 \xE2\x82\xAC");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(std::u16string(text), u"A4 \u20AC");
    SysFreeString(text);

    BSTR empty = MultibyteToBstr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
    EXPECT_EQ(MultibyteToBstr(nullptr), nullptr);
}

TEST(BstrEquals, ComparesExactlyButThroughTheLocaleComparison)
{
    BSTR a = SysAllocString(u"ISOA4");
    BSTR b = SysAllocString(u"ISOA4");
    BSTR lower = SysAllocString(u"isoa4");
    BSTR longer = SysAllocString(u"ISOA4 ");
    EXPECT_TRUE(BstrEquals(a, b));
    EXPECT_FALSE(BstrEquals(a, lower));
    EXPECT_FALSE(BstrEquals(a, longer));
    EXPECT_TRUE(BstrEquals(nullptr, nullptr));
    SysFreeString(a);
    SysFreeString(b);
    SysFreeString(lower);
    SysFreeString(longer);
}

TEST(BstrAppend, ConcatenatesAndKeepsOneString)
{
    BSTR path = nullptr;
    BSTR step = SysAllocString(u"psf:PrintTicket");
    BSTR next = SysAllocString(u"/psf:Feature");
    BstrAppend(&path, step);
    BstrAppend(&path, next);
    EXPECT_EQ(std::u16string(path), u"psf:PrintTicket/psf:Feature");
    EXPECT_EQ(SysStringLen(path), 27u);
    SysFreeString(path);
    SysFreeString(step);
    SysFreeString(next);

    try {
        BstrAppend(nullptr, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const CAtlException& failure) {
        EXPECT_EQ(failure.hr, E_POINTER);
    }
}

}  // namespace
