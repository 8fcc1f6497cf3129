#include "dom_tree.h"

#include <algorithm>
#include <cstring>

namespace tav::xml {

namespace {

bool SamePrefix(const xmlChar* a, const xmlChar* b)
{
    if (a == nullptr || b == nullptr) return a == b;
    return xmlStrEqual(a, b) != 0;
}

bool SameHref(const xmlChar* a, const xmlChar* b) { return View(a) == View(b); }

bool IsXmlPrefix(const xmlChar* prefix) { return prefix != nullptr && View(prefix) == "xml"; }

size_t DeclarationPosition(const xmlNs* declaration)
{
    return static_cast<size_t>(reinterpret_cast<uintptr_t>(declaration->_private));
}

xmlNsPtr DeclaredOn(xmlNodePtr element, const xmlChar* prefix)
{
    for (xmlNsPtr d = element->nsDef; d != nullptr; d = d->next) {
        if (SamePrefix(d->prefix, prefix)) return d;
    }
    return nullptr;
}

// True when ns is declared on from or one of its ancestors up to top.
bool DeclaredWithin(const xmlNs* ns, xmlNodePtr from, xmlNodePtr top)
{
    for (xmlNodePtr n = from; n != nullptr; n = n->parent) {
        if (n->type == XML_ELEMENT_NODE) {
            for (xmlNsPtr d = n->nsDef; d != nullptr; d = d->next) {
                if (d == ns) return true;
            }
        }
        if (n == top) break;
    }
    return false;
}

// A declaration with a prefix that binds href at element and is not
// shadowed there.
xmlNsPtr FindDeclarationByHref(xmlNodePtr element, const xmlChar* href)
{
    for (xmlNodePtr n = element; n != nullptr; n = n->parent) {
        if (n->type != XML_ELEMENT_NODE) continue;
        for (xmlNsPtr d = n->nsDef; d != nullptr; d = d->next) {
            if (d->prefix != nullptr && SameHref(d->href, href) && FindDeclaration(element, d->prefix) == d) return d;
        }
    }
    return nullptr;
}

// A prefix that is bound nowhere in the scope of element.
std::string FreshPrefix(xmlNodePtr element)
{
    for (unsigned i = 0;; ++i) {
        std::string prefix = "ns" + std::to_string(i);
        if (FindDeclaration(element, Chars(prefix.c_str())) == nullptr) return prefix;
    }
}

void Unlink(xmlNodePtr node)
{
    xmlNodePtr parent = node->parent;
    if (node->type == XML_ATTRIBUTE_NODE) {
        if (parent != nullptr && parent->properties == AsAttribute(node)) parent->properties = AsAttribute(node)->next;
    } else if (parent != nullptr) {
        if (parent->children == node) parent->children = node->next;
        if (parent->last == node) parent->last = node->prev;
    }
    if (node->next != nullptr) node->next->prev = node->prev;
    if (node->prev != nullptr) node->prev->next = node->next;
    node->next = node->prev = node->parent = nullptr;
}

void LinkAttribute(xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr before)
{
    attribute->parent = element;
    if (before == nullptr) {
        xmlAttrPtr last = element->properties;
        while (last != nullptr && last->next != nullptr) last = last->next;
        attribute->prev = last;
        attribute->next = nullptr;
        if (last != nullptr)
            last->next = attribute;
        else
            element->properties = attribute;
        return;
    }
    attribute->next = before;
    attribute->prev = before->prev;
    if (before->prev != nullptr)
        before->prev->next = attribute;
    else
        element->properties = attribute;
    before->prev = attribute;
}

// The declarations after a removed attribute move up by one place.
void CloseAttributeGap(xmlNodePtr element, xmlAttrPtr attribute)
{
    size_t index = 0;
    for (xmlAttrPtr a = element->properties; a != nullptr && a != attribute; a = a->next) ++index;
    for (xmlNsPtr d = element->nsDef; d != nullptr; d = d->next) {
        size_t position = DeclarationPosition(d);
        if (position > index) SetDeclarationPosition(d, position - 1);
    }
}

// Points the namespaces of the subtree that are declared outside it at
// pooled copies, so that nothing refers to declarations it does not own.
void LocalizeNamespaces(DocumentState& state, xmlNodePtr top)
{
    auto localize = [&](xmlNsPtr& ns, xmlNodePtr scope) {
        if (ns != nullptr && !DeclaredWithin(ns, scope, top)) ns = state.PooledNamespace(ns->prefix, ns->href);
    };
    if (top->type == XML_ATTRIBUTE_NODE) {
        localize(AsAttribute(top)->ns, nullptr);
        return;
    }
    for (xmlNodePtr n = top; n != nullptr; n = NextInSubtree(n, top)) {
        if (n->type != XML_ELEMENT_NODE) continue;
        localize(n->ns, n);
        for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) localize(a->ns, n);
    }
}

bool ReconcileElement(DocumentState& state, xmlNodePtr element)
{
    xmlNsPtr ns = element->ns;
    if (ns == nullptr) {
        // An element in no namespace under a default namespace undeclares it.
        xmlNsPtr inScope = FindDeclaration(element, nullptr);
        if (inScope == nullptr || View(inScope->href).empty()) return true;
        return AddDeclaration(element, nullptr, Chars("")) != nullptr;
    }
    if (IsXmlPrefix(ns->prefix)) {
        element->ns = state.XmlNamespace();
        return element->ns != nullptr;
    }
    xmlNsPtr inScope = FindDeclaration(element, ns->prefix);
    if (inScope == ns) return true;
    if (inScope != nullptr && SameHref(inScope->href, ns->href)) {
        element->ns = inScope;
        return true;
    }
    // Declared here, the prefix also rebinds it for the descendants, which
    // the same pass reconciles afterwards.
    xmlNsPtr declared = nullptr;
    if (DeclaredOn(element, ns->prefix) == nullptr) {
        declared = AddDeclaration(element, ns->prefix, ns->href);
    } else {
        std::string fresh = FreshPrefix(element);
        declared = AddDeclaration(element, Chars(fresh.c_str()), ns->href);
    }
    if (declared == nullptr) return false;
    element->ns = declared;
    return true;
}

bool ReconcileAttribute(DocumentState& state, xmlNodePtr element, xmlAttrPtr attribute)
{
    xmlNsPtr ns = attribute->ns;
    if (ns == nullptr) return true;
    if (IsXmlPrefix(ns->prefix)) {
        attribute->ns = state.XmlNamespace();
        return attribute->ns != nullptr;
    }
    xmlNsPtr inScope = ns->prefix == nullptr ? nullptr : FindDeclaration(element, ns->prefix);
    if (inScope == ns) return true;
    if (inScope != nullptr && SameHref(inScope->href, ns->href)) {
        attribute->ns = inScope;
        return true;
    }
    if (xmlNsPtr other = FindDeclarationByHref(element, ns->href)) {
        attribute->ns = other;
        return true;
    }
    // An attribute must not rebind a prefix that its element or the
    // element's descendants may use: take a fresh one unless it is unbound.
    std::string prefix =
        ns->prefix != nullptr && inScope == nullptr ? std::string(View(ns->prefix)) : FreshPrefix(element);
    xmlNsPtr declared = AddDeclaration(element, Chars(prefix.c_str()), ns->href);
    if (declared == nullptr) return false;
    attribute->ns = declared;
    return true;
}

// The copy of a namespace reference of source inside the copy tree.
xmlNsPtr MapNamespace(DocumentState& target, const xmlNs* ns, xmlNodePtr sourceScope, xmlNodePtr sourceTop,
                      xmlNodePtr copyScope)
{
    if (ns == nullptr) return nullptr;
    if (sourceScope != nullptr && DeclaredWithin(ns, sourceScope, sourceTop))
        return FindDeclaration(copyScope, ns->prefix);
    return target.PooledNamespace(ns->prefix, ns->href);
}

// A copy of one node without children; an element gets its declarations,
// its namespace and its attributes. copy is linked by the caller first so
// that declarations of copied ancestors are found.
xmlNodePtr CopyShallow(DocumentState& target, xmlNodePtr source)
{
    xmlDocPtr doc = target.Doc();
    std::string_view content = View(source->content);
    switch (source->type) {
    case XML_ELEMENT_NODE: return NewElement(target, nullptr, View(source->name));
    case XML_TEXT_NODE: return xmlNewDocTextLen(doc, Chars(content), static_cast<int>(content.size()));
    case XML_CDATA_SECTION_NODE: return xmlNewCDataBlock(doc, Chars(content), static_cast<int>(content.size()));
    case XML_COMMENT_NODE: return xmlNewDocComment(doc, source->content);
    case XML_PI_NODE: return xmlNewDocPI(doc, source->name, source->content);
    default: return nullptr;
    }
}

bool CopyElementDetails(DocumentState& target, xmlNodePtr source, xmlNodePtr sourceTop, xmlNodePtr copy)
{
    for (xmlNsPtr d = source->nsDef; d != nullptr; d = d->next) {
        xmlNsPtr declared = xmlNewNs(copy, d->href, d->prefix);
        if (declared == nullptr) return false;
        SetDeclarationPosition(declared, DeclarationPosition(d));
    }
    copy->ns = MapNamespace(target, source->ns, source, sourceTop, copy);
    for (xmlAttrPtr a = source->properties; a != nullptr; a = a->next) {
        xmlNsPtr ns = MapNamespace(target, a->ns, source, sourceTop, copy);
        if (AppendNewAttribute(target, copy, ns, View(a->name), NodeText(AsNode(a))) == nullptr) return false;
    }
    return true;
}

}  // namespace

