// The page-device values a page is fed with: its resolution, the rotation
// code of its orientation and the planes code of the device's output.
#pragma once

#include "filtercore/print_ticket_dom.h"
#include "platform/page_media.h"

struct PageResolution {
    INT x = 600;
    INT y = 600;
    bool operator==(const PageResolution&) const = default;
};

// Only 1200, 600, 300, 200 and 150 dpi the same across and down are fed;
// any other pair is fed as 600 x 600.
PageResolution AcceptedResolution(INT x, INT y);

// The ticket's PageResolution ("ResolutionX" and "ResolutionY"), accepted
// as above; 600 x 600 when either cannot be read.
PageResolution ReadPageResolution(PrintTicketDom& ticket);

// Rotation codes: 2 none, 3 a quarter turn, 4 a half turn, 5 three quarters.
// Portrait pages take portraitRotation (90, 180, 270; anything else is
// none), landscape pages landscapeRotation (0, 90, 180; anything else is
// three quarters).
INT RotationCode(PageOrientation orientation, LONG portraitRotation, LONG landscapeRotation);

// 1 and 4 planes keep their number; anything else is 3.
INT PlanesCode(LONG outputPlanes);
