// The element builders of PrintTicketDom: Print Schema elements in the
// framework namespace, named with the document's own prefixes and not yet
// attached to the document.
#include "filtercore/print_schema_namespaces.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"

namespace {

// The prefix of a name in the private or the keywords namespace.
const WCHAR* NamespacePrefix(const PrintTicketDom& ticket, BOOL isPrivate)
{
    return isPrivate ? ticket.PrivatePrefix() : ticket.KeywordsPrefix();
}

HRESULT ClearOut(IXMLDOMElement** element)
{
    if (element == nullptr) return E_POINTER;
    *element = nullptr;
    return S_OK;
}

}  // namespace

HRESULT PrintTicketDom::CreateElement(const WCHAR* qualifiedName, IXMLDOMElement** element)
{
    if (FAILED(ClearOut(element))) return E_POINTER;
    if (IsEmptyText(qualifiedName)) return E_INVALIDARG;
    return CatchRaised([&] {
        OwnedBstr name = OwnedBstr::Copy(qualifiedName);
        OwnedBstr framework = OwnedBstr::Copy(kPrintSchemaFrameworkNamespace);
        ComPtr<IXMLDOMNode> node;
        HRESULT hr = document_->createNode(IntegerVariant(NODE_ELEMENT), name.Get(), framework.Get(), node.Out());
        if (FAILED(hr)) return hr;
        return node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element));
    });
}

HRESULT PrintTicketDom::SetAttribute(IXMLDOMElement* element, const WCHAR* name, const WCHAR* namespaceUri,
                                     const WCHAR* text)
{
    if (element == nullptr) return E_POINTER;
    if (IsEmptyText(name)) return E_INVALIDARG;
    return CatchRaised([&] {
        OwnedBstr attributeName = OwnedBstr::Copy(name);
        OwnedBstr uri = OwnedBstr::Copy(OrEmpty(namespaceUri));
        OwnedBstr value = OwnedBstr::Copy(OrEmpty(text));
        ComPtr<IXMLDOMNode> node;
        HRESULT hr = document_->createNode(IntegerVariant(NODE_ATTRIBUTE), attributeName.Get(), uri.Get(), node.Out());
        if (FAILED(hr)) return hr;
        hr = node->put_nodeValue(BorrowedBstrVariant(value.Get()));
        if (FAILED(hr)) return hr;
        ComPtr<IXMLDOMAttribute> attribute;
        hr = node.As(IID_IXMLDOMAttribute, &attribute);
        if (FAILED(hr)) return hr;
        return element->setAttributeNode(attribute.Get(), nullptr);
    });
}

HRESULT PrintTicketDom::CreateFeature(BOOL featureIsPrivate, const WCHAR* name, IXMLDOMElement** feature,
                                      IXMLDOMElement** option)
{
    if (FAILED(ClearOut(feature)) || FAILED(ClearOut(option))) return E_POINTER;
    return CatchRaised([&] {
        ComPtr<IXMLDOMElement> newFeature;
        HRESULT hr = CreateNamedElement(u"Feature", NamespacePrefix(*this, featureIsPrivate), name, newFeature.Out());
        if (FAILED(hr)) return hr;
        OwnedBstr optionName = FormatBstr(u"%sOption", frameworkPrefix_.Get());
        ComPtr<IXMLDOMElement> newOption;
        hr = CreateElement(optionName.Get(), newOption.Out());
        if (SUCCEEDED(hr)) hr = newFeature->appendChild(newOption.Get(), nullptr);
        if (FAILED(hr)) return hr;
        *feature = newFeature.Detach();
        *option = newOption.Detach();
        return S_OK;
    });
}

HRESULT PrintTicketDom::CreateFeatureWithOption(BOOL featureIsPrivate, const WCHAR* name, BOOL optionIsPrivate,
                                                const WCHAR* optionName, IXMLDOMElement** feature,
                                                IXMLDOMElement** option)
{
    if (FAILED(ClearOut(feature)) || FAILED(ClearOut(option))) return E_POINTER;
    if (IsEmptyText(optionName)) return E_INVALIDARG;
    return CatchRaised([&] {
        ComPtr<IXMLDOMElement> newFeature;
        ComPtr<IXMLDOMElement> newOption;
        HRESULT hr = CreateFeature(featureIsPrivate, name, newFeature.Out(), newOption.Out());
        if (FAILED(hr)) return hr;
        OwnedBstr qualifiedOption = FormatBstr(u"%s%s", OrEmpty(NamespacePrefix(*this, optionIsPrivate)), optionName);
        hr = SetAttribute(newOption.Get(), u"name", nullptr, qualifiedOption.Get());
        if (FAILED(hr)) return hr;
        *feature = newFeature.Detach();
        *option = newOption.Detach();
        return S_OK;
    });
}

HRESULT PrintTicketDom::CreateParameter(const WCHAR* prefix, const WCHAR* name, const WCHAR* type, const WCHAR* text,
                                        IXMLDOMElement** reference, IXMLDOMElement** initialiser)
{
    if (FAILED(ClearOut(initialiser))) return E_POINTER;
    if (reference != nullptr) *reference = nullptr;
    ComPtr<IXMLDOMElement> newReference;
    if (reference != nullptr) {
        HRESULT hr = CreateNamedElement(u"ParameterRef", prefix, name, newReference.Out());
        if (FAILED(hr)) return hr;
    }
    ComPtr<IXMLDOMElement> newInitialiser;
    HRESULT hr = CreateNamedElementWithValue(u"ParameterInit", prefix, name, type, text, newInitialiser.Out());
    if (FAILED(hr)) return hr;
    if (reference != nullptr) *reference = newReference.Detach();
    *initialiser = newInitialiser.Detach();
    return S_OK;
}

