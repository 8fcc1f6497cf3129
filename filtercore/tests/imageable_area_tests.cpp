// The imageable area read from PrintCapabilities: those of the platform's
// default device (4233-micron margins on every side), and hand-made ones.
#include <gtest/gtest.h>

#include "filtercore/page_geometry.h"
#include "settings_test_support.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// Values no reader produces, to see which fields were written.
ImageableArea Untouched() { return {-7, -7, -7, -7, -7, -7}; }

void ExpectArea(const ImageableArea& area, const ImageableArea& expected)
{
    EXPECT_EQ(area.imageableSizeWidth, expected.imageableSizeWidth);
    EXPECT_EQ(area.imageableSizeHeight, expected.imageableSizeHeight);
    EXPECT_EQ(area.originWidth, expected.originWidth);
    EXPECT_EQ(area.originHeight, expected.originHeight);
    EXPECT_EQ(area.extentWidth, expected.extentWidth);
    EXPECT_EQ(area.extentHeight, expected.extentHeight);
}

class ImageableAreaReading : public TicketTest {
protected:
    ImageableArea ReadForA4(const char* orientation)
    {
        std::string a4 =
            MakeTicket(Feature("psk:PageMediaSize", Option("psk:ISOA4", Scored("psk:MediaSizeWidth", "210000") +
                                                                            Scored("psk:MediaSizeHeight", "297000"))) +
                       Feature("psk:PageOrientation", Option(std::string("psk:") + orientation)));
        ImageableArea area = Untouched();
        EXPECT_EQ(ReadImageableArea(Wrap(DeviceCapabilities(a4), u"PrintCapabilities"), &area), S_OK);
        return area;
    }
};

TEST_F(ImageableAreaReading, DefaultDeviceA4Portrait)
{
    // 210 x 297 mm less 4233 microns on each side: 201534 x 288534.
    ExpectArea(ReadForA4("Portrait"), {210000, 297000, 4233, 4233, 201534, 288534});
}

TEST_F(ImageableAreaReading, DefaultDeviceA4LandscapeIsGivenInTheContentsOrientation)
{
    ExpectArea(ReadForA4("Landscape"), {297000, 210000, 4233, 4233, 288534, 201534});
}

TEST_F(ImageableAreaReading, CapabilitiesWithoutImageableSizeLeaveEveryValue)
{
    ImageableArea area = Untouched();
    std::string other =
        PropertyGroup("psk:PageMediaSizeCapabilities", Property("psk:ImageableSizeWidth", "1", "integer"));
    EXPECT_EQ(ReadImageableArea(Wrap(MakeCapabilities(other), u"PrintCapabilities"), &area), kNotFound);
    ExpectArea(area, Untouched());
}

TEST_F(ImageableAreaReading, ValuesReadBeforeAMissingOneAreKept)
{
    std::string size = PropertyGroup(
        "psk:PageImageableSize", Property("psk:ImageableSizeWidth", "1000", "integer") +
                                     Property("psk:ImageableSizeHeight", "2000", "integer") +
                                     PropertyGroup("psk:ImageableArea", Property("psk:OriginWidth", "30", "integer")));
    ImageableArea area = Untouched();
    EXPECT_EQ(ReadImageableArea(Wrap(MakeCapabilities(size), u"PrintCapabilities"), &area), kNotFound);
    ExpectArea(area, {1000, 2000, 30, -7, -7, -7});
}

}  // namespace
