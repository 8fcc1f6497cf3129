// The layout filter's own ticket settings: the N-up request and the input
// bins read from hand-made tickets, and the N-up, bin, duplex and binding
// writers checked in the markup they leave and read back with the readers.
#include <gtest/gtest.h>

#include <utility>

#include "layout_settings.h"
#include "settings_test_support.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace settingstest;
using tickettest::MakeTicket;

std::string NUp(const std::string& pages, const std::string& direction, const std::string& border = "")
{
    std::string content = Option("", pages.empty() ? "" : Scored("psk:PagesPerSheet", pages));
    if (!direction.empty()) content += Feature("psk:PresentationDirection", Option(direction));
    if (!border.empty()) content += Feature("ns0000:BorderLine", Option(border));
    return Feature("psk:JobNUpAllDocumentsContiguously", content);
}

class LayoutSettings : public TicketTest {
protected:
    NUpSettings ReadNUpFrom(const std::string& body)
    {
        NUpSettings settings{5, 5, 5, 5};
        EXPECT_EQ(ReadNUp(Wrap(MakeTicket(body)), &settings), S_OK);
        return settings;
    }

    InputBinSettings ReadBinsFrom(const std::string& body)
    {
        InputBinSettings settings;
        settings.pageBin = settings.secondBin = 5;
        EXPECT_EQ(ReadInputBins(Wrap(MakeTicket(body)), &settings), S_OK);
        return settings;
    }
};

TEST_F(LayoutSettings, TheNUpRequestIsJobScopedOnlyWithACountAndADirection)
{
    NUpSettings bottomLeft = ReadNUpFrom(NUp("4", "psk:BottomLeft"));
    EXPECT_EQ(bottomLeft.scope, kSettingScopeJob);
    EXPECT_EQ(bottomLeft.pagesPerSheet, 4);
    EXPECT_EQ(bottomLeft.direction, kNUpBottomLeft);
    EXPECT_EQ(bottomLeft.border, 5);  // no BorderLine: the caller's value

    NUpSettings dashed = ReadNUpFrom(NUp("9", "psk:RightBottom", "ns0000:BreakLine"));
    EXPECT_EQ(dashed.direction, kNUpRightBottom);
    EXPECT_EQ(dashed.border, kNUpBorderDashed);

    // A count below 1 reads as 1 and leaves the scope as it was.
    NUpSettings zero = ReadNUpFrom(NUp("0", "psk:RightBottom"));
    EXPECT_EQ(zero.pagesPerSheet, 1);
    EXPECT_EQ(zero.scope, 5);

    // Without the direction, the count or the job feature the scope is none.
    EXPECT_EQ(ReadNUpFrom(NUp("4", "")).scope, kSettingScopeNone);
    EXPECT_EQ(ReadNUpFrom(NUp("", "psk:RightBottom")).scope, kSettingScopeNone);
    NUpSettings documentOnly = ReadNUpFrom(Feature("psk:DocumentNUp", Option("", Scored("psk:PagesPerSheet", "4"))));
    EXPECT_EQ(documentOnly.scope, kSettingScopeNone);
    EXPECT_EQ(documentOnly.pagesPerSheet, 5);
}

TEST_F(LayoutSettings, EachDirectionAndBorderNameGivesTheOptionTheSheetGeometryFollows)
{
    const std::pair<const char*, PresentationDirection> directions[] = {
        {"psk:RightBottom", PresentationDirection::RightBottom},
        {"psk:BottomRight", PresentationDirection::BottomRight},
        {"psk:LeftBottom", PresentationDirection::LeftBottom},
        {"psk:BottomLeft", PresentationDirection::BottomLeft},
    };
    for (auto [name, direction] : directions) EXPECT_EQ(DirectionOf(ReadNUpFrom(NUp("4", name))), direction) << name;
    const std::pair<const char*, BorderLineKind> borders[] = {
        {"ns0000:None", BorderLineKind::None},
        {"ns0000:SolidLine", BorderLineKind::Solid},
        {"ns0000:BreakLine", BorderLineKind::Dashed},
    };
    for (auto [name, border] : borders)
        EXPECT_EQ(BorderOf(ReadNUpFrom(NUp("4", "psk:RightBottom", name))), border) << name;
}

