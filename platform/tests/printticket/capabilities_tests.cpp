// PrintCapabilities: the device's options and the imageable area of the
// ticket's page in each orientation, read the way the filters read it.
#include <string>

#include "page_geometry.h"
#include "platform/bstr.h"
#include "platform/wformat.h"
#include "ticket_test_support.h"

namespace tav::testing {
namespace {

using printticket::ComputeImageableArea;
using printticket::ImageableArea;
using printticket::Margins;
using printticket::Orientation;

std::string Orientated(const char* orientation, const std::string& more = "")
{
    return Ticket(std::string("<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:") + orientation +
                  "\"/></psf:Feature>" + more);
}

// The six values as the filters read them from PageImageableSize.
ImageableArea ReadImageableArea(const std::string& capabilities)
{
    TicketMarkup document(capabilities);
    const std::string size = "//psf:Property[@name=\"psk:PageImageableSize\"]";
    const std::string area = size + "/psf:Property[@name=\"psk:ImageableArea\"]";
    auto value = [&](const std::string& parent, const char* name) {
        std::string text = document.Text(parent + "/psf:Property[@name=\"psk:" + name + "\"]/psf:Value");
        return text.empty() ? -1 : std::stoi(text);
    };
    EXPECT_EQ(document.Text(size + "/psf:Property[@name=\"psk:ImageableSizeWidth\"]/psf:Value/@xsi:type"),
              "xsd:integer");
    return {value(size, "ImageableSizeWidth"), value(size, "ImageableSizeHeight"), value(area, "OriginWidth"),
            value(area, "OriginHeight"),       value(area, "ExtentWidth"),         value(area, "ExtentHeight")};
}

TEST(Capabilities, ImageableAreaOfA4TurnsWithTheOrientation)
{
    Provider provider;
    // 210000 - 2 x 4233 = 201534 and 297000 - 2 x 4233 = 288534.
    ImageableArea portrait{210000, 297000, 4233, 4233, 201534, 288534};
    ImageableArea landscape{297000, 210000, 4233, 4233, 288534, 201534};
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), "")), portrait);
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), Orientated("Portrait"))), portrait);
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), Orientated("Landscape"))), landscape);
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), Orientated("ReverseLandscape"))), landscape);
}

// The filters stand in for capabilities they cannot read with margins of
// kDefaultDeviceMarginMicrons: they must be the default device's own.
TEST(Capabilities, DefaultDeviceHasTheMarginsTheFiltersStandInWith)
{
    Provider provider;
    ImageableArea area = ReadImageableArea(Capabilities(provider.Get(), ""));
    EXPECT_EQ(area.originWidth, kDefaultDeviceMarginMicrons);
    EXPECT_EQ(area.originHeight, kDefaultDeviceMarginMicrons);
    EXPECT_EQ(area.imageableSizeWidth - area.originWidth - area.extentWidth, kDefaultDeviceMarginMicrons);
    EXPECT_EQ(area.imageableSizeHeight - area.originHeight - area.extentHeight, kDefaultDeviceMarginMicrons);
}

TEST(Capabilities, ImageableAreaOfNamedAndCustomSizes)
{
    Provider provider;
    std::string letter = Ticket(
        "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:NorthAmericaLetter\"/>"
        "</psf:Feature>");
    // 215900 - 8466 = 207434, 279400 - 8466 = 270934.
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), letter)),
              (ImageableArea{215900, 279400, 4233, 4233, 207434, 270934}));

    std::string custom =
        "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
        "<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef name=\"psk:PageMediaSizeMediaSizeWidth\"/>"
        "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\">"
        "<psf:ParameterRef name=\"psk:PageMediaSizeMediaSizeHeight\"/></psf:ScoredProperty></psf:Option></psf:Feature>"
        "<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">100000"
        "</psf:Value></psf:ParameterInit><psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\">"
        "<psf:Value xsi:type=\"xsd:integer\">150000</psf:Value></psf:ParameterInit>";
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), Ticket(custom))),
              (ImageableArea{100000, 150000, 4233, 4233, 91534, 141534}));
    EXPECT_EQ(ReadImageableArea(Capabilities(provider.Get(), Orientated("Landscape", custom))),
              (ImageableArea{150000, 100000, 4233, 4233, 141534, 91534}));
}

