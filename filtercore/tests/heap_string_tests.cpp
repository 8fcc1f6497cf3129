// HeapWideString and HeapNarrowString: growth, search, editing, tokens and the
// bounded copy.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filtercore/heap_string.h"

namespace {

std::u16string TextOf(HeapWideString& text) { return text.Text(); }

// The HRESULT a callable raises as CXDException, S_OK when it raises none.
template <class Call>
HRESULT Raised(Call call)
{
    try {
        call();
    } catch (const CXDException& failure) {
        return failure.hr;
    }
    return S_OK;
}

constexpr HRESULT kInsufficientBuffer = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);

TEST(HeapStringGrowth, FirstAllocationDoublesFrom128UntilLengthFits)
{
    HeapWideString a;
    EXPECT_EQ(a.Capacity(), 0u);
    EXPECT_EQ(a.Data(), nullptr);
    a.Reserve(127);
    EXPECT_EQ(a.Capacity(), 128u);

    HeapWideString b;
    b.Reserve(128);
    EXPECT_EQ(b.Capacity(), 256u);

    HeapNarrowString c;
    c.Reserve(1000);
    EXPECT_EQ(c.Capacity(), 1024u);
}

TEST(HeapStringGrowth, LaterRequestsDoubleTheCurrentCapacityAndKeepTheText)
{
    HeapWideString text;
    text.Assign(u"keep me");
    ASSERT_EQ(text.Capacity(), 128u);
    text.Reserve(300);
    EXPECT_EQ(text.Capacity(), 512u);
    EXPECT_EQ(TextOf(text), u"keep me");
    // A request below the capacity changes nothing.
    text.Reserve(511);
    EXPECT_EQ(text.Capacity(), 512u);
}

TEST(HeapStringGrowth, CapacityIsStoredInFrontOfTheText)
{
    HeapNarrowString text;
    text.Reserve(200);
    uint64_t stored = 0;
    std::memcpy(&stored, reinterpret_cast<const BYTE*>(text.Data()) - 8, sizeof stored);
    EXPECT_EQ(stored, 256u);
}

TEST(HeapStringGrowth, AppendGrowsToTheCombinedLength)
{
    HeapWideString text;
    std::u16string expected;
    std::u16string chunk(100, u'x');
    for (int i = 0; i < 3; ++i) {
        text.Append(chunk.c_str());
        expected += chunk;
    }
    EXPECT_EQ(TextOf(text), expected);
    EXPECT_EQ(text.Length(), 300u);
    // 100 fits 128; 200 doubles to 256; 300 doubles to 512.
    EXPECT_EQ(text.Capacity(), 512u);
}

TEST(HeapStringGrowth, AppendAfterUsesTheKeptLengthAndReturnsTheNewOne)
{
    HeapWideString text;
    size_t length = text.AppendAfter(0, u"abc");
    EXPECT_EQ(length, 3u);
    length = text.AppendAfter(length, nullptr);
    EXPECT_EQ(length, 3u);
    std::u16string chunk(200, u'y');
    length = text.AppendAfter(length, chunk.c_str());
    EXPECT_EQ(length, 203u);
    EXPECT_EQ(TextOf(text), u"abc" + chunk);
    // 203 characters double the capacity from 128 to 256.
    EXPECT_EQ(text.Capacity(), 256u);
}

TEST(HeapStringAssign, NullLeavesTheTextAndEmptyClearsIt)
{
    HeapWideString text;
    text.Assign(u"abc");
    text.Assign(nullptr);
    EXPECT_EQ(TextOf(text), u"abc");
    text.Append(nullptr);
    EXPECT_EQ(TextOf(text), u"abc");
    text.Assign(u"");
    EXPECT_EQ(TextOf(text), u"");
}

TEST(HeapStringAssign, AssignIfDifferentReportsAChange)
{
    HeapWideString text;
    EXPECT_TRUE(text.AssignIfDifferent(u"Letter"));
    EXPECT_FALSE(text.AssignIfDifferent(u"Letter"));
    EXPECT_TRUE(text.AssignIfDifferent(u"letter"));
    EXPECT_EQ(TextOf(text), u"letter");
    EXPECT_EQ(Raised([&] { text.AssignIfDifferent(nullptr); }), E_FAIL);
}

