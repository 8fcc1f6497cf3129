// Validation of merged tickets against the default device: what it cannot
// do is replaced by its defaults, incomplete settings are completed, and
// private settings are kept as they are.
#include <string>

#include "ticket_test_support.h"

namespace tav::testing {
namespace {

std::string MediaFeature(const std::string& option, const std::string& content = "")
{
    return "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"" + option + "\">" + content +
           "</psf:Option></psf:Feature>";
}

std::string IntegerScored(const char* name, const std::string& value)
{
    return std::string("<psf:ScoredProperty name=\"psk:") + name + "\"><psf:Value xsi:type=\"xsd:integer\">" + value +
           "</psf:Value></psf:ScoredProperty>";
}

std::string CustomSize(const std::string& width, const std::string& height)
{
    return MediaFeature("psk:CustomMediaSize",
                        "<psf:ScoredProperty name=\"psk:MediaSizeWidth\">"
                        "<psf:ParameterRef name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
                        "<psf:ScoredProperty name=\"psk:MediaSizeHeight\">"
                        "<psf:ParameterRef name=\"psk:PageMediaSizeMediaSizeHeight\"/></psf:ScoredProperty>") +
           "<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">" + width +
           "</psf:Value></psf:ParameterInit>"
           "<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">" +
           height + "</psf:Value></psf:ParameterInit>";
}

class TicketValidation : public ::testing::Test {
protected:
    MergeOutcome MergeOverDefault(const std::string& deltaBody)
    {
        return Merge(provider_.Get(), DefaultTicket(provider_.Get()), Ticket(deltaBody));
    }

    Provider provider_;
};

const char kMediaOption[] = "//psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name";
const char kMediaWidth[] = "//psf:Feature[@name='psk:PageMediaSize']//psf:ScoredProperty[@name='psk:MediaSizeWidth']";
const char kMediaHeight[] = "//psf:Feature[@name='psk:PageMediaSize']//psf:ScoredProperty[@name='psk:MediaSizeHeight']";

TEST_F(TicketValidation, UnknownMediumIsReplacedByTheDefaultMedium)
{
    for (const char* unknown : {"psk:ISOA0", "ns0000:ISOA4"}) {
        SCOPED_TRACE(unknown);
        MergeOutcome merged = MergeOverDefault(MediaFeature(unknown));
        EXPECT_EQ(merged.hr, S_PT_CONFLICT_RESOLVED);
        TicketMarkup result(merged.result);
        EXPECT_EQ(result.Text(kMediaOption), "psk:ISOA4");
        EXPECT_EQ(result.Text(std::string(kMediaWidth) + "/psf:Value"), "210000");
        EXPECT_EQ(result.Text(std::string(kMediaHeight) + "/psf:Value"), "297000");
    }
}

TEST_F(TicketValidation, KnownMediumGetsTheDeviceSize)
{
    // No sizes at all: completed.
    MergeOutcome bare = MergeOverDefault(MediaFeature("psk:ISOA3"));
    EXPECT_EQ(bare.hr, S_PT_CONFLICT_RESOLVED);
    TicketMarkup bareResult(bare.result);
    EXPECT_EQ(bareResult.Text(kMediaOption), "psk:ISOA3");
    EXPECT_EQ(bareResult.Text(std::string(kMediaWidth) + "/psf:Value"), "297000");
    EXPECT_EQ(bareResult.Text(std::string(kMediaHeight) + "/psf:Value"), "420000");

    // A wrong width is corrected, the right height kept, once each.
    MergeOutcome wrong = MergeOverDefault(MediaFeature(
        "psk:JISB5", IntegerScored("MediaSizeWidth", "176000") + IntegerScored("MediaSizeHeight", "257000")));
    EXPECT_EQ(wrong.hr, S_PT_CONFLICT_RESOLVED);
    TicketMarkup wrongResult(wrong.result);
    EXPECT_EQ(wrongResult.Count(kMediaWidth), 1);
    EXPECT_EQ(wrongResult.Count(kMediaHeight), 1);
    EXPECT_EQ(wrongResult.Text(std::string(kMediaWidth) + "/psf:Value"), "182000");
    EXPECT_EQ(wrongResult.Text(std::string(kMediaHeight) + "/psf:Value"), "257000");

    MergeOutcome right =
        MergeOverDefault(MediaFeature("psk:NorthAmericaLegal", IntegerScored("MediaSizeWidth", "215900") +
                                                                   IntegerScored("MediaSizeHeight", "355600")));
    EXPECT_EQ(right.hr, S_PT_NO_CONFLICT);

    // Width and height exchanged: the medium fed transversely, kept as it is.
    MergeOutcome turned =
        MergeOverDefault(MediaFeature("psk:NorthAmericaLetter", IntegerScored("MediaSizeWidth", "279400") +
                                                                    IntegerScored("MediaSizeHeight", "215900")));
    EXPECT_EQ(turned.hr, S_PT_NO_CONFLICT);
    TicketMarkup turnedResult(turned.result);
    EXPECT_EQ(turnedResult.Text(std::string(kMediaWidth) + "/psf:Value"), "279400");
    EXPECT_EQ(turnedResult.Text(std::string(kMediaHeight) + "/psf:Value"), "215900");
}

TEST_F(TicketValidation, CustomSizeWithinTheLimitsIsKept)
{
    MergeOutcome merged = MergeOverDefault(CustomSize("100000", "150000"));
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Text(kMediaOption), "psk:CustomMediaSize");
    EXPECT_EQ(result.Text("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeWidth']/psf:Value"), "100000");

