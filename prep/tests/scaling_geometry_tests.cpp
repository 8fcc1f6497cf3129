// Page scaling with numbers alone: the transforms of each option, worked
// out by hand from the printable areas and boxes; the GDI+ status table.
// (The Canvas tags they become are checked with the page rewriter.)
#include <gtest/gtest.h>

#include "filtercore/imageable_area.h"
#include "gdiplus_status.h"
#include "platform/base.h"
#include "scaling_geometry.h"

namespace {

// The default device's printable area: 4233 microns (15.9989 units) from
// each edge.
ImageableArea AreaOn(INT width, INT height) { return {width, height, 4233, 4233, width - 8466, height - 8466}; }

const ImageableArea kLetterArea = AreaOn(215900, 279400);
const ImageableArea kA4Area = AreaOn(210000, 297000);
constexpr double kMargin = 4233 / 264.58;

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
    frame.source = PrintableRectInPageUnits(source);
    frame.target = PrintableRectInPageUnits(target);
    return frame;
}

TEST(ScalingGeometry, FitToPaperAndCustomScalingKeepThePrintableOrigin)
{
    // Letter's area is 207434 x 270934 microns, A4's 201534 x 288534: the
    // width limits, and the origin stays where it is.
    double fit = 201534.0 / 207434.0;
    ExpectTransform(InnerTransform(Option(kScalingFitToPaper), FrameOf(kLetterArea, kA4Area)), fit, kMargin * (1 - fit),
                    kMargin * (1 - fit));
    ExpectTransform(InnerTransform(Option(kScalingNone), FrameOf(kLetterArea, kLetterArea)), 1, 0, 0);

    PageScalingSettings custom = Option(kScalingCustomSquare);
    custom.scale = 50;
    custom.offsetWidth = 0;
    custom.offsetHeight = 0;
    ExpectTransform(InnerTransform(custom, FrameOf(kLetterArea, kLetterArea)), 0.5, kMargin / 2, kMargin / 2);
    // 26458 microns are 100 units, -13229 are -50.
    custom.scale = 150;
    custom.offsetWidth = 26458;
    custom.offsetHeight = -13229;
    ExpectTransform(InnerTransform(custom, FrameOf(kLetterArea, kLetterArea)), 1.5, 100 - kMargin / 2,
                    -50 - kMargin / 2);
}

TEST(ScalingGeometry, BoxFitsPlaceTheirBoxInThePrintableAreaByTheAlignment)
{
    ScalingFrame frame;
    frame.target = {16, 16, 700, 1000};
    frame.bleedBox = {10, 20, 400, 500};
    frame.contentBox = {30, 40, 200, 100};
    // The bleed box: 700 / 400 = 1.75 < 1000 / 500 = 2, so the width limits
    // and 1000 - 500 * 1.75 = 125 are spare in height.
    for (auto [alignment, dy] :
         {std::pair{kAlignCenter, 16 + 62.5}, {kAlignTopLeft, 16.0}, {kAlignBottomRight, 141.0}}) {
        PageScalingSettings settings = Option(kScalingFitBleedToImageable, alignment);
        ExpectTransform(*OuterTransform(settings, frame), 1.75, 16, dy);
        ExpectTransform(InnerTransform(settings, frame), 1, -10, -20);
    }
    // The content box: 3.5 < 10, 1000 - 100 * 3.5 = 650 spare in height.
    PageScalingSettings content = Option(kScalingFitContentToImageable, kAlignBottomCenter);
    ExpectTransform(*OuterTransform(content, frame), 3.5, 16, 16 + 650);
    ExpectTransform(InnerTransform(content, frame), 1, -30, -40);
    // A wide area: 1000 / 100 = 10 > 500 / 100 = 5: 500 spare in width.
    frame.target = {0, 0, 1000, 500};
    frame.bleedBox = {0, 0, 100, 100};
    ExpectTransform(*OuterTransform(Option(kScalingFitBleedToImageable, kAlignCenter), frame), 5, 250, 0);
    ExpectTransform(*OuterTransform(Option(kScalingFitBleedToImageable, kAlignRightCenter), frame), 5, 500, 0);
    // A box without area is the whole page, which then fits.
    Gdiplus::RectF page = PageBox(Gdiplus::RectF{10, 10, 0, 500}, 816, 1056);
    EXPECT_TRUE(page.X == 0 && page.Y == 0 && page.Width == 816 && page.Height == 1056);
    EXPECT_EQ(FitFactor(700, 1000, 0, 0), 1);
}

TEST(ScalingGeometry, MediaFitsScaleThePageIntoThePrintableAreaOrOntoThePaper)
{
    ScalingFrame frame = FrameOf(kA4Area, kA4Area);
    frame.pageWidth = 816;
    frame.pageHeight = 1056;
    frame.paperWidth = 793.71f;
    frame.paperHeight = 1122.53f;
    double factor = 201534 / 264.58 / 816;
    double spare = 288534 / 264.58 - 1056 * factor;
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToImageable), frame), factor, kMargin, kMargin + spare / 2);
    // Onto the paper, the spare space is the paper's, so a centred page
    // lies in the middle of the sheet.
    factor = 793.71 / 816;
    spare = 1122.53 - 1056 * factor;
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToMedia), frame), factor, 0, spare / 2);
    ExpectTransform(InnerTransform(Option(kScalingFitMediaToMedia, kAlignBottomCenter), frame), factor, 0, spare);
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
    for (Status other : {GenericError, WrongState, Aborted, ValueOverflow, GdiplusNotInitialized, ProfileNotFound})
        EXPECT_EQ(HResultFromGdiplusStatus(other), E_FAIL) << other;
    SetLastError(ERROR_INVALID_HANDLE);
    EXPECT_EQ(HResultFromGdiplusStatus(Win32Error), static_cast<HRESULT>(0x80070006));
    // A failure with no error recorded is still a failure.
    SetLastError(0);
    EXPECT_EQ(HResultFromGdiplusStatus(Win32Error), E_FAIL);
}

}  // namespace
