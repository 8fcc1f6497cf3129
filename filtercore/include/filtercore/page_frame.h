// The geometry of a FixedPage as its start tag gives it: Width, Height,
// ContentBox and BleedBox; read while a page writer copies the page, or
// from a page alone, before anything of it is written.
#pragma once

#include <optional>

#include "filtercore/box_value.h"
#include "platform/pipeline.h"
#include "platform/xml.h"

// Width and Height are 0 when absent; a box is present when its attribute
// is.
struct FixedPageFrame {
    float width = 0;
    float height = 0;
    std::optional<Gdiplus::RectF> contentBox;
    std::optional<Gdiplus::RectF> bleedBox;
};

// The frame among the attributes of a FixedPage start tag. Raises
// CXDException(E_OUTOFMEMORY).
FixedPageFrame FrameFromAttributes(ISAXAttributes* attributes);

// Reads the page's markup only as far as its root's start tag: for a
// placement that depends on the page's own size before the page is written
// anywhere. The first failure: GetStream, the reader's, a parse error before
// the root; E_FAIL when the root is no FixedPage.
HRESULT ReadFixedPageFrame(IFixedPage* page, FixedPageFrame* frame);