TEST(HeapStringFormat, FormatsWithDotDecimalsAndReplacesTheText)
{
    HeapWideString text;
    text.Assign(u"old");
    text.Format(u"/PT_%ws_%u_%u.xml", u"FI", 12u, 7u);
    EXPECT_EQ(TextOf(text), u"/PT_FI_12_7.xml");
    text.Format(u"%.2f,%.6f", 1.5, -0.25);
    EXPECT_EQ(TextOf(text), u"1.50,-0.250000");

    HeapNarrowString narrow;
    std::string wide(300, 'w');
    narrow.Format("<%s>", wide.c_str());
    EXPECT_EQ(std::string(narrow.Text()), "<" + wide + ">");
    EXPECT_EQ(narrow.Capacity(), 512u);
}

TEST(HeapStringFormat, NullFormatIsInvalid)
{
    HeapWideString text;
    EXPECT_EQ(Raised([&] { text.Format(nullptr); }), E_INVALIDARG);
}

TEST(HeapStringFind, FindsFromStartAndRejectsBadStarts)
{
    HeapWideString text;
    EXPECT_EQ(text.Find(u"a", 0), -1);
    EXPECT_NE(text.Data(), nullptr);  // the search allocated the buffer

    text.Assign(u"abcabc");
    EXPECT_EQ(text.Find(u"bc", 0), 1);
    EXPECT_EQ(text.Find(u"bc", 2), 4);
    EXPECT_EQ(text.Find(u"bc", 5), -1);
    EXPECT_EQ(text.Find(u"x", 0), -1);
    EXPECT_EQ(text.Find(nullptr, 0), -1);
    EXPECT_EQ(text.Find(u"a", -1), -1);
    EXPECT_EQ(text.Find(u"a", 7), -1);
    // At the end only the empty text is found.
    EXPECT_EQ(text.Find(u"c", 6), -1);
    EXPECT_EQ(text.Find(u"", 6), 6);
}

TEST(HeapStringErase, ClampsNegativeValuesAndRejectsRangesPastTheEnd)
{
    HeapWideString text;
    text.Assign(u"abcdef");
    EXPECT_EQ(Raised([&] { text.Erase(2, 5); }), E_INVALIDARG);
    EXPECT_EQ(TextOf(text), u"abcdef");

    EXPECT_EQ(text.Erase(-1, 2), 4u);
    EXPECT_EQ(TextOf(text), u"cdef");
    EXPECT_EQ(text.Erase(1, -3), 4u);
    EXPECT_EQ(text.Erase(1, 2), 2u);
    EXPECT_EQ(TextOf(text), u"cf");
    EXPECT_EQ(text.Erase(0, 2), 0u);
    EXPECT_EQ(TextOf(text), u"");
}

TEST(HeapStringSubstring, CopiesTheRangeAndRejectsBadRanges)
{
    HeapWideString text;
    text.Assign(u"PageMediaSize");
    HeapWideString middle = text.Substring(4, 5);
    EXPECT_EQ(TextOf(middle), u"Media");
    HeapWideString whole = text.Substring(0, 13);
    EXPECT_EQ(TextOf(whole), u"PageMediaSize");
    HeapWideString none = text.Substring(13, 0);
    EXPECT_EQ(TextOf(none), u"");

    EXPECT_EQ(Raised([&] { text.Substring(-1, 2); }), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { text.Substring(0, -1); }), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { text.Substring(10, 4); }), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { text.Substring(14, 0); }), E_INVALIDARG);
}

TEST(HeapStringReplaceAll, ReplacementsAreNotRescanned)
{
    HeapWideString text;
    text.Assign(u"a&b&");
    EXPECT_EQ(text.ReplaceAll(u"&", u"&amp;"), 2u);
    EXPECT_EQ(TextOf(text), u"a&amp;b&amp;");
    // Four characters, two of them each growing by four.
    EXPECT_EQ(text.Length(), 12u);
}

TEST(HeapStringReplaceAll, ShrinkingOverlapsAndNothingToDo)
{
    HeapWideString text;
    text.Assign(u"aaaaa");
    // Non-overlapping, left to right: two matches, one 'a' left over.
    EXPECT_EQ(text.ReplaceAll(u"aa", u"b"), 2u);
    EXPECT_EQ(TextOf(text), u"bba");

    EXPECT_EQ(text.ReplaceAll(u"z", u"y"), 0u);
    EXPECT_EQ(TextOf(text), u"bba");
    EXPECT_EQ(text.ReplaceAll(u"b", nullptr), 2u);
    EXPECT_EQ(TextOf(text), u"a");

    HeapWideString empty;
    EXPECT_EQ(empty.ReplaceAll(u"a", u"b"), 0u);
}

