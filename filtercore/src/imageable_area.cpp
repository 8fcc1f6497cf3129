#include "filtercore/imageable_area.h"

#include "filtercore/page_geometry.h"
#include "filtercore/raised_result.h"
#include "platform/units.h"

HRESULT ReadTicketImageableArea(PrintTicketManager& manager, const WCHAR* privateNamespace, IXMLDOMDocument2* ticket,
                                ImageableArea* area)
{
    if (ticket == nullptr || area == nullptr) return E_POINTER;
    return CatchRaised([&] {
        ComPtr<IXMLDOMDocument2> capabilities;
        HRESULT hr = manager.GetPrintCapabilities(ticket, capabilities.Out());
        if (FAILED(hr)) return hr;
        if (!capabilities) return E_FAIL;
        PrintTicketDom dom(u"PrintCapabilities", privateNamespace, capabilities.Get());
        return ReadImageableArea(dom, area);
    });
}

Gdiplus::RectF PrintableRectInPageUnits(const ImageableArea& area)
{
    return {MicronsToXpsUnits(area.originWidth), MicronsToXpsUnits(area.originHeight),
            MicronsToXpsUnits(area.extentWidth), MicronsToXpsUnits(area.extentHeight)};
}
