// The bitmap watermark's place on the page, against positions worked out
// by hand from the rules: anchor ((x + 100) W / 200, (100 - y) H / 200),
// half sizes s w / 100 / 2 and s h / 100 / 2.
#include <gtest/gtest.h>

#include "bitmap_watermark_geometry.h"

namespace {

constexpr double kLetterWidth = 816;
constexpr double kLetterHeight = 1056;

TEST(BitmapWatermarkGeometry, ImageSizeFollowsItsResolution)
{
    const ImageExtent at300 = ImageExtentInXpsUnits(600, 300, 300, 300);
    EXPECT_DOUBLE_EQ(at300.width, 192);
    EXPECT_DOUBLE_EQ(at300.height, 96);
    // 72 by 144 dpi: 720 / 72 * 96 = 960, 720 / 144 * 96 = 480.
    const ImageExtent mixed = ImageExtentInXpsUnits(720, 720, 72, 144);
    EXPECT_DOUBLE_EQ(mixed.width, 960);
    EXPECT_DOUBLE_EQ(mixed.height, 480);
    // Without a resolution for either axis, pixels count as units.
    for (const auto& [x, y] : {std::pair{0.0f, 0.0f}, {300.0f, 0.0f}, {0.0f, 300.0f}, {-1.0f, 300.0f}}) {
        const ImageExtent pixels = ImageExtentInXpsUnits(200, 100, x, y);
        EXPECT_DOUBLE_EQ(pixels.width, 200);
        EXPECT_DOUBLE_EQ(pixels.height, 100);
    }
}

TEST(BitmapWatermarkGeometry, HalfSizeImageInTheCentreOfLetter)
{
    // Anchor (408, 528), half sizes 48 and 24.
    const ImageExtent image{192, 96};
    const Gdiplus::RectF rect = BitmapWatermarkRect(image, {0, 0, 50}, kLetterWidth, kLetterHeight);
    EXPECT_EQ(rect, Gdiplus::RectF(360, 504, 96, 48));
    const BitmapWatermarkMarkup markup = BitmapWatermarkMarkupValues(image, rect);
    EXPECT_EQ(markup.data, u"M 360.00,504.00 L 360.00,552.00 456.00,552.00 456.00,504.00 z");
    EXPECT_EQ(markup.viewbox, u"0,0,192.00,96.00");
    EXPECT_EQ(markup.viewport, u"360.00,504.00,96.00,48.00");
}

TEST(BitmapWatermarkGeometry, PositionsAtTheEdgesAndScales)
{
    const ImageExtent image{200, 100};
    // Top left corner: anchor (0, 0); full size: half sizes 100 and 50.
    EXPECT_EQ(BitmapWatermarkRect(image, {-100, 100, 100}, kLetterWidth, kLetterHeight),
              Gdiplus::RectF(-100, -50, 200, 100));
    // Bottom right: anchor (816, 1056); 150 %: half sizes 150 and 75.
    EXPECT_EQ(BitmapWatermarkRect(image, {100, -100, 150}, kLetterWidth, kLetterHeight),
              Gdiplus::RectF(666, 981, 300, 150));
    // x 50, y 50: anchor (612, 264); 0 %: an empty rectangle there.
    EXPECT_EQ(BitmapWatermarkRect(image, {50, 50, 0}, kLetterWidth, kLetterHeight), Gdiplus::RectF(612, 264, 0, 0));
    // The largest scaling, 65535 %: half width 65535 * 200 / 100 / 2.
    EXPECT_EQ(BitmapWatermarkRect(image, {0, 0, 65535}, kLetterWidth, kLetterHeight).Width, 131070.0f);
}

}  // namespace
