// The three imposition steps of the layout filter and the visitor that
// drives them. The state holds them in a fixed order, BindingStep, NUpStep,
// PosterStep; a pass (a StepVisitor) visits the active ones, or all of them
// where it says so, and stops at the first failing visit.
#pragma once

#include "binding_gutter.h"
#include "filtercore/page_geometry.h"
#include "layout_settings.h"
#include "nup_layout.h"

class BindingStep;
class NUpStep;
class PosterStep;

class StepVisitor {
public:
    virtual HRESULT VisitPoster(PosterStep& step) = 0;
    virtual HRESULT VisitNUp(NUpStep& step) = 0;
    virtual HRESULT VisitBinding(BindingStep& step) = 0;

protected:
    ~StepVisitor() = default;
};

class ImpositionStep {
public:
    virtual HRESULT Accept(StepVisitor& visitor) = 0;
    virtual bool IsActive() const = 0;

protected:
    ~ImpositionStep() = default;
};

// The media, printable area and mirror settings of a page or of a sheet.
struct SheetDescription {
    PageGeometry geometry;
    ImageableArea area;
    MirrorSettings mirror;
};

bool IsBookletBinding(const BindingSettings& binding);

// The job's binding and two-sided printing, and the count of sheet sides
// sent, which tells fronts from backs. It moves each sheet side away from
// the bound edge by the binding gutter (in the sheet's matrix) and, for a
// booklet, each page of a spread away from the fold (in its placement).
class BindingStep final : public ImpositionStep {
public:
    HRESULT Accept(StepVisitor& visitor) override { return visitor.VisitBinding(*this); }
    // A job binding or a job duplex setting is present.
    bool IsActive() const override { return binding.scope != kSettingScopeNone || duplex.scope != kSettingScopeNone; }

    bool TwoSided() const { return duplex.kind != kDuplexOneSided; }
    bool ManualTwoSided() const { return duplex.mode == kDuplexModeManual; }
    bool NextSideIsFront() const { return sideCounter % 2 == 0; }

    // The sheet a content page goes on: the job's first one sets the
    // reference the gutter is turned against.
    void SheetOrientationIs(PageOrientation orientation)
    {
        if (!referenceTaken) reference = orientation;
        referenceTaken = true;
        current = orientation;
    }
    // The gutter's shift for the next side, or page of a spread.
    Gdiplus::PointF Gutter() const
    {
        GutterRequest request;
        request.binding = binding;
        request.duplexKind = duplex.kind;
        request.sideCounter = sideCounter;
        request.bookletCounter = bookletCounter;
        request.reference = reference;
        request.current = current;
        return GutterShift(request);
    }

    BindingSettings binding;
    DuplexSettings duplex;
    INT sideCounter = 0;
    // Which page of a booklet spread comes next (0 or 1).
    INT bookletCounter = 0;
    bool referenceTaken = false;
    PageOrientation reference = PageOrientation::Portrait;
    PageOrientation current = PageOrientation::Portrait;
};

// N-up, booklet spreads and one-up re-imposition: the layout of the sheet,
// worked out from the page that begins it, and the cell each page goes to.
class NUpStep final : public ImpositionStep {
public:
    HRESULT Accept(StepVisitor& visitor) override { return visitor.VisitNUp(*this); }
    bool IsActive() const override { return settings.pagesPerSheet > 0; }

    NUpSettings settings;
    bool booklet = false;
    // The first FixedDocument of a job-scoped N-up job was sent.
    bool documentsStarted = false;
    // "LandscapeRotation" is 90: quarter turns go the other way.
    bool turnOtherWay = false;
    SheetLayout layout;
    SheetDescription sheet;
};

// Poster pages: one page enlarged over several sheets, one tile of its
// printable area on each. The settings are read for every page.
class PosterStep final : public ImpositionStep {
public:
    HRESULT Accept(StepVisitor& visitor) override { return visitor.VisitPoster(*this); }
    bool IsActive() const override { return settings.sheetsPerPage > 0; }

    PosterSettings settings;
    // The tile the next tile slot of the page shows.
    INT nextTile = 0;
};
