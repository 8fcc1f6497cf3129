// PageScalingSettings: how the PrintTicket asks for each page to be fitted
// or scaled onto the paper (the keywords feature "PageScaling" and the
// private "PageScalingData"), with its reader and writer.
#pragma once

#include "filtercore/page_geometry.h"
#include "filtercore/print_ticket_dom.h"

// PageScalingSettings::option: the rows of the PageScaling option table.
enum PageScalingOption : INT {
    kScalingNone = 0,
    kScalingFitToPaper = 1,  // private keywords
    kScalingCustomSquare = 2,
    kScalingFitBleedToImageable = 3,    // FitApplicationBleedSizeToPageImageableSize
    kScalingFitContentToImageable = 4,  // FitApplicationContentSizeToPageImageableSize
    kScalingFitMediaToImageable = 5,    // FitApplicationMediaSizeToPageImageableSize
    kScalingFitMediaToMedia = 6,        // FitApplicationMediaSizeToPageMediaSize
};
inline constexpr INT kScalingOptionCount = 7;

// PageScalingSettings::alignment: the rows of the ScaleOffsetAlignment
// option table.
enum ScaleOffsetAlignment : INT {
    kAlignBottomCenter = 0,
    kAlignBottomLeft = 1,
    kAlignBottomRight = 2,
    kAlignCenter = 3,
    kAlignLeftCenter = 4,
    kAlignRightCenter = 5,
    kAlignTopCenter = 6,
    kAlignTopLeft = 7,
    kAlignTopRight = 8,
};
inline constexpr INT kAlignmentCount = 9;

struct PageScalingSettings {
    INT option = kScalingNone;
    INT scale = 100;          // percent, CustomSquare
    INT offsetWidth = 4233;   // microns, CustomSquare
    INT offsetHeight = 4233;  // microns, CustomSquare
    INT alignment = kAlignCenter;
    // The paper of FitToPaper (FitMediaSize), Letter until a ticket names one.
    PageGeometry fitMedia;
    BOOL scalePrintableArea = FALSE;  // carried; changes nothing
    BOOL correctFixedPageSize = FALSE;
    SHORT fitToCustomPaperTemp = 256;  // carried and written back; changes nothing
};

// Fills the settings from the ticket; what the ticket does not say keeps
// the record's value. An option name that matches no row leaves the option
// and the values that belong to it (scale, offsets, alignment, fit media)
// as they were, but PageScalingData is still read. Absence is never a
// failure; E_FAIL for an option index outside the table.
HRESULT ReadScalingSettings(PrintTicketDom& ticket, PageScalingSettings* settings);

// Replaces the ticket's PageScaling feature (with the ParameterInits it
// refers to) and PageScalingData by the record's. E_INVALIDARG for an option
// or alignment outside its table. Stops at the first failure; what was
// appended before stays, so the ticket must not be stored then.
HRESULT WriteScalingSettings(PrintTicketDom& ticket, const PageScalingSettings& settings);
