// The XML DOM (the DOMDocument60 role: IXMLDOMDocument2 with XPath) and the
// SAX reader (the SAXXMLReader60 role: ISAXXMLReader driving an
// ISAXContentHandler), both created with CoCreateInstance.
//
// Only what the filters and the platform call is declared. Text is UTF-16;
// string arguments are BSTRs where the DOM takes BSTRs (a plain u"..."
// literal is accepted wherever the callee only reads the text), and
// pointer-plus-length pairs in the SAX calls (not zero-terminated).
//
// Both parsers are secure on untrusted input: a document with a DOCTYPE is
// refused, no external entity or DTD is ever loaded, nothing touches the
// network, and nesting depth and text sizes are bounded.
#pragma once

#include "platform/stream.h"
#include "platform/variant.h"

constexpr CLSID CLSID_DOMDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
constexpr CLSID CLSID_SAXXMLReader60 = {0x88D96A0C, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};

constexpr IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMNodeList = {0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMNamedNodeMap = {0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMAttribute = {0x2933BF85, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMText = {0x2933BF87, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID IID_IXMLDOMParseError = {0x3EFAA426, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};
constexpr IID IID_ISAXXMLReader = {0xA4F96ED0, 0xF829, 0x476E, {0x81, 0xC0, 0xCD, 0xC7, 0xBD, 0x2A, 0x08, 0x02}};
constexpr IID IID_ISAXContentHandler = {0x1545CDFA, 0x9E4E, 0x4497, {0xA8, 0xA4, 0x2B, 0xF7, 0xD0, 0x11, 0x2C, 0x44}};
constexpr IID IID_ISAXAttributes = {0xF078ABE1, 0x45D2, 0x4832, {0x91, 0xEA, 0x44, 0x66, 0xCE, 0x2F, 0x25, 0xC9}};
constexpr IID IID_ISAXLocator = {0x9B7E472A, 0x0DE4, 0x4640, {0xBF, 0xF3, 0x84, 0xD3, 0x8A, 0x05, 0x1C, 0x31}};

// Parse failures that the DOM and SAX reader report.
constexpr HRESULT XML_E_PARSE_FAILED = MakeHresult(0xC00CE501u);    // not well-formed
constexpr HRESULT XML_E_DTD_PROHIBITED = MakeHresult(0xC00CE5A1u);  // a DOCTYPE was found
constexpr HRESULT XML_E_LIMIT_EXCEEDED = MakeHresult(0xC00CE5A2u);  // depth or size bounds
constexpr HRESULT XPATH_E_INVALID = MakeHresult(0xC00CE5A3u);       // malformed XPath expression

enum DOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
    NODE_DOCUMENT_TYPE = 10,
    NODE_DOCUMENT_FRAGMENT = 11,
    NODE_NOTATION = 12,
};

struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMDocument;

struct IXMLDOMNode : IUnknown {
    virtual HRESULT get_nodeName(BSTR* name) = 0;       // qualified name
    virtual HRESULT get_nodeValue(VARIANT* value) = 0;  // VT_BSTR for attributes and text, VT_NULL otherwise
    virtual HRESULT put_nodeValue(VARIANT value) = 0;
    virtual HRESULT get_nodeType(DOMNodeType* type) = 0;
    virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;  // S_FALSE and null without parent
    virtual HRESULT get_childNodes(IXMLDOMNodeList** children) = 0;
    virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;               // S_FALSE and null when none
    virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;            // S_FALSE and null when none
    virtual HRESULT get_attributes(IXMLDOMNamedNodeMap** attributes) = 0;  // S_FALSE and null for non-elements
    virtual HRESULT insertBefore(IXMLDOMNode* child, VARIANT reference, IXMLDOMNode** inserted) = 0;
    virtual HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** removed) = 0;
    // A node of another document is imported: a copy is appended and
    // returned, the original stays where it is.
    virtual HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** appended) = 0;  // appended optional
    virtual HRESULT hasChildNodes(VARIANT_BOOL* has) = 0;
    virtual HRESULT get_ownerDocument(IXMLDOMDocument** document) = 0;
    virtual HRESULT cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) = 0;
    virtual HRESULT get_text(BSTR* text) = 0;  // concatenated text content
    virtual HRESULT put_text(BSTR text) = 0;
    virtual HRESULT get_nodeTypedValue(VARIANT* value) = 0;  // the text as VT_BSTR
    virtual HRESULT get_xml(BSTR* xml) = 0;  // markup, with only the namespace declarations the node itself carries
    virtual HRESULT get_namespaceURI(BSTR* uri) = 0;
    virtual HRESULT get_prefix(BSTR* prefix) = 0;
    virtual HRESULT get_baseName(BSTR* localName) = 0;
    // XPath 1.0 with the document's "SelectionNamespaces"; S_FALSE and null
    // when nothing matches; XPATH_E_INVALID for a malformed expression, a
    // prefix the selection namespaces do not bind, or a result that is not
    // a node-set.
    virtual HRESULT selectSingleNode(BSTR expression, IXMLDOMNode** node) = 0;
    virtual HRESULT selectNodes(BSTR expression, IXMLDOMNodeList** nodes) = 0;

protected:
    ~IXMLDOMNode() = default;
};

