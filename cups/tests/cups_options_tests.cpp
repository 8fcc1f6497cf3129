#include <gtest/gtest.h>

#include <sstream>

#include "cups_options.h"
#include "filter_messages.h"

namespace tav::cups {
namespace {

TEST(CupsOptions, OutputFormatFollowsTheQueuesFinalType)
{
    EXPECT_EQ(OutputFormatForContentType("application/vnd.cups-pdf"), "pdf");
    EXPECT_EQ(OutputFormatForContentType("Application/PDF; charset=x"), "pdf");
    EXPECT_EQ(OutputFormatForContentType("image/pwg-raster"), "pwg");
    EXPECT_EQ(OutputFormatForContentType("application/vnd.cups-postscript"), std::nullopt);
    EXPECT_EQ(OutputFormatForContentType(""), std::nullopt);
}

TEST(CupsOptions, PpdDefaultsAreReadFromTheirLinesOnly)
{
    std::istringstream ppd(
        "*PPD-Adobe: \"4.3\"\n"
        "*DefaultPageSize: iso_a4_210x297mm\r\n"
        "*Defaultbooklet:   on  \n"
        "*DefaultColorSpace: RGB\n"
        "*DefaultResolution: \"600dpi\"\n"
        "*Default: broken\n"
        "*booklet on: \"\"\n");
    OptionList expected = {{"PageSize", "iso_a4_210x297mm"}, {"booklet", "on"}, {"ColorSpace", "RGB"}};
    EXPECT_EQ(ReadPpdDefaults(ppd), expected);
}

TEST(CupsOptions, JobOptionsWinOverPpdDefaultsAndCupsAttributesAreLeftOut)
{
    OptionList job = {{"job-uuid", "urn:uuid:1"},
                      {"number-up", "4"},
                      {"PageSize", "Letter"},
                      {"media", "iso_a5_148x210mm"},
                      {"watermark-text", "Custom.TOP SECRET"},
                      {"Duplex", "DuplexTumble"},
                      {"output-format", "trace"}};
    OptionList ppd = {{"PageSize", "iso_a4_210x297mm"},
                      {"Duplex", "DuplexNoTumble"},
                      {"number-up", "2"},
                      {"poster", "4"},
                      {"booklet", "off"},
                      {"divide-condition", "None"},
                      {"ColorSpace", "RGB"}};
    JobOptions merged = MergeJobOptions(job, ppd);
    // media from the job's own IPP name, not its PageSize; sides from the
    // job's Duplex; the PPD's poster; its booklet=off and None left out.
    OptionList expected = {{"number-up", "4"},
                           {"media", "iso_a5_148x210mm"},
                           {"watermark-text", "TOP SECRET"},
                           {"sides", "two-sided-short-edge"},
                           {"poster", "4"}};
    EXPECT_EQ(merged.options, expected);
    EXPECT_EQ(merged.ignored, (std::vector<std::string>{"job-uuid", "output-format"}));
}

TEST(CupsOptions, DefaultsTheSchedulerAddsDoNotOverrideWhatBookletImplies)
{
    OptionList job = {{"booklet", "on"},  {"number-up", "1"},         {"sides", "one-sided"},
                      {"Duplex", "None"}, {"watermark-text", "None"}, {"mirror", "None"}};
    // A dialog's "None" for an option without a default is no watermark.
    OptionList expected = {{"booklet", "on"}};
    EXPECT_EQ(MergeJobOptions(job, {{"number-up", "1"}}).options, expected);
    // A job's own default still overrides a PPD default: no booklet, no
    // two-sided from the queue.
    EXPECT_EQ(MergeJobOptions({{"booklet", "off"}, {"sides", "one-sided"}, {"Duplex", "DuplexTumble"}},
                              {{"booklet", "on"}, {"Duplex", "DuplexNoTumble"}})
                  .options,
              OptionList{});
}

TEST(CupsOptions, PpdStandardKeywordsStandForMediaAndSides)
{
    JobOptions merged =
        MergeJobOptions({{"Duplex", "Sideways"}}, {{"PageSize", "Letter"}, {"Duplex", "DuplexNoTumble"}});
    // An unknown Duplex choice is not a sides value: the PPD default applies.
    OptionList expected = {{"media", "Letter"}, {"sides", "two-sided-long-edge"}};
    EXPECT_EQ(merged.options, expected);
    EXPECT_EQ(merged.ignored, std::vector<std::string>{"Duplex"});
}

TEST(FilterMessages, OneLineWithEveryControlCharacterBlanked)
{
    EXPECT_EQ(MessageLine("ERROR", "a.xps: page 2\nINFO: forged\r\x7f"), "ERROR: a.xps: page 2 INFO: forged  ");
}

TEST(FilterMessages, FailuresNameTheDocumentRatherThanTheSpoolFile)
{
    EXPECT_EQ(NameDocumentInMessage("/var/spool/cups/d00012-001: Pages/1.fpage: bad", "/var/spool/cups/d00012-001",
                                    "report.xps"),
              "report.xps: Pages/1.fpage: bad");
    EXPECT_EQ(NameDocumentInMessage("standard input: not a zip archive", "-", "scan"), "scan: not a zip archive");
    // Another file named first, or no title: unchanged.
    EXPECT_EQ(NameDocumentInMessage("/tmp/logo.png: unreadable", "/spool/d1", "report"), "/tmp/logo.png: unreadable");
    EXPECT_EQ(NameDocumentInMessage("/spool/d1: bad", "/spool/d1", ""), "/spool/d1: bad");
}

TEST(FilterMessages, JobIdsArePositiveDecimalNumbers)
{
    EXPECT_EQ(ParseJobId("42"), 42u);
    EXPECT_EQ(ParseJobId("2147483647"), 2147483647u);
    for (const char* bad : {"0", "", "-1", "4x", "2147483648", "99999999999"})
        EXPECT_EQ(ParseJobId(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace tav::cups