HRESULT PrintTicketDom::CreateIntParameter(const WCHAR* name, INT value, IXMLDOMElement** reference,
                                           IXMLDOMElement** initialiser)
{
    return CatchRaised([&] {
        OwnedBstr text = FormatBstr(u"%i", value);
        return CreateParameter(keywordsPrefix_.Get(), name, u"integer", text.Get(), reference, initialiser);
    });
}

HRESULT PrintTicketDom::CreateProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMElement** property)
{
    return CreateNamedElement(u"Property", prefix, name, property);
}

HRESULT PrintTicketDom::CreatePropertyWithValue(const WCHAR* prefix, const WCHAR* name, const WCHAR* type,
                                                const WCHAR* text, IXMLDOMElement** property)
{
    return CreateNamedElementWithValue(u"Property", prefix, name, type, text, property);
}

HRESULT PrintTicketDom::CreateIntProperty(const WCHAR* prefix, const WCHAR* name, INT value, IXMLDOMElement** property)
{
    return CatchRaised([&] {
        OwnedBstr text = FormatBstr(u"%i", value);
        return CreatePropertyWithValue(prefix, name, u"integer", text.Get(), property);
    });
}

HRESULT PrintTicketDom::CreateScoredProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMElement** property)
{
    return CreateNamedElement(u"ScoredProperty", prefix, name, property);
}

HRESULT PrintTicketDom::CreateScoredPropertyWithValue(const WCHAR* prefix, const WCHAR* name, const WCHAR* type,
                                                      const WCHAR* text, IXMLDOMElement** property)
{
    return CreateNamedElementWithValue(u"ScoredProperty", prefix, name, type, text, property);
}

HRESULT PrintTicketDom::CreateIntScoredProperty(const WCHAR* prefix, const WCHAR* name, INT value,
                                                IXMLDOMElement** property)
{
    return CatchRaised([&] {
        OwnedBstr text = FormatBstr(u"%i", value);
        return CreateScoredPropertyWithValue(prefix, name, u"integer", text.Get(), property);
    });
}

HRESULT PrintTicketDom::WrapInScoredProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMNode* child,
                                             IXMLDOMElement** scoredProperty)
{
    if (FAILED(ClearOut(scoredProperty)) || child == nullptr) return E_POINTER;
    ComPtr<IXMLDOMElement> property;
    HRESULT hr = CreateScoredProperty(prefix, name, property.Out());
    if (SUCCEEDED(hr)) hr = property->appendChild(child, nullptr);
    if (FAILED(hr)) return hr;
    *scoredProperty = property.Detach();
    return S_OK;
}

HRESULT PrintTicketDom::CreateNamedElement(const WCHAR* localName, const WCHAR* prefix, const WCHAR* name,
                                           IXMLDOMElement** element)
{
    if (FAILED(ClearOut(element))) return E_POINTER;
    if (IsEmptyText(name)) return E_INVALIDARG;
    return CatchRaised([&] {
        OwnedBstr qualifiedName = FormatBstr(u"%s%s", frameworkPrefix_.Get(), localName);
        ComPtr<IXMLDOMElement> made;
        HRESULT hr = CreateElement(qualifiedName.Get(), made.Out());
        if (FAILED(hr)) return hr;
        OwnedBstr nameText = FormatBstr(u"%s%s", OrEmpty(prefix), name);
        hr = SetAttribute(made.Get(), u"name", nullptr, nameText.Get());
        if (FAILED(hr)) return hr;
        *element = made.Detach();
        return S_OK;
    });
}

HRESULT PrintTicketDom::CreateNamedElementWithValue(const WCHAR* localName, const WCHAR* prefix, const WCHAR* name,
                                                    const WCHAR* type, const WCHAR* text, IXMLDOMElement** element)
{
    if (FAILED(ClearOut(element))) return E_POINTER;
    ComPtr<IXMLDOMElement> made;
    HRESULT hr = CreateNamedElement(localName, prefix, name, made.Out());
    ComPtr<IXMLDOMElement> value;
    if (SUCCEEDED(hr)) hr = CreateValue(type, text, value.Out());
    if (SUCCEEDED(hr)) hr = made->appendChild(value.Get(), nullptr);
    if (FAILED(hr)) return hr;
    *element = made.Detach();
    return S_OK;
}

HRESULT PrintTicketDom::CreateValue(const WCHAR* type, const WCHAR* text, IXMLDOMElement** value)
{
    if (IsEmptyText(type)) return E_INVALIDARG;
    return CatchRaised([&] {
        // <Value xsi:type="xsd:<type>">text</Value>, with the document's own
        // prefixes for both schema namespaces.
        OwnedBstr valueName = FormatBstr(u"%sValue", frameworkPrefix_.Get());
        ComPtr<IXMLDOMElement> made;
        HRESULT hr = CreateElement(valueName.Get(), made.Out());
        if (FAILED(hr)) return hr;
        OwnedBstr typeAttribute = FormatBstr(u"%stype", OrEmpty(xsiPrefix_.Get()));
        OwnedBstr typeName = FormatBstr(u"%s%s", OrEmpty(xsdPrefix_.Get()), type);
        hr = SetAttribute(made.Get(), typeAttribute.Get(), kSchemaInstanceNamespace, typeName.Get());
        if (FAILED(hr)) return hr;
        OwnedBstr content = OwnedBstr::Copy(OrEmpty(text));
        hr = made->put_text(content.Get());
        if (FAILED(hr)) return hr;
        *value = made.Detach();
        return S_OK;
    });
}
