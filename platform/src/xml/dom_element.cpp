// Element and attribute operations of the DOM wrappers, and the attribute
// access that elements share with their attribute maps.
#include <libxml/tree.h>

#include "dom_node.h"
#include "text.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

// "xmlns" gives the default declaration (prefix ""), "xmlns:p" the
// declaration of p; false for other names.
bool IsDeclarationName(std::string_view name, std::string_view* prefix)
{
    if (name == "xmlns") {
        *prefix = {};
        return true;
    }
    if (name.substr(0, 6) != "xmlns:") return false;
    *prefix = name.substr(6);
    return true;
}

std::string Terminated(std::string_view text) { return std::string(text); }

const xmlChar* PrefixArgument(const std::string& prefix) { return prefix.empty() ? nullptr : Chars(prefix.c_str()); }

xmlNsPtr DeclarationOn(xmlNodePtr element, std::string_view prefix)
{
    for (xmlNsPtr d = element->nsDef; d != nullptr; d = d->next) {
        if (View(d->prefix) == prefix && (d->prefix == nullptr) == prefix.empty()) return d;
    }
    return nullptr;
}

// The namespace that prefix stands for at element: a declaration in scope,
// or, in a detached tree, the namespace an element or attribute on the way
// up already uses with that prefix.
xmlNsPtr ResolvePrefix(DocumentState& state, xmlNodePtr element, std::string_view prefix)
{
    if (prefix == "xml") return state.XmlNamespace();
    std::string terminated = Terminated(prefix);
    if (xmlNsPtr declared = FindDeclaration(element, Chars(terminated.c_str()))) return declared;
    for (xmlNodePtr n = element; n != nullptr && n->type == XML_ELEMENT_NODE; n = n->parent) {
        if (n->ns != nullptr && View(n->ns->prefix) == prefix) return n->ns;
        for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) {
            if (a->ns != nullptr && View(a->ns->prefix) == prefix) return a->ns;
        }
    }
    return nullptr;
}

// Adds a declaration made through the attribute interface. A declaration
// that would change the namespace of the element's own name is refused.
HRESULT DeclareNamespace(DocumentState& state, xmlNodePtr element, std::string_view prefix, std::string_view uri)
{
    if (prefix == "xml") return uri == kXmlNamespace ? S_OK : E_INVALIDARG;
    if (prefix == "xmlns" || prefix.find(':') != std::string_view::npos || uri == kXmlnsNamespace ||
        uri == kXmlNamespace || (!prefix.empty() && uri.empty()))
        return E_INVALIDARG;
    if (xmlNsPtr existing = DeclarationOn(element, prefix)) return View(existing->href) == uri ? S_OK : E_FAIL;
    bool ownPrefix = element->ns == nullptr ? prefix.empty() : View(element->ns->prefix) == prefix;
    std::string_view ownUri = element->ns == nullptr ? std::string_view() : View(element->ns->href);
    if (ownPrefix && ownUri != uri) return E_FAIL;
    std::string terminatedPrefix = Terminated(prefix);
    std::string terminatedUri = Terminated(uri);
    xmlNsPtr declared = xmlNewNs(element, Chars(terminatedUri.c_str()), PrefixArgument(terminatedPrefix));
    if (declared == nullptr) return E_OUTOFMEMORY;
    size_t attributes = 0;
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) ++attributes;
    SetDeclarationPosition(declared, attributes);
    // Descendants that used another binding of the prefix get their own.
    if (state.IsAttached(element) && !ReconcileNamespaces(state, element)) return E_OUTOFMEMORY;
    return S_OK;
}

