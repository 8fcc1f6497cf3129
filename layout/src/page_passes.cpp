#include "page_passes.h"

#include "filtercore/imageable_area.h"
#include "filtercore/raised_result.h"
#include "platform/units.h"
#include "poster_geometry.h"

namespace {

// The device's printable area for the page in the orientation given, asked
// with that orientation written into the ticket.
std::optional<ImageableArea> AskImageableArea(LayoutContext& context, PrintTicketDom& ticket,
                                              IXMLDOMDocument2* document, const PageGeometry& page,
                                              PageOrientation orientation)
{
    PageGeometry asked = page;
    asked.orientation = orientation;
    if (FAILED(WritePageGeometry(ticket, asked))) return std::nullopt;
    ImageableArea area;
    if (FAILED(ReadTicketImageableArea(context.tickets, context.privateNamespace, document, &area)))
        return std::nullopt;
    return area;
}

// What the device says of the page's medium: the printable extent upright
// and across, and the printable area of the sheet turned a quarter. A query
// that fails keeps the whole medium (or the page's area exchanged).
void AskDevice(LayoutContext& context, const SheetDescription& page, bool turned, SheetLayoutRequest* request)
{
    const PageGeometry& geometry = page.geometry;
    bool landscape = IsLandscapeLike(geometry.orientation);
    request->printable = landscape ? MediumAsPrintableSizes(geometry.height, geometry.width)
                                   : MediumAsPrintableSizes(geometry.width, geometry.height);
    IXMLDOMDocument2* document = context.CurrentTicket();
    if (document == nullptr) return;
    try {
        PrintTicketDom ticket(u"PrintTicket", context.privateNamespace, document);
        if (auto upright = AskImageableArea(context, ticket, document, geometry, PageOrientation::Portrait)) {
            request->printable.portraitWidth = MicronsToXpsUnits(upright->extentWidth);
            request->printable.portraitHeight = MicronsToXpsUnits(upright->extentHeight);
        }
        if (auto across = AskImageableArea(context, ticket, document, geometry, PageOrientation::Landscape)) {
            request->printable.landscapeWidth = MicronsToXpsUnits(across->extentWidth);
            request->printable.landscapeHeight = MicronsToXpsUnits(across->extentHeight);
        }
        if (turned) {
            request->turnedArea =
                AskImageableArea(context, ticket, document, geometry, TurnedOrientation(geometry.orientation));
        }
        WritePageGeometry(ticket, geometry);
    } catch (const CXDException&) {
        // A ticket that cannot be read leaves the defaults.
    }
}

}  // namespace

