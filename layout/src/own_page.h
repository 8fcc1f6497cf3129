// A page as the imposition places it, by its own FixedPage size where that
// disagrees with its ticket: the paper the ticket names, turned when the
// page lies across it, and the page's own size and printable part in its
// own coordinates. A page of its paper's size is placed as its ticket says.
#pragma once

#include "platform/gdiplus_types.h"
#include "platform/page_media.h"

// The paper's orientation and imageable area (microns) as a page lies on it.
struct PaperAsLaid {
    PageOrientation orientation = PageOrientation::Portrait;
    ImageableArea area;
};

// The paper turned a quarter (Portrait and Landscape exchanged, and their
// reverse forms; the area's widths and heights exchanged) when the page of
// pageWidth x pageHeight lies across it, as given otherwise. A page or a
// paper without a size lies as the paper does.
PaperAsLaid PaperAsPageLies(PageOrientation orientation, const ImageableArea& area, float pageWidth, float pageHeight);

// A page to place, XPS units: its orientation, its own size and the part of
// it that prints, in its own coordinates.
struct OwnPage {
    PageOrientation orientation = PageOrientation::Portrait;
    float width = 0;
    float height = 0;
    Gdiplus::RectF printable;
};

// The page on the paper as it lies (PaperAsPageLies of the ticket's): a page
// of the paper's size within a millimetre, or one of no size, is the paper,
// its imageable size and area; any other keeps its own size, the paper's
// printable area falling on it by PrintableAreaOnPage.
OwnPage OwnPageOn(const PaperAsLaid& paper, float pageWidth, float pageHeight);
