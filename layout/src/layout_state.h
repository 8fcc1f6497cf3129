// LayoutState: what the layout filter keeps while it runs a job: the
// imposition steps, the description of the current page and of the sheets
// it goes on, the slots of the current page, the open sheet, the bins and
// the separate-tray phase, and the tickets the sheets' tickets are made
// from.
#pragma once

#include <optional>
#include <vector>

#include "imposition_steps.h"
#include "own_page.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/xml.h"
#include "sheet_bins.h"
#include "sheet_plan.h"
#include "sheet_ticket_cache.h"

// A slot of the current page with where the page goes: the matrix from page
// to sheet coordinates, the part of the page shown, and the border lines
// of the sheet the slot begins.
struct PlacedSlot {
    SheetSlot slot;
    Gdiplus::Matrix placement;
    Gdiplus::RectF clip;
    BorderLines borders;
};

// The sheet being filled: its page and the stream its markup goes to.
struct OpenSheet {
    ComPtr<IFixedPage> page;
    ComPtr<IPrintWriteStream> stream;
    bool outerCanvas = false;
    BorderLines borders;
};

struct LayoutState {
    // A new job: everything but the landscape rotation back to its start.
    void ResetForJob()
    {
        INT rotation = landscapeRotation;
        *this = LayoutState();
        landscapeRotation = rotation;
    }

    // The steps in the order passes visit them.
    ImpositionStep* Steps(size_t index)
    {
        ImpositionStep* steps[] = {&binding, &nup, &poster};
        return steps[index];
    }
    static constexpr size_t kStepCount = 3;

    BindingStep binding;
    NUpStep nup;
    PosterStep poster;

    // The merged ticket of the page being handled (fetched when needed) and
    // that of the first page of the current sheet; and the sheet tickets
    // made from such tickets lately.
    SheetTicketBase currentTicket;
    SheetTicketBase previousTicket;
    SheetTicketCache sheetTickets;

    // The current page: its paper as the page lies on it (the ticket's,
    // turned when the page lies across it) and the page as it is placed, by
    // its own size; and the sheet it goes on (A) and the one that was open
    // before it (B).
    SheetDescription page;
    OwnPage placed;
    SheetDescription sheetA;
    SheetDescription sheetB;
    bool divideChanged = false;

    SheetPlanner planner;
    std::vector<PlacedSlot> slots;
    std::optional<OpenSheet> openSheet;

    InputBins bins;
    SeparateTray separateTray;
    bool separateTrayOn = false;
    bool duplexFirstPaper = false;
    // A separate-tray phase ended: an empty side may be due.
    bool pendingBlank = false;

    // The pipeline's "LandscapeRotation"; only 90 changes anything.
    INT landscapeRotation = 270;
};