    // The largest custom size turned for transverse feed: 431800 is beyond
    // the widest custom width, but the size is the allowed one exchanged.
    MergeOutcome turned = MergeOverDefault(CustomSize("431800", "297000"));
    EXPECT_EQ(turned.hr, S_PT_NO_CONFLICT) << turned.message;
    EXPECT_EQ(TicketMarkup(turned.result).Text(kMediaOption), "psk:CustomMediaSize");
}

TEST_F(TicketValidation, CustomSizeOutsideTheLimitsIsReplaced)
{
    // The default device takes 76200 to 297000 by 127000 to 431800 microns.
    for (auto [width, height] : {std::pair{"500000", "150000"}, std::pair{"100000", "100000"},
                                 std::pair{"76199", "200000"}, std::pair{"abc", "200000"}}) {
        SCOPED_TRACE(width);
        MergeOutcome merged = MergeOverDefault(CustomSize(width, height));
        EXPECT_EQ(merged.hr, S_PT_CONFLICT_RESOLVED);
        TicketMarkup result(merged.result);
        EXPECT_EQ(result.Text(kMediaOption), "psk:ISOA4");
        EXPECT_EQ(result.Count("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeWidth']"), 0);
        EXPECT_EQ(result.Count("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeHeight']"), 0);
    }
    EXPECT_EQ(MergeOverDefault(CustomSize("76200", "431800")).hr, S_PT_NO_CONFLICT);
}

std::string Resolution(const std::string& option, const std::string& x, const std::string& y)
{
    std::string content;
    if (!x.empty()) content += IntegerScored("ResolutionX", x);
    if (!y.empty()) content += IntegerScored("ResolutionY", y);
    return "<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"" + option + "\">" + content +
           "</psf:Option></psf:Feature>";
}

TEST_F(TicketValidation, ResolutionTheDeviceLacksBecomesTheDefault)
{
    const char kX[] =
        "//psf:Feature[@name='psk:PageResolution']//psf:ScoredProperty[@name='psk:ResolutionX']/psf:Value";
    const char kY[] =
        "//psf:Feature[@name='psk:PageResolution']//psf:ScoredProperty[@name='psk:ResolutionY']/psf:Value";
    for (auto [x, y] : {std::pair{"1200", "600"}, std::pair{"720", "720"}, std::pair{"300", ""}}) {
        SCOPED_TRACE(std::string(x) + "x" + y);
        MergeOutcome merged = MergeOverDefault(Resolution("ns0000:Fine", x, y));
        EXPECT_EQ(merged.hr, S_PT_CONFLICT_RESOLVED);
        TicketMarkup result(merged.result);
        EXPECT_EQ(result.Text(kX), "600");
        EXPECT_EQ(result.Text(kY), "600");
    }
    MergeOutcome kept = MergeOverDefault(Resolution("ns0000:Draft", "300", "300"));
    EXPECT_EQ(kept.hr, S_PT_NO_CONFLICT);
    EXPECT_EQ(TicketMarkup(kept.result).Text(kX), "300");
    // An option given by its name alone gets its values.
    MergeOutcome named = MergeOverDefault(Resolution("ns0000:Resolution1200", "", ""));
    EXPECT_EQ(named.hr, S_PT_CONFLICT_RESOLVED);
    TicketMarkup namedResult(named.result);
    EXPECT_EQ(namedResult.Text(kX), "1200");
    EXPECT_EQ(namedResult.Text(kY), "1200");
}

TEST_F(TicketValidation, OptionsTheDeviceLacksAreReplacedOrRemoved)
{
    MergeOutcome merged = MergeOverDefault(
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Sideways\"/></psf:Feature>"
        "<psf:Feature name=\"psk:PageInputBin\"><psf:Option name=\"psk:Tray1\"/></psf:Feature>"
        "<psf:Feature name=\"psk:DocumentInputBin\"><psf:Option name=\"ns0000:Tray9\"/></psf:Feature>");
    EXPECT_EQ(merged.hr, S_PT_CONFLICT_RESOLVED);
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Text("//psf:Feature[@name='psk:PageOrientation']/psf:Option/@name"), "psk:Portrait");
    // Tray1 is a private bin; in the keywords namespace it is unknown.
    EXPECT_EQ(result.Text("//psf:Feature[@name='psk:PageInputBin']/psf:Option/@name"), "psk:AutoSelect");
    // The default ticket has no DocumentInputBin to put in its place.
    EXPECT_EQ(result.Count("//psf:Feature[@name='psk:DocumentInputBin']"), 0);

