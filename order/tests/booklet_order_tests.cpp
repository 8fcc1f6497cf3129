// The booklet order, the padding and the set boundaries, with numbers alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "booklet_order.h"
#include "filtercore/job_settings.h"

namespace {

// The order as page numbers from 1.
std::vector<size_t> Order(size_t pageCount, INT option)
{
    std::vector<size_t> pages;
    for (size_t position = 0; position < pageCount; ++position)
        pages.push_back(BookletSourceIndex(pageCount, position, option) + 1);
    return pages;
}

TEST(BookletOrder, BookletAndReverseFlipOfFourEightAndTwelvePages)
{
    EXPECT_EQ(Order(4, kBindBooklet), (std::vector<size_t>{4, 1, 2, 3}));
    EXPECT_EQ(Order(4, kBindBookletReverseFlip), (std::vector<size_t>{1, 4, 3, 2}));
    EXPECT_EQ(Order(8, kBindBooklet), (std::vector<size_t>{8, 1, 2, 7, 6, 3, 4, 5}));
    EXPECT_EQ(Order(8, kBindBookletReverseFlip), (std::vector<size_t>{1, 8, 7, 2, 3, 6, 5, 4}));
    // Three sheets: 12|1 and 2|11, 10|3 and 4|9, 8|5 and 6|7.
    EXPECT_EQ(Order(12, kBindBooklet), (std::vector<size_t>{12, 1, 2, 11, 10, 3, 4, 9, 8, 5, 6, 7}));
}

// Folded, each sheet side carries a page p and its counterpart n + 1 - p, and
// the sheets nest: sheet s (from the outside) holds pages 2s+1, 2s+2 and
// their counterparts. Checked for every size up to 400 pages.
TEST(BookletOrder, EverySheetSideHoldsFacingPagesOfItsNestedSheet)
{
    for (size_t n = 4; n <= 400; n += 4) {
        for (INT option : {kBindBooklet, kBindBookletReverseFlip}) {
            std::vector<size_t> order = Order(n, option);
            std::vector<size_t> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            for (size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], i + 1) << n;
            for (size_t side = 0; side < n / 2; ++side) {
                size_t left = order[2 * side], right = order[2 * side + 1];
                ASSERT_EQ(left + right, n + 1) << n << " side " << side;
                size_t sheet = side / 2;
                ASSERT_TRUE(std::min(left, right) == 2 * sheet + 1 || std::min(left, right) == 2 * sheet + 2);
                // Booklet puts the higher page left on the outer side of
                // each sheet; the reverse flip mirrors every side.
                bool higherLeft = left > right;
                ASSERT_EQ(higherLeft, (side % 2 == 0) == (option == kBindBooklet)) << n << " side " << side;
            }
        }
    }
}

TEST(BookletOrder, OtherBindingsKeepTheArrivalOrder)
{
    for (INT option : {INT{kBindBottom}, INT{kBindLeft}, INT{kBindRight}, INT{kBindTop}, INT{17}})
        EXPECT_EQ(Order(8, option), (std::vector<size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(BookletOrder, CountsThatAreNoMultipleOfFourUseThePairsAndPutTheMiddlePageLast)
{
    EXPECT_EQ(Order(1, kBindBooklet), (std::vector<size_t>{1}));
    EXPECT_EQ(Order(2, kBindBooklet), (std::vector<size_t>{2, 1}));
    EXPECT_EQ(Order(3, kBindBooklet), (std::vector<size_t>{3, 1, 2}));
    EXPECT_EQ(Order(5, kBindBooklet), (std::vector<size_t>{5, 1, 2, 4, 3}));
    EXPECT_EQ(Order(5, kBindBookletReverseFlip), (std::vector<size_t>{1, 5, 4, 2, 3}));
    EXPECT_EQ(Order(6, kBindBooklet), (std::vector<size_t>{6, 1, 2, 5, 4, 3}));
}

TEST(BookletPadding, BringsTheCountToAMultipleOfFour)
{
    const size_t expected[] = {0, 3, 2, 1, 0, 3, 2, 1, 0, 3};
    for (size_t n = 0; n < 10; ++n) EXPECT_EQ(PaddingCount(n), expected[n]) << n;
    EXPECT_EQ(PaddingCount(SIZE_MAX), 1u);  // SIZE_MAX = 4k + 3
}

TEST(BookletSending, ASinglePageWithManualDuplexSendsOnlyTheFirstSide)
{
    EXPECT_EQ(PagesToSend(4, true, kDuplexModeManual), 2u);
    EXPECT_EQ(PagesToSend(4, true, kDuplexModeAutomatic), 4u);
    EXPECT_EQ(PagesToSend(4, true, kDuplexModeNone), 4u);
    EXPECT_EQ(PagesToSend(4, false, kDuplexModeManual), 4u);
    EXPECT_EQ(PagesToSend(12, false, kDuplexModeManual), 12u);
    EXPECT_EQ(PagesToSend(1, true, kDuplexModeManual), 1u);
}

TEST(BookletSets, ASetIsCompleteAtEveryMultipleOfItsPages)
{
    // Two sheets: eight pages a set.
    for (size_t pages : {8u, 16u, 800u}) EXPECT_TRUE(SetIsComplete(pages, 2)) << pages;
    for (size_t pages : {0u, 1u, 4u, 7u, 9u, 12u}) EXPECT_FALSE(SetIsComplete(pages, 2)) << pages;
    // A count below one sheet is taken as one: four pages a set.
    for (INT sheets : {0, -3, INT_MIN}) {
        EXPECT_TRUE(SetIsComplete(4, sheets)) << sheets;
        EXPECT_TRUE(SetIsComplete(8, sheets)) << sheets;
        EXPECT_FALSE(SetIsComplete(6, sheets)) << sheets;
        EXPECT_FALSE(SetIsComplete(0, sheets)) << sheets;
    }
    // The largest count does not overflow: 4 * INT_MAX pages a set.
    EXPECT_FALSE(SetIsComplete(4, INT_MAX));
    EXPECT_TRUE(SetIsComplete(size_t{4} * INT_MAX, INT_MAX));
    EXPECT_FALSE(SetIsComplete(size_t{4} * INT_MAX - 4, INT_MAX));
}

}  // namespace
