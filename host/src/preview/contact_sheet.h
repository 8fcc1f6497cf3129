// Where the sides of a job's first sheets lie on a preview's contact sheet:
// for a two-sided job one sheet a row, its front on the left and its back
// on the right; for a one-sided job four sheets a row. Each side is scaled
// to fit a square cell, keeping its shape, and centred in it.
#pragma once

#include <cstddef>
#include <vector>

namespace tav::host {

struct PixelSize {
    int width = 0;
    int height = 0;
};

struct ContactCell {
    size_t side = 0;  // index into the sides given
    int x = 0, y = 0, width = 0, height = 0;
};

struct ContactLayout {
    PixelSize size;
    std::vector<ContactCell> cells;
};

inline constexpr int kContactCellSize = 240;  // pixels, the longer edge of a side at most
inline constexpr int kContactGap = 16;        // pixels between cells and around them
inline constexpr size_t kContactSheets = 8;   // sheets shown at most

// The contact sheet of sides in order (front, back, front, ... for a
// two-sided job); sides of a size of zero are skipped, and an empty list
// gives an empty sheet of no cells.
ContactLayout LayOutContactSheet(const std::vector<PixelSize>& sides, bool twoSided);

}  // namespace tav::host