TEST_F(LayoutSettings, WriteNUpReplacesJobAndDocumentRequestsByOne)
{
    PrintTicketDom& ticket = Wrap(MakeTicket(NUp("4", "psk:BottomLeft") +
                                             Feature("psk:DocumentNUp", Option("", Scored("psk:PagesPerSheet", "2")))));
    NUpSettings onePerSheet{kSettingScopeJob, 1, kNUpRightBottom, kNUpBorderSolid};
    ASSERT_EQ(WriteNUp(ticket, onePerSheet), S_OK);
    testsupport::TicketMarkup markup(Saved());
    ASSERT_TRUE(markup.Parsed());
    const std::string feature = "/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
    EXPECT_EQ(markup.Count(feature), 1);
    EXPECT_EQ(markup.Count("//psf:Feature[@name='psk:DocumentNUp']"), 0);
    EXPECT_EQ(markup.Count(feature + "/psf:Option[@name]"), 0);
    EXPECT_EQ(markup.Text(feature + "/psf:Option/psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value"), "1");
    EXPECT_EQ(markup.Text(feature + "/psf:Feature[@name='psk:PresentationDirection']/psf:Option/@name"),
              "psk:RightBottom");
    EXPECT_EQ(markup.Text(feature + "/psf:Feature[@name='ns0000:BorderLine']/psf:Option/@name"), "ns0000:SolidLine");

    // A count below 1 leaves no request at all.
    ASSERT_EQ(WriteNUp(ticket, NUpSettings{}), S_OK);
    EXPECT_EQ(testsupport::TicketMarkup(Saved()).Count(feature), 0);
}

TEST_F(LayoutSettings, BinsCountOnlyInTheNamespaceTheirNameBelongsTo)
{
    InputBinSettings wrongNamespace = ReadBinsFrom(Feature("psk:PageInputBin", Option("psk:Tray1")));
    EXPECT_EQ(wrongNamespace.pageBin, kBinAutoSelect);
    InputBinSettings manual = ReadBinsFrom(Feature("psk:PageInputBin", Option("psk:Manual")) +
                                           Feature("ns0000:JobInput2ndBin", Option("ns0000:MPTray")));
    EXPECT_EQ(manual.pageBin, 10);
    EXPECT_EQ(manual.secondBin, 11);
    EXPECT_FALSE(manual.secondBinInvalid);
    InputBinSettings unknown = ReadBinsFrom(Feature("ns0000:JobInput2ndBin", Option("psk:Tray2")));
    EXPECT_EQ(unknown.secondBin, kBinSameTray);
    EXPECT_EQ(unknown.pageBin, 5);
}

TEST_F(LayoutSettings, WrittenBinsReadBackAndSayWhenTheSecondBinIsInvalid)
{
    PrintTicketDom& ticket = Wrap(MakeTicket(Feature("psk:PageInputBin", Option("psk:Manual"))));
    InputBinSettings written;
    written.pageBin = 3;  // Tray2
    written.secondBin = 0;
    ASSERT_EQ(WriteInputBins(ticket, written), S_OK);
    testsupport::TicketMarkup plain(Saved());
    EXPECT_EQ(plain.Count("//psf:Feature[@name='psk:PageInputBin']"), 1);
    EXPECT_EQ(plain.Text("//psf:Feature[@name='psk:PageInputBin']/psf:Option/@name"), "ns0000:Tray2");
    EXPECT_EQ(plain.Text("//psf:Feature[@name='ns0000:JobInput2ndBin']/psf:Option/@name"), "psk:AutoSelect");
    EXPECT_EQ(plain.Count("//psf:Property[@name='ns0000:PageInputBinData']"), 0);

    written.secondBinInvalid = TRUE;
    ASSERT_EQ(WriteInputBins(ticket, written), S_OK);
    InputBinSettings read;
    ASSERT_EQ(ReadInputBins(ticket, &read), S_OK);
    EXPECT_EQ(read.pageBin, 3);
    EXPECT_EQ(read.secondBin, 0);
    EXPECT_TRUE(read.secondBinInvalid);
}

