#include "booklet_batcher.h"

#include "booklet_order.h"

void BookletBatcher::SetSets(bool divideIntoSets, INT sheetsPerSet)
{
    divideIntoSets_ = divideIntoSets;
    sheetsPerSet_ = sheetsPerSet;
}

// The set check runs before the page is counted, so a set ends when the
// first page of the next one arrives.
bool BookletBatcher::PageArrives(bool divideConditionChanged)
{
    bool ends = divideConditionChanged || (divideIntoSets_ && SetIsComplete(collected_, sheetsPerSet_));
    if (ends) collected_ = 0;
    ++collected_;
    return ends;
}
