#include "page_device.h"

PageResolution AcceptedResolution(INT x, INT y)
{
    for (INT dpi : {1200, 600, 300, 200, 150}) {
        if (x == dpi && y == dpi) return {dpi, dpi};
    }
    return {};
}

PageResolution ReadPageResolution(PrintTicketDom& ticket)
{
    INT x = 0;
    INT y = 0;
    if (FAILED(ticket.GetScoredPropertyValueInt(u"PageResolution", u"ResolutionX", &x)) ||
        FAILED(ticket.GetScoredPropertyValueInt(u"PageResolution", u"ResolutionY", &y)))
        return {};
    return AcceptedResolution(x, y);
}

INT RotationCode(PageOrientation orientation, LONG portraitRotation, LONG landscapeRotation)
{
    if (IsLandscapeLike(orientation)) {
        switch (landscapeRotation) {
        case 0: return 2;
        case 90: return 3;
        case 180: return 4;
        default: return 5;
        }
    }
    switch (portraitRotation) {
    case 90: return 3;
    case 180: return 4;
    case 270: return 5;
    default: return 2;
    }
}

INT PlanesCode(LONG outputPlanes) { return outputPlanes == 1 || outputPlanes == 4 ? outputPlanes : 3; }
