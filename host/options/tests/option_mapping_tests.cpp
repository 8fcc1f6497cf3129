// Each option's ticket markup is checked where the filter that reads the
// setting looks for it, in exactly the form it reads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "header_footer_formats.h"
#include "option_cases.h"
#include "test_support.h"
#include "ticket_query.h"

namespace {

constexpr char kPrivateUri[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";

std::string Describe(const Options& options)
{
    std::string text;
    for (const auto& [name, value] : options) text += " -o " + name + "=" + value;
    return text;
}

TEST(OptionMapping, EverySettingIsWhereItsReaderLooks)
{
    for (const OptionCase& row : OptionCases()) {
        SCOPED_TRACE(Describe(row.options) + " -> " + row.query);
        TicketQuery ticket(TicketFor(row.options));
        ASSERT_TRUE(ticket.Parsed());
        EXPECT_EQ(ticket.Read(row.query).value_or("(absent)"), ticket.Expand(row.expected));
        EXPECT_EQ(ticket.ValueType(row.query), row.type);
    }
}

TEST(OptionMapping, FreshTicketDeclaresItsNamespacesOnTheRoot)
{
    TicketQuery ticket(TicketFor({{"number-up", "2"}}));
    ASSERT_TRUE(ticket.Parsed());
    EXPECT_EQ(ticket.Count("/psf:PrintTicket[@version='1']"), 1);
    EXPECT_EQ(ticket.Expand("{k}"), "psk:");
    EXPECT_EQ(ticket.Expand("{p}"), "ns0000:");
    EXPECT_EQ(TicketQuery(TicketFor({{"reverse-image", "on"}})).NameUri(TAV_FEATURE("{p}PageReverseImage")),
              kPrivateUri);

    std::string markup = TicketFor({});
    EXPECT_TRUE(Contains(markup, "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""));
    EXPECT_TRUE(Contains(markup, "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""));
    EXPECT_EQ(TicketQuery(markup).Count("/psf:PrintTicket/*"), 0) << "no option, no setting";
}

TEST(OptionMapping, CustomSizeScoredPropertiesHoldOnlyParameterRefs)
{
    TicketQuery ticket(TicketFor({{"media", "custom_100x150mm"}}));
    const char* width = TAV_FEATURE("{k}PageMediaSize") "/psf:Option/psf:ScoredProperty[@name='{k}MediaSizeWidth']";
    EXPECT_EQ(ticket.Count(std::string(width) + "/*"), 1);
    EXPECT_EQ(ticket.Read(std::string(width) + "/psf:ParameterRef/@name"),
              ticket.Expand("{k}PageMediaSizeMediaSizeWidth"));
    EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:ParameterInit"), 2);
    EXPECT_EQ(ticket.Count("//psf:Property[@name='{p}PageMediaSizeData']/psf:Property"), 13);

    TicketQuery named(TicketFor({{"media", "A3"}}));
    EXPECT_EQ(named.Count("/psf:PrintTicket/psf:ParameterInit"), 0);
    EXPECT_EQ(named.Count("//psf:Property[@name='{p}PageMediaSizeData']"), 0) << "only custom sizes carry a unit";
}

TEST(OptionMapping, CountedSettingsSitInAnOptionWithoutName)
{
    TicketQuery ticket(TicketFor({{"number-up", "4"}, {"poster", "4"}}));
    for (const char* feature : {TAV_FEATURE("{k}JobNUpAllDocumentsContiguously"), TAV_FEATURE("{k}PagePoster")}) {
        EXPECT_EQ(ticket.Count(std::string(feature) + "/psf:Option"), 1) << feature;
        EXPECT_EQ(ticket.Count(std::string(feature) + "/psf:Option[@name]"), 0) << feature;
    }
}

TEST(OptionMapping, OneSidedCarriesNoDuplexMode)
{
    TicketQuery ticket(TicketFor({{"sides", "one-sided"}}));
    EXPECT_EQ(ticket.Count("//psf:ScoredProperty[@name='{k}DuplexMode']"), 0);
    EXPECT_EQ(ticket.Count("//psf:Property[@name='{p}DuplexModeSubData']"), 0);
}

// Readers of these groups stop at the first member they cannot read, so
// every member must be there, in the order they are read.
std::vector<std::string> MemberNames(const TicketQuery& ticket, const std::string& group, size_t count)
{
    std::vector<std::string> names;
    for (size_t i = 1; i <= count + 1; ++i) {
        auto name = ticket.Read(group + "/psf:Property[" + std::to_string(i) + "]/@name");
        if (name) names.push_back(*name);
    }
    return names;
}

std::vector<std::string> Prefixed(const TicketQuery& ticket, std::vector<std::string> names)
{
    for (std::string& name : names) name = ticket.Expand("{p}" + name);
    return names;
}

TEST(OptionMapping, GroupsHaveEveryMemberInReadingOrder)
{
    TicketQuery watermark(TicketFor({{"watermark-text", "A"}, {"watermark-first-text", "B"}}));
    std::vector<std::string> entry = {
        "ID",      "Type",    "PostionX",    "PostionY",        "FontColor",     "FontSize",
        "Text",    "Angle",   "FontName",    "FontItalicStyle", "FontBoldStyle", "Filename",
        "Scaling", "SubData", "BmpLightness"};
    for (const char* name : {"WatermarkSettings", "CustomWatermarkSettingsFirst", "CustomWatermarkSettingsOther"}) {
        std::string group = watermark.Expand(std::string(TAV_PROPERTY("{p}PageWatermarkData")) +
                                             "/psf:Property[@name='{p}" + name + "']");
        EXPECT_EQ(MemberNames(watermark, group, entry.size()), Prefixed(watermark, entry)) << name;
    }

    TicketQuery media(TicketFor({{"transverse", "on"}}));
    std::vector<std::string> paper = {"CustomUnitType", "TransverseMode", "ThicknessType", "UseFixedMargin",
                                      "DocMarginLeft",  "DocMarginRight", "DocMarginTop",  "DocMarginBottom",
                                      "OutMarginLeft",  "OutMarginRight", "OutMarginTop",  "OutMarginBottom",
                                      "CustomPaperTemp"};
    EXPECT_EQ(MemberNames(media, TAV_PROPERTY("{p}PageMediaSizeData"), paper.size()), Prefixed(media, paper));

    TicketQuery line(TicketFor({{"header-footer-id", "user"}}));
    std::vector<std::string> font = {"FontName",      "FontCharSet",   "FontItalicStyle", "FontBoldStyle",
                                     "FontUnderLine", "FontStruckOut", "FontSize",        "FontColor"};
    EXPECT_EQ(
        MemberNames(line, line.Expand(TAV_PROPERTY("{p}PageHeaderFooterData") "/psf:Property[@name='{p}FontSettings']"),
                    font.size()),
        Prefixed(line, font));
    EXPECT_EQ(MemberNames(line, TAV_PROPERTY("{p}PageHeaderFooterData"), 3),
              Prefixed(line, {"FontSettings", "IDPrintCustomName", "BackgroudColor"}));
}

TEST(OptionMapping, ImageWatermarkNamesTheFileByItsFullPath)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tav-options-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::path image = folder / "logo.png";
    std::ofstream(image) << "not really an image; only its name matters here";
    std::string canonical = std::filesystem::canonical(image).string();

    std::string relative = std::filesystem::relative(image).string();
    TicketQuery ticket(TicketFor({{"watermark-image", relative}, {"watermark-scale", "50"}}));
    std::string entry = TAV_PROPERTY("{p}PageWatermarkData") "/psf:Property[@name='{p}WatermarkSettings']";
    EXPECT_EQ(ticket.Read(entry + "/psf:Property[@name='{p}Type']"), "Bitmap");
    EXPECT_EQ(ticket.Read(entry + "/psf:Property[@name='{p}Filename']"), canonical);
    EXPECT_EQ(ticket.Read(entry + "/psf:Property[@name='{p}Text']"), "");
    EXPECT_EQ(ticket.Read(TAV_PROPERTY("{p}PageWatermarkData") "/psf:Property[@name='{p}Title']"), "logo.png");
    std::filesystem::remove_all(folder);

    std::string error = RefusalOf({{"watermark-image", (folder / "gone.png").string()}});
    EXPECT_TRUE(Contains(error, "watermark-image: value")) << error;
    EXPECT_TRUE(Contains(error, "cannot read")) << error;
}

TEST(OptionMapping, IssueExampleMakesNUpDuplexAndMedia)
{
    TicketQuery ticket(
        TicketFor({{"number-up", "4"}, {"sides", "two-sided-long-edge"}, {"media", "iso_a4_210x297mm"}}));
    ASSERT_TRUE(ticket.Parsed());
    EXPECT_EQ(
        ticket.Read(
            "//psf:Feature[@name='{k}JobNUpAllDocumentsContiguously']//psf:ScoredProperty[@name='{k}PagesPerSheet']"),
        "4");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}JobDuplexAllDocumentsContiguously']/psf:Option/@name"),
              ticket.Expand("{k}TwoSidedLongEdge"));
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}PageMediaSize']/psf:Option/@name"), ticket.Expand("{k}ISOA4"));
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}PageMediaSize']//psf:ScoredProperty[@name='{k}MediaSizeWidth']"),
              "210000");
    EXPECT_EQ(ticket.Read("//psf:Feature[@name='{k}PageMediaSize']//psf:ScoredProperty[@name='{k}MediaSizeHeight']"),
              "297000");
}

