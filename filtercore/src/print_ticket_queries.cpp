// The queries of PrintTicketDom: node selection, attribute and value
// reading with ParameterRef resolution, and option names without prefix.
#include <limits>

#include "filtercore/bstr_utils.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"
#include "platform/wformat.h"

namespace {

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// Readers tell absence from failure by ERROR_NOT_FOUND.
HRESULT AbsentAsNotFound(HRESULT hr) { return hr == S_FALSE ? kNotFound : hr; }

INT SaturatedInt(long long number)
{
    if (number > std::numeric_limits<INT>::max()) return std::numeric_limits<INT>::max();
    if (number < std::numeric_limits<INT>::min()) return std::numeric_limits<INT>::min();
    return static_cast<INT>(number);
}

}  // namespace

HRESULT PrintTicketDom::SelectSingleNode(BSTR expression, IXMLDOMNode** node)
{
    if (node == nullptr) return E_POINTER;
    if (*node != nullptr) {
        (*node)->Release();
        *node = nullptr;
    }
    if (SysStringLen(expression) == 0) return E_INVALIDARG;
    if (!document_) return E_UNEXPECTED;
    return document_->selectSingleNode(expression, node);
}

HRESULT PrintTicketDom::SelectNodes(BSTR expression, IXMLDOMNodeList** list)
{
    if (list == nullptr) return E_POINTER;
    *list = nullptr;
    if (SysStringLen(expression) == 0) return E_FAIL;
    if (!document_) return E_UNEXPECTED;
    HRESULT hr = document_->selectNodes(expression, list);
    if (hr != S_OK) return hr;
    // The DOM gives an empty list with S_OK; callers learn "nothing" from
    // the result, as with every other query.
    LONG length = 0;
    hr = (*list)->get_length(&length);
    if (FAILED(hr)) {
        (*list)->Release();
        *list = nullptr;
        return hr;
    }
    return length == 0 ? S_FALSE : S_OK;
}

HRESULT PrintTicketDom::SelectRoot(IXMLDOMNode** node)
{
    if (node == nullptr) return E_POINTER;
    // psf is bound to the framework namespace whatever prefix the document
    // uses (see BindSelectionNamespaces).
    return CatchRaised([&] {
        OwnedBstr expression = FormatBstr(u"//%s:%s", u"psf", rootName_.Get());
        return SelectSingleNode(expression.Get(), node);
    });
}

HRESULT PrintTicketDom::NodeExists(BSTR expression)
{
    ComPtr<IXMLDOMNode> node;
    return AbsentAsNotFound(SelectSingleNode(expression, node.Out()));
}

HRESULT PrintTicketDom::GetAttribute(IXMLDOMNode* node, const WCHAR* name, BSTR* text)
{
    if (node == nullptr || text == nullptr) return E_POINTER;
    *text = nullptr;
    if (IsEmptyText(name)) return E_INVALIDARG;
    return CatchRaised([&] {
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        HRESULT hr = node->get_attributes(attributes.Out());
        if (hr != S_OK) return hr;
        OwnedBstr attributeName = OwnedBstr::Copy(name);
        ComPtr<IXMLDOMNode> attribute;
        hr = attributes->getNamedItem(attributeName.Get(), attribute.Out());
        if (hr != S_OK) return hr;
        return attribute->get_text(text);
    });
}

HRESULT PrintTicketDom::ReadValue(BSTR expression, BSTR* text)
{
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> node;
        HRESULT hr = SelectSingleNode(expression, node.Out());
        if (hr != S_OK) return hr;

        // The value is either written in place...
        OwnedBstr valuePath = FormatBstr(u"%sValue", frameworkPrefix_.Get());
        ComPtr<IXMLDOMNode> value;
        hr = node->selectSingleNode(valuePath.Get(), value.Out());
        if (FAILED(hr)) return hr;
        if (hr == S_OK) return TypedValueText(value.Get(), text);

        // ...or referred to by a ParameterRef naming a ParameterInit.
        OwnedBstr referencePath = FormatBstr(u"%sParameterRef", frameworkPrefix_.Get());
        ComPtr<IXMLDOMNode> reference;
        hr = node->selectSingleNode(referencePath.Get(), reference.Out());
        if (hr != S_OK) return hr;
        return ReadParameterRefValue(reference.Get(), text);
    });
}