HRESULT VisitActiveSteps(LayoutState& state, StepVisitor& visitor)
{
    for (size_t i = 0; i < LayoutState::kStepCount; ++i) {
        ImpositionStep* step = state.Steps(i);
        if (!step->IsActive()) continue;
        HRESULT hr = step->Accept(visitor);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT DocumentPass::VisitNUp(NUpStep& step)
{
    if (step.settings.scope != kSettingScopeJob) return S_OK;
    suppressed = step.documentsStarted;
    step.documentsStarted = true;
    return S_OK;
}

HRESULT SheetPlanPass::Plan()
{
    LayoutState& state = context_.state;
    facts_ = PageFacts{};
    facts_.divideChanged = state.divideChanged;
    pagesPerSheet_ = 0;
    state.sheetA = state.page;
    state.sheetB = state.page;
    HRESULT hr = VisitActiveSteps(state, *this);
    if (FAILED(hr)) return hr;
    state.planner.SetPagesPerSheet(pagesPerSheet_);
    PagePlan plan = state.planner.Plan(facts_);
    if (state.nup.IsActive()) {
        if (plan.layoutAnew) LayOut(state.nup);
        state.sheetA = state.nup.sheet;
    }
    state.slots.clear();
    for (const SheetSlot& slot : plan.slots) {
        PlacedSlot placed;
        placed.slot = slot;
        state.slots.push_back(placed);
    }
    return S_OK;
}

HRESULT SheetPlanPass::VisitBinding(BindingStep& step)
{
    facts_.duplex = step.TwoSided();
    facts_.frontSide = step.NextSideIsFront();
    if (facts_.divideChanged && IsBookletBinding(step.binding)) step.bookletCounter = 0;
    return S_OK;
}

HRESULT SheetPlanPass::VisitNUp(NUpStep& step)
{
    pagesPerSheet_ = step.settings.pagesPerSheet;
    context_.state.sheetB = step.sheet;
    return S_OK;
}

// A poster page prints as one sheet per tile, the first tile first.
HRESULT SheetPlanPass::VisitPoster(PosterStep& step)
{
    facts_.posterSheets = PosterTileCount(step.settings.sheetsPerPage);
    step.nextTile = 0;
    return S_OK;
}

void SheetPlanPass::LayOut(NUpStep& step)
{
    const SheetDescription& page = context_.state.page;
    SheetLayoutRequest request;
    request.pagesPerSheet = step.settings.pagesPerSheet;
    request.booklet = step.booklet;
    request.direction = DirectionOf(step.settings);
    request.borderLine = BorderOf(step.settings);
    request.pageOrientation = page.geometry.orientation;
    request.pageArea = page.area;
    AskDevice(context_, page, SheetTurnsAgainstPage(request.pagesPerSheet, request.booklet), &request);
    step.layout = LayOutSheet(request);
    step.sheet = page;
    step.sheet.geometry.orientation = step.layout.sheetOrientation;
    step.sheet.area = step.layout.sheetArea;
}

HRESULT TransformPass::Place()
{
    for (PlacedSlot& slot : state_.slots) {
        if (slot.slot.kind != SlotKind::Content && slot.slot.kind != SlotKind::Tile) continue;
        slot_ = &slot;
        nupMatrix_.Reset();
        bookletGutter_.Reset();
        posterMatrix_.Reset();
        clip_ = state_.placed.printable;
        borders_ = BorderLines{};
        HRESULT hr = VisitActiveSteps(state_, *this);
        if (FAILED(hr)) return hr;
        // The poster tile's enlargement, then the N-up matrix, then the
        // booklet gutter on the sheet (the ones that do not apply are the
        // identity).
        slot.placement = posterMatrix_;
        slot.placement.Multiply(&nupMatrix_, Gdiplus::MatrixOrderAppend);
        slot.placement.Multiply(&bookletGutter_, Gdiplus::MatrixOrderAppend);
        if (slot.slot.startsSheet && borders_.kind != BorderLineKind::None &&
            !(borders_.across.empty() && borders_.down.empty()))
            slot.borders = borders_;
        slot.clip = clip_;
    }
    slot_ = nullptr;
    return S_OK;
}

HRESULT TransformPass::VisitNUp(NUpStep& step)
{
    // A tile is a sheet of its own, in no cell.
    if (slot_->slot.kind == SlotKind::Tile) return S_OK;
    INT cell = slot_->slot.cell;
    nupMatrix_ = PlacementOfPage(step.layout, cell, state_.placed, step.turnOtherWay);
    if (step.settings.pagesPerSheet > 1 && cell == 0 && BorderOf(step.settings) != BorderLineKind::None)
        borders_ = step.layout.borders;
    return S_OK;
}

// A content page: its sheet's orientation, and for a booklet the page's
// shift away from the fold, after which the next page of the spread comes.
HRESULT TransformPass::VisitBinding(BindingStep& step)
{
    if (slot_->slot.kind != SlotKind::Content) return S_OK;
    step.SheetOrientationIs(state_.sheetA.geometry.orientation);
    if (!IsBookletBinding(step.binding)) return S_OK;
    Gdiplus::PointF shift = step.Gutter();
    bookletGutter_.Translate(shift.X, shift.Y, Gdiplus::MatrixOrderAppend);
    step.bookletCounter = (step.bookletCounter + 1) % 2;
    return S_OK;
}

// A tile: the page enlarged so that the tile's part of the printable area
// covers the printable area of the tile's sheet, clipped to that part. The
// tile sheets are the page's paper as the page lies; a page of another size
// than its paper is fitted to them.
HRESULT TransformPass::VisitPoster(PosterStep& step)
{
    if (slot_->slot.kind != SlotKind::Tile) return S_OK;
    const Gdiplus::RectF& page = state_.placed.printable;
    const ImageableArea& sheet = state_.page.area;
    Gdiplus::RectF sheetArea = PrintableRectInPageUnits(sheet);
    INT tiles = PosterTileCount(step.settings.sheetsPerPage);
    PosterTile tile = PosterTileOn(PosterGridSize(step.settings.sheetsPerPage), step.nextTile, page, sheetArea);
    posterMatrix_ = tile.matrix;
    clip_ = tile.clip;
    if (++step.nextTile >= tiles) step.nextTile = 0;
    return S_OK;
}
