// The media a page is printed on, as the filters that scale, impose, turn
// or rasterise pages need it: the PageMediaSize option and its size in
// microns, the PageOrientation, and the driver's private custom-paper data
// ("PageMediaSizeData"); and the imageable area the device reports in its
// PrintCapabilities ("PageImageableSize").
#pragma once

#include "filtercore/print_ticket_dom.h"
#include "filtercore/record_string.h"
#include "platform/page_media.h"

// A success code: the ticket lacked one or more of the settings
// ReadPageGeometry looks for, and the record kept its values for them.
inline constexpr HRESULT S_PAGE_GEOMETRY_INCOMPLETE = 0x00040002;

// Margins set by the driver's user interface, in microns; -1 where none was
// given.
struct PaperMargins {
    INT left = -1;
    INT right = -1;
    INT top = -1;
    INT bottom = -1;
};

class PageGeometry {
public:
    // NorthAmericaLetter, 215900 x 279400 microns, Portrait.
    PageGeometry();

    // The local name of the PageMediaSize option (without prefix).
    BSTR MediaName() const { return mediaName_.Get(); }
    // Stores the media. The name is copied only when it differs from the
    // stored one (so the record's own name may be passed back in); the
    // numbers are always stored. Raises CXDException(E_OUTOFMEMORY).
    void SetMedia(BSTR name, INT newWidth, INT newHeight, BOOL newNameIsPrivate);

    BOOL nameIsPrivate = FALSE;  // the option is in the private namespace
    INT width = 215900;          // MediaSizeWidth, microns
    INT height = 279400;         // MediaSizeHeight, microns
    PageOrientation orientation = PageOrientation::Portrait;
    BOOL unitIsInch = FALSE;       // CustomUnitType: "inch" 1, "mm" 0
    BOOL transverse = FALSE;       // TransverseMode: "On" 1, "Off" 0
    INT thickness = 0;             // ThicknessType: "Regular", "Thick", "Envelope"
    BOOL fixedMargin = FALSE;      // UseFixedMargin: "On" 1, "Off" 0
    PaperMargins documentMargins;  // DocMarginLeft, -Right, -Top, -Bottom
    PaperMargins outputMargins;    // OutMarginLeft, -Right, -Top, -Bottom
    SHORT customPaperTemp = 256;   // CustomPaperTemp, carried for the filters that use it

private:
    RecordString mediaName_;
};

// Fills the record from the ticket's PageMediaSize (name and both sizes, or
// nothing), PageOrientation and private PageMediaSizeData. S_OK when all were
// there, S_PAGE_GEOMETRY_INCOMPLETE when one or more were missing (the record
// keeps its values for them); a failure while reading the custom-paper data
// ends the read and is returned. Failures while reading the media or the
// orientation leave those fields and are not reported.
HRESULT ReadPageGeometry(PrintTicketDom& ticket, PageGeometry* geometry);

// Replaces the ticket's PageMediaSize (with ParameterRefs and ParameterInits
// for CustomMediaSize), PageOrientation and PageMediaSizeData by the record's.
// Stops at the first failure and returns it; what was appended before stays,
// so the caller must not store the ticket then. E_INVALIDARG for an
// orientation or thickness outside its table.
HRESULT WritePageGeometry(PrintTicketDom& ticket, const PageGeometry& geometry);

// Reads "PageImageableSize" from PrintCapabilities. ERROR_NOT_FOUND, with the
// record untouched, when the capabilities have none; otherwise the first
// failing read is returned and the values read before it are kept.
HRESULT ReadImageableArea(PrintTicketDom& capabilities, ImageableArea* area);
