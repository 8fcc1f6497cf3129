// Reading the scaling settings from tickets written as the host writes
// them, and the ticket the scaling leaves behind.
#include <gtest/gtest.h>

#include "page_scaling_settings.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

std::string Scaling(const std::string& option, const std::string& content)
{
    return Feature("psk:PageScaling",
                   Option(option, content) + Feature("psk:ScaleOffsetAlignment", Option("psk:TopLeft")));
}

std::string CustomValues(int scale, int offsetWidth, int offsetHeight)
{
    return ParameterInit("psk:PageScalingScale", std::to_string(scale)) +
           ParameterInit("psk:PageScalingOffsetWidth", std::to_string(offsetWidth)) +
           ParameterInit("psk:PageScalingOffsetHeight", std::to_string(offsetHeight));
}

const std::string kCustomRefs = ScoredRef("psk:Scale", "psk:PageScalingScale") +
                                ScoredRef("psk:OffsetWidth", "psk:PageScalingOffsetWidth") +
                                ScoredRef("psk:OffsetHeight", "psk:PageScalingOffsetHeight");

std::string ScalingData(const std::string& correct)
{
    return PropertyGroup("ns0000:PageScalingData", Property("ns0000:ScalePrintableArea", "Off") +
                                                       Property("ns0000:CorrectFixedPageSize", correct) +
                                                       Property("ns0000:FitToCustomPaperTemp", "300", "integer"));
}

class PageScalingSettingsTest : public TicketTest {};

TEST_F(PageScalingSettingsTest, CustomScalingAndFitToPaperAreReadWithTheirValues)
{
    PageScalingSettings custom;
    Wrap(MakeTicket(Scaling("psk:CustomSquare", kCustomRefs) + CustomValues(50, 0, -12700) + ScalingData("On")));
    ASSERT_EQ(ReadScalingSettings(*ticket, &custom), S_OK);
    EXPECT_EQ(custom.option, kScalingCustomSquare);
    EXPECT_EQ(custom.scale, 50);
    EXPECT_EQ(custom.offsetWidth, 0);
    EXPECT_EQ(custom.offsetHeight, -12700);
    EXPECT_EQ(custom.alignment, kAlignTopLeft);
    EXPECT_TRUE(custom.correctFixedPageSize);
    EXPECT_FALSE(custom.scalePrintableArea);
    EXPECT_EQ(custom.fitToCustomPaperTemp, 300);

    PageScalingSettings fit;
    std::string paper = Feature(
        "ns0000:FitMediaSize",
        Option("psk:ISOA4", Scored("psk:FitMediaSizeWidth", "210000") + Scored("psk:FitMediaSizeHeight", "297000")));
    Wrap(MakeTicket(Feature("psk:PageScaling", Option("ns0000:FitToPaper") + paper)));
    ASSERT_EQ(ReadScalingSettings(*ticket, &fit), S_OK);
    EXPECT_EQ(fit.option, kScalingFitToPaper);
    EXPECT_EQ(Text(fit.fitMedia.MediaName()), "ISOA4");
    EXPECT_EQ(fit.fitMedia.width, 210000);
    EXPECT_EQ(fit.fitMedia.height, 297000);
    EXPECT_FALSE(fit.fitMedia.nameIsPrivate);
    EXPECT_EQ(fit.scale, 100);
    EXPECT_EQ(fit.offsetWidth, 4233);
    EXPECT_EQ(fit.alignment, kAlignCenter);
    EXPECT_FALSE(fit.correctFixedPageSize);
}

TEST_F(PageScalingSettingsTest, AnOptionOfNoRowKeepsTheDefaultsButStillReadsTheScalingData)
{
    PageScalingSettings settings;
    Wrap(MakeTicket(Scaling("psk:ShrinkALittle", kCustomRefs) + CustomValues(50, 0, 0) + ScalingData("On")));
    ASSERT_EQ(ReadScalingSettings(*ticket, &settings), S_OK);
    EXPECT_EQ(settings.option, kScalingNone);
    EXPECT_EQ(settings.scale, 100);
    EXPECT_EQ(settings.offsetWidth, 4233);
    EXPECT_EQ(settings.offsetHeight, 4233);
    EXPECT_EQ(settings.alignment, kAlignCenter);
    EXPECT_TRUE(settings.correctFixedPageSize);
}

TEST_F(PageScalingSettingsTest, TheResetTicketSaysNoneWithTheDefaultsAndNothingOfTheOldScaling)
{
    Wrap(MakeTicket(Scaling("psk:CustomSquare", kCustomRefs) + CustomValues(50, 0, 0) + ScalingData("On")));
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
    EXPECT_EQ(markup.Count(data), 1);
    EXPECT_EQ(markup.Text(data + "/psf:Property[@name='ns0000:CorrectFixedPageSize']/psf:Value"), "Off");
    EXPECT_EQ(markup.Text(data + "/psf:Property[@name='ns0000:FitToCustomPaperTemp']/psf:Value"), "256");
    EXPECT_EQ(markup.Count(data + "/psf:Property[@name='ns0000:ScalePrintableArea']"), 0);
}

TEST_F(PageScalingSettingsTest, WrittenCustomScalingReadsBackAndOptionsOutsideTheTablesAreRefused)
{
    PageScalingSettings written;
    written.option = kScalingCustomSquare;
    written.scale = 75;
    written.offsetWidth = 1000;
    written.offsetHeight = -2000;
    written.alignment = kAlignBottomRight;
    Wrap(MakeTicket(""));
    ASSERT_EQ(WriteScalingSettings(*ticket, written), S_OK);
    PageScalingSettings read;
    Wrap(Saved());
    ASSERT_EQ(ReadScalingSettings(*ticket, &read), S_OK);
    EXPECT_EQ(read.option, kScalingCustomSquare);
    EXPECT_EQ(read.scale, 75);
    EXPECT_EQ(read.offsetWidth, 1000);
    EXPECT_EQ(read.offsetHeight, -2000);
    EXPECT_EQ(read.alignment, kAlignBottomRight);

    written.option = kScalingOptionCount;
    EXPECT_EQ(WriteScalingSettings(*ticket, written), E_INVALIDARG);
    written.option = kScalingNone;
    written.alignment = -1;
    EXPECT_EQ(WriteScalingSettings(*ticket, written), E_INVALIDARG);
}

}  // namespace
