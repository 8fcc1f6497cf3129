// ReadImageableArea: the device's "PageImageableSize" from PrintCapabilities.
#include "filtercore/page_geometry.h"
#include "filtercore/property_group_reader.h"

HRESULT ReadImageableArea(PrintTicketDom& capabilities, ImageableArea* area)
{
    if (area == nullptr) return E_POINTER;
    PropertyGroupReader size(capabilities, capabilities.KeywordsPrefix());
    HRESULT hr = size.Open(u"PageImageableSize");
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"ImageableSizeWidth", &area->imageableSizeWidth);
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"ImageableSizeHeight", &area->imageableSizeHeight);
    if (SUCCEEDED(hr)) hr = size.Open(u"ImageableArea");
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"OriginWidth", &area->originWidth);
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"OriginHeight", &area->originHeight);
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"ExtentWidth", &area->extentWidth);
    if (SUCCEEDED(hr)) hr = size.ReadInt(u"ExtentHeight", &area->extentHeight);
    return hr;
}
