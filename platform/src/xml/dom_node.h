// The DOM objects handed to callers: one wrapper object per request, each
// holding a reference on the shared document state and a counted reference
// on its node, so that two wrappers of one node behave the same and a
// wrapper stays usable after its node was removed from the tree.
//
// One class implements the node, element, attribute, text and document
// interfaces; QueryInterface answers only those that fit the node's kind,
// and each kind-specific method checks the kind as well.
#pragma once

#include <string>

#include "document_state.h"
#include "dom_tree.h"
#include "platform/comobject.h"
#include "platform/xml.h"

namespace tav::xml {

enum class NodeKind {
    Document,
    Element,
    Attribute,
    Declaration,  // a namespace declaration seen as an attribute (a snapshot)
    Text,
    CData,
    Comment,
    ProcessingInstruction,
};

class DomNode final : public ComObject<IXMLDOMElement, IXMLDOMAttribute, IXMLDOMText, IXMLDOMDocument2> {
public:
    // A new wrapper with one reference; null without memory.
    static DomNode* Make(DocumentState* state, xmlNodePtr node);
    static DomNode* MakeDeclaration(DocumentState* state, std::string prefix, std::string uri);
    // The implementation behind a DOM interface of this platform, borrowed;
    // null for objects of other implementations.
    static DomNode* FromInterface(IUnknown* object);
    // The object of CLSID_DOMDocument60.
    static HRESULT CreateDocument(REFIID riid, void** object);

    DocumentState* State() const { return state_.Get(); }
    xmlNodePtr Node() const { return node_; }
    NodeKind Kind() const { return kind_; }
    const std::string& DeclarationPrefix() const { return declarationPrefix_; }
    const std::string& DeclarationUri() const { return declarationUri_; }
    // The IXMLDOMNode of the interface family that fits the kind.
    IXMLDOMNode* AsDomNode();

    HRESULT QueryInterface(REFIID riid, void** object) override;

    // IXMLDOMNode
    HRESULT get_nodeName(BSTR* name) override;
    HRESULT get_nodeValue(VARIANT* value) override;
    HRESULT put_nodeValue(VARIANT value) override;
    HRESULT get_nodeType(DOMNodeType* type) override;
    HRESULT get_parentNode(IXMLDOMNode** parent) override;
    HRESULT get_childNodes(IXMLDOMNodeList** children) override;
    HRESULT get_firstChild(IXMLDOMNode** child) override;
    HRESULT get_nextSibling(IXMLDOMNode** sibling) override;
    HRESULT get_attributes(IXMLDOMNamedNodeMap** attributes) override;
    HRESULT insertBefore(IXMLDOMNode* child, VARIANT reference, IXMLDOMNode** inserted) override;
    HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** removed) override;
    HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** appended) override;
    HRESULT hasChildNodes(VARIANT_BOOL* has) override;
    HRESULT get_ownerDocument(IXMLDOMDocument** document) override;
    HRESULT cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) override;
    HRESULT get_text(BSTR* text) override;
    HRESULT put_text(BSTR text) override;
    HRESULT get_nodeTypedValue(VARIANT* value) override;
    HRESULT get_xml(BSTR* xml) override;
    HRESULT get_namespaceURI(BSTR* uri) override;
    HRESULT get_prefix(BSTR* prefix) override;
    HRESULT get_baseName(BSTR* localName) override;
    HRESULT selectSingleNode(BSTR expression, IXMLDOMNode** node) override;
    HRESULT selectNodes(BSTR expression, IXMLDOMNodeList** nodes) override;

    // IXMLDOMAttribute
    HRESULT get_name(BSTR* name) override;
    HRESULT get_value(VARIANT* value) override;
    HRESULT put_value(VARIANT value) override;

    // IXMLDOMElement
    HRESULT get_tagName(BSTR* name) override;
    HRESULT getAttribute(BSTR name, VARIANT* value) override;
    HRESULT setAttribute(BSTR name, VARIANT value) override;
    HRESULT removeAttribute(BSTR name) override;
    HRESULT getAttributeNode(BSTR name, IXMLDOMAttribute** attribute) override;
    HRESULT setAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** replaced) override;

    // IXMLDOMDocument, IXMLDOMDocument2
    HRESULT get_documentElement(IXMLDOMElement** root) override;
    HRESULT createElement(BSTR tagName, IXMLDOMElement** element) override;
    HRESULT createTextNode(BSTR text, IXMLDOMText** node) override;
    HRESULT createAttribute(BSTR name, IXMLDOMAttribute** attribute) override;
    HRESULT createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) override;
    HRESULT load(VARIANT source, VARIANT_BOOL* success) override;
    HRESULT loadXML(BSTR xml, VARIANT_BOOL* success) override;
    HRESULT save(VARIANT destination) override;
    HRESULT get_parseError(IXMLDOMParseError** error) override;
    HRESULT setProperty(BSTR name, VARIANT value) override;
    HRESULT getProperty(BSTR name, VARIANT* value) override;

private:
    DomNode(DocumentState* state, xmlNodePtr node, NodeKind kind);
    ~DomNode() override;
    void* InterfaceFor(REFIID riid) override;

    bool IsContainer() const { return kind_ == NodeKind::Element || kind_ == NodeKind::Document; }
    HRESULT InsertChild(IXMLDOMNode* child, xmlNodePtr before, IXMLDOMNode** inserted);
    HRESULT LoadFrom(ByteSource& source, VARIANT_BOOL* success);
    HRESULT MakeNode(int type, BSTR name, BSTR namespaceUri, DomNode** made);
    HRESULT CloneDocument(bool deep, IXMLDOMNode** clone);

    StateRef state_;
    xmlNodePtr node_;  // null for a declaration
    NodeKind kind_;
    std::string declarationPrefix_;
    std::string declarationUri_;
};

// Stores a new wrapper of node in *out (typed as the node's interface):
// S_OK, E_POINTER for a null out, E_OUTOFMEMORY.
HRESULT ReturnNode(DocumentState* state, xmlNodePtr node, IXMLDOMNode** out);
// The same for an item of an element's attribute list.
HRESULT ReturnAttributeItem(DocumentState* state, const AttributeItem& item, IXMLDOMNode** out);

// A snapshot list of nodes, each kept alive while the list lives.
HRESULT ReturnNodeList(DocumentState* state, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out);
// The live attribute list of an element.
HRESULT ReturnAttributeMap(DocumentState* state, xmlNodePtr element, IXMLDOMNamedNodeMap** out);

// Attribute operations shared by the element and its attribute map. Names
// "xmlns" and "xmlns:p" address namespace declarations.
AttributeItem FindAttributeItem(xmlNodePtr element, std::string_view qualifiedName);
HRESULT SetAttributeText(DocumentState& state, xmlNodePtr element, std::string_view qualifiedName,
                         std::string_view value);
// attribute: an attribute or declaration wrapper of this platform; the
// replaced attribute (optional) is returned as a wrapper.
HRESULT SetAttributeNode(DocumentState& state, xmlNodePtr element, IUnknown* attribute, IXMLDOMNode** replaced);
// S_FALSE when there is no such attribute.
HRESULT RemoveAttributeItem(DocumentState& state, xmlNodePtr element, std::string_view qualifiedName,
                            IXMLDOMNode** removed);

// The persistence stream of a document (QueryInterface IID_IStream).
HRESULT CreatePersistenceStream(DocumentState* state, REFIID riid, void** object);

}  // namespace tav::xml