xmlNodePtr TopOf(xmlNodePtr node)
{
    while (node->parent != nullptr) node = node->parent;
    return node;
}

xmlNodePtr NextInSubtree(xmlNodePtr node, xmlNodePtr top)
{
    bool container = node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
    if (container && node->children != nullptr) return node->children;
    while (node != top && node != nullptr) {
        if (node->next != nullptr) return node->next;
        node = node->parent;
    }
    return nullptr;
}

std::string QualifiedName(xmlNodePtr node)
{
    std::string name;
    if (node->ns != nullptr && node->ns->prefix != nullptr) {
        name.assign(View(node->ns->prefix));
        name.push_back(':');
    }
    name.append(View(node->name));
    return name;
}

void SplitName(std::string_view name, std::string_view* prefix, std::string_view* local)
{
    size_t colon = name.find(':');
    *prefix = colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    *local = colon == std::string_view::npos ? name : name.substr(colon + 1);
}

xmlNsPtr FindDeclaration(xmlNodePtr element, const xmlChar* prefix)
{
    for (xmlNodePtr n = element; n != nullptr; n = n->parent) {
        if (n->type != XML_ELEMENT_NODE) continue;
        if (xmlNsPtr d = DeclaredOn(n, prefix)) return d;
    }
    return nullptr;
}

