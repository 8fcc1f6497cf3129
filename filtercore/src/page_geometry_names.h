// The ticket names of a PageGeometry, shared by its reader and its writer:
// the media and orientation features, the PageOrientation options, and the
// members of the private "PageMediaSizeData" Property in the order the ticket
// holds them.
#pragma once

#include "filtercore/name_table.h"
#include "filtercore/page_geometry.h"

inline constexpr WCHAR kMediaSizeFeature[] = u"PageMediaSize";
inline constexpr WCHAR kMediaSizeWidth[] = u"MediaSizeWidth";
inline constexpr WCHAR kMediaSizeHeight[] = u"MediaSizeHeight";
inline constexpr WCHAR kOrientationFeature[] = u"PageOrientation";
inline constexpr WCHAR kMediaSizeDataGroup[] = u"PageMediaSizeData";

// Indexed by PageOrientationIndex.
inline constexpr const WCHAR* kOrientationNames[] = {u"Landscape", u"Portrait", u"ReverseLandscape",
                                                     u"ReversePortrait"};

inline constexpr const WCHAR* kCustomUnitNames[] = {u"mm", u"inch"};
inline constexpr const WCHAR* kThicknessNames[] = {u"Regular", u"Thick", u"Envelope"};

// Calls the visitor (PropertyGroupReader or PropertyGroupWriter) for each
// member with its field; stops at the first failure and returns it.
template <class Geometry, class Visitor>
HRESULT VisitMediaSizeData(Geometry& geometry, Visitor& visitor)
{
    constexpr NameComparison kLocale = NameComparison::Locale;
    HRESULT hr = visitor.Choice(u"CustomUnitType", kCustomUnitNames, kLocale, geometry.unitIsInch);
    if (SUCCEEDED(hr)) hr = visitor.Choice(u"TransverseMode", kOffOnNames, kLocale, geometry.transverse);
    if (SUCCEEDED(hr)) hr = visitor.Choice(u"ThicknessType", kThicknessNames, kLocale, geometry.thickness);
    if (SUCCEEDED(hr)) hr = visitor.Choice(u"UseFixedMargin", kOffOnNames, kLocale, geometry.fixedMargin);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"DocMarginLeft", geometry.documentMargins.left);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"DocMarginRight", geometry.documentMargins.right);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"DocMarginTop", geometry.documentMargins.top);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"DocMarginBottom", geometry.documentMargins.bottom);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"OutMarginLeft", geometry.outputMargins.left);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"OutMarginRight", geometry.outputMargins.right);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"OutMarginTop", geometry.outputMargins.top);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"OutMarginBottom", geometry.outputMargins.bottom);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"CustomPaperTemp", geometry.customPaperTemp);
    return hr;
}