struct IXMLDOMNodeList : IUnknown {
    virtual HRESULT get_item(LONG index, IXMLDOMNode** node) = 0;  // S_FALSE and null past the end
    virtual HRESULT get_length(LONG* length) = 0;
    virtual HRESULT nextNode(IXMLDOMNode** node) = 0;  // S_FALSE and null past the end
    virtual HRESULT reset() = 0;

protected:
    ~IXMLDOMNodeList() = default;
};

// An element's attributes, namespace declarations included, in document order.
struct IXMLDOMNamedNodeMap : IUnknown {
    virtual HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) = 0;  // S_FALSE and null when absent
    virtual HRESULT setNamedItem(IXMLDOMNode* node, IXMLDOMNode** replaced) = 0;
    virtual HRESULT removeNamedItem(BSTR name, IXMLDOMNode** removed) = 0;
    virtual HRESULT get_item(LONG index, IXMLDOMNode** node) = 0;
    virtual HRESULT get_length(LONG* length) = 0;
    virtual HRESULT nextNode(IXMLDOMNode** node) = 0;
    virtual HRESULT reset() = 0;

protected:
    ~IXMLDOMNamedNodeMap() = default;
};

struct IXMLDOMAttribute : IXMLDOMNode {
    virtual HRESULT get_name(BSTR* name) = 0;
    virtual HRESULT get_value(VARIANT* value) = 0;
    virtual HRESULT put_value(VARIANT value) = 0;

protected:
    ~IXMLDOMAttribute() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
    virtual HRESULT get_tagName(BSTR* name) = 0;
    virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;  // S_FALSE and VT_NULL when absent
    virtual HRESULT setAttribute(BSTR name, VARIANT value) = 0;
    virtual HRESULT removeAttribute(BSTR name) = 0;
    virtual HRESULT getAttributeNode(BSTR name, IXMLDOMAttribute** attribute) = 0;
    virtual HRESULT setAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** replaced) = 0;

protected:
    ~IXMLDOMElement() = default;
};

struct IXMLDOMText : IXMLDOMNode {
protected:
    ~IXMLDOMText() = default;
};

// Why the last load of a document failed. errorCode is 0, the reason empty
// and the line 0 after a load that succeeded (or before any load).
struct IXMLDOMParseError : IUnknown {
    // XML_E_PARSE_FAILED, XML_E_DTD_PROHIBITED or XML_E_LIMIT_EXCEEDED.
    virtual HRESULT get_errorCode(LONG* code) = 0;
    // What is wrong, in a few words: "not well-formed XML".
    virtual HRESULT get_reason(BSTR* reason) = 0;
    // The line (from 1) where reading stopped.
    virtual HRESULT get_line(LONG* line) = 0;

protected:
    ~IXMLDOMParseError() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
    virtual HRESULT get_documentElement(IXMLDOMElement** root) = 0;  // S_FALSE and null when empty
    virtual HRESULT createElement(BSTR tagName, IXMLDOMElement** element) = 0;
    virtual HRESULT createTextNode(BSTR text, IXMLDOMText** node) = 0;
    virtual HRESULT createAttribute(BSTR name, IXMLDOMAttribute** attribute) = 0;
    // type: VT_I4 node type (1 element, 2 attribute, 3 text); name qualified;
    // namespaceURI may be empty.
    virtual HRESULT createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) = 0;
    // source: VT_UNKNOWN holding an IStream or ISequentialStream, or VT_BSTR
    // naming a file. *success is VARIANT_TRUE when the document was loaded;
    // on failure the document is empty and the result is S_FALSE (a failing
    // stream returns its own error). Whitespace-only text between markup is
    // not kept, unless xml:space="preserve" applies.
    virtual HRESULT load(VARIANT source, VARIANT_BOOL* success) = 0;
    virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* success) = 0;
    // destination: VT_UNKNOWN holding an IStream or ISequentialStream, or
    // VT_BSTR naming a file. Writes UTF-8 with an XML declaration.
    virtual HRESULT save(VARIANT destination) = 0;
    virtual HRESULT get_parseError(IXMLDOMParseError** error) = 0;

