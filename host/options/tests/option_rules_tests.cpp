// Dependent options are made consistent, and ineffective values reported.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ticket_query.h"

namespace {

constexpr char kDuplexOption[] = "//psf:Feature[@name='{k}JobDuplexAllDocumentsContiguously']/psf:Option/@name";
constexpr char kPagesPerSheet[] =
    "//psf:Feature[@name='{k}JobNUpAllDocumentsContiguously']//psf:ScoredProperty[@name='{k}PagesPerSheet']";
constexpr char kBindingOption[] = "//psf:Feature[@name='{k}JobBindAllDocuments']/psf:Option/@name";

bool AnyContains(const std::vector<std::string>& lines, const std::string& part)
{
    for (const std::string& line : lines) {
        if (Contains(line, part)) return true;
    }
    return false;
}

TEST(OptionRules, BookletImpliesShortEdgeDuplexAndTwoUp)
{
    for (const char* booklet : {"on", "reverse"}) {
        std::vector<std::string> warnings;
        TicketQuery ticket(TicketFor({{"booklet", booklet}}, "", &warnings));
        EXPECT_TRUE(warnings.empty());
        EXPECT_EQ(ticket.Read(kDuplexOption), ticket.Expand("{k}TwoSidedShortEdge")) << booklet;
        EXPECT_EQ(ticket.Read(kPagesPerSheet), "2") << booklet;
    }
    TicketQuery off(TicketFor({{"booklet", "off"}}));
    EXPECT_EQ(off.Count(kDuplexOption), 0);
    EXPECT_EQ(off.Count(kPagesPerSheet), 0);
}

TEST(OptionRules, BookletKeepsGivenValuesButWarnsOfTheOverride)
{
    std::vector<std::string> warnings;
    TicketQuery ticket(TicketFor({{"booklet", "on"}, {"sides", "one-sided"}}, "", &warnings));
    EXPECT_EQ(ticket.Read(kDuplexOption), ticket.Expand("{k}OneSided"));
    EXPECT_EQ(ticket.Read(kPagesPerSheet), "2");
    EXPECT_EQ(ticket.Read(kBindingOption), ticket.Expand("{k}Booklet"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(AnyContains(warnings, "sides=one-sided the filters print no booklet"));
    // Booklet spreads are two pages a side: another number-up is refused.
    for (const char* pages : {"1", "4", "16"}) {
        std::string error = RefusalOf({{"booklet", "on"}, {"number-up", pages}});
        EXPECT_EQ(error, "booklet=on lays out two pages per sheet side; number-up=" + std::string(pages) +
                             " cannot go with it: give number-up=2 or none");
    }

    warnings.clear();
    TicketFor({{"booklet", "on"}, {"sides", "two-sided-long-edge"}}, "", &warnings);
    EXPECT_TRUE(AnyContains(warnings, "sides=two-sided-long-edge"));

    warnings.clear();
    TicketFor({{"booklet", "on"}, {"sides", "two-sided-short-edge"}, {"number-up", "2"}}, "", &warnings);
    EXPECT_TRUE(warnings.empty());
}

TEST(OptionRules, BookletIsTheBinding)
{
    std::vector<std::string> warnings;
    TicketQuery ticket(
        TicketFor({{"booklet", "reverse"}, {"binding", "top"}, {"binding-gutter", "5mm"}}, "", &warnings));
    EXPECT_EQ(ticket.Read(kBindingOption), ticket.Expand("{p}BookletReverseFlip"));
    EXPECT_EQ(ticket.Read("//psf:ScoredProperty[@name='{k}BindingGutter']"), "5000");
    EXPECT_TRUE(AnyContains(warnings, "binding=top has no effect with booklet=reverse"));
}

TEST(OptionRules, SubordinateOptionsWithoutTheirMainOptionAreIgnored)
{
    struct Case {
        Options options;
        const char* warning;
        const char* absent;  // the setting that is not written
    };
    const Case cases[] = {
        {{{"duplex-mode", "manual"}}, "duplex-mode=manual has no effect without sides", kDuplexOption},
        {{{"number-up-layout", "tblr"}, {"page-border", "single"}},
         "number-up-layout=tblr has no effect without number-up",
         kPagesPerSheet},
        {{{"booklet-sheets-per-set", "5"}}, "booklet-sheets-per-set=5 has no effect without booklet", kBindingOption},
        {{{"scale-offset", "1mm,1mm"}},
         "scale-offset=1mm,1mm has no effect without print-scaling",
         "//psf:Feature[@name='{k}PageScaling']"},
        {{{"watermark-size", "40"}},
         "watermark-size=40 has no effect without watermark-text or watermark-image",
         "//psf:Feature[@name='{k}PageWatermark']"},
        {{{"header-footer-font", "Courier"}},
         "header-footer-font=Courier has no effect without header-footer",
         "//psf:Feature[@name='{p}PageHeaderFooter']"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.warning);
        std::vector<std::string> warnings;
        TicketQuery ticket(TicketFor(test.options, "", &warnings));
        EXPECT_TRUE(AnyContains(warnings, test.warning));
        EXPECT_EQ(ticket.Count(test.absent), 0);
    }
}

TEST(OptionRules, InactiveMainOptionLeavesItsSubordinatesAtTheirDefaults)
{
    std::vector<std::string> warnings;
    TicketQuery ticket(
        TicketFor({{"sides", "one-sided"}, {"duplex-mode", "manual"}, {"poster", "none"}, {"poster-cut-lines", "on"}},
                  "", &warnings));
    EXPECT_TRUE(AnyContains(warnings, "duplex-mode=manual has no effect with sides=one-sided"));
    EXPECT_TRUE(AnyContains(warnings, "poster-cut-lines=on has no effect with poster=none"));
    EXPECT_EQ(ticket.Read(
                  "//psf:Feature[@name='{k}PagePoster']/psf:Feature[@name='{p}PagePrintCutOutLine']/psf:Option/@name"),
              ticket.Expand("{p}Off"));
}

TEST(OptionRules, HeaderFooterItemsTurnTheLineOn)
{
    const char* line = "//psf:Feature[@name='{p}PageHeaderFooter']/psf:Option/@name";
    std::vector<std::string> warnings;
    TicketQuery implied(TicketFor({{"header-footer-time", "type2"}}, "", &warnings));
    EXPECT_EQ(implied.Read(line), implied.Expand("{p}On"));
    EXPECT_TRUE(warnings.empty());

    TicketQuery off(TicketFor({{"header-footer", "off"}, {"header-footer-date", "type1"}}, "", &warnings));
    EXPECT_EQ(off.Read(line), off.Expand("{p}Off"));
    EXPECT_EQ(off.Read("//psf:Feature[@name='{p}DateFormat']/psf:Option/@name"), off.Expand("{p}None"));
    EXPECT_TRUE(AnyContains(warnings, "header-footer-date=type1 has no effect with header-footer=off"));

    warnings.clear();
    TicketFor({{"header-footer", "on"}}, "", &warnings);
    EXPECT_TRUE(AnyContains(warnings, "prints nothing"));
}

TEST(OptionRules, ExclusiveWatermarkSourcesAreRefused)
{
    std::string error = RefusalOf({{"watermark-text", "A"}, {"watermark-image", "/proc/self/exe"}});
    EXPECT_TRUE(Contains(error, "watermark-text and watermark-image exclude each other")) << error;
}

TEST(OptionRules, LaterSettingOfAnOptionWins)
{
    TicketQuery ticket(TicketFor({{"number-up", "2"}, {"number-up", "16"}}));
    EXPECT_EQ(ticket.Read(kPagesPerSheet), "16");
}

}  // namespace