// Margins left 1000, top 2000, right 3000, bottom 4000 on a 100000 x 200000
// medium, worked out for each orientation by turning the sheet by hand.
TEST(PageGeometry, MarginsTurnWithTheContent)
{
    Margins margins{1000, 2000, 3000, 4000};
    EXPECT_EQ(ComputeImageableArea(100000, 200000, margins, Orientation::Portrait),
              (ImageableArea{100000, 200000, 1000, 2000, 96000, 194000}));
    // Turned a quarter counter-clockwise, the medium's bottom edge is the
    // content's left, its left edge the content's top.
    EXPECT_EQ(ComputeImageableArea(100000, 200000, margins, Orientation::Landscape),
              (ImageableArea{200000, 100000, 4000, 1000, 194000, 96000}));
    EXPECT_EQ(ComputeImageableArea(100000, 200000, margins, Orientation::ReverseLandscape),
              (ImageableArea{200000, 100000, 2000, 3000, 194000, 96000}));
    EXPECT_EQ(ComputeImageableArea(100000, 200000, margins, Orientation::ReversePortrait),
              (ImageableArea{100000, 200000, 3000, 4000, 96000, 194000}));
    // Margins wider than the medium leave an empty area, never a negative one.
    EXPECT_EQ(ComputeImageableArea(3000, 200000, margins, Orientation::Portrait),
              (ImageableArea{3000, 200000, 1000, 2000, 0, 194000}));
}

TEST(Capabilities, ListsTheDeviceOptions)
{
    Provider provider;
    std::string text = Capabilities(provider.Get(), "");
    TicketMarkup capabilities(text);
    ASSERT_TRUE(capabilities.Parsed());
    EXPECT_EQ(capabilities.Text("/psf:PrintCapabilities/@version"), "1");
    EXPECT_EQ(capabilities.RootPrefix(kFramework), "psf");
    EXPECT_EQ(capabilities.RootPrefix(kKeywords), "psk");
    EXPECT_EQ(capabilities.RootPrefix(kPrivate), "ns0000");
    EXPECT_EQ(capabilities.RootPrefix("http://www.w3.org/2001/XMLSchema-instance"), "xsi");
    EXPECT_EQ(capabilities.RootPrefix("http://www.w3.org/2001/XMLSchema"), "xsd");

    const std::string media = "//psf:Feature[@name='psk:PageMediaSize']";
    // Twelve media and the custom size.
    EXPECT_EQ(capabilities.Count(media + "/psf:Option"), 13);
    EXPECT_EQ(capabilities.Text(media + "/psf:Option[@name='psk:JISB5']/psf:ScoredProperty[@name='psk:MediaSizeWidth']"
                                        "/psf:Value"),
              "182000");
    EXPECT_EQ(capabilities.Text(media + "/psf:Option[@name='psk:NorthAmericaExecutive']"
                                        "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"),
              "266700");
    EXPECT_EQ(capabilities.Text(media + "/psf:Option[@name='psk:CustomMediaSize']"
                                        "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:ParameterRef/@name"),
              "psk:PageMediaSizeMediaSizeWidth");
    const std::string widthDef = "//psf:ParameterDef[@name='psk:PageMediaSizeMediaSizeWidth']";
    EXPECT_EQ(capabilities.Text(widthDef + "/psf:Property[@name='psf:MinValue']/psf:Value"), "76200");
    EXPECT_EQ(capabilities.Text(widthDef + "/psf:Property[@name='psf:MaxValue']/psf:Value"), "297000");
    EXPECT_EQ(capabilities.Text("//psf:ParameterDef[@name='psk:PageMediaSizeMediaSizeHeight']"
                                "/psf:Property[@name='psf:MaxValue']/psf:Value"),
              "431800");

    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageOrientation']/psf:Option"), 4);
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']/psf:Option"), 3);
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']"
                                 "/psf:Option[@name='psk:TwoSidedLongEdge']"),
              1);
    const std::string resolution = "//psf:Feature[@name='psk:PageResolution']";
    EXPECT_EQ(capabilities.Count(resolution + "/psf:Option"), 5);
    EXPECT_EQ(capabilities.Text(resolution + "/psf:Option[5]/psf:ScoredProperty[@name='psk:ResolutionY']/psf:Value"),
              "1200");
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageInputBin']/psf:Option"), 12);
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageInputBin']/psf:Option[@name='psk:Manual']"), 1);
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageInputBin']/psf:Option[@name='ns0000:MPTray']"), 1);
}

TEST(Capabilities, MalformedTicketIsRefused)
{
    Provider provider;
    StreamPtr ticket(TextStream("<psf:PrintTicket"));
    StreamPtr result(EmptyStream());
    BSTR message = nullptr;
    EXPECT_EQ(PTGetPrintCapabilities(provider.Get(), ticket.get(), result.get(), &message), E_PRINTTICKET_FORMAT);
    EXPECT_NE(message, nullptr);
    SysFreeString(message);
    EXPECT_EQ(StreamText(result.get()), "");
}

}  // namespace
}  // namespace tav::testing