protected:
    ~IXMLDOMDocument() = default;
};

// QueryInterface(IID_IStream) on a document gives its persistence stream: a
// new stream positioned at 0 whose reads return the document's markup (as
// save writes it, taken when the first read is made) and whose writes
// collect markup that is loaded into the document, replacing its content,
// at the first Seek, Commit or DOM call after the writes (or on release).
struct IXMLDOMDocument2 : IXMLDOMDocument {
    // "SelectionLanguage" ("XPath") and "SelectionNamespaces" (a VT_BSTR of
    // blank-separated xmlns:prefix='uri' declarations).
    virtual HRESULT setProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT getProperty(BSTR name, VARIANT* value) = 0;

protected:
    ~IXMLDOMDocument2() = default;
};

// --- SAX ---------------------------------------------------------------

struct ISAXLocator : IUnknown {
    virtual HRESULT getColumnNumber(int* column) = 0;
    virtual HRESULT getLineNumber(int* line) = 0;

protected:
    ~ISAXLocator() = default;
};

// The attributes of one element, in document order. Namespace declarations
// are reported as attributes named xmlns and xmlns:p, in their place (URI
// http://www.w3.org/2000/xmlns/, local name xmlns or p).
// Values are fully unescaped. Pointers stay valid until the handler returns.
struct ISAXAttributes : IUnknown {
    virtual HRESULT getLength(int* length) = 0;
    virtual HRESULT getURI(int index, const WCHAR** uri, int* length) = 0;
    virtual HRESULT getLocalName(int index, const WCHAR** name, int* length) = 0;
    virtual HRESULT getQName(int index, const WCHAR** name, int* length) = 0;
    virtual HRESULT getName(int index, const WCHAR** uri, int* uriLength, const WCHAR** localName, int* localNameLength,
                            const WCHAR** qName, int* qNameLength) = 0;
    virtual HRESULT getIndexFromQName(const WCHAR* qName, int length, int* index) = 0;  // E_INVALIDARG when absent
    virtual HRESULT getValue(int index, const WCHAR** value, int* length) = 0;
    virtual HRESULT getValueFromQName(const WCHAR* qName, int qNameLength, const WCHAR** value, int* length) = 0;

protected:
    ~ISAXAttributes() = default;
};

struct ISAXContentHandler : IUnknown {
    virtual HRESULT putDocumentLocator(ISAXLocator* locator) = 0;
    virtual HRESULT startDocument() = 0;
    virtual HRESULT endDocument() = 0;
    virtual HRESULT startPrefixMapping(const WCHAR* prefix, int prefixLength, const WCHAR* uri, int uriLength) = 0;
    virtual HRESULT endPrefixMapping(const WCHAR* prefix, int prefixLength) = 0;
    virtual HRESULT startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName,
                                 int localNameLength, const WCHAR* qName, int qNameLength,
                                 ISAXAttributes* attributes) = 0;
    virtual HRESULT endElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName,
                               int localNameLength, const WCHAR* qName, int qNameLength) = 0;
    virtual HRESULT characters(const WCHAR* text, int length) = 0;
    virtual HRESULT ignorableWhitespace(const WCHAR* text, int length) = 0;
    virtual HRESULT processingInstruction(const WCHAR* target, int targetLength, const WCHAR* data, int dataLength) = 0;
    virtual HRESULT skippedEntity(const WCHAR* name, int length) = 0;

protected:
    ~ISAXContentHandler() = default;
};

struct ISAXXMLReader : IUnknown {
    virtual HRESULT putContentHandler(ISAXContentHandler* handler) = 0;
    virtual HRESULT getContentHandler(ISAXContentHandler** handler) = 0;
    // input: VT_UNKNOWN holding an ISequentialStream or IStream (read in
    // blocks, never whole), or VT_BSTR holding markup. A failure returned by
    // a handler stops the parse and is returned.
    virtual HRESULT parse(VARIANT input) = 0;

protected:
    ~ISAXXMLReader() = default;
};
