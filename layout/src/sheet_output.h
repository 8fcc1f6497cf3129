// The parts the layout filter makes: sheets, whose markup is streamed into
// their part while pages are placed on them, and empty sheet sides; and the
// move of a placed page's resources to its sheet.
#pragma once

#include "layout_state.h"

// A new sheet "/LO_NUpPage_<n>.xml" the size of the area's ImageableSize,
// its header written and its stream left open; with a sheet matrix other
// than the identity everything on the sheet goes into a Canvas with it.
HRESULT StartSheet(IXpsDocumentConsumer* consumer, const ImageableArea& area, const Gdiplus::Matrix& sheetMatrix,
                   OpenSheet* sheet);

// Writes the border lines and the end of the sheet and closes its stream.
HRESULT CloseSheet(OpenSheet& sheet);

// A new empty sheet side "/LO_Empty_<n>.xml" the size of the area's
// ImageableSize.
HRESULT CreateEmptySide(IXpsDocumentConsumer* consumer, const ImageableArea& area, ComPtr<IFixedPage>* side);

// Every part the page refers to (fonts, images, resource dictionaries,
// colour profiles) becomes a part of the sheet as well.
HRESULT MovePageParts(IFixedPage* page, IFixedPage* sheet);
