// FinisherPageWriter on pages held in test parts: the markup written is
// compared with text worked out by hand for each turn, flip and the cut-out
// lines.
#include <gtest/gtest.h>

#include <string>

#include "finisher_test_support.h"

namespace finishertest {
namespace {

const std::string kPath = "<Path Data=\"M 0,0 L 10,10\" Fill=\"#FF0000\"/>";

// The default device's area on Letter portrait, in microns.
constexpr ImageableArea kLetterArea = {215900, 279400, 4233, 4233, 207434, 270934};
// That area as the clip canvas writes it: 4233 / 264.58, 207434 / 264.58
// and 270934 / 264.58 with two decimals.
const std::string kLetterClip = "<Canvas Clip=\"M 16.00,16.00 h 784.01 v 1024.02 h -784.01 v -1024.02 z\" >";
// The twelve marks 0.64 inside it: left and top 16.64, right 799.37,
// bottom 1039.37, marks 782.73 / 15 = 52.18 wide and 1022.74 / 15 = 68.18
// high, the edge middles at 16.64 + 511.37 - 34.09 = 493.92 (down) and
// 16.64 + 391.37 - 26.09 = 381.91 (across).
const std::string kLetterMarks =
    "<Path Stroke=\"#000000\" StrokeThickness=\"0.32\" Data=\""
    "M 16.64,16.64 v 68.18 M 16.64,16.64 h 52.18 "
    "M 799.37,16.64 v 68.18 M 799.37,16.64 h -52.18 "
    "M 16.64,1039.37 v -68.18 M 16.64,1039.37 h 52.18 "
    "M 799.37,1039.37 v -68.18 M 799.37,1039.37 h -52.18 "
    "M 16.64,493.92 v 68.18 M 799.37,493.92 v 68.18 "
    "M 381.91,16.64 h 52.18 M 381.91,1039.37 h 52.18 \" />";

class FinisherPageWriterTest : public ::testing::Test {
protected:
    // The page rewritten with the settings; a test failure when it fails.
    std::string Finish(const std::string& markup)
    {
        Rewritten page = RewritePage(markup, settings);
        EXPECT_EQ(page.result, S_OK);
        return page.markup;
    }

    ComApartment com;
    PrintTicketManager manager;
    FinisherSettings settings{manager, u"urn:private"};
};

std::string Xmlns() { return std::string("<FixedPage xmlns=\"") + kXpsNamespace + "\""; }

TEST_F(FinisherPageWriterTest, TransverseFeedTurnsAPortraitPageAndItsBoxes)
{
    settings.rotationKind = kTransverseTurned;
    std::string page =
        Finish(FixedPage("Width=\"816\" Height=\"1056\" xml:lang=\"en-US\" "
                         "ContentBox=\"10,20,100,50\" BleedBox=\"0,0,816,1056\"",
                         kPath));
    // The other attributes first, then the size, BleedBox and ContentBox
    // written anew; the ContentBox turned with the content to
    // (1056 - 20 - 50, 10, 50, 100).
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " xml:lang=\"en-US\" Width=\"1056.00\" Height=\"816.00\""
                        " BleedBox=\"0.00,0.00,1056.00,816.00\" ContentBox=\"986.00,10.00,50.00,100.00\">"
                        "<Canvas RenderTransform=\"0,1,-1,0,1056.00,0\">" +
                        kPath + "</Canvas></FixedPage>");
}

TEST_F(FinisherPageWriterTest, ReverseImageAloneTurnsTheContentHalfRoundOnTheSamePage)
{
    settings.mirrorKind = kHalfTurn;
    std::string page = Finish(FixedPage("Width=\"816\" Height=\"1056\"", kPath));
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " Width=\"816.00\" Height=\"1056.00\">"
                        "<Canvas RenderTransform=\"-1,0,0,-1,816.00,1056.00\">" +
                        kPath + "</Canvas></FixedPage>");
}