TEST_F(LayoutSettings, ShortEdgeDuplexWithoutModeIsWrittenWithItsTraySeparationOnly)
{
    PrintTicketDom& ticket = Wrap(MakeTicket(Feature("psk:JobDuplexAllDocumentsContiguously", Option("psk:OneSided")) +
                                             Feature("psk:DocumentDuplex", Option("psk:OneSided"))));
    DuplexSettings duplex{kSettingScopeJob, kDuplexShortEdge, kDuplexModeNone, FALSE, kDuplexModeNone};
    ASSERT_EQ(WriteDuplex(ticket, duplex), S_OK);
    testsupport::TicketMarkup markup(Saved());
    const std::string feature = "//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']";
    EXPECT_EQ(markup.Text(feature + "/psf:Option/@name"), "psk:TwoSidedShortEdge");
    EXPECT_EQ(markup.Count(feature + "//psf:ScoredProperty"), 0);
    EXPECT_EQ(markup.Count("//psf:Feature[@name='psk:DocumentDuplex']"), 0);
    const std::string data = "//psf:Property[@name='ns0000:JobDuplexData']";
    EXPECT_EQ(markup.Count(data + "/psf:Property"), 1);
    EXPECT_EQ(markup.Text(data + "/psf:Property[@name='ns0000:TraySeparationMode']/psf:Value"), "DuplexPrintFirstPage");

    DuplexSettings manual{kSettingScopeJob, kDuplexLongEdgeManual, kDuplexModeManual, TRUE, kDuplexModeManual};
    ASSERT_EQ(WriteDuplex(ticket, manual), S_OK);
    DuplexSettings read;
    ASSERT_EQ(ReadDuplex(ticket, &read), S_OK);
    EXPECT_EQ(read.kind, kDuplexLongEdgeManual);
    EXPECT_EQ(read.mode, kDuplexModeManual);
    EXPECT_TRUE(read.firstPaper);
    EXPECT_EQ(read.subMode, kDuplexModeManual);
    EXPECT_EQ(WriteDuplex(ticket, DuplexSettings{kSettingScopeJob, 5}), E_INVALIDARG);
}

TEST_F(LayoutSettings, AWrittenBindingReadsBackWithItsGutterAndControls)
{
    PrintTicketDom& ticket = Wrap(MakeTicket(Feature("psk:JobBindAllDocuments", Option("psk:Booklet"))));
    BindingSettings binding;
    binding.scope = kSettingScopeJob;
    binding.option = kBindLeft;
    binding.gutter = 10000;
    binding.gutterControl = 0;
    binding.sheetsPerSet = 3;
    ASSERT_EQ(WriteBinding(ticket, binding), S_OK);
    testsupport::TicketMarkup markup(Saved());
    EXPECT_EQ(markup.Count("//psf:Feature[@name='psk:JobBindAllDocuments']"), 1);
    EXPECT_EQ(markup.Text("//psf:Feature[@name='psk:JobBindAllDocuments']/psf:Option/@name"), "psk:BindLeft");
    EXPECT_EQ(markup.Text("//psf:Feature[@name='ns0000:BindingGutterControl']/psf:Option/@name"), "ns0000:Off");

    BindingSettings read;
    read.option = kBindTop;
    read.sheetsPerSet = 0;
    ASSERT_EQ(ReadBinding(ticket, &read), S_OK);
    EXPECT_EQ(read.option, kBindLeft);
    EXPECT_EQ(read.gutter, 10000);
    EXPECT_EQ(read.gutterControl, 0);
    EXPECT_EQ(read.sheetsPerSet, 3);
    EXPECT_EQ(WriteBinding(ticket, BindingSettings{kSettingScopeJob, 6}), E_INVALIDARG);
}

}  // namespace
