// Page scaling with numbers alone: the transforms of each option, worked
// out by hand from the printable areas and boxes; the scaled page's size;
// the Canvas tags around the content; the GDI+ status table.
#include <gtest/gtest.h>

#include "gdiplus_status.h"
#include "platform/base.h"
#include "scaling_geometry.h"
#include "scaling_state.h"

namespace {

// The default device's printable area: 4233 microns from each edge.
ImageableArea AreaOn(INT width, INT height)
{
    constexpr INT kMargin = 4233;
    return {width, height, kMargin, kMargin, width - 2 * kMargin, height - 2 * kMargin};
}

const ImageableArea kLetterArea = AreaOn(215900, 279400);
const ImageableArea kA4Area = AreaOn(210000, 297000);
constexpr double kMarginUnits = 4233 / 264.58;  // 15.9989

void ExpectTransform(const UniformTransform& actual, double factor, double dx, double dy)
{
    EXPECT_NEAR(actual.factor, factor, 1e-5);
    EXPECT_NEAR(actual.dx, dx, 1e-3);
    EXPECT_NEAR(actual.dy, dy, 1e-3);
}

PageScalingSettings Option(INT option, INT alignment = kAlignCenter)
{
    PageScalingSettings settings;
    settings.option = option;
    settings.alignment = alignment;
    return settings;
}

ScalingFrame FrameOf(const ImageableArea& source, const ImageableArea& target)
{
    ScalingFrame frame;
    frame.source = ImageableRect(source);
    frame.target = ImageableRect(target);
    return frame;
}

TEST(ScalingGeometry, FitToPaperFitsLettersPrintableAreaIntoA4sFromItsOrigin)
{
    // Letter's area is 207434 x 270934 microns, A4's 201534 x 288534: the
    // width limits, and the origin (16.00, 16.00) stays where it is.
    double factor = 201534.0 / 207434.0;
    ExpectTransform(InnerTransform(Option(kScalingFitToPaper), FrameOf(kLetterArea, kA4Area)), factor,
                    kMarginUnits * (1 - factor), kMarginUnits * (1 - factor));
    EXPECT_FALSE(OuterTransform(Option(kScalingFitToPaper), FrameOf(kLetterArea, kA4Area)));
    ExpectTransform(InnerTransform(Option(kScalingNone), FrameOf(kLetterArea, kLetterArea)), 1, 0, 0);
}

TEST(ScalingGeometry, CustomSquareScalesTowardsThePrintableOriginAndMovesByTheOffsets)
{
    PageScalingSettings settings = Option(kScalingCustomSquare);
    settings.scale = 50;
    settings.offsetWidth = 0;
    settings.offsetHeight = 0;
    ExpectTransform(InnerTransform(settings, FrameOf(kLetterArea, kLetterArea)), 0.5, kMarginUnits / 2,
                    kMarginUnits / 2);
    // 26458 microns are 100 units; -13229 are -50.
    settings.scale = 150;
    settings.offsetWidth = 26458;
    settings.offsetHeight = -13229;
    ExpectTransform(InnerTransform(settings, FrameOf(kLetterArea, kLetterArea)), 1.5, 100 - kMarginUnits / 2,
                    -50 - kMarginUnits / 2);
}

TEST(ScalingGeometry, BleedAndContentFitsPlaceTheirBoxInThePrintableAreaByTheAlignment)
{
    ScalingFrame frame;
    frame.target = {16, 16, 700, 1000};
    frame.bleedBox = {10, 20, 400, 500};
    frame.contentBox = {30, 40, 200, 100};
    // The bleed box: 700 / 400 = 1.75 < 1000 / 500 = 2, so the width limits
    // and 1000 - 500 * 1.75 = 125 are spare in height.
    struct Case {
        INT alignment;
        double dy;
    } bleedCases[] = {{kAlignCenter, 16 + 62.5},
                      {kAlignTopLeft, 16},
                      {kAlignBottomRight, 16 + 125},
                      {kAlignLeftCenter, 16 + 62.5},
                      {kAlignTopCenter, 16}};
    for (const Case& c : bleedCases) {
        SCOPED_TRACE(c.alignment);
        PageScalingSettings settings = Option(kScalingFitBleedToImageable, c.alignment);
        std::optional<UniformTransform> outer = OuterTransform(settings, frame);
        ASSERT_TRUE(outer);
        ExpectTransform(*outer, 1.75, 16, c.dy);
        ExpectTransform(InnerTransform(settings, frame), 1, -10, -20);
    }
    // The content box: 3.5 < 10, 1000 - 100 * 3.5 = 650 spare in height.
    PageScalingSettings content = Option(kScalingFitContentToImageable, kAlignBottomCenter);
    ExpectTransform(*OuterTransform(content, frame), 3.5, 16, 16 + 650);
    ExpectTransform(InnerTransform(content, frame), 1, -30, -40);

    // A wide area: 1000 / 100 = 10 > 500 / 100 = 5, so 1000 - 500 = 500 are
    // spare in width.
    frame.target = {0, 0, 1000, 500};
    frame.bleedBox = {0, 0, 100, 100};
    ExpectTransform(*OuterTransform(Option(kScalingFitBleedToImageable, kAlignCenter), frame), 5, 250, 0);
    ExpectTransform(*OuterTransform(Option(kScalingFitBleedToImageable, kAlignRightCenter), frame), 5, 500, 0);
    ExpectTransform(*OuterTransform(Option(kScalingFitBleedToImageable, kAlignBottomLeft), frame), 5, 0, 0);
}

TEST(ScalingGeometry, MediaFitsScaleThePageIntoThePrintableAreaOrThePaper)
{
    ScalingFrame frame = FrameOf(kA4Area, kA4Area);
    frame.pageWidth = 816;
    frame.pageHeight = 1056;
    frame.paperWidth = 793.71f;
    frame.paperHeight = 1122.53f;

    // Into the printable area, 201534 x 288534 microns: the width limits.
    double areaWidth = 201534 / 264.58, areaHeight = 288534 / 264.58;
    double factor = areaWidth / 816;
    double spare = areaHeight - 1056 * factor;
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToImageable), frame), factor, kMarginUnits,
                    kMarginUnits + spare / 2);
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToImageable, kAlignTopLeft), frame), factor, kMarginUnits,
                    kMarginUnits);

    // Onto the paper: the spare space is the paper's, not the printable
    // area's, so a centred page lies in the middle of the sheet.
    factor = 793.71 / 816;
    spare = 1122.53 - 1056 * factor;
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToMedia), frame), factor, 0, spare / 2);
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToMedia, kAlignBottomCenter), frame), factor, 0, spare);
    EXPECT_FALSE(OuterTransform(Option(kScalingFitMediaToMedia), frame));
}

