// Bounding boxes of drawn content, for brushes relative to an element's or
// a visual's bounds: paths by their geometry (strokes widened by half their
// thickness), glyph runs by their origins and em size, canvases by what
// they hold, each through its own transform.
#pragma once

#include <vector>

#include "page_model.h"

namespace tav::render {

// The rectangle holding `rect` after `transform`.
Rect TransformedBounds(const Affine& transform, const Rect& rect);

// Node `index` of `nodes` in its own coordinates (before its transform);
// empty (zero size at 0,0) when it draws nothing.
Rect NodeBounds(const Page& page, const std::vector<Node>& nodes, size_t index);

// Every top-level node of `nodes`, each through its transform.
Rect ListBounds(const Page& page, const std::vector<Node>& nodes);

}  // namespace tav::render
