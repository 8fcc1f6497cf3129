// ReadPageGeometry: the media, orientation and custom-paper data of a merged
// ticket. What the ticket does not carry keeps the record's value and turns
// the result into S_PAGE_GEOMETRY_INCOMPLETE.
#include "filtercore/page_geometry.h"
#include "filtercore/property_group_reader.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"
#include "page_geometry_names.h"

namespace {

// The PageMediaSize option with both sizes, stored together or not at all.
// Only absence is reported (ERROR_NOT_FOUND); the record keeps its media on
// any other failure as well.
HRESULT ReadMedia(PrintTicketDom& ticket, PageGeometry* geometry)
{
    OwnedBstr name;
    BOOL isPrivate = FALSE;
    HRESULT hr = ticket.GetOptionName(ticket.KeywordsPrefix(), kMediaSizeFeature, name.Out(), &isPrivate);
    if (FAILED(hr)) return IsAbsence(hr) ? hr : S_OK;
    INT width = 0;
    INT height = 0;
    // A size given through a ParameterRef is resolved to its ParameterInit.
    hr = ticket.GetScoredPropertyValueInt(kMediaSizeFeature, kMediaSizeWidth, &width);
    if (SUCCEEDED(hr)) hr = ticket.GetScoredPropertyValueInt(kMediaSizeFeature, kMediaSizeHeight, &height);
    if (FAILED(hr)) return IsAbsence(hr) ? hr : S_OK;
    return CatchRaised([&] {
        geometry->SetMedia(name.Get(), width, height, isPrivate);
        return S_OK;
    });
}

// The PageOrientation option, without the private flag: a private option
// keeps its prefix and matches no name of the table.
HRESULT ReadOrientation(PrintTicketDom& ticket, PageGeometry* geometry)
{
    OwnedBstr name;
    HRESULT hr = ticket.GetOptionName(ticket.KeywordsPrefix(), kOrientationFeature, name.Out(), nullptr);
    if (FAILED(hr)) return IsAbsence(hr) ? hr : S_OK;
    return CatchRaised([&] {
        INT index = NameIndex(name.Get(), kOrientationNames, NameComparison::Locale);
        if (index >= 0) geometry->orientation = static_cast<PageOrientation>(index);
        return S_OK;
    });
}

}  // namespace

HRESULT ReadPageGeometry(PrintTicketDom& ticket, PageGeometry* geometry)
{
    if (geometry == nullptr) return E_POINTER;
    bool incomplete = false;
    // Failures other than absence leave the media and orientation as they
    // were and do not end the read.
    if (IsAbsence(ReadMedia(ticket, geometry))) incomplete = true;
    if (IsAbsence(ReadOrientation(ticket, geometry))) incomplete = true;

    PropertyGroupReader data(ticket, ticket.PrivatePrefix());
    HRESULT hr = data.Open(kMediaSizeDataGroup);
    if (IsAbsence(hr)) return S_PAGE_GEOMETRY_INCOMPLETE;
    if (FAILED(hr)) return hr;
    hr = VisitMediaSizeData(*geometry, data);
    if (FAILED(hr)) return hr;
    return incomplete || data.MissedMember() ? S_PAGE_GEOMETRY_INCOMPLETE : S_OK;
}
