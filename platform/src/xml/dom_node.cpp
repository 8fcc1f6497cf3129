// The generic node operations of the DOM wrappers.
#include "dom_node.h"

#include "dom_serializer.h"
#include "dom_xpath.h"
#include "text.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

// Private identifier by which FromInterface recognises this implementation.
constexpr IID kDomNodeImplementation = {0x5C0D3A71, 0x2B8E, 0x4F43, {0x9A, 0x61, 0x7E, 0x0B, 0x44, 0xD2, 0x18, 0xC5}};

NodeKind KindOf(xmlNodePtr node)
{
    switch (node->type) {
    case XML_DOCUMENT_NODE: return NodeKind::Document;
    case XML_ELEMENT_NODE: return NodeKind::Element;
    case XML_ATTRIBUTE_NODE: return NodeKind::Attribute;
    case XML_CDATA_SECTION_NODE: return NodeKind::CData;
    case XML_COMMENT_NODE: return NodeKind::Comment;
    case XML_PI_NODE: return NodeKind::ProcessingInstruction;
    default: return NodeKind::Text;
    }
}

HRESULT ReturnEmpty(IXMLDOMNode** out)
{
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
}

}  // namespace

DomNode::DomNode(DocumentState* state, xmlNodePtr node, NodeKind kind) : state_(state), node_(node), kind_(kind)
{
    if (node_ != nullptr) state_->Retain(node_);
}

DomNode::~DomNode()
{
    if (node_ != nullptr) state_->Forget(node_);
}

DomNode* DomNode::Make(DocumentState* state, xmlNodePtr node)
{
    return new (std::nothrow) DomNode(state, node, KindOf(node));
}

DomNode* DomNode::MakeDeclaration(DocumentState* state, std::string prefix, std::string uri)
{
    auto* made = new (std::nothrow) DomNode(state, nullptr, NodeKind::Declaration);
    if (made != nullptr) {
        made->declarationPrefix_ = std::move(prefix);
        made->declarationUri_ = std::move(uri);
    }
    return made;
}

DomNode* DomNode::FromInterface(IUnknown* object)
{
    if (object == nullptr) return nullptr;
    void* found = nullptr;
    if (FAILED(object->QueryInterface(kDomNodeImplementation, &found))) return nullptr;
    auto* node = static_cast<DomNode*>(found);
    node->Release();  // the caller's own reference keeps it alive
    return node;
}

IXMLDOMNode* DomNode::AsDomNode()
{
    switch (kind_) {
    case NodeKind::Document: return static_cast<IXMLDOMDocument2*>(this);
    case NodeKind::Attribute:
    case NodeKind::Declaration: return static_cast<IXMLDOMAttribute*>(this);
    case NodeKind::Text:
    case NodeKind::CData: return static_cast<IXMLDOMText*>(this);
    default: return static_cast<IXMLDOMElement*>(this);
    }
}

HRESULT DomNode::QueryInterface(REFIID riid, void** object)
{
    if (kind_ == NodeKind::Document && (riid == IID_IStream || riid == IID_ISequentialStream)) {
        if (object == nullptr) return E_POINTER;
        return CreatePersistenceStream(state_.Get(), riid, object);
    }
    return ComObject::QueryInterface(riid, object);
}

void* DomNode::InterfaceFor(REFIID riid)
{
    if (riid == kDomNodeImplementation) return this;
    if (riid == IID_IXMLDOMNode) return AsDomNode();
    switch (kind_) {
    case NodeKind::Element:
        if (riid == IID_IXMLDOMElement) return static_cast<IXMLDOMElement*>(this);
        break;
    case NodeKind::Attribute:
    case NodeKind::Declaration:
        if (riid == IID_IXMLDOMAttribute) return static_cast<IXMLDOMAttribute*>(this);
        break;
    case NodeKind::Text:
    case NodeKind::CData:
        if (riid == IID_IXMLDOMText) return static_cast<IXMLDOMText*>(this);
        break;
    case NodeKind::Document:
        if (riid == IID_IXMLDOMDocument || riid == IID_IXMLDOMDocument2) return static_cast<IXMLDOMDocument2*>(this);
        break;
    default: break;
    }
    return nullptr;
}

