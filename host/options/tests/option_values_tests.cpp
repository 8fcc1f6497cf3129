// Values: numbers, lengths, media, texts, and what a refused value says.
#include <gtest/gtest.h>

#include "media_table.h"
#include "numbers.h"
#include "option_table.h"
#include "test_support.h"
#include "text_checks.h"

namespace {

using tav::options::Parsed;

int Microns(const std::string& text, int min = 0, int max = 1000000)
{
    int microns = -999;
    bool inches = false;
    return tav::options::ParseLength(text, min, max, &microns, &inches) == Parsed::Ok ? microns : -999;
}

TEST(OptionValues, LengthsBecomeMicrons)
{
    EXPECT_EQ(Microns("10mm"), 10000);
    EXPECT_EQ(Microns("0.5in"), 12700);
    EXPECT_EQ(Microns("72pt"), 25400);
    EXPECT_EQ(Microns("1pt"), 353);  // 352.78 rounded
    EXPECT_EQ(Microns(".25mm"), 250);
    EXPECT_EQ(Microns("-2mm", -5000, 5000), -2000);
    for (const char* malformed : {"10", "mm", "1e3mm", "+5mm", "5.mm", "1,5mm", "10 mm", "0x10mm", "nanmm"})
        EXPECT_EQ(Microns(malformed), -999) << malformed;

    int microns = 0;
    bool inches = false;
    EXPECT_EQ(tav::options::ParseLength("51mm", 0, 50000, &microns, &inches), Parsed::OutOfRange);
    EXPECT_EQ(tav::options::ParseLength("99999999999999999999in", 0, 50000, &microns, &inches), Parsed::OutOfRange);
    EXPECT_EQ(tav::options::ParseLength("2in", 0, 100000, &microns, &inches), Parsed::Ok);
    EXPECT_TRUE(inches);
}

TEST(OptionValues, IntegersAreWholeDecimals)
{
    long long value = 0;
    EXPECT_TRUE(tav::options::ParseInteger("-50", &value));
    EXPECT_EQ(value, -50);
    for (const char* malformed : {"", "-", "+5", "5 ", "0x10", "1.0", "99999999999999999999"})
        EXPECT_FALSE(tav::options::ParseInteger(malformed, &value)) << malformed;
}

TEST(OptionValues, MediaNamesAndCustomSizes)
{
    tav::options::MediaSize media;
    ASSERT_EQ(tav::options::ParseMedia("letter", &media), Parsed::Ok);
    EXPECT_EQ(media.keyword, "NorthAmericaLetter");
    ASSERT_EQ(tav::options::ParseMedia("custom_8.5x11in", &media), Parsed::Ok);
    EXPECT_TRUE(media.custom);
    EXPECT_TRUE(media.inches);
    EXPECT_EQ(media.width, 215900);
    EXPECT_EQ(media.height, 279400);
    EXPECT_EQ(tav::options::ParseMedia("custom_0x100mm", &media), Parsed::OutOfRange);
    EXPECT_EQ(tav::options::ParseMedia("custom_100x2001mm", &media), Parsed::OutOfRange);
    for (const char* malformed : {"custom_100x100pt", "custom_100mm", "custom_x100mm", "iso_a4", "A44", ""})
        EXPECT_EQ(tav::options::ParseMedia(malformed, &media), Parsed::Malformed) << malformed;
}

TEST(OptionValues, TextsMustBeCleanUtf8)
{
    size_t units = 0;
    EXPECT_TRUE(tav::options::IsCleanText("Entw\xC3\xBCrf \xE2\x82\xAC \xF0\x9F\x98\x80", &units));
    EXPECT_EQ(units, 12u);  // eleven characters, the last one in two units
    for (const char* bad :
         {"a\x01", "tab\there", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xEF\xBF\xBE", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(tav::options::IsCleanText(bad, &units)) << bad;

    EXPECT_TRUE(Contains(RefusalOf({{"watermark-text", ""}}), "needs a text"));
    EXPECT_TRUE(Contains(RefusalOf({{"watermark-text", std::string(1025, 'x')}}), "longer than 1024 bytes"));
    // A face name must have fewer than 32 UTF-16 units.
    TicketFor({{"watermark-text", "A"}, {"watermark-font", std::string(31, 'F')}});
    EXPECT_TRUE(Contains(RefusalOf({{"watermark-text", "A"}, {"watermark-font", std::string(32, 'F')}}), "too long"));
    std::string sixteenEmoji;
    for (int i = 0; i < 16; ++i) sixteenEmoji += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(Contains(RefusalOf({{"header-footer-id", "user"}, {"header-footer-font", sixteenEmoji}}), "too long"));
}

TEST(OptionValues, RefusalsNameTheOptionAndListWhatItAccepts)
{
    EXPECT_EQ(RefusalOf({{"number-up", "3"}}), "number-up: unknown value \"3\"; accepted values: 1 2 4 6 9 16 25");
    EXPECT_EQ(RefusalOf({{"sides", "sideways"}}),
              "sides: unknown value \"sideways\"; accepted values: one-sided two-sided-long-edge two-sided-short-edge");
    EXPECT_EQ(RefusalOf({{"booklet-sheets-per-set", "0"}}),
              "booklet-sheets-per-set: value \"0\" is out of range; accepted values: all SHEETS(1..100)");
    EXPECT_EQ(RefusalOf({{"binding-gutter", "2in"}}),
              "binding-gutter: value \"2in\" is out of range; accepted values: LENGTH(0mm..50mm)");
    EXPECT_TRUE(
        Contains(RefusalOf({{"print-scaling", "custom:0"}}), "print-scaling: value \"custom:0\" is out of range"));
    EXPECT_TRUE(Contains(RefusalOf({{"orientation-requested", "7"}}),
                         "portrait landscape reverse-landscape "
                         "reverse-portrait 3 4 5 6"));
    EXPECT_TRUE(Contains(RefusalOf({{"media", "A0"}}), "iso_a4_210x297mm"));
    EXPECT_TRUE(Contains(RefusalOf({{"watermark-color", "red"}}), "#RRGGBB"));

    std::string unknown = RefusalOf({{"nosuch", "1"}});
    EXPECT_TRUE(Contains(unknown, "unknown option \"nosuch\"")) << unknown;
    EXPECT_TRUE(Contains(unknown, "; tavpipe options lists them")) << unknown;
    EXPECT_TRUE(Contains(RefusalOf({{"bookelt", "on"}}), "unknown option \"bookelt\"; did you mean booklet?"));
}

TEST(OptionValues, EveryDefaultIsAnAcceptedValue)
{
    for (const tav::options::OptionSpec& spec : tav::options::OptionTable()) {
        if (spec.defaultValue.empty()) continue;
        std::string ticket;
        std::string error;
        EXPECT_TRUE(
            BuildJobTicket({{std::string(spec.name), std::string(spec.defaultValue)}}, "", &ticket, nullptr, &error))
            << error;
    }
}

}  // namespace
