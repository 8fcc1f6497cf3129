#include "document_state.h"

#include <libxml/xpathInternals.h>

#include <cstring>

#include "dom_builder.h"
#include "dom_tree.h"
#include "selection_namespaces.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

uintptr_t ReferenceCount(xmlNodePtr node) { return reinterpret_cast<uintptr_t>(node->_private); }

void SetReferenceCount(xmlNodePtr node, uintptr_t count) { node->_private = reinterpret_cast<void*>(count); }

bool HasReferences(xmlNodePtr top)
{
    if (top->type == XML_ATTRIBUTE_NODE) return ReferenceCount(top) != 0;
    for (xmlNodePtr n = top; n != nullptr; n = NextInSubtree(n, top)) {
        if (ReferenceCount(n) != 0) return true;
        if (n->type != XML_ELEMENT_NODE) continue;
        for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) {
            if (ReferenceCount(AsNode(a)) != 0) return true;
        }
    }
    return false;
}

}  // namespace

DocumentState* DocumentState::Create()
{
    InitializeLibxml();
    auto* state = new (std::nothrow) DocumentState;
    if (state == nullptr) return nullptr;
    state->doc_ = xmlNewDoc(Chars("1.0"));
    if (state->doc_ == nullptr) {
        delete state;
        return nullptr;
    }
    return state;
}

DocumentState::~DocumentState()
{
    for (xmlNodePtr top : orphans_) FreeTree(top);
    if (xpath_ != nullptr) xmlXPathFreeContext(xpath_);
    if (doc_ != nullptr) xmlFreeDoc(doc_);
    // Last: orphans and the tree may refer to pooled namespaces.
    if (pool_ != nullptr) xmlFreeNsList(pool_);
}

void DocumentState::Release()
{
    if (--references_ == 0) delete this;
}

bool DocumentState::IsAttached(xmlNodePtr node) const { return TopOf(node) == DocNode(); }

void DocumentState::Retain(xmlNodePtr node) { SetReferenceCount(node, ReferenceCount(node) + 1); }

void DocumentState::Forget(xmlNodePtr node)
{
    uintptr_t count = ReferenceCount(node);
    SetReferenceCount(node, count - 1);
    if (count == 1) CollectIfUnreferenced(node);
}

void DocumentState::AddOrphan(xmlNodePtr top) { orphans_.insert(top); }

void DocumentState::RemoveOrphan(xmlNodePtr top) { orphans_.erase(top); }

void DocumentState::CollectIfUnreferenced(xmlNodePtr node)
{
    xmlNodePtr top = TopOf(node);
    if (top == DocNode()) return;
    auto found = orphans_.find(top);
    if (found == orphans_.end() || HasReferences(top)) return;
    orphans_.erase(found);
    FreeTree(top);
}

void DocumentState::FreeTree(xmlNodePtr top)
{
    if (top->type == XML_ATTRIBUTE_NODE)
        xmlFreeProp(AsAttribute(top));
    else
        xmlFreeNode(top);
}

xmlNsPtr DocumentState::PooledNamespace(const xmlChar* prefix, const xmlChar* href)
{
    std::string_view wantedHref = View(href);
    for (xmlNsPtr ns = pool_; ns != nullptr; ns = ns->next) {
        bool samePrefix =
            prefix == nullptr ? ns->prefix == nullptr : ns->prefix != nullptr && xmlStrEqual(ns->prefix, prefix);
        if (samePrefix && View(ns->href) == wantedHref) return ns;
    }
    // Made by hand: xmlNewNs refuses the xml prefix.
    auto* ns = static_cast<xmlNsPtr>(xmlMalloc(sizeof(xmlNs)));
    if (ns == nullptr) return nullptr;
    std::memset(ns, 0, sizeof *ns);
    ns->type = XML_NAMESPACE_DECL;
    ns->href = xmlStrdup(href == nullptr ? Chars("") : href);
    ns->prefix = prefix == nullptr ? nullptr : xmlStrdup(prefix);
    if (ns->href == nullptr || (prefix != nullptr && ns->prefix == nullptr)) {
        xmlFreeNs(ns);
        return nullptr;
    }
    ns->next = pool_;
    pool_ = ns;
    return ns;
}

xmlNsPtr DocumentState::XmlNamespace()
{
    return PooledNamespace(Chars("xml"), Chars(std::string(kXmlNamespace).c_str()));
}

HRESULT DocumentState::Load(ByteSource& source)
{
    // Built aside, so that a failed parse leaves nothing half-made and a
    // source that reads this very document sees it whole.
    xmlNodePtr holder = NewElement(*this, nullptr, "load");
    if (holder == nullptr) return E_OUTOFMEMORY;
    DomBuilder builder(*this, holder);
    XmlEventParser parser(builder, kMaxDomInputBytes);
    HRESULT hr = parser.Parse(source);
    loadFailure_ = SUCCEEDED(hr) ? S_OK : hr;
    loadFailureLine_ = SUCCEEDED(hr) ? 0 : parser.FailureLine();
    Clear();
    if (SUCCEEDED(hr)) MoveChildren(holder, DocNode());
    xmlFreeNode(holder);
    return hr;
}

void DocumentState::Clear()
{
    while (doc_->children != nullptr) RemoveNode(*this, doc_->children);
}

HRESULT DocumentState::SetSelectionNamespaces(std::string_view text)
{
    std::vector<NamespaceBinding> bindings;
    if (!ParseSelectionNamespaces(text, &bindings)) return E_INVALIDARG;
    selectionNamespacesText_.assign(text);
    selectionNamespaces_ = std::move(bindings);
    xpathNamespacesStale_ = true;
    return S_OK;
}

xmlXPathContextPtr DocumentState::XPathContext()
{
    if (xpath_ == nullptr) {
        xpath_ = xmlXPathNewContext(doc_);
        if (xpath_ == nullptr) return nullptr;
        xpathNamespacesStale_ = true;
    }
    if (xpathNamespacesStale_) {
        xmlXPathRegisteredNsCleanup(xpath_);
        for (const NamespaceBinding& binding : selectionNamespaces_) {
            // XPath 1.0 names without prefix are in no namespace: a default
            // declaration has nothing to bind.
            if (binding.prefix.empty()) continue;
            if (xmlXPathRegisterNs(xpath_, Chars(binding.prefix.c_str()), Chars(binding.uri.c_str())) != 0)
                return nullptr;
        }
        xpathNamespacesStale_ = false;
    }
    return xpath_;
}

void DocumentState::Synchronize()
{
    if (pending_ == nullptr) return;
    PendingMarkup* pending = pending_;
    pending_ = nullptr;
    pending->LoadPendingMarkup();
}

void DocumentState::SetPendingMarkup(PendingMarkup* pending)
{
    if (pending_ != nullptr && pending_ != pending) Synchronize();
    pending_ = pending;
}

void DocumentState::ClearPendingMarkup(PendingMarkup* pending)
{
    if (pending_ == pending) pending_ = nullptr;
}

}  // namespace tav::xml