TEST(HeapStringReplaceAll, GrowsOnceToTheFinalLength)
{
    HeapWideString text;
    std::u16string source(100, u'<');
    text.Assign(source.c_str());
    EXPECT_EQ(text.ReplaceAll(u"<", u"&lt;"), 100u);
    EXPECT_EQ(text.Length(), 400u);
    EXPECT_EQ(text.Capacity(), 512u);
    EXPECT_EQ(text.Find(u"<", 0), -1);
}

TEST(HeapStringNextToken, SkipsSeparatorsAndEndsWithMinusOne)
{
    HeapWideString text;
    text.Assign(u"1,,2,");
    ptrdiff_t position = 0;
    HeapWideString first = text.NextToken(u",", &position);
    EXPECT_EQ(TextOf(first), u"1");
    EXPECT_EQ(position, 2);
    HeapWideString second = text.NextToken(u",", &position);
    EXPECT_EQ(TextOf(second), u"2");
    EXPECT_EQ(position, 5);
    HeapWideString last = text.NextToken(u",", &position);
    EXPECT_EQ(TextOf(last), u"");
    EXPECT_EQ(position, -1);
}

TEST(HeapStringNextToken, LastTokenWithoutSeparatorAndBadArguments)
{
    HeapWideString text;
    text.Assign(u"A4 Letter");
    ptrdiff_t position = 3;
    HeapWideString token = text.NextToken(u" ", &position);
    EXPECT_EQ(TextOf(token), u"Letter");
    EXPECT_EQ(position, 9);
    HeapWideString after = text.NextToken(u" ", &position);
    EXPECT_EQ(TextOf(after), u"");
    EXPECT_EQ(position, -1);

    position = -1;
    EXPECT_EQ(Raised([&] { text.NextToken(u" ", &position); }), E_INVALIDARG);
    position = 0;
    EXPECT_EQ(Raised([&] { text.NextToken(u"", &position); }), E_INVALIDARG);
}

TEST(BoundedCopy, RejectsBadSizesBeforeCopying)
{
    WCHAR destination[8] = u"keep";
    EXPECT_EQ(Raised([&] { BoundedCopy<WCHAR>(destination, 0, u"abc", 3); }), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { BoundedCopy<WCHAR>(destination, 0x80000000u, u"abc", 3); }), E_INVALIDARG);
    EXPECT_EQ(Raised([&] { BoundedCopy<WCHAR>(destination, 8, u"abc", 0x7FFFFFFFu); }), E_INVALIDARG);
    EXPECT_EQ(std::u16string(destination), u"keep");
}

TEST(BoundedCopy, TooSmallDestinationRaisesAndStaysUnchanged)
{
    WCHAR destination[5] = u"keep";
    EXPECT_EQ(Raised([&] { BoundedCopy<WCHAR>(destination, 5, u"0123456789", 10); }), kInsufficientBuffer);
    EXPECT_EQ(std::u16string(destination), u"keep");
}

TEST(BoundedCopy, CapacityEqualToCountKeepsOneCharacterLess)
{
    char destination[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(Raised([&] { BoundedCopy<char>(destination, 4, "abcd", 4); }), kInsufficientBuffer);
    EXPECT_EQ(std::string(destination), "abc");
    // A source that ends earlier fits.
    EXPECT_EQ(Raised([&] { BoundedCopy<char>(destination, 4, "ab", 4); }), S_OK);
    EXPECT_EQ(std::string(destination), "ab");
}

TEST(BoundedCopy, CopiesUpToCountAndTerminates)
{
    char destination[8];
    BoundedCopy<char>(destination, 8, "abcdef", 3);
    EXPECT_EQ(std::string(destination), "abc");
    BoundedCopy<char>(destination, 8, nullptr, 3);
    EXPECT_EQ(std::string(destination), "");
}

TEST(HeapStringMove, MovesTheBufferAndFreesOnce)
{
    HeapWideString a;
    a.Assign(u"moved");
    const WCHAR* block = a.Data();
    HeapWideString b(std::move(a));
    EXPECT_EQ(b.Data(), block);
    EXPECT_EQ(a.Data(), nullptr);
    HeapWideString c;
    c.Assign(u"replaced");
    c = std::move(b);
    EXPECT_EQ(TextOf(c), u"moved");
}

}  // namespace