// Removes a declaration; what used it is declared again where needed.
void RemoveDeclaration(DocumentState& state, xmlNodePtr element, xmlNsPtr declaration)
{
    xmlNsPtr pooled = state.PooledNamespace(declaration->prefix, declaration->href);
    for (xmlNodePtr n = element; n != nullptr; n = NextInSubtree(n, element)) {
        if (n->type != XML_ELEMENT_NODE) continue;
        if (n->ns == declaration) n->ns = pooled;
        for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) {
            if (a->ns == declaration) a->ns = pooled;
        }
    }
    xmlNsPtr* link = &element->nsDef;
    while (*link != declaration) link = &(*link)->next;
    *link = declaration->next;
    xmlFreeNs(declaration);
    if (state.IsAttached(element)) ReconcileNamespaces(state, element);
}

HRESULT ReturnAttribute(DomNode* made, IXMLDOMAttribute** out)
{
    *out = made == nullptr ? nullptr : static_cast<IXMLDOMAttribute*>(made);
    return made == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace

AttributeItem FindAttributeItem(xmlNodePtr element, std::string_view qualifiedName)
{
    std::string_view prefix;
    if (IsDeclarationName(qualifiedName, &prefix)) return {nullptr, DeclarationOn(element, prefix)};
    return {FindAttribute(element, qualifiedName), nullptr};
}

HRESULT SetAttributeText(DocumentState& state, xmlNodePtr element, std::string_view qualifiedName,
                         std::string_view value)
{
    std::string_view declared;
    if (IsDeclarationName(qualifiedName, &declared)) return DeclareNamespace(state, element, declared, value);
    if (xmlAttrPtr existing = FindAttribute(element, qualifiedName)) return SetNodeText(state, AsNode(existing), value);
    std::string_view prefix, local;
    SplitName(qualifiedName, &prefix, &local);
    std::string terminatedLocal = Terminated(local);
    if (xmlValidateNCName(Chars(terminatedLocal.c_str()), 0) != 0) return E_INVALIDARG;
    xmlNsPtr ns = nullptr;
    if (!prefix.empty()) {
        ns = ResolvePrefix(state, element, prefix);
        if (ns == nullptr) return E_INVALIDARG;  // an unbound prefix names no namespace
    }
    xmlAttrPtr attribute = NewAttribute(state, ns, local, value);
    if (attribute == nullptr) return E_OUTOFMEMORY;
    return AttachAttribute(state, element, attribute, nullptr) ? S_OK : E_OUTOFMEMORY;
}

HRESULT SetAttributeNode(DocumentState& state, xmlNodePtr element, IUnknown* attributeInterface, IXMLDOMNode** replaced)
{
    if (replaced != nullptr) *replaced = nullptr;
    DomNode* given = DomNode::FromInterface(attributeInterface);
    if (given == nullptr) return E_INVALIDARG;
    if (given->Kind() == NodeKind::Declaration)
        return DeclareNamespace(state, element, given->DeclarationPrefix(), given->DeclarationUri());
    if (given->Kind() != NodeKind::Attribute) return E_INVALIDARG;
    xmlNodePtr node = given->Node();
    if (given->State() == &state) {
        if (node->parent == element) return S_OK;
        if (node->parent != nullptr) return E_INVALIDARG;  // in use by another element
    } else {
        node = CopyNode(state, node, false);
        if (node == nullptr) return E_OUTOFMEMORY;
    }
    xmlAttrPtr attribute = AsAttribute(node);
    xmlAttrPtr existing = FindAttributeNs(element, attribute->ns, attribute->name);
    if (existing == nullptr) return AttachAttribute(state, element, attribute, nullptr) ? S_OK : E_OUTOFMEMORY;
    bool complete = ReplaceAttribute(state, existing, attribute);
    HRESULT hr = replaced == nullptr ? S_OK : ReturnNode(&state, AsNode(existing), replaced);
    state.CollectIfUnreferenced(AsNode(existing));
    if (FAILED(hr)) return hr;
    return complete ? S_OK : E_OUTOFMEMORY;
}

HRESULT RemoveAttributeItem(DocumentState& state, xmlNodePtr element, std::string_view qualifiedName,
                            IXMLDOMNode** removed)
{
    if (removed != nullptr) *removed = nullptr;
    AttributeItem item = FindAttributeItem(element, qualifiedName);
    if (item.declaration != nullptr) {
        HRESULT hr = removed == nullptr ? S_OK : ReturnAttributeItem(&state, item, removed);
        RemoveDeclaration(state, element, item.declaration);
        return hr;
    }
    if (item.attribute == nullptr) return S_FALSE;
    DetachAttribute(state, item.attribute);
    HRESULT hr = removed == nullptr ? S_OK : ReturnNode(&state, AsNode(item.attribute), removed);
    state.CollectIfUnreferenced(AsNode(item.attribute));
    return hr;
}

HRESULT DomNode::get_name(BSTR* name)
{
    if (kind_ != NodeKind::Attribute && kind_ != NodeKind::Declaration) return E_FAIL;
    return get_nodeName(name);
}

HRESULT DomNode::get_value(VARIANT* value)
{
    if (kind_ != NodeKind::Attribute && kind_ != NodeKind::Declaration) return E_FAIL;
    return get_nodeTypedValue(value);
}

HRESULT DomNode::put_value(VARIANT value)
{
    if (kind_ != NodeKind::Attribute && kind_ != NodeKind::Declaration) return E_FAIL;
    return put_nodeValue(value);
}

HRESULT DomNode::get_tagName(BSTR* name)
{
    if (kind_ != NodeKind::Element) return E_FAIL;
    return get_nodeName(name);
}

HRESULT DomNode::getAttribute(BSTR name, VARIANT* value)
{
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    if (kind_ != NodeKind::Element) return E_FAIL;
    state_->Synchronize();
    AttributeItem item = FindAttributeItem(node_, ToUtf8(name));
    if (item.declaration != nullptr) return ReturnBstrVariant(View(item.declaration->href), value);
    if (item.attribute != nullptr) return ReturnBstrVariant(NodeText(AsNode(item.attribute)), value);
    value->vt = VT_NULL;
    return S_FALSE;
}

HRESULT DomNode::setAttribute(BSTR name, VARIANT value)
{
    if (kind_ != NodeKind::Element) return E_FAIL;
    state_->Synchronize();
    std::string text;
    if (!VariantText(value, &text)) return E_INVALIDARG;
    return SetAttributeText(*state_, node_, ToUtf8(name), text);
}

HRESULT DomNode::removeAttribute(BSTR name)
{
    if (kind_ != NodeKind::Element) return E_FAIL;
    state_->Synchronize();
    return RemoveAttributeItem(*state_, node_, ToUtf8(name), nullptr);
}

HRESULT DomNode::getAttributeNode(BSTR name, IXMLDOMAttribute** attribute)
{
    if (attribute == nullptr) return E_POINTER;
    *attribute = nullptr;
    if (kind_ != NodeKind::Element) return E_FAIL;
    state_->Synchronize();
    AttributeItem item = FindAttributeItem(node_, ToUtf8(name));
    if (item.declaration != nullptr)
        return ReturnAttribute(MakeDeclaration(state_.Get(), std::string(View(item.declaration->prefix)),
                                               std::string(View(item.declaration->href))),
                               attribute);
    if (item.attribute == nullptr) return S_FALSE;
    return ReturnAttribute(Make(state_.Get(), AsNode(item.attribute)), attribute);
}

HRESULT DomNode::setAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** replaced)
{
    if (replaced != nullptr) *replaced = nullptr;
    if (kind_ != NodeKind::Element) return E_FAIL;
    state_->Synchronize();
    ComPtr<IXMLDOMNode> old;
    HRESULT hr = SetAttributeNode(*state_, node_, attribute, replaced == nullptr ? nullptr : old.Out());
    if (replaced != nullptr && old) hr = old->QueryInterface(IID_IXMLDOMAttribute, reinterpret_cast<void**>(replaced));
    return hr;
}

}  // namespace tav::xml
