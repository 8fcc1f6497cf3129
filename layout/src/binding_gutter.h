// The binding gutter as numbers: the shift that moves a sheet side away from
// its bound edge, or a booklet page away from the fold, in 1/96 inch.
#pragma once

#include "filtercore/job_settings.h"
#include "platform/gdiplus_types.h"
#include "platform/page_media.h"

// What the shift of one side or page depends on.
struct GutterRequest {
    BindingSettings binding;
    // DuplexSettings::kind: 0 one-sided, 1 and 2 short edge, 3 and 4 long edge.
    INT duplexKind = 0;
    // Sheet sides sent so far: even means the side is a front.
    INT sideCounter = 0;
    // Which page of a booklet spread (0 the first, 1 the second).
    INT bookletCounter = 0;
    // The orientation of the job's first sheet and of the current one.
    PageOrientation reference = PageOrientation::Portrait;
    PageOrientation current = PageOrientation::Portrait;
};

// The translation (dx, dy) for the request: (0, 0) unless both the binding
// option and the gutter are switched on. Edge bindings move a front side
// away from the bound edge (turned with the current sheet against the
// first) and a back side so that the gutter stays on the same edge of the
// paper after it is flipped; booklets move the first page of a spread
// towards the start and the second towards the end, along the spread.
Gdiplus::PointF GutterShift(const GutterRequest& request);