// The line is formatted printf-style with the values the data format names,
// numbers as integers and names as strings: a conversion that does not fit
// its value would break the filter, so each layout is checked conversion by
// conversion.
std::string ConversionKinds(std::string_view format)
{
    std::string kinds;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        size_t end = format.find_first_not_of("0123456789-+ #", i + 1);
        if (end == std::string_view::npos) return "malformed";
        if (format[end] == 'd')
            kinds += 'n';
        else if (format[end] == 's')
            kinds += 's';
        else if (format[end] != '%')
            return "unexpected conversion";
        i = end;
    }
    return kinds;
}

std::string ValueKinds(std::string_view dataFormat, std::string_view numbers, std::string_view names)
{
    std::string kinds;
    for (char letter : dataFormat) {
        if (numbers.find(letter) != std::string_view::npos)
            kinds += 'n';
        else if (names.find(letter) != std::string_view::npos)
            kinds += 's';
    }
    return kinds;
}

TEST(OptionMapping, DateAndTimeLayoutsFormatTheValuesTheyName)
{
    for (int type = 1; type <= tav::options::kLayoutTypes; ++type) {
        SCOPED_TRACE("Type" + std::to_string(type));
        const tav::options::DateTimeLayout& date = tav::options::DateLayout(type);
        std::string dateKinds = ValueKinds(date.dataFormat, "ymd", "MWw");
        EXPECT_EQ(ConversionKinds(date.stringFormat), dateKinds);
        EXPECT_GE(dateKinds.size(), 1u);
        EXPECT_LE(dateKinds.size(), 4u);
        const tav::options::DateTimeLayout& time = tav::options::TimeLayout(type);
        std::string timeKinds = ValueKinds(time.dataFormat, "hHms", "Aa");
        EXPECT_EQ(ConversionKinds(time.stringFormat), timeKinds);
        EXPECT_GE(timeKinds.size(), 1u);
        EXPECT_LE(timeKinds.size(), 4u);
    }
}

}  // namespace
