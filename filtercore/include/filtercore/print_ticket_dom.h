// PrintTicketDom: XPath access to a PrintTicket or PrintCapabilities
// document through the prefixes the document itself declares on its root for
// the Print Schema framework and keywords namespaces, the XML Schema
// namespaces and the driver's private keywords namespace.
//
// Names in a ticket are qualified names written as text (a Feature's name
// attribute holds "psk:PageMediaSize"), so every lookup builds the name from
// the prefix found on the root; names read back come without prefix, with a
// flag telling whether they were private. Elements it creates are in the
// framework namespace and not attached: the caller appends them where they
// belong, usually to the root from SelectRoot.
//
// Every operation returns an HRESULT and raises nothing; only the
// constructor raises (CXDException). "Nothing found" is S_FALSE, or
// HRESULT_FROM_WIN32(ERROR_NOT_FOUND) where a comment says so. Prefix
// arguments are the document's prefixes with their colon (KeywordsPrefix()
// and the others); null or empty stands for none. Expressions are BSTRs,
// usually from an XPathBuilder made by NewXPath. Empty required names give
// E_INVALIDARG, null out pointers E_POINTER.
#pragma once

#include "filtercore/owned_bstr.h"
#include "filtercore/xpath_builder.h"
#include "platform/comobject.h"
#include "platform/xml.h"

class PrintTicketDom {
public:
    // rootName: "PrintTicket" or "PrintCapabilities". Sets the document's
    // selection language to XPath and binds its own framework prefix (and
    // psf) in the selection namespaces. Raises CXDException: E_UNEXPECTED
    // without a document, E_INVALIDARG for an empty root name, E_FAIL when
    // the root is not found or one of the namespaces is declared as the
    // default namespace, the DOM's HRESULT otherwise.
    PrintTicketDom(const WCHAR* rootName, const WCHAR* privateNamespaceUri, IXMLDOMDocument2* document);
    virtual ~PrintTicketDom();
    PrintTicketDom(const PrintTicketDom&) = delete;
    PrintTicketDom& operator=(const PrintTicketDom&) = delete;

    // The document's prefixes, each with its colon, or null when the root
    // does not declare the namespace.
    BSTR FrameworkPrefix() const { return frameworkPrefix_.Get(); }
    BSTR KeywordsPrefix() const { return keywordsPrefix_.Get(); }
    BSTR XsiPrefix() const { return xsiPrefix_.Get(); }
    BSTR XsdPrefix() const { return xsdPrefix_.Get(); }
    BSTR PrivatePrefix() const { return privatePrefix_.Get(); }
    bool IsCapabilities() const { return isCapabilities != 0; }
    bool PrivateNamespaceDeclared() const { return privateNamespaceDeclared != 0; }

    // An empty expression in this document's framework prefix.
    XPathBuilder NewXPath() const { return XPathBuilder(frameworkPrefix_.Get()); }

    // --- Queries --------------------------------------------------------

    // The first node the expression selects. An earlier node held in *node
    // is released first, so *node must be null or a reference the caller
    // gives up. E_INVALIDARG for an empty expression.
    HRESULT SelectSingleNode(BSTR expression, IXMLDOMNode** node);
    // Every node the expression selects, in document order; S_FALSE with an
    // empty list when there is none. E_FAIL for an empty expression.
    HRESULT SelectNodes(BSTR expression, IXMLDOMNodeList** list);
    // The root element (PrintTicket or PrintCapabilities).
    HRESULT SelectRoot(IXMLDOMNode** node);
    // S_OK, or ERROR_NOT_FOUND when the expression selects nothing.
    HRESULT NodeExists(BSTR expression);
    // The text of the node's attribute of that (qualified) name.
    HRESULT GetAttribute(IXMLDOMNode* node, const WCHAR* name, BSTR* text);
    // The value of the Property, ScoredProperty or ParameterInit the
    // expression selects: the text of its Value child or, when it holds a
    // ParameterRef instead, of the ParameterInit that the reference names.
    HRESULT ReadValue(BSTR expression, BSTR* text);
    // ReadValue with ERROR_NOT_FOUND instead of S_FALSE.
    HRESULT ReadValueText(BSTR expression, BSTR* text);
    // The value as a decimal integer: leading white space and a sign are
    // accepted, conversion stops at the first non-digit, no digits give 0,
    // values beyond 32 bits saturate. ERROR_NOT_FOUND (and *value
    // unchanged) when there is no value.
    HRESULT ReadValueInt(BSTR expression, INT* value);
    // S_OK, or ERROR_NOT_FOUND when the ticket has no keywords Feature of
    // that name.
    HRESULT FeatureExists(const WCHAR* name);
    // The local name of the option of the Feature prefix+feature, given as an
    // Option's name attribute (or its text when it has none) or as the
    // ScoredProperty OptionName. isPrivate (optional) tells whether the name
    // was in the private namespace; without it the private prefix is kept.
    // ERROR_NOT_FOUND when the feature or its option is absent.
    HRESULT GetOptionName(const WCHAR* prefix, const WCHAR* feature, BSTR* name, BOOL* isPrivate);
    // The same for the Feature prefix2+subFeature anywhere inside the
    // Feature prefix1+feature; only an option's name attribute counts.
    HRESULT GetNestedOptionName(const WCHAR* prefix1, const WCHAR* feature, const WCHAR* prefix2,
                                const WCHAR* subFeature, BSTR* name, BOOL* isPrivate);
    // The value of the keywords ScoredProperty property inside the keywords
    // Feature feature. ERROR_NOT_FOUND when absent.
    HRESULT GetScoredPropertyValue(const WCHAR* feature, const WCHAR* property, BSTR* text);
    HRESULT GetScoredPropertyValueInt(const WCHAR* feature, const WCHAR* property, INT* value);
    // Removes the private prefix (only when isPrivate is given; *isPrivate
    // becomes 1) or else the keywords prefix from the start of *name. A name
    // in any other prefix is left whole.
    HRESULT StripPrefix(BSTR* name, BOOL* isPrivate);

