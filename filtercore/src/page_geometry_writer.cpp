// WritePageGeometry: replaces the media, orientation and custom-paper
// settings of a ticket by those of a record.
#include "filtercore/page_geometry.h"
#include "filtercore/property_group_writer.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_writing.h"
#include "page_geometry_names.h"

namespace {

constexpr WCHAR kWidthParameter[] = u"PageMediaSizeMediaSizeWidth";
constexpr WCHAR kHeightParameter[] = u"PageMediaSizeMediaSizeHeight";

HRESULT RemoveGeometry(PrintTicketDom& ticket)
{
    HRESULT hr = ticket.RemoveFeature(kMediaSizeFeature);
    if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kOrientationFeature);
    if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kMediaSizeDataGroup);
    if (SUCCEEDED(hr)) hr = ticket.RemoveParameterInit(kWidthParameter);
    if (SUCCEEDED(hr)) hr = ticket.RemoveParameterInit(kHeightParameter);
    return hr;
}

// A custom size: the option's ScoredProperty holds a ParameterRef, and the
// ParameterInit it names, holding the size, goes to the root.
HRESULT AppendSizeParameter(PrintTicketDom& ticket, IXMLDOMNode* root, IXMLDOMElement* option, const WCHAR* parameter,
                            const WCHAR* property, INT size)
{
    ComPtr<IXMLDOMElement> reference;
    ComPtr<IXMLDOMElement> initialiser;
    HRESULT hr = ticket.CreateIntParameter(parameter, size, reference.Out(), initialiser.Out());
    ComPtr<IXMLDOMElement> scored;
    if (SUCCEEDED(hr))
        hr = ticket.WrapInScoredProperty(ticket.KeywordsPrefix(), property, reference.Get(), scored.Out());
    if (SUCCEEDED(hr)) hr = option->appendChild(scored.Get(), nullptr);
    if (SUCCEEDED(hr)) hr = root->appendChild(initialiser.Get(), nullptr);
    return hr;
}

HRESULT AppendSizeValue(PrintTicketDom& ticket, IXMLDOMElement* option, const WCHAR* property, INT size)
{
    ComPtr<IXMLDOMElement> scored;
    HRESULT hr = ticket.CreateIntScoredProperty(ticket.KeywordsPrefix(), property, size, scored.Out());
    if (SUCCEEDED(hr)) hr = option->appendChild(scored.Get(), nullptr);
    return hr;
}

// Raises CXDException when the media name cannot be compared.
HRESULT AppendMedia(PrintTicketDom& ticket, IXMLDOMNode* root, const PageGeometry& geometry)
{
    ComPtr<IXMLDOMElement> option;
    HRESULT hr = AppendFeatureWithOption(ticket, root, FALSE, kMediaSizeFeature, geometry.nameIsPrivate,
                                         geometry.MediaName(), &option);
    if (FAILED(hr)) return hr;

    if (NameEquals(geometry.MediaName(), u"CustomMediaSize", NameComparison::Locale)) {
        hr = AppendSizeParameter(ticket, root, option.Get(), kWidthParameter, kMediaSizeWidth, geometry.width);
        if (SUCCEEDED(hr))
            hr = AppendSizeParameter(ticket, root, option.Get(), kHeightParameter, kMediaSizeHeight, geometry.height);
        return hr;
    }
    hr = AppendSizeValue(ticket, option.Get(), kMediaSizeWidth, geometry.width);
    if (SUCCEEDED(hr)) hr = AppendSizeValue(ticket, option.Get(), kMediaSizeHeight, geometry.height);
    return hr;
}

}  // namespace

HRESULT WritePageGeometry(PrintTicketDom& ticket, const PageGeometry& geometry)
{
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr)) hr = RemoveGeometry(ticket);
        if (SUCCEEDED(hr)) hr = AppendMedia(ticket, root.Get(), geometry);
        if (SUCCEEDED(hr)) {
            const WCHAR* orientation = ChoiceName(static_cast<INT>(geometry.orientation), kOrientationNames);
            hr = AppendFeatureWithOption(ticket, root.Get(), FALSE, kOrientationFeature, FALSE, orientation, nullptr);
        }
        if (FAILED(hr)) return hr;

        PropertyGroupWriter data(ticket, ticket.PrivatePrefix(), kMediaSizeDataGroup);
        VisitMediaSizeData(geometry, data);
        return data.AppendTo(root.Get());
    });
}
