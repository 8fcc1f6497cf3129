// The scaling step: reads what a ticket asks of page scaling, builds the
// context's ScalingState from it, and changes the ticket so that the filters
// after this one see no scaling pending: the paper of FitToPaper becomes the
// ticket's paper, and PageScaling is reset to None with its defaults.
#pragma once

#include "preparation_context.h"

// Steps, each ending the step when it fails: the scaling settings, the
// page's media and the device's imageable area (the source area) are read.
// For FitToPaper the fit paper, with the page's orientation, thickness,
// fixed margin and, as its document margins, the page's output margins, is
// written into the ticket. The imageable area is read again (the target
// area) and context.scaling is built. Once the reads succeeded, PageScaling
// is reset in the ticket whatever came of the paper and the target area,
// and *changed is set; the result is that of the paper and target area
// (the reset's own failure is not reported).
HRESULT ApplyScalingStep(PreparationContext& context, IXMLDOMDocument2* ticket, bool* changed);
