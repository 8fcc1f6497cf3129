// TileMarkup: a page placed on the tiles of a poster. Every tile holds the
// whole page, rewritten the same way; only the placement attributes of the
// page's Canvas differ. The page is parsed and rewritten for its first tile
// only, and that output, kept, serves the other tiles with their own
// placement put in.
#pragma once

#include <string>

#include "placement_transform.h"
#include "platform/pipeline.h"

class TileMarkup {
public:
    // Writes the page, placed, into the sheet's stream (left open). One
    // object serves the tiles of one page.
    HRESULT Write(IFixedPage* page, const std::u16string& pageName, const PlacementTransform& placement,
                  IPrintWriteStream* sheet);

private:
    // The output of the first tile around its placement attributes; kept
    // only when not larger than kLargestKept.
    static constexpr size_t kLargestKept = 32u << 20;
    std::string head_;
    std::string tail_;
    bool kept_ = false;
};