HRESULT ReturnNode(DocumentState* state, xmlNodePtr node, IXMLDOMNode** out)
{
    if (out == nullptr) return E_POINTER;
    DomNode* made = DomNode::Make(state, node);
    *out = made == nullptr ? nullptr : made->AsDomNode();
    return made == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ReturnAttributeItem(DocumentState* state, const AttributeItem& item, IXMLDOMNode** out)
{
    if (out == nullptr) return E_POINTER;
    if (item.attribute != nullptr) return ReturnNode(state, AsNode(item.attribute), out);
    const xmlNs* d = item.declaration;
    DomNode* made = DomNode::MakeDeclaration(state, std::string(View(d->prefix)), std::string(View(d->href)));
    *out = made == nullptr ? nullptr : made->AsDomNode();
    return made == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT DomNode::get_nodeName(BSTR* name)
{
    state_->Synchronize();
    switch (kind_) {
    case NodeKind::Document: return ReturnBstr("#document", name);
    case NodeKind::Element:
    case NodeKind::Attribute: return ReturnBstr(QualifiedName(node_), name);
    case NodeKind::Declaration:
        return ReturnBstr(declarationPrefix_.empty() ? std::string("xmlns") : "xmlns:" + declarationPrefix_, name);
    case NodeKind::Text: return ReturnBstr("#text", name);
    case NodeKind::CData: return ReturnBstr("#cdata-section", name);
    case NodeKind::Comment: return ReturnBstr("#comment", name);
    case NodeKind::ProcessingInstruction: return ReturnBstr(View(node_->name), name);
    }
    return E_UNEXPECTED;
}

HRESULT DomNode::get_nodeValue(VARIANT* value)
{
    if (value == nullptr) return E_POINTER;
    state_->Synchronize();
    if (IsContainer()) {
        VariantInit(value);
        value->vt = VT_NULL;
        return S_OK;
    }
    return get_nodeTypedValue(value);
}

HRESULT DomNode::put_nodeValue(VARIANT value)
{
    state_->Synchronize();
    std::string text;
    if (!VariantText(value, &text)) return E_INVALIDARG;
    // Declarations are snapshots: changing one would move every node that
    // uses it to another namespace.
    if (IsContainer() || kind_ == NodeKind::Declaration) return E_FAIL;
    return SetNodeText(*state_, node_, text);
}

HRESULT DomNode::get_nodeType(DOMNodeType* type)
{
    if (type == nullptr) return E_POINTER;
    switch (kind_) {
    case NodeKind::Document: *type = NODE_DOCUMENT; break;
    case NodeKind::Element: *type = NODE_ELEMENT; break;
    case NodeKind::Attribute:
    case NodeKind::Declaration: *type = NODE_ATTRIBUTE; break;
    case NodeKind::Text: *type = NODE_TEXT; break;
    case NodeKind::CData: *type = NODE_CDATA_SECTION; break;
    case NodeKind::Comment: *type = NODE_COMMENT; break;
    case NodeKind::ProcessingInstruction: *type = NODE_PROCESSING_INSTRUCTION; break;
    }
    return S_OK;
}

HRESULT DomNode::get_parentNode(IXMLDOMNode** parent)
{
    state_->Synchronize();
    // Attributes have no parent in the DOM.
    bool child = kind_ != NodeKind::Document && kind_ != NodeKind::Attribute && kind_ != NodeKind::Declaration;
    if (!child || node_->parent == nullptr) return ReturnEmpty(parent);
    return ReturnNode(state_.Get(), node_->parent, parent);
}

HRESULT DomNode::get_childNodes(IXMLDOMNodeList** children)
{
    state_->Synchronize();
    std::vector<xmlNodePtr> nodes;
    if (IsContainer()) {
        for (xmlNodePtr child = node_->children; child != nullptr; child = child->next) nodes.push_back(child);
    }
    return ReturnNodeList(state_.Get(), std::move(nodes), children);
}

HRESULT DomNode::get_firstChild(IXMLDOMNode** child)
{
    state_->Synchronize();
    if (!IsContainer() || node_->children == nullptr) return ReturnEmpty(child);
    return ReturnNode(state_.Get(), node_->children, child);
}

HRESULT DomNode::get_nextSibling(IXMLDOMNode** sibling)
{
    state_->Synchronize();
    bool child = kind_ != NodeKind::Document && kind_ != NodeKind::Attribute && kind_ != NodeKind::Declaration;
    if (!child || node_->next == nullptr) return ReturnEmpty(sibling);
    return ReturnNode(state_.Get(), node_->next, sibling);
}

HRESULT DomNode::get_attributes(IXMLDOMNamedNodeMap** attributes)
{
    if (attributes == nullptr) return E_POINTER;
    *attributes = nullptr;
    state_->Synchronize();
    if (kind_ != NodeKind::Element) return S_FALSE;
    return ReturnAttributeMap(state_.Get(), node_, attributes);
}

HRESULT DomNode::insertBefore(IXMLDOMNode* child, VARIANT reference, IXMLDOMNode** inserted)
{
    if (inserted != nullptr) *inserted = nullptr;
    state_->Synchronize();
    xmlNodePtr before = nullptr;
    if ((reference.vt == VT_UNKNOWN || reference.vt == VT_DISPATCH) && reference.punkVal != nullptr) {
        DomNode* referenceNode = DomNode::FromInterface(reference.punkVal);
        if (referenceNode == nullptr || referenceNode->State() != state_.Get() || referenceNode->node_ == nullptr ||
            referenceNode->kind_ == NodeKind::Attribute || referenceNode->node_->parent != node_)
            return E_INVALIDARG;
        before = referenceNode->node_;
    } else if (reference.vt != VT_EMPTY && reference.vt != VT_NULL && reference.vt != VT_UNKNOWN &&
               reference.vt != VT_DISPATCH) {
        return E_INVALIDARG;
    }
    return InsertChild(child, before, inserted);
}

HRESULT DomNode::appendChild(IXMLDOMNode* child, IXMLDOMNode** appended)
{
    if (appended != nullptr) *appended = nullptr;
    state_->Synchronize();
    return InsertChild(child, nullptr, appended);
}

HRESULT DomNode::InsertChild(IXMLDOMNode* childInterface, xmlNodePtr before, IXMLDOMNode** inserted)
{
    if (!IsContainer()) return E_FAIL;
    DomNode* child = DomNode::FromInterface(childInterface);
    if (child == nullptr) return E_INVALIDARG;
    NodeKind kind = child->kind_;
    if (kind == NodeKind::Document || kind == NodeKind::Attribute || kind == NodeKind::Declaration) return E_INVALIDARG;
    bool sameDocument = child->State() == state_.Get();
    if (sameDocument) {
        if (child->node_ == before)
            return inserted == nullptr ? S_OK : ReturnNode(state_.Get(), child->node_, inserted);
        // A node cannot become its own descendant.
        for (xmlNodePtr ancestor = node_; ancestor != nullptr; ancestor = ancestor->parent) {
            if (ancestor == child->node_) return E_INVALIDARG;
        }
    }
    if (kind_ == NodeKind::Document) {
        // A document holds one element and no text.
        if (kind == NodeKind::Text || kind == NodeKind::CData) return E_FAIL;
        for (xmlNodePtr c = node_->children; c != nullptr && kind == NodeKind::Element; c = c->next) {
            if (c->type == XML_ELEMENT_NODE && c != child->node_) return E_FAIL;
        }
    }
    xmlNodePtr node = child->node_;
    if (sameDocument) {
        DetachNode(*state_, node);
    } else {
        // A node of another document is imported: this document gets a copy.
        node = CopyNode(*state_, node, true);
        if (node == nullptr) return E_OUTOFMEMORY;
    }
    bool complete = AttachChild(*state_, node_, node, before);
    HRESULT hr = inserted == nullptr ? S_OK : ReturnNode(state_.Get(), node, inserted);
    return complete ? hr : E_OUTOFMEMORY;
}

HRESULT DomNode::removeChild(IXMLDOMNode* childInterface, IXMLDOMNode** removed)
{
    if (removed != nullptr) *removed = nullptr;
    state_->Synchronize();
    DomNode* child = DomNode::FromInterface(childInterface);
    if (child == nullptr || child->State() != state_.Get() || child->node_ == nullptr ||
        child->kind_ == NodeKind::Attribute || child->kind_ == NodeKind::Document || child->node_->parent != node_ ||
        !IsContainer())
        return E_INVALIDARG;
    DetachNode(*state_, child->node_);
    // The caller's wrapper of the child keeps the node alive.
    return removed == nullptr ? S_OK : ReturnNode(state_.Get(), child->node_, removed);
}

HRESULT DomNode::hasChildNodes(VARIANT_BOOL* has)
{
    if (has == nullptr) return E_POINTER;
    state_->Synchronize();
    bool any = IsContainer() && node_->children != nullptr;
    *has = any ? VARIANT_TRUE : VARIANT_FALSE;
    return any ? S_OK : S_FALSE;
}

HRESULT DomNode::get_ownerDocument(IXMLDOMDocument** document)
{
    if (document == nullptr) return E_POINTER;
    *document = nullptr;
    if (kind_ == NodeKind::Document) return S_FALSE;
    DomNode* made = DomNode::Make(state_.Get(), state_->DocNode());
    if (made == nullptr) return E_OUTOFMEMORY;
    *document = static_cast<IXMLDOMDocument2*>(made);
    return S_OK;
}

HRESULT DomNode::cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone)
{
    if (clone == nullptr) return E_POINTER;
    *clone = nullptr;
    state_->Synchronize();
    if (kind_ == NodeKind::Document) return CloneDocument(deep != VARIANT_FALSE, clone);
    if (kind_ == NodeKind::Declaration) {
        DomNode* made = DomNode::MakeDeclaration(state_.Get(), declarationPrefix_, declarationUri_);
        *clone = made == nullptr ? nullptr : made->AsDomNode();
        return made == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    xmlNodePtr copy = CopyNode(*state_, node_, deep != VARIANT_FALSE);
    if (copy == nullptr) return E_OUTOFMEMORY;
    // The new wrapper now owns the orphan copy.
    HRESULT hr = ReturnNode(state_.Get(), copy, clone);
    state_->CollectIfUnreferenced(copy);
    return hr;
}

HRESULT DomNode::get_text(BSTR* text)
{
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return ReturnBstr(declarationUri_, text);
    return ReturnBstr(NodeText(node_), text);
}

HRESULT DomNode::put_text(BSTR text)
{
    state_->Synchronize();
    if (kind_ == NodeKind::Document || kind_ == NodeKind::Declaration) return E_FAIL;
    return SetNodeText(*state_, node_, ToUtf8(text));
}

HRESULT DomNode::get_nodeTypedValue(VARIANT* value)
{
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return ReturnBstrVariant(declarationUri_, value);
    return ReturnBstrVariant(NodeText(node_), value);
}

HRESULT DomNode::get_xml(BSTR* xml)
{
    state_->Synchronize();
    std::string markup;
    if (kind_ == NodeKind::Declaration) {
        xmlNs declaration{};
        declaration.prefix = declarationPrefix_.empty() ? nullptr : Chars(declarationPrefix_.c_str());
        declaration.href = Chars(declarationUri_.c_str());
        SerializeDeclaration(&declaration, markup);
    } else {
        SerializeNode(node_, markup);
    }
    return ReturnBstr(markup, xml);
}

HRESULT DomNode::get_namespaceURI(BSTR* uri)
{
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return ReturnBstr(kXmlnsNamespace, uri);
    bool named = kind_ == NodeKind::Element || kind_ == NodeKind::Attribute;
    return ReturnBstr(named && node_->ns != nullptr ? View(node_->ns->href) : std::string_view(), uri);
}

HRESULT DomNode::get_prefix(BSTR* prefix)
{
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return ReturnBstr(declarationPrefix_.empty() ? "" : "xmlns", prefix);
    bool named = kind_ == NodeKind::Element || kind_ == NodeKind::Attribute;
    return ReturnBstr(named && node_->ns != nullptr ? View(node_->ns->prefix) : std::string_view(), prefix);
}

HRESULT DomNode::get_baseName(BSTR* localName)
{
    state_->Synchronize();
    switch (kind_) {
    case NodeKind::Declaration:
        return ReturnBstr(declarationPrefix_.empty() ? std::string("xmlns") : declarationPrefix_, localName);
    case NodeKind::Element:
    case NodeKind::Attribute:
    case NodeKind::ProcessingInstruction: return ReturnBstr(View(node_->name), localName);
    default: return ReturnBstr("", localName);
    }
}

HRESULT DomNode::selectSingleNode(BSTR expression, IXMLDOMNode** node)
{
    if (node == nullptr) return E_POINTER;
    *node = nullptr;
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return E_NOTIMPL;
    std::vector<xmlNodePtr> nodes;
    HRESULT hr = SelectNodes(*state_, node_, ToUtf8(expression), &nodes);
    if (FAILED(hr)) return hr;
    if (nodes.empty()) return S_FALSE;
    return ReturnNode(state_.Get(), nodes.front(), node);
}

HRESULT DomNode::selectNodes(BSTR expression, IXMLDOMNodeList** list)
{
    if (list == nullptr) return E_POINTER;
    *list = nullptr;
    state_->Synchronize();
    if (kind_ == NodeKind::Declaration) return E_NOTIMPL;
    std::vector<xmlNodePtr> nodes;
    HRESULT hr = SelectNodes(*state_, node_, ToUtf8(expression), &nodes);
    if (FAILED(hr)) return hr;
    return ReturnNodeList(state_.Get(), std::move(nodes), list);
}

}  // namespace tav::xml
