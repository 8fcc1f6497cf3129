// Construction of PrintTicketDom: the selection properties of the document
// and the discovery of the prefixes its root declares.
#include "filtercore/print_ticket_dom.h"

#include "filtercore/bstr_utils.h"
#include "filtercore/print_schema_namespaces.h"
#include "filtercore/raised_result.h"
#include "filtercore/ticket_strings.h"
#include "platform/wformat.h"

namespace {

void RaiseIfFailed(HRESULT hr)
{
    if (FAILED(hr)) throw CXDException(hr);
}

// The start of an attribute name that declares a prefix.
constexpr WCHAR kPrefixDeclaration[] = u"xmlns:";
constexpr UINT kPrefixDeclarationLength = 6;

}  // namespace

PrintTicketDom::PrintTicketDom(const WCHAR* rootName, const WCHAR* privateNamespaceUri, IXMLDOMDocument2* document)
{
    if (document == nullptr) throw CXDException(E_UNEXPECTED);
    if (IsEmptyText(rootName)) throw CXDException(E_INVALIDARG);

    // 1. The wrapper keeps its own reference and copies of the two texts.
    document_ = ComPtr<IXMLDOMDocument2>::Share(document);
    rootName_ = OwnedBstr::Copy(rootName);
    privateNamespace_ = OwnedBstr::Copy(privateNamespaceUri);
    OwnedBstr capabilitiesRoot = OwnedBstr::Copy(u"PrintCapabilities");
    isCapabilities = BstrEquals(rootName_.Get(), capabilitiesRoot.Get()) ? TRUE : FALSE;

    // 2 and 3. Until the document's own prefix is known, the root is looked
    // up as psf:<root>.
    RaiseIfFailed(SetDocumentProperty(u"SelectionLanguage", u"XPath"));
    RaiseIfFailed(BindSelectionNamespaces(u"psf"));

    // 4. The prefixes, in this order; the first failure ends construction.
    RaiseIfFailed(FindPrefix(kPrintSchemaFrameworkNamespace, &frameworkPrefix_));
    RaiseIfFailed(FindPrefix(kPrintSchemaKeywordsNamespace, &keywordsPrefix_));
    RaiseIfFailed(FindPrefix(kSchemaInstanceNamespace, &xsiPrefix_));
    RaiseIfFailed(FindPrefix(kSchemaNamespace, &xsdPrefix_));
    RaiseIfFailed(FindPrefix(privateNamespace_.Get(), &privatePrefix_));

    // 5. Expressions are built with the document's framework prefix, so the
    // selection namespaces must bind that prefix. A missing framework prefix
    // (no root found) leaves nothing to bind.
    privateNamespaceDeclared = privatePrefix_.Get() != nullptr ? TRUE : FALSE;
    UINT length = frameworkPrefix_.Length();
    if (length < 2 || frameworkPrefix_.Get()[length - 1] != u':') throw CXDException(E_FAIL);
    OwnedBstr bareFrameworkPrefix(SysAllocStringLen(frameworkPrefix_.Get(), length - 1));
    if (bareFrameworkPrefix.Get() == nullptr) throw CXDException(E_OUTOFMEMORY);
    RaiseIfFailed(BindSelectionNamespaces(bareFrameworkPrefix.Get()));
}

PrintTicketDom::~PrintTicketDom() = default;

HRESULT PrintTicketDom::SetDocumentProperty(const WCHAR* name, const WCHAR* value)
{
    return CatchRaised([&] {
        OwnedBstr propertyName = OwnedBstr::Copy(name);
        OwnedBstr propertyValue = OwnedBstr::Copy(value);
        return document_->setProperty(propertyName.Get(), BorrowedBstrVariant(propertyValue.Get()));
    });
}

HRESULT PrintTicketDom::BindSelectionNamespaces(const WCHAR* bareFrameworkPrefix)
{
    return CatchRaised([&] {
        // psf stays bound to the framework namespace next to the document's
        // own prefix: SelectRoot selects psf:<root> whatever prefix the
        // document chose.
        OwnedBstr declarations = WideCompare(bareFrameworkPrefix, u"psf") == 0
                                     ? FormatBstr(u"xmlns:%s='%s'", bareFrameworkPrefix, kPrintSchemaFrameworkNamespace)
                                     : FormatBstr(u"xmlns:%s='%s' xmlns:psf='%s'", bareFrameworkPrefix,
                                                  kPrintSchemaFrameworkNamespace, kPrintSchemaFrameworkNamespace);
        return SetDocumentProperty(u"SelectionNamespaces", declarations.Get());
    });
}

HRESULT PrintTicketDom::FindPrefix(const WCHAR* namespaceUri, OwnedBstr* prefix)
{
    prefix->Reset();
    if (IsEmptyText(namespaceUri)) return S_FALSE;
    ComPtr<IXMLDOMNode> root;
    HRESULT hr = SelectRoot(root.Out());
    if (hr != S_OK) return hr;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    hr = root->get_attributes(attributes.Out());
    if (hr != S_OK) return hr;

    // The declarations are among the root's attributes, in document order;
    // the first whose value is the namespace URI names the prefix.
    hr = attributes->reset();
    if (FAILED(hr)) return hr;
    ComPtr<IXMLDOMNode> attribute;
    while ((hr = attributes->nextNode(attribute.Out())) == S_OK) {
        OwnedBstr value;
        hr = attribute->get_text(value.Out());
        if (FAILED(hr)) return hr;
        if (!SameText(value.Get(), namespaceUri)) continue;
        OwnedBstr name;
        hr = attribute->get_nodeName(name.Out());
        if (FAILED(hr)) return hr;
        // Names in the document are written as prefix:name text, which a
        // default-namespace declaration cannot give.
        if (!BeginsWith(name.Get(), kPrefixDeclaration) || name.Length() <= kPrefixDeclarationLength) return E_FAIL;
        return CatchRaised([&] {
            *prefix = FormatBstr(u"%s:", name.Get() + kPrefixDeclarationLength);
            return S_OK;
        });
    }
    // The wrapper never declares a missing namespace itself.
    return FAILED(hr) ? hr : S_FALSE;
}