HRESULT PrintTicketDom::ReadParameterRefValue(IXMLDOMNode* reference, BSTR* text)
{
    OwnedBstr referenceName;
    HRESULT hr = GetAttribute(reference, u"name", referenceName.Out());
    if (hr != S_OK) return hr;
    OwnedBstr initialiserPath = FormatBstr(u"//%sParameterInit", frameworkPrefix_.Get());
    ComPtr<IXMLDOMNodeList> initialisers;
    hr = SelectNodes(initialiserPath.Get(), initialisers.Out());
    if (hr != S_OK) return hr;
    ComPtr<IXMLDOMNode> initialiser;
    while ((hr = initialisers->nextNode(initialiser.Out())) == S_OK) {
        OwnedBstr name;
        hr = GetAttribute(initialiser.Get(), u"name", name.Out());
        if (FAILED(hr)) return hr;
        // Parameter names compare as names do everywhere in tickets.
        if (hr == S_OK && BstrEquals(name.Get(), referenceName.Get())) return TypedValueText(initialiser.Get(), text);
    }
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT PrintTicketDom::ReadValueText(BSTR expression, BSTR* text)
{
    return AbsentAsNotFound(ReadValue(expression, text));
}

HRESULT PrintTicketDom::ReadValueInt(BSTR expression, INT* value)
{
    if (value == nullptr) return E_POINTER;
    OwnedBstr text;
    HRESULT hr = ReadValueText(expression, text.Out());
    if (FAILED(hr)) return hr;
    *value = SaturatedInt(WideToInteger(OrEmpty(text.Get()), nullptr));
    return hr;
}

HRESULT PrintTicketDom::FeatureExists(const WCHAR* name)
{
    XPathBuilder path = NewXPath();
    HRESULT hr = path.AppendFeature(keywordsPrefix_.Get(), name);
    if (FAILED(hr)) return hr;
    return NodeExists(path.Expression());
}

HRESULT PrintTicketDom::GetOptionName(const WCHAR* prefix, const WCHAR* feature, BSTR* name, BOOL* isPrivate)
{
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    XPathBuilder path = NewXPath();
    HRESULT hr = path.AppendFeature(prefix, feature);
    if (FAILED(hr)) return hr;
    return ReadOptionName(path, false, name, isPrivate);
}

HRESULT PrintTicketDom::GetNestedOptionName(const WCHAR* prefix1, const WCHAR* feature, const WCHAR* prefix2,
                                            const WCHAR* subFeature, BSTR* name, BOOL* isPrivate)
{
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    // Each Feature step starts with //, so the second one selects a
    // descendant of the first.
    XPathBuilder path = NewXPath();
    HRESULT hr = path.AppendFeature(prefix1, feature);
    if (SUCCEEDED(hr)) hr = path.AppendFeature(prefix2, subFeature);
    if (FAILED(hr)) return hr;
    return ReadOptionName(path, true, name, isPrivate);
}

HRESULT PrintTicketDom::ReadOptionName(const XPathBuilder& featurePath, bool nameAttributeOnly, BSTR* name,
                                       BOOL* isPrivate)
{
    XPathBuilder path = NewXPath();
    HRESULT hr = path.CopyFrom(featurePath);
    if (SUCCEEDED(hr)) hr = path.AppendOptionValue(keywordsPrefix_.Get());
    if (FAILED(hr)) return hr;
    ComPtr<IXMLDOMNode> option;
    hr = SelectSingleNode(path.Expression(), option.Out());
    if (hr != S_OK) return AbsentAsNotFound(hr);

    // An Option carries its name as an attribute; the Value of the
    // ScoredProperty OptionName carries it as text.
    OwnedBstr optionName;
    hr = GetAttribute(option.Get(), u"name", optionName.Out());
    if (hr == S_FALSE)
        hr = nameAttributeOnly ? kNotFound : TypedValueText(option.Get(), optionName.Out());
    else if (hr == S_OK)
        hr = TrimWhiteSpace(optionName.InPlace());
    if (FAILED(hr)) return hr;
    hr = StripPrefix(optionName.InPlace(), isPrivate);
    if (FAILED(hr)) return hr;
    *name = optionName.Detach();
    return S_OK;
}

HRESULT PrintTicketDom::BuildScoredPropertyPath(const WCHAR* feature, const WCHAR* property, XPathBuilder* path)
{
    if (IsEmptyText(feature) || IsEmptyText(property)) return E_INVALIDARG;
    HRESULT hr = path->AppendFeature(keywordsPrefix_.Get(), feature);
    if (SUCCEEDED(hr)) hr = path->AppendScoredProperty(keywordsPrefix_.Get(), property);
    return hr;
}

HRESULT PrintTicketDom::GetScoredPropertyValue(const WCHAR* feature, const WCHAR* property, BSTR* text)
{
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    XPathBuilder path = NewXPath();
    HRESULT hr = BuildScoredPropertyPath(feature, property, &path);
    if (FAILED(hr)) return hr;
    return ReadValueText(path.Expression(), text);
}

HRESULT PrintTicketDom::GetScoredPropertyValueInt(const WCHAR* feature, const WCHAR* property, INT* value)
{
    if (value == nullptr) return E_POINTER;
    XPathBuilder path = NewXPath();
    HRESULT hr = BuildScoredPropertyPath(feature, property, &path);
    if (FAILED(hr)) return hr;
    return ReadValueInt(path.Expression(), value);
}

HRESULT PrintTicketDom::StripPrefix(BSTR* name, BOOL* isPrivate)
{
    if (name == nullptr) return E_POINTER;
    if (isPrivate != nullptr) *isPrivate = FALSE;
    if (SysStringLen(*name) == 0) return E_INVALIDARG;

    // The private prefix is only looked for when the caller wants to know;
    // otherwise a private name keeps its prefix.
    UINT removed = 0;
    if (isPrivate != nullptr && BeginsWith(*name, privatePrefix_.Get())) {
        removed = privatePrefix_.Length();
        *isPrivate = TRUE;
    } else if (BeginsWith(*name, keywordsPrefix_.Get())) {
        removed = keywordsPrefix_.Length();
    }
    if (removed == 0) return S_OK;
    BSTR localName = SysAllocStringLen(*name + removed, SysStringLen(*name) - removed);
    if (localName == nullptr) return E_OUTOFMEMORY;
    SysFreeString(*name);
    *name = localName;
    return S_OK;
}
