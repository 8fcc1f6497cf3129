// BookletBatcher: where one booklet ends and the next begins, as the pages
// of a booklet job arrive. A booklet ends before a page whose divide
// condition differs from the page before it and, when the job is divided
// into sets, before the first page of the next set. The filter holds the
// pages; this object only counts them, so that the decision can be checked
// with numbers alone.
#pragma once

#include <cstddef>

#include "platform/types.h"

class BookletBatcher {
public:
    // Sets of sheetsPerSet sheets (four pages each; below 1 counts as 1)
    // when divideIntoSets; otherwise a booklet runs until the divide
    // condition changes or the job ends.
    void SetSets(bool divideIntoSets, INT sheetsPerSet);

    // A page arrives. True when the booklet collected so far ends before it:
    // the caller flushes that booklet, and the page starts the next one.
    bool PageArrives(bool divideConditionChanged);

    // The pages of the booklet being collected, the last arrival included.
    size_t CollectedPages() const { return collected_; }

private:
    bool divideIntoSets_ = false;
    INT sheetsPerSet_ = 1;
    size_t collected_ = 0;
};