TEST_F(FinisherPageWriterTest, EachTurnAndFlipWritesItsMatrix)
{
    struct Case {
        RotationKind rotation;
        MirrorKind mirror;
        const char* matrix;
    };
    // For a 612 x 792 page (W x H as read).
    const Case cases[] = {
        {kTransverseTurned, kFlipAcrossWidth, "0,-1,-1,0,792.00,612.00"},
        {kTransverseTurned, kFlipAcrossHeight, "0,1,1,0,0,0"},
        {kTransverseTurned, kHalfTurn, "0,-1,1,0,0,612.00"},
        {kNoTransverseFeed, kFlipAcrossWidth, "-1,0,0,1,612.00,0"},
        {kNoTransverseFeed, kFlipAcrossHeight, "1,0,0,-1,0,792.00"},
        {kTransverseLandscape, kFlipAcrossWidth, "-1,0,0,1,612.00,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.matrix);
        settings.rotationKind = c.rotation;
        settings.mirrorKind = c.mirror;
        std::string page = Finish(FixedPage("Height=\"792\" Width=\"612\"", ""));
        std::string size = c.rotation == kTransverseTurned ? " Width=\"792.00\" Height=\"612.00\""
                                                           : " Width=\"612.00\" Height=\"792.00\"";
        EXPECT_EQ(page, kDeclaration + Xmlns() + size + "><Canvas RenderTransform=\"" + c.matrix +
                            "\"></Canvas></FixedPage>");
    }
}

TEST_F(FinisherPageWriterTest, AnEmptyPageStillGetsItsCanvasesOpenedAndClosed)
{
    settings.mirrorKind = kFlipAcrossWidth;
    settings.cutOutLines = TRUE;
    settings.imageableArea = kLetterArea;
    std::string page =
        Finish(std::string("<FixedPage xmlns=\"") + kXpsNamespace + "\" Width=\"816\" Height=\"1056\"/>");
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " Width=\"816.00\" Height=\"1056.00\">"
                        "<Canvas RenderTransform=\"-1,0,0,1,816.00,0\">" +
                        kLetterClip + "</Canvas>" + kLetterMarks + "</Canvas></FixedPage>");
}

TEST_F(FinisherPageWriterTest, CutOutLinesClipTheContentAndDrawTheMarksOutsideTheClip)
{
    settings.cutOutLines = TRUE;
    settings.imageableArea = kLetterArea;
    std::string page = Finish(
        FixedPage("Width=\"816\" Height=\"1056\" ContentBox=\"10,20,100,50\"", "<Canvas>" + kPath + "</Canvas>"));
    // Nothing turns: no transform canvas, the box as it was.
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " Width=\"816.00\" Height=\"1056.00\""
                        " ContentBox=\"10.00,20.00,100.00,50.00\">" +
                        kLetterClip + "<Canvas>" + kPath + "</Canvas></Canvas>" + kLetterMarks + "</FixedPage>");
}

TEST_F(FinisherPageWriterTest, PageResourcesBelongToTheTransformCanvas)
{
    settings.rotationKind = kTransverseTurned;
    std::string resources = "<ResourceDictionary><SolidColorBrush x:Key=\"b\" Color=\"#00FF00\"/></ResourceDictionary>";
    std::string page = Finish(FixedPage(
        "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" Width=\"816\" Height=\"1056\"",
        "<FixedPage.Resources>" + resources +
            "</FixedPage.Resources><Path Data=\"M 0,0 h 5\" Fill=\"{StaticResource b}\"/>"));
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\""
                        " Width=\"1056.00\" Height=\"816.00\"><Canvas RenderTransform=\"0,1,-1,0,1056.00,0\">"
                        "<Canvas.Resources>" +
                        resources +
                        "</Canvas.Resources><Path Data=\"M 0,0 h 5\" Fill=\"{StaticResource b}\"/>"
                        "</Canvas></FixedPage>");
}

TEST_F(FinisherPageWriterTest, TurnedPageWithCutOutLinesNestsClipInsideTransform)
{
    settings.rotationKind = kTransverseTurned;
    settings.cutOutLines = TRUE;
    settings.imageableArea = kLetterArea;
    std::string page = Finish(FixedPage("Width=\"816\" Height=\"1056\"", kPath));
    EXPECT_EQ(page, kDeclaration + Xmlns() +
                        " Width=\"1056.00\" Height=\"816.00\">"
                        "<Canvas RenderTransform=\"0,1,-1,0,1056.00,0\">" +
                        kLetterClip + kPath + "</Canvas>" + kLetterMarks + "</Canvas></FixedPage>");
}

TEST_F(FinisherPageWriterTest, BrokenMarkupFailsTheRewrite)
{
    settings.mirrorKind = kHalfTurn;
    Rewritten page = RewritePage(FixedPage("Width=\"816\" Height=\"1056\"", "<Path>"), settings);
    EXPECT_TRUE(FAILED(page.result));
}

}  // namespace
}  // namespace finishertest
