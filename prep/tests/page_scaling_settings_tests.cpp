// The ticket the scaling leaves behind. (Reading the settings from the
// host's tickets is checked end to end, by what the scaled pages print.)
#include <gtest/gtest.h>

#include "page_scaling_settings.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

// CustomSquare-like scaling with the option's name, 50 %, offsets 0 and
// -12700, TopLeft, and PageScalingData with CorrectFixedPageSize On.
std::string CustomTicket(const std::string& option)
{
    return MakeTicket(
        Feature("psk:PageScaling", Option(option, ScoredRef("psk:Scale", "psk:PageScalingScale") +
                                                      ScoredRef("psk:OffsetWidth", "psk:PageScalingOffsetWidth") +
                                                      ScoredRef("psk:OffsetHeight", "psk:PageScalingOffsetHeight")) +
                                       Feature("psk:ScaleOffsetAlignment", Option("psk:TopLeft"))) +
        ParameterInit("psk:PageScalingScale", "50") + ParameterInit("psk:PageScalingOffsetWidth", "0") +
        ParameterInit("psk:PageScalingOffsetHeight", "-12700") +
        PropertyGroup("ns0000:PageScalingData", Property("ns0000:CorrectFixedPageSize", "On") +
                                                    Property("ns0000:FitToCustomPaperTemp", "300", "integer")));
}

class PageScalingSettingsTest : public TicketTest {};

TEST_F(PageScalingSettingsTest, TheResetTicketSaysNoneWithTheDefaultsAndNothingOfTheOldScaling)
{
    Wrap(CustomTicket("psk:CustomSquare"));
    ASSERT_EQ(WriteScalingSettings(*ticket, PageScalingSettings()), S_OK);
    testsupport::TicketMarkup markup(Saved());
    ASSERT_TRUE(markup.Parsed());
    const std::string feature = "/psf:PrintTicket/psf:Feature[@name='psk:PageScaling']";
    EXPECT_EQ(markup.Count(feature), 1);
    EXPECT_EQ(markup.Text(feature + "/psf:Option/@name"), "psk:None");
    EXPECT_EQ(markup.Count(feature + "/psf:Option/*"), 0);
    EXPECT_EQ(markup.Text(feature + "/psf:Feature[@name='psk:ScaleOffsetAlignment']/psf:Option/@name"), "psk:Center");
    const std::string paper = feature + "/psf:Feature[@name='ns0000:FitMediaSize']/psf:Option";
    EXPECT_EQ(markup.Text(paper + "/@name"), "psk:NorthAmericaLetter");
    EXPECT_EQ(markup.Text(paper + "/psf:ScoredProperty[@name='psk:FitMediaSizeWidth']/psf:Value"), "215900");
    EXPECT_EQ(markup.Text(paper + "/psf:ScoredProperty[@name='psk:FitMediaSizeHeight']/psf:Value"), "279400");
    EXPECT_EQ(markup.Count("//psf:ParameterInit"), 0);
    const std::string data = "/psf:PrintTicket/psf:Property[@name='ns0000:PageScalingData']";
    EXPECT_EQ(markup.Text(data + "/psf:Property[@name='ns0000:CorrectFixedPageSize']/psf:Value"), "Off");
    EXPECT_EQ(markup.Text(data + "/psf:Property[@name='ns0000:FitToCustomPaperTemp']/psf:Value"), "256");

    PageScalingSettings outside;
    outside.alignment = kAlignmentCount;
    EXPECT_EQ(WriteScalingSettings(*ticket, outside), E_INVALIDARG);
}

}  // namespace
