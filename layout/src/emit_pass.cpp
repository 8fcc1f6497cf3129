#include "emit_pass.h"

#include <algorithm>

#include "filtercore/page_rewrite.h"
#include "filtercore/raised_result.h"
#include "page_passes.h"
#include "sheet_output.h"
#include "sheet_page_writer.h"
#include "wrap_page_writer.h"

namespace {

// The tag of the ticket parts of sheets and empty sides.
constexpr WCHAR kTicketTag[] = u"LO";

std::u16string PartNameOf(IFixedPage* page)
{
    BSTR uri = nullptr;
    std::u16string name;
    if (SUCCEEDED(page->GetUri(&uri)) && uri != nullptr) name.assign(uri, SysStringLen(uri));
    SysFreeString(uri);
    return name;
}

// Writes the sheet settings into the ticket, media before bins.
HRESULT WriteSheetEdits(PrintTicketDom& ticket, const SheetTicketEdits& edits)
{
    HRESULT hr = S_OK;
    if (edits.media) {
        hr = WritePageGeometry(ticket, edits.media->geometry);
        if (SUCCEEDED(hr)) hr = WriteMirror(ticket, edits.media->mirror);
        if (FAILED(hr)) return hr;
    }
    if (!edits.bins) return S_OK;
    InputBinSettings binSettings;
    binSettings.pageBin = edits.bins->pageBin;
    binSettings.secondBin = edits.bins->secondBin;
    binSettings.secondBinInvalid = TRUE;
    hr = WriteInputBins(ticket, binSettings);
    JobInfoSettings jobInfo;
    if (SUCCEEDED(hr)) {
        hr = ReadJobInfo(ticket, &jobInfo);
        if (hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND)) hr = S_OK;
    }
    if (SUCCEEDED(hr)) {
        jobInfo.separateTrayMode = 0;
        hr = WriteJobInfo(ticket, jobInfo);
    }
    return hr;
}

}  // namespace

HRESULT EmitPass::Emit(IFixedPage* page)
{
    LayoutState& state = context_.state;
    for (size_t index = 0; index < state.slots.size();) {
        const PlacedSlot& slot = state.slots[index];
        bool blankPending = state.pendingBlank;
        ComPtr<IFixedPage> output;
        HRESULT hr = HandleSlot(page, slot, &output);
        if (FAILED(hr)) return hr;
        bool again = false;
        if (output) {
            hr = context_.consumer->SendFixedPage(output.Get());
            if (FAILED(hr)) return hr;
            // The side that ends the separate-tray phase may need an empty
            // back: the same slot is handled again as a possible empty side,
            // which the binding step decides from the side count.
            if (SideSent()) {
                state.pendingBlank = bindingVisited_;
                again = bindingVisited_ && !blankPending;
            }
        }
        if (!again) ++index;
    }
    // The first page of each sheet gives the sheet's empty back its ticket;
    // only two-sided jobs, whose binding step is active, have empty sides.
    bool beganSheet = state.nup.settings.pagesPerSheet < 2 ||
                      std::any_of(state.slots.begin(), state.slots.end(), [](const PlacedSlot& placed) {
                          return placed.slot.kind == SlotKind::Content && placed.slot.startsSheet;
                      });
    if (state.binding.IsActive() && beganSheet && context_.CurrentTicket() != nullptr)
        state.previousTicket = state.currentTicket;
    state.slots.clear();
    return S_OK;
}

bool EmitPass::SideSent()
{
    SeparateTray& tray = context_.state.separateTray;
    return tray.InPhase() && tray.SideSent();
}

HRESULT EmitPass::HandleSlot(IFixedPage* page, const PlacedSlot& slot, ComPtr<IFixedPage>* output)
{
    LayoutState& state = context_.state;
    posterTile_ = false;
    bindingVisited_ = false;
    if (state.pendingBlank) {
        blank_ = true;
    } else {
        SlotKind kind = slot.slot.kind;
        blank_ = kind == SlotKind::Blank || kind == SlotKind::PosterBlank;
        flush_ = kind == SlotKind::Flush;
        posterTile_ = kind == SlotKind::Tile || kind == SlotKind::PosterBlank;
        completesSheet_ = slot.slot.completesSheet || posterTile_;
    }
    sheetMatrix_.Reset();
    emitBlank_ = false;
    HRESULT hr = VisitActiveSteps(state, *this);
    if (FAILED(hr)) return hr;

    if (blank_) {
        if (!posterTile_ && emitBlank_) return EmitBlank(output);
        state.pendingBlank = false;
        return S_OK;
    }
    if (state.pendingBlank) {
        state.pendingBlank = false;
        return S_OK;
    }
    if (flush_) return CloseOpenSheet(output);
    return PlaceContent(page, slot, output);
}