std::vector<AttributeItem> AttributeItems(xmlNodePtr element)
{
    std::vector<xmlNsPtr> declarations;
    for (xmlNsPtr d = element->nsDef; d != nullptr; d = d->next) declarations.push_back(d);
    std::stable_sort(declarations.begin(), declarations.end(),
                     [](const xmlNs* a, const xmlNs* b) { return DeclarationPosition(a) < DeclarationPosition(b); });
    std::vector<AttributeItem> items;
    size_t next = 0;
    size_t index = 0;
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next, ++index) {
        while (next < declarations.size() && DeclarationPosition(declarations[next]) <= index)
            items.push_back({nullptr, declarations[next++]});
        items.push_back({a, nullptr});
    }
    while (next < declarations.size()) items.push_back({nullptr, declarations[next++]});
    return items;
}

void SetDeclarationPosition(xmlNsPtr declaration, size_t attributesBefore)
{
    declaration->_private = reinterpret_cast<void*>(static_cast<uintptr_t>(attributesBefore));
}

xmlNsPtr AddDeclaration(xmlNodePtr element, const xmlChar* prefix, const xmlChar* href)
{
    xmlNsPtr declared = xmlNewNs(element, href, prefix);
    if (declared != nullptr) SetDeclarationPosition(declared, 0);
    return declared;
}

xmlNodePtr NewElement(DocumentState& state, xmlNsPtr ns, std::string_view localName)
{
    xmlChar* name = xmlStrndup(Chars(localName), static_cast<int>(localName.size()));
    if (name == nullptr) return nullptr;
    return xmlNewDocNodeEatName(state.Doc(), ns, name, nullptr);
}

