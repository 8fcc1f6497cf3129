// The ticket's StringFormat applied to the values its DataFormat named:
// formats that fit the values, and hostile ones, which must print as text.
#include <gtest/gtest.h>

#include "string_format.h"

namespace {

FormatValues Values(FormatValue a = {}, FormatValue b = {}, FormatValue c = {}, FormatValue d = {})
{
    return {a, b, c, d};
}

const FormatValue kNone;

TEST(StringFormat, FormatsNumbersAndNamesWithFlagsWidthAndPrecision)
{
    EXPECT_EQ(ApplyStringFormat(u"%d/%02d/%02d",
                                Values(FormatValue::Number(2026), FormatValue::Number(3), FormatValue::Number(8))),
              u"2026/03/08");
    EXPECT_EQ(ApplyStringFormat(u"[%-6s|%.3s|%+d|%x]", Values(FormatValue::Name(u"March"), FormatValue::Name(u"March"),
                                                              FormatValue::Number(5), FormatValue::Number(255))),
              u"[March |Mar|+5|ff]");
    EXPECT_EQ(ApplyStringFormat(u"%5s%%", Values(FormatValue::Name(u"PM"))), u"   PM%");
    EXPECT_EQ(ApplyStringFormat(u"%d", Values(FormatValue::Number(-38))), u"-38");
}

TEST(StringFormat, ValuesNotFilledPrintAsZeroOrEmptyByTheirConversion)
{
    EXPECT_EQ(ApplyStringFormat(u"%d|%s|%05d|%s.", Values()), u"0||00000|.");
    EXPECT_EQ(ApplyStringFormat(u"%s %02d:%02d", Values(FormatValue::Name(u"PM"), FormatValue::Number(14))),
              u"PM 14:00");
}

TEST(StringFormat, ConversionsThatDoNotFitTheirValueStandAsText)
{
    auto numbers = Values(FormatValue::Number(2026), FormatValue::Number(3), FormatValue::Number(8));
    // What would read a string or write through a pointer with printf.
    EXPECT_EQ(ApplyStringFormat(u"%s%s%n", numbers), u"%s%s%n");
    EXPECT_EQ(ApplyStringFormat(u"%s", numbers), u"%s");
    EXPECT_EQ(ApplyStringFormat(u"%d", Values(FormatValue::Name(u"March"))), u"%d");
    // Each conversion still takes its value: the one after a bad one gets the second.
    EXPECT_EQ(ApplyStringFormat(u"%s-%d", numbers), u"%s-3");
    EXPECT_EQ(ApplyStringFormat(u"%k %c %ld %p %f %d", numbers), u"%k %c %ld %p %f %d");
    // A fifth conversion has no value.
    EXPECT_EQ(ApplyStringFormat(u"%d %d %d %d %d", Values(FormatValue::Number(1), FormatValue::Number(2),
                                                          FormatValue::Number(3), FormatValue::Number(4))),
              u"1 2 3 4 %d");
}

TEST(StringFormat, PercentSignsThatStartNoConversionStandAsText)
{
    auto one = Values(FormatValue::Number(7));
    EXPECT_EQ(ApplyStringFormat(u"%*d %d", one), u"%*d 7");
    EXPECT_EQ(ApplyStringFormat(u"100%", one), u"100%");
    EXPECT_EQ(ApplyStringFormat(u"%-.", one), u"%-.");
    EXPECT_EQ(ApplyStringFormat(u"%\u00e9%d", one), u"%\u00e97");
    EXPECT_EQ(ApplyStringFormat(nullptr, one), u"");
    EXPECT_EQ(ApplyStringFormat(u"", one), u"");
}

TEST(StringFormat, WidthsAndPrecisionsAreBounded)
{
    auto one = Values(FormatValue::Number(7));
    EXPECT_EQ(ApplyStringFormat(u"%999d", one).size(), 999u);
    EXPECT_EQ(ApplyStringFormat(u"%1000d", one), u"%1000d");
    EXPECT_EQ(ApplyStringFormat(u"%.2147483648d", one), u"%.2147483648d");
    EXPECT_EQ(ApplyStringFormat(u"%0999999999999s", Values(FormatValue::Name(u"x"))), u"%0999999999999s");
}

}  // namespace