// An empty side: after a separate-tray phase the side of the sheet to come
// (A), otherwise the back of the sheet before (B).
HRESULT EmitPass::EmitBlank(ComPtr<IFixedPage>* output)
{
    LayoutState& state = context_.state;
    bool afterPhase = state.pendingBlank;
    state.pendingBlank = false;
    const SheetDescription& sheet = afterPhase ? state.sheetA : state.sheetB;
    ComPtr<IFixedPage> side;
    HRESULT hr = CreateEmptySide(context_.consumer, sheet.area, &side);
    if (FAILED(hr)) return hr;
    bool ticketed = state.previousTicket.document || context_.CurrentTicket() != nullptr;
    SheetTicketBase& base = state.previousTicket.document ? state.previousTicket : state.currentTicket;
    if (ticketed) hr = GiveSheetTicket(side.Get(), base, afterPhase ? TicketMode::MediaA : TicketMode::MediaB);
    if (FAILED(hr)) return hr;
    *output = std::move(side);
    return S_OK;
}

HRESULT EmitPass::CloseOpenSheet(ComPtr<IFixedPage>* output)
{
    LayoutState& state = context_.state;
    if (!state.openSheet) return S_OK;
    OpenSheet sheet = std::move(*state.openSheet);
    state.openSheet.reset();
    HRESULT hr = CloseSheet(sheet);
    if (FAILED(hr)) return hr;
    *output = std::move(sheet.page);
    return S_OK;
}

HRESULT EmitPass::PlaceContent(IFixedPage* page, const PlacedSlot& slot, ComPtr<IFixedPage>* output)
{
    LayoutState& state = context_.state;
    HRESULT hr = S_OK;
    if (slot.slot.startsSheet) {
        // A sheet still open here was not closed by its plan; it goes out
        // rather than being lost.
        if (state.openSheet) return E_UNEXPECTED;
        OpenSheet sheet;
        hr = StartSheet(context_.consumer, posterTile_ ? state.page.area : state.sheetA.area, sheetMatrix_, &sheet);
        if (FAILED(hr)) return hr;
        // A tile sheet is the page's paper as the page lies, whatever sheet
        // the N-up pages around it go on.
        TicketMode mode = posterTile_ ? TicketMode::PaperAndBins : TicketMode::MediaAAndBins;
        if (context_.CurrentTicket() != nullptr) hr = GiveSheetTicket(sheet.page.Get(), state.currentTicket, mode);
        if (FAILED(hr)) {
            CloseSheet(sheet);
            return hr;
        }
        sheet.borders = slot.borders;
        state.openSheet = std::move(sheet);
    }
    if (!state.openSheet) {
        // The page passes through, moved only by a sheet matrix.
        if (!sheetMatrix_.IsIdentity()) {
            placement_.Set(sheetMatrix_);
            hr = RewriteFixedPage(page, [this](IPrintWriteStream* stream) -> MarkupWriter* {
                return new WrapPageWriter(stream, placement_);
            });
            if (FAILED(hr)) return hr;
        }
        // Only a page fed from the separate tray names its bin: any other
        // keeps its own ticket, and its merged ticket is not even fetched.
        if (state.separateTray.InPhase()) {
            if (context_.CurrentTicket() != nullptr) hr = GiveSheetTicket(page, state.currentTicket, TicketMode::Bins);
        }
        if (FAILED(hr)) return hr;
        *output = ComPtr<IFixedPage>::Share(page);
        return S_OK;
    }
    OpenSheet& sheet = *state.openSheet;
    placement_.Set(slot.placement);
    placement_.SetClip(slot.clip);
    std::u16string pageName = PartNameOf(page);
    if (posterTile_) {
        hr = tiles_.Write(page, pageName, placement_, sheet.stream.Get());
    } else {
        hr = StreamPageMarkup(page, sheet.stream.Get(), [this, &pageName](IPrintWriteStream* stream) -> MarkupWriter* {
            return new SheetPageWriter(stream, placement_, pageName);
        });
    }
    if (SUCCEEDED(hr)) hr = MovePageParts(page, sheet.page.Get());
    if (FAILED(hr)) return hr;
    if (completesSheet_) return CloseOpenSheet(output);
    return S_OK;
}