TEST(ScalingGeometry, BoxesWithoutAreaAreTheWholePageAndSizesWithoutAreaAreNotScaled)
{
    BoxValue whole{0, 0, 816, 1056};
    auto same = [](const BoxValue& a, const BoxValue& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    };
    EXPECT_TRUE(same(PageBox(std::nullopt, 816, 1056), whole));
    EXPECT_TRUE(same(PageBox(BoxValue{0, 0, 0, 0}, 816, 1056), whole));
    EXPECT_TRUE(same(PageBox(BoxValue{10, 10, 0, 500}, 816, 1056), whole));
    EXPECT_TRUE(same(PageBox(BoxValue{10, 10, 300, -5}, 816, 1056), whole));
    EXPECT_TRUE(same(PageBox(BoxValue{10, 20, 300, 400}, 816, 1056), (BoxValue{10, 20, 300, 400})));
    EXPECT_EQ(FitFactor(700, 1000, 0, 0), 1);
    EXPECT_EQ(FitFactor(700, 1000, 350, 250), 2);
}

TEST(ScalingGeometry, TheScaledPageIsTheTicketsPaperTurnedForLandscape)
{
    PageGeometry letter;
    PageScalingSettings none;
    PageSize size = ScaledPageSize(none, letter);
    EXPECT_FLOAT_EQ(size.width, 215900 / 264.58f);
    EXPECT_FLOAT_EQ(size.height, 279400 / 264.58f);
    letter.orientation = kOrientationReverseLandscape;
    size = ScaledPageSize(none, letter);
    EXPECT_FLOAT_EQ(size.width, 279400 / 264.58f);
    EXPECT_FLOAT_EQ(size.height, 215900 / 264.58f);

    PageScalingSettings fit = Option(kScalingFitToPaper);
    fit.fitMedia.SetMedia(nullptr, 210000, 297000, FALSE);
    letter.orientation = kOrientationPortrait;
    ScalingState state(fit, letter, kLetterArea, kA4Area);
    EXPECT_EQ(state.PageWidth(), u"793.71");
    EXPECT_EQ(state.PageHeight(), u"1122.53");
}