    // --- Changes (elements created in the framework namespace) ----------

    HRESULT CreateElement(const WCHAR* qualifiedName, IXMLDOMElement** element);
    // Sets the attribute name (in namespaceUri; null or empty for none).
    HRESULT SetAttribute(IXMLDOMElement* element, const WCHAR* name, const WCHAR* namespaceUri, const WCHAR* text);
    // A Feature named in the private or the keywords namespace, holding an
    // empty Option.
    HRESULT CreateFeature(BOOL featureIsPrivate, const WCHAR* name, IXMLDOMElement** feature, IXMLDOMElement** option);
    // CreateFeature, with the option named in the private or keywords
    // namespace.
    HRESULT CreateFeatureWithOption(BOOL featureIsPrivate, const WCHAR* name, BOOL optionIsPrivate,
                                    const WCHAR* optionName, IXMLDOMElement** feature, IXMLDOMElement** option);
    // A ParameterRef (only when reference is given) and a ParameterInit named
    // prefix+name; the initialiser holds a Value of xsi:type xsd-prefix+type
    // with the text.
    HRESULT CreateParameter(const WCHAR* prefix, const WCHAR* name, const WCHAR* type, const WCHAR* text,
                            IXMLDOMElement** reference, IXMLDOMElement** initialiser);
    // CreateParameter in the keywords namespace with an "integer" value.
    HRESULT CreateIntParameter(const WCHAR* name, INT value, IXMLDOMElement** reference, IXMLDOMElement** initialiser);
    HRESULT CreateProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMElement** property);
    HRESULT CreatePropertyWithValue(const WCHAR* prefix, const WCHAR* name, const WCHAR* type, const WCHAR* text,
                                    IXMLDOMElement** property);
    HRESULT CreateIntProperty(const WCHAR* prefix, const WCHAR* name, INT value, IXMLDOMElement** property);
    HRESULT CreateScoredProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMElement** property);
    HRESULT CreateScoredPropertyWithValue(const WCHAR* prefix, const WCHAR* name, const WCHAR* type, const WCHAR* text,
                                          IXMLDOMElement** property);
    HRESULT CreateIntScoredProperty(const WCHAR* prefix, const WCHAR* name, INT value, IXMLDOMElement** property);
    // A ScoredProperty prefix+name with child appended to it.
    HRESULT WrapInScoredProperty(const WCHAR* prefix, const WCHAR* name, IXMLDOMNode* child,
                                 IXMLDOMElement** scoredProperty);

    // Removes the node from its parent; S_FALSE for a node without parent.
    HRESULT RemoveNode(IXMLDOMNode* node);
    // Removes every keywords Feature of that name and exactly the
    // ParameterInits its ParameterRefs name. S_OK also when there is none.
    HRESULT RemoveFeature(const WCHAR* name);
    // The same for a Feature named in the private namespace.
    HRESULT RemovePrivateFeature(const WCHAR* name);
    // Removes the first private Property of that name; S_FALSE when none.
    HRESULT RemoveProperty(const WCHAR* name);
    // Removes the first keywords ParameterInit of that name; S_FALSE when none.
    HRESULT RemoveParameterInit(const WCHAR* name);
    // The same for a ParameterInit named in the private namespace (the
    // driver's own parameters, such as "JobBindBookletDivideSheets").
    HRESULT RemovePrivateParameterInit(const WCHAR* name);

private:
    HRESULT FindPrefix(const WCHAR* namespaceUri, OwnedBstr* prefix);
    HRESULT SetDocumentProperty(const WCHAR* name, const WCHAR* value);
    HRESULT BindSelectionNamespaces(const WCHAR* bareFrameworkPrefix);
    HRESULT ReadOptionName(const XPathBuilder& featurePath, bool nameAttributeOnly, BSTR* name, BOOL* isPrivate);
    HRESULT BuildScoredPropertyPath(const WCHAR* feature, const WCHAR* property, XPathBuilder* path);
    HRESULT ReadParameterRefValue(IXMLDOMNode* reference, BSTR* text);
    HRESULT CreateNamedElement(const WCHAR* localName, const WCHAR* prefix, const WCHAR* name,
                               IXMLDOMElement** element);
    HRESULT CreateNamedElementWithValue(const WCHAR* localName, const WCHAR* prefix, const WCHAR* name,
                                        const WCHAR* type, const WCHAR* text, IXMLDOMElement** element);
    HRESULT CreateValue(const WCHAR* type, const WCHAR* text, IXMLDOMElement** value);
    HRESULT RemoveFeatureNamed(const WCHAR* prefix, const WCHAR* name);
    HRESULT RemoveParameterInitNamed(const WCHAR* prefix, const WCHAR* name);
    HRESULT RemoveFirst(const XPathBuilder& path);

    ComPtr<IXMLDOMDocument2> document_;
    OwnedBstr rootName_;
    BOOL isCapabilities = FALSE;
    OwnedBstr xsdPrefix_;
    OwnedBstr xsiPrefix_;
    OwnedBstr frameworkPrefix_;
    OwnedBstr keywordsPrefix_;
    OwnedBstr privatePrefix_;
    OwnedBstr privateNamespace_;
    BOOL privateNamespaceDeclared = FALSE;
};
