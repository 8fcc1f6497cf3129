#include "own_page.h"

#include "filtercore/imageable_area.h"
#include "filtercore/page_on_paper.h"
#include "nup_geometry.h"
#include "platform/units.h"

namespace {

bool HasSize(float width, float height) { return width > 0 && height > 0; }

}  // namespace

PaperAsLaid PaperAsPageLies(PageOrientation orientation, const ImageableArea& area, float pageWidth, float pageHeight)
{
    float paperWidth = MicronsToXpsUnits(area.imageableSizeWidth);
    float paperHeight = MicronsToXpsUnits(area.imageableSizeHeight);
    if (!HasSize(pageWidth, pageHeight) || !LiesAcross(pageWidth, pageHeight, paperWidth, paperHeight))
        return {orientation, area};
    return {TurnedOrientation(orientation), ExchangedImageableArea(area)};
}

OwnPage OwnPageOn(const PaperAsLaid& paper, float pageWidth, float pageHeight)
{
    OwnPage page;
    page.orientation = paper.orientation;
    page.width = MicronsToXpsUnits(paper.area.imageableSizeWidth);
    page.height = MicronsToXpsUnits(paper.area.imageableSizeHeight);
    page.printable = PrintableRectInPageUnits(paper.area);
    if (!HasSize(pageWidth, pageHeight) || IsSameSize(pageWidth, pageHeight, page.width, page.height)) return page;
    page.printable = PrintableAreaOnPage(page.printable, page.width, page.height, pageWidth, pageHeight);
    page.width = pageWidth;
    page.height = pageHeight;
    return page;
}
