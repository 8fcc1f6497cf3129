// Where booklets end, with page numbers alone: each case feeds pages
// (numbered from 1) and lists the pages before which a booklet is flushed.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "booklet_batcher.h"

namespace {

// The pages before which a booklet ends, for pageCount pages whose divide
// condition changes at the pages of changesAt.
std::vector<int> FlushPoints(BookletBatcher& batcher, int pageCount, const std::set<int>& changesAt = {})
{
    std::vector<int> points;
    for (int page = 1; page <= pageCount; ++page) {
        if (batcher.PageArrives(changesAt.count(page) != 0)) points.push_back(page);
    }
    return points;
}

TEST(BookletBatcher, AllPagesAtOnceMakeOneBooklet)
{
    BookletBatcher batcher;
    batcher.SetSets(false, 2);
    EXPECT_EQ(FlushPoints(batcher, 30), std::vector<int>{});
    EXPECT_EQ(batcher.CollectedPages(), 30u);
}

TEST(BookletBatcher, SetsEndWhenTheNextSetBegins)
{
    // Two sheets are eight pages: pages 1-8, 9-16 and 17-20 (the last one
    // flushed by the job's end).
    BookletBatcher batcher;
    batcher.SetSets(true, 2);
    EXPECT_EQ(FlushPoints(batcher, 20), (std::vector<int>{9, 17}));
    EXPECT_EQ(batcher.CollectedPages(), 4u);
}

TEST(BookletBatcher, ASetOfNoSheetsCountsAsOne)
{
    BookletBatcher batcher;
    batcher.SetSets(true, 0);
    EXPECT_EQ(FlushPoints(batcher, 12), (std::vector<int>{5, 9}));
}

TEST(BookletBatcher, EveryChangeOfTheDivideConditionEndsABooklet)
{
    BookletBatcher batcher;
    batcher.SetSets(false, 1);
    EXPECT_EQ(FlushPoints(batcher, 10, {4, 6}), (std::vector<int>{4, 6}));
    EXPECT_EQ(batcher.CollectedPages(), 5u);  // pages 6 to 10
}

TEST(BookletBatcher, SetsCountAgainAfterAChange)
{
    // One sheet per set: 1-2 end at the change before page 3; pages 3-6
    // make a set, then 7-10, then 11-12.
    BookletBatcher batcher;
    batcher.SetSets(true, 1);
    EXPECT_EQ(FlushPoints(batcher, 12, {3}), (std::vector<int>{3, 7, 11}));
    // A change just as a set is full ends it once.
    BookletBatcher full;
    full.SetSets(true, 1);
    EXPECT_EQ(FlushPoints(full, 9, {5}), (std::vector<int>{5, 9}));
}

}  // namespace