    MergeOutcome allowed = MergeOverDefault(
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:ReverseLandscape\"/></psf:Feature>"
        "<psf:Feature name=\"psk:PageInputBin\"><psf:Option name=\"ns0000:Tray1\"/></psf:Feature>"
        "<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\"><psf:Option name=\"psk:TwoSidedShortEdge\"/>"
        "</psf:Feature>");
    EXPECT_EQ(allowed.hr, S_PT_NO_CONFLICT) << allowed.message;
}

TEST_F(TicketValidation, CopyCountsAreBroughtIntoRange)
{
    auto copies = [&](const std::string& value) {
        MergeOutcome merged = MergeOverDefault(
            "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">" + value +
            "</psf:Value></psf:ParameterInit>");
        return std::pair(
            merged.hr,
            TicketMarkup(merged.result).Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"));
    };
    EXPECT_EQ(copies("12"), std::pair(S_PT_NO_CONFLICT, std::string("12")));
    EXPECT_EQ(copies("0"), std::pair(S_PT_CONFLICT_RESOLVED, std::string("1")));
    EXPECT_EQ(copies("5000"), std::pair(S_PT_CONFLICT_RESOLVED, std::string("999")));
    EXPECT_EQ(copies("99999999999999999999999"), std::pair(S_PT_CONFLICT_RESOLVED, std::string("1")));
    EXPECT_EQ(copies("two"), std::pair(S_PT_CONFLICT_RESOLVED, std::string("1")));
}

TEST_F(TicketValidation, SettingsTheDeviceDoesNotDescribeAreKept)
{
    std::string privateSettings =
        "<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option>"
        "<psf:ScoredProperty name=\"psk:PagesPerSheet\"><psf:Value xsi:type=\"xsd:integer\">4</psf:Value>"
        "</psf:ScoredProperty></psf:Option>"
        "<psf:Feature name=\"ns0000:BorderLine\"><psf:Option name=\"ns0000:Nonsense\"/></psf:Feature></psf:Feature>"
        "<psf:Feature name=\"ns0000:PageReverseImage\"><psf:Option name=\"ns0000:Whatever\"/></psf:Feature>"
        "<psf:ParameterInit name=\"ns0000:JobBindBookletDivideSheets\"><psf:Value xsi:type=\"xsd:integer\">-5"
        "</psf:Value></psf:ParameterInit>"
        "<psf:Property name=\"ns0000:PageMediaSizeData\"><psf:Property name=\"ns0000:CustomPaperTemp\">"
        "<psf:Value xsi:type=\"xsd:integer\">256</psf:Value></psf:Property></psf:Property>";
    MergeOutcome merged = MergeOverDefault(privateSettings);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Text("//psf:Feature[@name='ns0000:BorderLine']/psf:Option/@name"), "ns0000:Nonsense");
    EXPECT_EQ(result.Text("//psf:Feature[@name='ns0000:PageReverseImage']/psf:Option/@name"), "ns0000:Whatever");
    EXPECT_EQ(result.Text("//psf:ParameterInit[@name='ns0000:JobBindBookletDivideSheets']/psf:Value"), "-5");
    EXPECT_EQ(result.Text("//psf:Property[@name='ns0000:CustomPaperTemp']/psf:Value"), "256");
    EXPECT_EQ(result.Text("//psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value"), "4");
}

}  // namespace
}  // namespace tav::testing
