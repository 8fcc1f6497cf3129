#include "preview/contact_sheet.h"

#include <algorithm>
#include <cmath>

namespace tav::host {

ContactLayout LayOutContactSheet(const std::vector<PixelSize>& sides, bool twoSided)
{
    ContactLayout layout;
    const size_t columns = twoSided ? 2 : 4;
    const size_t shown = std::min(sides.size(), kContactSheets * (twoSided ? 2 : 1));
    if (shown == 0) return layout;
    const size_t rows = (shown + columns - 1) / columns;
    const int pitch = kContactCellSize + kContactGap;
    layout.size.width = kContactGap + static_cast<int>(std::min(shown, columns)) * pitch;
    layout.size.height = kContactGap + static_cast<int>(rows) * pitch;
    for (size_t index = 0; index < shown; ++index) {
        const PixelSize& side = sides[index];
        if (side.width <= 0 || side.height <= 0) continue;
        double scale = static_cast<double>(kContactCellSize) / std::max(side.width, side.height);
        ContactCell cell;
        cell.side = index;
        cell.width = std::max(1, static_cast<int>(std::lround(side.width * scale)));
        cell.height = std::max(1, static_cast<int>(std::lround(side.height * scale)));
        int column = static_cast<int>(index % columns);
        int row = static_cast<int>(index / columns);
        cell.x = kContactGap + column * pitch + (kContactCellSize - cell.width) / 2;
        cell.y = kContactGap + row * pitch + (kContactCellSize - cell.height) / 2;
        layout.cells.push_back(cell);
    }
    return layout;
}

}  // namespace tav::host