TEST(ScalingGeometry, CanvasTagsWrapTheContentInTheTransformsClippedToTheContentBox)
{
    PageGeometry letter;
    PageScalingSettings correct;
    correct.correctFixedPageSize = TRUE;
    ScalingState identity(correct, letter, kLetterArea, kLetterArea);
    EXPECT_TRUE(identity.RewritesPage());
    identity.SetPage(816, 1056, std::nullopt, BoxValue{10, 20, 300, 400});
    std::u16string text;
    ASSERT_EQ(identity.OpeningTags(u"Canvas", text), S_OK);
    EXPECT_EQ(text,
              u"<Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
              u" Clip=\"M 10.00,20.00 L 310.00,20.00 310.00,420.00 10.00,420.00 z\">");
    text.clear();
    identity.ClosingTags(u"Canvas", text);
    EXPECT_EQ(text, u"</Canvas>\n");
    EXPECT_FALSE(ScalingState(PageScalingSettings(), letter, kLetterArea, kLetterArea).RewritesPage());

    // The bleed box (0, 0, 408, 528) fills the printable area's width,
    // 784.0124 / 408 = 1.921599; 1024.0155 - 528 * 1.921599 = 9.41 is spare in
    // height, half of it above. No bleed box would be the whole page.
    PageScalingSettings bleed = Option(kScalingFitBleedToImageable);
    ScalingState twoCanvases(bleed, letter, kLetterArea, kLetterArea);
    twoCanvases.SetPage(816, 1056, BoxValue{0, 0, 408, 528}, std::nullopt);
    text.clear();
    ASSERT_EQ(twoCanvases.OpeningTags(u"x:Canvas", text), S_OK);
    EXPECT_EQ(text,
              u"<x:Canvas RenderTransform=\"1.921599,0.000000,0.000000,1.921599,16.00,20.70\">"
              u"<x:Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
              u" Clip=\"M 0.00,0.00 L 816.00,0.00 816.00,1056.00 0.00,1056.00 z\">");
    text.clear();
    twoCanvases.ClosingTags(u"x:Canvas", text);
    EXPECT_EQ(text, u"</x:Canvas>\n</x:Canvas>\n");
}

TEST(GdiplusStatus, EachStatusHasItsHresult)
{
    using namespace Gdiplus;
    EXPECT_EQ(HResultFromGdiplusStatus(Ok), S_OK);
    EXPECT_EQ(HResultFromGdiplusStatus(InvalidParameter), E_INVALIDARG);
    EXPECT_EQ(HResultFromGdiplusStatus(OutOfMemory), E_OUTOFMEMORY);
    EXPECT_EQ(HResultFromGdiplusStatus(InsufficientBuffer), E_OUTOFMEMORY);
    EXPECT_EQ(HResultFromGdiplusStatus(ObjectBusy), static_cast<HRESULT>(0x8000000A));
    EXPECT_EQ(HResultFromGdiplusStatus(NotImplemented), E_NOTIMPL);
    EXPECT_EQ(HResultFromGdiplusStatus(FileNotFound), static_cast<HRESULT>(0x80070002));
    EXPECT_EQ(HResultFromGdiplusStatus(AccessDenied), E_ACCESSDENIED);
    for (Status other : {GenericError, WrongState, Aborted, ValueOverflow, UnknownImageFormat, FontFamilyNotFound,
                         NotTrueTypeFont, GdiplusNotInitialized, ProfileNotFound}) {
        EXPECT_EQ(HResultFromGdiplusStatus(other), E_FAIL) << other;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    EXPECT_EQ(HResultFromGdiplusStatus(Win32Error), static_cast<HRESULT>(0x80070006));
    // A failure with no error recorded is still a failure.
    SetLastError(0);
    EXPECT_EQ(HResultFromGdiplusStatus(Win32Error), E_FAIL);
}

}  // namespace