HRESULT EmitPass::VisitBinding(BindingStep& step)
{
    bindingVisited_ = true;
    LayoutState& state = context_.state;
    if (state.pendingBlank) {
        if (step.NextSideIsFront() || !step.TwoSided()) {
            blank_ = false;
        } else {
            ++step.sideCounter;
            emitBlank_ = !step.ManualTwoSided();
        }
        return S_OK;
    }
    if (blank_) {
        ++step.sideCounter;
        // By hand, the empty sides are counted but not printed.
        emitBlank_ = !step.TwoSided() || !step.ManualTwoSided();
        return S_OK;
    }
    // The side moves away from its bound edge: the sheet's outer Canvas, or
    // the Canvas that wraps a page passed through, carries the shift.
    if (!posterTile_ && !IsBookletBinding(step.binding)) {
        Gdiplus::PointF shift = step.Gutter();
        sheetMatrix_.Translate(shift.X, shift.Y);
    }
    if (completesSheet_ || flush_) ++step.sideCounter;
    return S_OK;
}

HRESULT EmitPass::Flush()
{
    ComPtr<IFixedPage> output;
    HRESULT hr = CloseOpenSheet(&output);
    if (SUCCEEDED(hr) && output) hr = context_.consumer->SendFixedPage(output.Get());
    return hr;
}

HRESULT EmitPass::GiveSheetTicket(IFixedPage* sheet, SheetTicketBase& base, TicketMode mode)
{
    SheetTicketEdits edits = base.edits;
    if (!AddSheetEdits(mode, &edits)) return S_OK;
    base.edits = edits;
    SheetTicketCache& cache = context_.state.sheetTickets;
    if (IPartPrintTicket* made = cache.Find(base.serial, edits)) return sheet->SetPrintTicket(made);
    return CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", context_.privateNamespace, base.document.Get());
        HRESULT hr = WriteSheetEdits(dom, edits);
        if (FAILED(hr)) return hr;
        // A sheet is one page on its sheet side, whatever the page asked.
        NUpSettings nup;
        if (SUCCEEDED(ReadNUp(dom, &nup)) && nup.pagesPerSheet != 0) {
            NUpSettings onePerSheet;
            onePerSheet.pagesPerSheet = 1;
            WriteNUp(dom, onePerSheet);
        }
        ComPtr<IPartPrintTicket> part;
        hr = context_.tickets.WriteTicketPart(context_.consumer, base.document.Get(), kTicketTag, part.Out());
        if (SUCCEEDED(hr)) hr = sheet->SetPrintTicket(part.Get());
        if (SUCCEEDED(hr)) cache.Keep(base.serial, edits, std::move(part));
        return hr;
    });
}

// The sheet's media, orientation and mirror settings; and its bin: the
// first page's while the separate-tray phase lasts, after it the current
// one. The bins are written so that no later filter picks a second bin or
// separates a tray again.
bool EmitPass::AddSheetEdits(TicketMode mode, SheetTicketEdits* edits) const
{
    const LayoutState& state = context_.state;
    if (mode == TicketMode::MediaA || mode == TicketMode::MediaAAndBins) edits->media = state.sheetA;
    if (mode == TicketMode::MediaB) edits->media = state.sheetB;
    if (mode == TicketMode::PaperAndBins) edits->media = state.page;
    bool bins = mode == TicketMode::MediaAAndBins || mode == TicketMode::PaperAndBins ||
                (mode == TicketMode::Bins && state.separateTray.InPhase());
    if (bins) edits->bins = SheetTicketEdits::Bins{state.separateTray.SheetBin(state.bins), state.bins.SecondBin()};
    return mode != TicketMode::Bins || bins;
}