xmlAttrPtr NewAttribute(DocumentState& state, xmlNsPtr ns, std::string_view localName, std::string_view value)
{
    // Made by hand rather than with xmlNewNsProp, which would register
    // xml:id values in the document's ID table behind the wrappers' backs.
    auto* attribute = static_cast<xmlAttrPtr>(xmlMalloc(sizeof(xmlAttr)));
    if (attribute == nullptr) return nullptr;
    std::memset(attribute, 0, sizeof *attribute);
    attribute->type = XML_ATTRIBUTE_NODE;
    attribute->doc = state.Doc();
    attribute->ns = ns;
    attribute->name = xmlStrndup(Chars(localName), static_cast<int>(localName.size()));
    if (attribute->name == nullptr || FAILED(SetNodeText(state, AsNode(attribute), value))) {
        xmlFreeProp(attribute);
        return nullptr;
    }
    return attribute;
}

xmlAttrPtr AppendNewAttribute(DocumentState& state, xmlNodePtr element, xmlNsPtr ns, std::string_view localName,
                              std::string_view value)
{
    xmlAttrPtr attribute = NewAttribute(state, ns, localName, value);
    if (attribute != nullptr) LinkAttribute(element, attribute, nullptr);
    return attribute;
}

void LinkChild(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before)
{
    child->parent = parent;
    if (before == nullptr) {
        child->prev = parent->last;
        child->next = nullptr;
        if (parent->last != nullptr)
            parent->last->next = child;
        else
            parent->children = child;
        parent->last = child;
        return;
    }
    child->next = before;
    child->prev = before->prev;
    if (before->prev != nullptr)
        before->prev->next = child;
    else
        parent->children = child;
    before->prev = child;
}

void DetachNode(DocumentState& state, xmlNodePtr node)
{
    if (node->parent == nullptr) return;
    xmlNodePtr formerTop = TopOf(node);
    if (node->type == XML_ATTRIBUTE_NODE) CloseAttributeGap(node->parent, AsAttribute(node));
    Unlink(node);
    LocalizeNamespaces(state, node);
    state.AddOrphan(node);
    // A detached tree that was kept only for this node may go now.
    state.CollectIfUnreferenced(formerTop);
}

void RemoveNode(DocumentState& state, xmlNodePtr node)
{
    DetachNode(state, node);
    state.CollectIfUnreferenced(node);
}

bool AttachChild(DocumentState& state, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before)
{
    state.RemoveOrphan(child);
    LinkChild(parent, child, before);
    return !state.IsAttached(parent) || ReconcileNamespaces(state, child);
}

bool AttachAttribute(DocumentState& state, xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr before)
{
    state.RemoveOrphan(AsNode(attribute));
    LinkAttribute(element, attribute, before);
    return !state.IsAttached(element) || ReconcileAttribute(state, element, attribute);
}

bool ReplaceAttribute(DocumentState& state, xmlAttrPtr existing, xmlAttrPtr replacement)
{
    bool complete = AttachAttribute(state, existing->parent, replacement, existing);
    Unlink(AsNode(existing));
    LocalizeNamespaces(state, AsNode(existing));
    state.AddOrphan(AsNode(existing));
    return complete;
}

bool ReconcileNamespaces(DocumentState& state, xmlNodePtr top)
{
    if (top->type == XML_ATTRIBUTE_NODE)
        return top->parent == nullptr || ReconcileAttribute(state, top->parent, AsAttribute(top));
    bool complete = true;
    for (xmlNodePtr n = top; n != nullptr; n = NextInSubtree(n, top)) {
        if (n->type != XML_ELEMENT_NODE) continue;
        complete &= ReconcileElement(state, n);
        for (xmlAttrPtr a = n->properties; a != nullptr; a = a->next) complete &= ReconcileAttribute(state, n, a);
    }
    return complete;
}

