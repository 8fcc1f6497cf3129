#include "booklet_order.h"

#include <algorithm>
#include <cstdint>

#include "order_settings.h"

namespace {

constexpr size_t kPagesPerSheet = 4;

}  // namespace

size_t PaddingCount(size_t pageCount) { return (kPagesPerSheet - pageCount % kPagesPerSheet) % kPagesPerSheet; }

size_t BookletSourceIndex(size_t pageCount, size_t position, INT bindingOption)
{
    if (!IsBookletBinding(bindingOption)) return position;
    const size_t step = position / 2;
    if (step >= pageCount / 2) return pageCount / 2;  // the middle page of an odd count
    const size_t front = step;
    const size_t back = pageCount - 1 - step;
    const bool evenStep = step % 2 == 0;
    // "Booklet": for an even step the back page comes first.
    const bool backFirst = bindingOption == kBindBooklet ? evenStep : !evenStep;
    const bool firstOfPair = position % 2 == 0;
    return firstOfPair == backFirst ? back : front;
}

size_t PagesToSend(size_t pageCount, bool singlePageBeforePadding, INT duplexMode)
{
    if (singlePageBeforePadding && duplexMode == kDuplexModeManual) return std::min<size_t>(pageCount, 2);
    return pageCount;
}

bool SetIsComplete(size_t collectedPages, INT sheetsPerSet)
{
    const uint64_t pagesPerSet = static_cast<uint64_t>(std::max(sheetsPerSet, 1)) * kPagesPerSheet;
    return collectedPages != 0 && collectedPages % pagesPerSet == 0;
}
