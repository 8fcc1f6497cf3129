// The passes that run over the steps for the parts of a job: the sequence
// (nothing to do), a document (whether it is sent), and for each page the
// plan of its slots and where it goes in each of them. Sending the slots'
// output is EmitPass's (emit_pass.h).
#pragma once

#include "layout_context.h"

// Visits the active steps in their order; the first failure ends it.
HRESULT VisitActiveSteps(LayoutState& state, StepVisitor& visitor);

class SequencePass final : public StepVisitor {
public:
    HRESULT VisitPoster(PosterStep&) override { return S_OK; }
    HRESULT VisitNUp(NUpStep&) override { return S_OK; }
    HRESULT VisitBinding(BindingStep&) override { return S_OK; }
};

// In a job-scoped N-up job the sheets of all documents follow the first
// FixedDocument: every later one is held back.
class DocumentPass final : public StepVisitor {
public:
    HRESULT VisitPoster(PosterStep&) override { return S_OK; }
    HRESULT VisitNUp(NUpStep& step) override;
    HRESULT VisitBinding(BindingStep&) override { return S_OK; }

    bool suppressed = false;
};

// Plans the slots of the current page (state.slots) and the sheets it goes
// on (state.sheetA, state.sheetB); the first page of a sheet after a
// restart lays the sheet out.
class SheetPlanPass final : public StepVisitor {
public:
    explicit SheetPlanPass(LayoutContext& context) : context_(context) {}

    HRESULT Plan();

    HRESULT VisitPoster(PosterStep& step) override;
    HRESULT VisitNUp(NUpStep& step) override;
    HRESULT VisitBinding(BindingStep& step) override;

private:
    void LayOut(NUpStep& step);

    LayoutContext& context_;
    PageFacts facts_;
    INT pagesPerSheet_ = 0;
};

// Works out each content slot's placement, clip and border lines.
class TransformPass final : public StepVisitor {
public:
    explicit TransformPass(LayoutState& state) : state_(state) {}

    HRESULT Place();

    HRESULT VisitPoster(PosterStep& step) override;
    HRESULT VisitNUp(NUpStep& step) override;
    HRESULT VisitBinding(BindingStep& step) override;

private:
    LayoutState& state_;
    PlacedSlot* slot_ = nullptr;
    Gdiplus::Matrix nupMatrix_;
    Gdiplus::Matrix bookletGutter_;
    Gdiplus::Matrix posterMatrix_;
    // The part of the page the slot shows: its printable area, or a tile.
    Gdiplus::RectF clip_;
    BorderLines borders_;
};
