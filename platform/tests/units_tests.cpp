// The two micron-to-XPS-unit conversions, against values worked out by hand.
#include <gtest/gtest.h>

#include "platform/page_media.h"
#include "platform/units.h"

namespace {

TEST(Units, TheDivisorRoundsAnInchSlightlyOver96Units)
{
    // 10000 / 264.58 = 37.7958; 215900 (8.5 inches) / 264.58 = 816.0103.
    EXPECT_NEAR(MicronsToXpsUnits(10000), 37.7958f, 1e-4);
    EXPECT_NEAR(MicronsToXpsUnits(215900), 816.0103f, 1e-3);
    EXPECT_EQ(MicronsToXpsUnits(0), 0);
    EXPECT_NEAR(MicronsToXpsUnits(-4233), -15.99894f, 1e-4);
}

TEST(Units, TheInchFormIsExactForWholeInches)
{
    EXPECT_EQ(MicronsToXpsUnitsByInch(kMicronsPerInch), 96);
    EXPECT_EQ(MicronsToXpsUnitsByInch(215900), 816);
    // 4233 x 96 / 25400 = 15.99874.
    EXPECT_NEAR(MicronsToXpsUnitsByInch(4233), 15.99874f, 1e-4);
}

TEST(PageMedia, OnlyTheLandscapesLieAcrossTheMedium)
{
    EXPECT_TRUE(IsLandscapeLike(PageOrientation::Landscape));
    EXPECT_TRUE(IsLandscapeLike(PageOrientation::ReverseLandscape));
    EXPECT_FALSE(IsLandscapeLike(PageOrientation::Portrait));
    EXPECT_FALSE(IsLandscapeLike(PageOrientation::ReversePortrait));
}

}  // namespace
