// Document operations of the DOM wrappers: node creation, loading, saving
// and the selection properties.
#include <libxml/tree.h>

#include <cstdio>
#include <new>

#include "../core/stream_bytes.h"
#include "dom_node.h"
#include "dom_serializer.h"
#include "platform/bstr.h"
#include "platform/wformat.h"
#include "text.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

bool IsParseFailure(HRESULT hr)
{
    return hr == XML_E_PARSE_FAILED || hr == XML_E_DTD_PROHIBITED || hr == XML_E_LIMIT_EXCEEDED;
}

bool VariantInteger(const VARIANT& value, LONG* number)
{
    switch (value.vt) {
    case VT_I2: *number = value.iVal; return true;
    case VT_I4:
    case VT_INT: *number = value.lVal; return true;
    case VT_UI2: *number = value.uiVal; return true;
    case VT_UI4:
    case VT_UINT: *number = static_cast<LONG>(value.ulVal); return true;
    default: return false;
    }
}

HRESULT WriteFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return E_ACCESSDENIED;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    return written ? S_OK : STG_E_WRITEFAULT;
}

template <class Interface>
HRESULT ReturnMade(DomNode* made, HRESULT hr, Interface** out)
{
    *out = SUCCEEDED(hr) ? static_cast<Interface*>(made) : nullptr;
    return hr;
}

const WCHAR* ParseFailureReason(HRESULT failure)
{
    switch (failure) {
    case XML_E_PARSE_FAILED: return u"not well-formed XML";
    case XML_E_DTD_PROHIBITED: return u"XML with a DTD (DOCTYPE), which is not allowed";
    case XML_E_LIMIT_EXCEEDED: return u"XML beyond the reader's bounds on nesting, size or attributes";
    default: return u"";
    }
}

// A copy of the document's last load failure, taken when it is asked for.
class ParseError : public ComObject<IXMLDOMParseError> {
public:
    ParseError(HRESULT failure, int line) : failure_(IsParseFailure(failure) ? failure : S_OK), line_(line) {}

    HRESULT get_errorCode(LONG* code) override
    {
        if (code == nullptr) return E_POINTER;
        *code = failure_;
        return S_OK;
    }
    HRESULT get_reason(BSTR* reason) override
    {
        if (reason == nullptr) return E_POINTER;
        *reason = SysAllocString(ParseFailureReason(failure_));
        return *reason == nullptr ? E_OUTOFMEMORY : S_OK;
    }
    HRESULT get_line(LONG* line) override
    {
        if (line == nullptr) return E_POINTER;
        *line = failure_ == S_OK ? 0 : line_;
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXMLDOMParseError ? static_cast<IXMLDOMParseError*>(this) : nullptr;
    }

private:
    HRESULT failure_;
    int line_;
};

}  // namespace

