// The order in which booklet pages are sent: pure functions of the page
// count and the settings, so that they can be checked with numbers alone.
//
// A later filter places each consecutive pair of pages side by side on one
// sheet side. For a booklet of n pages (a multiple of four) folded along the
// middle, the outer side of the first sheet carries pages n and 1, its inner
// side pages 2 and n-1, and so on inwards: "Booklet" sends 8, 1, 2, 7, 6, 3,
// 4, 5 for eight pages. "BookletReverseFlip" swaps each pair (1, 8, 7, 2, 3,
// 6, 5, 4), for a booklet bound on the other edge.
#pragma once

#include <cstddef>

#include "platform/types.h"

// The blank pages that bring pageCount to a multiple of four (0 to 3).
size_t PaddingCount(size_t pageCount);

// The index, among pageCount collected pages in arrival order, of the page
// sent at position (0 to pageCount - 1). Position 2k and 2k + 1 hold the
// pair of step k: pages n-1-k and k for even k, k and n-1-k for odd k, in
// this order for "Booklet" and swapped for "BookletReverseFlip"; any other
// binding option keeps the arrival order. A count that is not a multiple of
// four is ordered by the same pairs; when it is odd, the middle page, which
// belongs to no pair, goes last.
size_t BookletSourceIndex(size_t pageCount, size_t position, INT bindingOption);

// How many pages of the order are sent: all of them, except that a booklet
// made of a single page, printed with manual duplex, sends only the first
// sheet side (two pages, the page and its blank neighbour), as the back of
// its only sheet is blank.
size_t PagesToSend(size_t pageCount, bool singlePageBeforePadding, INT duplexMode);

// Whether collectedPages, a non-zero count, fills whole booklet sets of
// sheetsPerSet sheets (four pages each). A sheets per set below 1 counts as
// 1.
bool SetIsComplete(size_t collectedPages, INT sheetsPerSet);
