#include "filtercore/ticket_writing.h"

HRESULT SelectTicketRoot(PrintTicketDom& ticket, ComPtr<IXMLDOMNode>* root)
{
    HRESULT hr = ticket.SelectRoot(root->Out());
    if (hr == S_FALSE) return E_UNEXPECTED;
    return hr;
}

HRESULT AppendFeatureWithOption(PrintTicketDom& ticket, IXMLDOMNode* root, BOOL featureIsPrivate, const WCHAR* name,
                                BOOL optionIsPrivate, const WCHAR* optionName, ComPtr<IXMLDOMElement>* option)
{
    if (root == nullptr) return E_POINTER;
    // A value outside a writer's name table arrives here as a null name.
    if (optionName == nullptr) return E_INVALIDARG;
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> newOption;
    HRESULT hr = ticket.CreateFeatureWithOption(featureIsPrivate, name, optionIsPrivate, optionName, feature.Out(),
                                                newOption.Out());
    if (SUCCEEDED(hr)) hr = root->appendChild(feature.Get(), nullptr);
    if (SUCCEEDED(hr) && option != nullptr) *option = std::move(newOption);
    return hr;
}