HRESULT DomNode::get_parseError(IXMLDOMParseError** error)
{
    if (error == nullptr) return E_POINTER;
    *error = nullptr;
    if (kind_ != NodeKind::Document) return E_FAIL;
    *error = new (std::nothrow) ParseError(state_->LoadFailure(), state_->LoadFailureLine());
    return *error == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT DomNode::CreateDocument(REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    DocumentState* state = DocumentState::Create();
    if (state == nullptr) return E_OUTOFMEMORY;
    DomNode* document = Make(state, state->DocNode());
    state->Release();  // the wrapper holds its own reference
    if (document == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = document->QueryInterface(riid, object);
    document->Release();
    return hr;
}

HRESULT DomNode::CloneDocument(bool deep, IXMLDOMNode** clone)
{
    DocumentState* copy = DocumentState::Create();
    if (copy == nullptr) return E_OUTOFMEMORY;
    StateRef holder(copy);
    copy->Release();
    HRESULT hr = copy->SetSelectionNamespaces(state_->SelectionNamespacesText());
    for (xmlNodePtr child = node_->children; deep && SUCCEEDED(hr) && child != nullptr; child = child->next) {
        xmlNodePtr node = CopyNode(*copy, child, true);
        if (node == nullptr || !AttachChild(*copy, copy->DocNode(), node, nullptr)) hr = E_OUTOFMEMORY;
    }
    return SUCCEEDED(hr) ? ReturnNode(copy, copy->DocNode(), clone) : hr;
}

HRESULT DomNode::get_documentElement(IXMLDOMElement** root)
{
    if (root == nullptr) return E_POINTER;
    *root = nullptr;
    if (kind_ != NodeKind::Document) return E_FAIL;
    state_->Synchronize();
    for (xmlNodePtr child = node_->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        DomNode* made = Make(state_.Get(), child);
        return ReturnMade(made, made == nullptr ? E_OUTOFMEMORY : S_OK, root);
    }
    return S_FALSE;
}

HRESULT DomNode::MakeNode(int type, BSTR nameText, BSTR namespaceText, DomNode** made)
{
    *made = nullptr;
    if (kind_ != NodeKind::Document) return E_FAIL;
    state_->Synchronize();
    std::string name = ToUtf8(nameText);
    std::string uri = ToUtf8(namespaceText);
    xmlDocPtr doc = state_->Doc();
    xmlNodePtr node = nullptr;
    switch (type) {
    case NODE_ELEMENT:
    case NODE_ATTRIBUTE: {
        std::string_view prefix, local;
        SplitName(name, &prefix, &local);
        std::string terminatedLocal(local);
        std::string terminatedPrefix(prefix);
        bool validName = xmlValidateNCName(Chars(terminatedLocal.c_str()), 0) == 0 &&
                         (prefix.empty() || xmlValidateNCName(Chars(terminatedPrefix.c_str()), 0) == 0);
        // Declarations are made with setAttribute; a prefix needs a namespace.
        if (!validName || prefix == "xmlns" || (prefix.empty() && local == "xmlns") || (!prefix.empty() && uri.empty()))
            return E_INVALIDARG;
        if (prefix == "xml" && !uri.empty() && uri != kXmlNamespace) return E_INVALIDARG;
        xmlNsPtr ns = nullptr;
        if (prefix == "xml")
            ns = state_->XmlNamespace();
        else if (!uri.empty())
            ns =
                state_->PooledNamespace(prefix.empty() ? nullptr : Chars(terminatedPrefix.c_str()), Chars(uri.c_str()));
        if (!uri.empty() && ns == nullptr) return E_OUTOFMEMORY;
        node = type == NODE_ELEMENT ? NewElement(*state_, ns, local) : AsNode(NewAttribute(*state_, ns, local, ""));
        break;
    }
    case NODE_TEXT: node = xmlNewDocTextLen(doc, Chars(""), 0); break;
    case NODE_CDATA_SECTION: node = xmlNewCDataBlock(doc, Chars(""), 0); break;
    case NODE_COMMENT: node = xmlNewDocComment(doc, Chars("")); break;
    case NODE_PROCESSING_INSTRUCTION:
        if (xmlValidateName(Chars(name.c_str()), 0) != 0) return E_INVALIDARG;
        node = xmlNewDocPI(doc, Chars(name.c_str()), nullptr);
        break;
    default: return E_INVALIDARG;
    }
    if (node == nullptr) return E_OUTOFMEMORY;
    state_->AddOrphan(node);
    *made = Make(state_.Get(), node);
    state_->CollectIfUnreferenced(node);  // frees it again if the wrapper could not be made
    return *made == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT DomNode::createElement(BSTR tagName, IXMLDOMElement** element)
{
    if (element == nullptr) return E_POINTER;
    DomNode* made = nullptr;
    // Made first: the arguments of one call are evaluated in no set order.
    HRESULT hr = MakeNode(NODE_ELEMENT, tagName, nullptr, &made);
    return ReturnMade(made, hr, element);
}

HRESULT DomNode::createTextNode(BSTR text, IXMLDOMText** node)
{
    if (node == nullptr) return E_POINTER;
    DomNode* made = nullptr;
    HRESULT hr = MakeNode(NODE_TEXT, nullptr, nullptr, &made);
    if (SUCCEEDED(hr)) hr = SetNodeText(*state_, made->node_, ToUtf8(text));
    if (FAILED(hr) && made != nullptr) {
        made->Release();
        made = nullptr;
    }
    return ReturnMade(made, hr, node);
}

HRESULT DomNode::createAttribute(BSTR name, IXMLDOMAttribute** attribute)
{
    if (attribute == nullptr) return E_POINTER;
    DomNode* made = nullptr;
    // Made first: the arguments of one call are evaluated in no set order.
    HRESULT hr = MakeNode(NODE_ATTRIBUTE, name, nullptr, &made);
    return ReturnMade(made, hr, attribute);
}

HRESULT DomNode::createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node)
{
    if (node == nullptr) return E_POINTER;
    *node = nullptr;
    LONG number = 0;
    if (!VariantInteger(type, &number)) return E_INVALIDARG;
    DomNode* made = nullptr;
    HRESULT hr = MakeNode(number, name, namespaceURI, &made);
    if (SUCCEEDED(hr)) *node = made->AsDomNode();
    return hr;
}

HRESULT DomNode::LoadFrom(ByteSource& source, VARIANT_BOOL* success)
{
    HRESULT hr = state_->Load(source);
    if (success != nullptr) *success = SUCCEEDED(hr) ? VARIANT_TRUE : VARIANT_FALSE;
    if (SUCCEEDED(hr)) return S_OK;
    // Markup that cannot be used is a failed load; a failing stream or
    // missing memory is an error of the call.
    return IsParseFailure(hr) ? S_FALSE : hr;
}

HRESULT DomNode::load(VARIANT source, VARIANT_BOOL* success)
{
    if (success != nullptr) *success = VARIANT_FALSE;
    if (kind_ != NodeKind::Document) return E_FAIL;
    state_->Synchronize();
    if (source.vt == VT_UNKNOWN || source.vt == VT_DISPATCH) {
        ComPtr<ISequentialStream> stream;
        if (source.punkVal == nullptr ||
            FAILED(source.punkVal->QueryInterface(IID_ISequentialStream, stream.OutVoid())))
            return E_INVALIDARG;
        StreamSource bytes(stream.Get());
        return LoadFrom(bytes, success);
    }
    std::string path;
    if (!VariantText(source, &path)) return E_INVALIDARG;
    FileSource file(path);
    if (!file.IsOpen()) {
        state_->Clear();
        return S_FALSE;
    }
    return LoadFrom(file, success);
}

HRESULT DomNode::loadXML(BSTR xml, VARIANT_BOOL* success)
{
    if (success != nullptr) *success = VARIANT_FALSE;
    if (kind_ != NodeKind::Document) return E_FAIL;
    state_->Synchronize();
    std::string markup = MarkupFromText(xml, WideLength(xml));
    MemorySource bytes(markup.data(), markup.size(), true);
    return LoadFrom(bytes, success);
}

HRESULT DomNode::save(VARIANT destination)
{
    if (kind_ != NodeKind::Document) return E_FAIL;
    state_->Synchronize();
    std::string markup;
    SerializeDocument(state_->Doc(), markup);
    if (destination.vt == VT_UNKNOWN || destination.vt == VT_DISPATCH) {
        ComPtr<ISequentialStream> stream;
        if (destination.punkVal == nullptr ||
            FAILED(destination.punkVal->QueryInterface(IID_ISequentialStream, stream.OutVoid())))
            return E_INVALIDARG;
        return tav::WriteStreamFully(stream.Get(), markup);
    }
    std::string path;
    if (!VariantText(destination, &path)) return E_INVALIDARG;
    return WriteFile(path, markup);
}

HRESULT DomNode::setProperty(BSTR nameText, VARIANT value)
{
    if (kind_ != NodeKind::Document) return E_FAIL;
    std::string name = ToUtf8(nameText);
    std::string text;
    if (!VariantText(value, &text)) return E_INVALIDARG;
    // XPath 1.0 is the one selection language.
    if (name == "SelectionLanguage") return text == "XPath" ? S_OK : E_INVALIDARG;
    if (name == "SelectionNamespaces") return state_->SetSelectionNamespaces(text);
    return E_INVALIDARG;
}

HRESULT DomNode::getProperty(BSTR nameText, VARIANT* value)
{
    if (value == nullptr) return E_POINTER;
    VariantInit(value);
    if (kind_ != NodeKind::Document) return E_FAIL;
    std::string name = ToUtf8(nameText);
    if (name == "SelectionLanguage") return ReturnBstrVariant("XPath", value);
    if (name == "SelectionNamespaces") return ReturnBstrVariant(state_->SelectionNamespacesText(), value);
    return E_INVALIDARG;
}

}  // namespace tav::xml