xmlNodePtr CopyNode(DocumentState& target, xmlNodePtr source, bool deep)
{
    if (source->type == XML_ATTRIBUTE_NODE) {
        xmlNsPtr ns = source->ns == nullptr ? nullptr : target.PooledNamespace(source->ns->prefix, source->ns->href);
        xmlAttrPtr copy = NewAttribute(target, ns, View(source->name), NodeText(source));
        if (copy != nullptr) target.AddOrphan(AsNode(copy));
        return AsNode(copy);
    }
    xmlNodePtr root = CopyShallow(target, source);
    if (root == nullptr) return nullptr;
    bool complete = source->type != XML_ELEMENT_NODE || CopyElementDetails(target, source, source, root);
    // Walk the source subtree and its copy in step.
    xmlNodePtr from = deep && source->type == XML_ELEMENT_NODE ? source->children : nullptr;
    xmlNodePtr into = root;
    while (complete && from != nullptr) {
        xmlNodePtr copy = CopyShallow(target, from);
        if (copy == nullptr) {
            complete = false;
            break;
        }
        LinkChild(into, copy, nullptr);
        if (from->type == XML_ELEMENT_NODE) {
            if (!CopyElementDetails(target, from, source, copy)) {
                complete = false;
                break;
            }
            if (from->children != nullptr) {
                from = from->children;
                into = copy;
                continue;
            }
        }
        while (from != source && from->next == nullptr) {
            from = from->parent;
            into = into->parent;
        }
        from = from == source ? nullptr : from->next;
    }
    if (!complete) {
        xmlFreeNode(root);
        return nullptr;
    }
    target.AddOrphan(root);
    return root;
}

std::string NodeText(xmlNodePtr node)
{
    std::string text;
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_DOCUMENT_NODE:
        for (xmlNodePtr n = node; n != nullptr; n = NextInSubtree(n, node)) {
            if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) text.append(View(n->content));
        }
        break;
    case XML_ATTRIBUTE_NODE:
        for (xmlNodePtr n = node->children; n != nullptr; n = n->next) text.append(View(n->content));
        break;
    default: text.assign(View(node->content)); break;
    }
    return text;
}

HRESULT SetNodeText(DocumentState& state, xmlNodePtr node, std::string_view text)
{
    int length = static_cast<int>(text.size());
    if (text.size() > 0x7FFFFFF0u) return E_OUTOFMEMORY;
    switch (node->type) {
    case XML_ELEMENT_NODE: {
        while (node->children != nullptr) RemoveNode(state, node->children);
        if (text.empty()) return S_OK;
        xmlNodePtr child = xmlNewDocTextLen(state.Doc(), Chars(text), length);
        if (child == nullptr) return E_OUTOFMEMORY;
        LinkChild(node, child, nullptr);
        return S_OK;
    }
    case XML_ATTRIBUTE_NODE: {
        // The text children of attributes are never handed out.
        xmlNodePtr value = text.empty() ? nullptr : xmlNewDocTextLen(state.Doc(), Chars(text), length);
        if (!text.empty() && value == nullptr) return E_OUTOFMEMORY;
        if (node->children != nullptr) xmlFreeNodeList(node->children);
        node->children = node->last = value;
        if (value != nullptr) value->parent = node;
        return S_OK;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE: xmlNodeSetContentLen(node, Chars(text), length); return S_OK;
    default: return E_FAIL;
    }
}

xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view qualifiedName)
{
    std::string_view prefix, local;
    SplitName(qualifiedName, &prefix, &local);
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
        std::string_view attributePrefix = a->ns == nullptr ? std::string_view() : View(a->ns->prefix);
        if (View(a->name) == local && attributePrefix == prefix) return a;
    }
    return nullptr;
}

xmlAttrPtr FindAttributeNs(xmlNodePtr element, const xmlNs* ns, const xmlChar* localName)
{
    std::string_view href = ns == nullptr ? std::string_view() : View(ns->href);
    for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
        std::string_view attributeHref = a->ns == nullptr ? std::string_view() : View(a->ns->href);
        if (xmlStrEqual(a->name, localName) && attributeHref == href) return a;
    }
    return nullptr;
}

void DetachAttribute(DocumentState& state, xmlAttrPtr attribute) { DetachNode(state, AsNode(attribute)); }

}  // namespace tav::xml

namespace tav::xml {

void MoveChildren(xmlNodePtr from, xmlNodePtr to)
{
    while (xmlNodePtr child = from->children) {
        Unlink(child);
        LinkChild(to, child, nullptr);
    }
}

}  // namespace tav::xml
