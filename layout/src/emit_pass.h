// EmitPass: turns the slots of the current page into output: the page
// placed on its sheet (sent when the sheet is complete), the page passed
// through, an open sheet closed, an empty side that keeps two-sided output
// in step; each new sheet and empty side with a ticket of its own ("LO")
// that describes it. Only the binding step acts in this pass: it counts the
// sides sent and decides whether a planned empty side is sent.
#pragma once

#include "layout_context.h"
#include "placement_transform.h"
#include "tile_markup.h"

class EmitPass final : public StepVisitor {
public:
    explicit EmitPass(LayoutContext& context) : context_(context) {}

    // The slots of the current page (state.slots), in order.
    HRESULT Emit(IFixedPage* page);
    // Closes and sends the open sheet, if any: the job's last sheet, whose
    // cells may not all be filled.
    HRESULT Flush();

    HRESULT VisitPoster(PosterStep&) override { return S_OK; }
    HRESULT VisitNUp(NUpStep&) override { return S_OK; }
    HRESULT VisitBinding(BindingStep& step) override;

private:
    // The media of sheet A, of sheet B or of the page's paper as it lies
    // (the tiles of a poster page), and the bins.
    enum class TicketMode { MediaA, MediaB, MediaAAndBins, PaperAndBins, Bins };

    // Handles one slot; *output is what is to be sent, if anything.
    HRESULT HandleSlot(IFixedPage* page, const PlacedSlot& slot, ComPtr<IFixedPage>* output);
    HRESULT EmitBlank(ComPtr<IFixedPage>* output);
    HRESULT PlaceContent(IFixedPage* page, const PlacedSlot& slot, ComPtr<IFixedPage>* output);
    HRESULT CloseOpenSheet(ComPtr<IFixedPage>* output);
    // Describes the sheet in a ticket of its own: the sheet settings of the
    // mode written into the base's ticket document, stored as a ticket part
    // and attached to the sheet; or the part made before for the same.
    HRESULT GiveSheetTicket(IFixedPage* sheet, SheetTicketBase& base, TicketMode mode);
    // Adds the settings the mode writes to those written before; false when
    // the mode writes nothing now.
    bool AddSheetEdits(TicketMode mode, SheetTicketEdits* edits) const;
    // A side was sent: the separate-tray phase counts it.
    bool SideSent();

    LayoutContext& context_;
    Gdiplus::Matrix sheetMatrix_;
    PlacementTransform placement_;
    // The current page's markup for its poster tiles.
    TileMarkup tiles_;
    bool blank_ = false;
    bool flush_ = false;
    bool posterTile_ = false;
    bool completesSheet_ = false;
    bool bindingVisited_ = false;
    bool emitBlank_ = false;
};
