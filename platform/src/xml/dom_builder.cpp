#include "dom_builder.h"

#include "dom_tree.h"

namespace tav::xml {

namespace {

bool IsWhitespace(std::string_view text)
{
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
    }
    return true;
}

}  // namespace

HRESULT DomBuilder::Add(xmlNodePtr node)
{
    if (node == nullptr) return E_OUTOFMEMORY;
    LinkChild(current_, node, nullptr);
    return ++nodes_ > kMaxDomNodes ? XML_E_LIMIT_EXCEEDED : S_OK;
}

xmlNsPtr DomBuilder::Resolve(xmlNodePtr element, std::string_view prefix, std::string_view uri)
{
    if (uri.empty()) return nullptr;
    if (prefix == "xml") return state_.XmlNamespace();
    std::string terminated(prefix);
    xmlNsPtr declared = FindDeclaration(element, prefix.empty() ? nullptr : Chars(terminated.c_str()));
    return declared != nullptr ? declared
                               : state_.PooledNamespace(Chars(terminated.c_str()), Chars(std::string(uri).c_str()));
}

HRESULT DomBuilder::StartElement(const XmlName& name, const XmlAttribute* attributes, size_t count)
{
    HRESULT hr = FlushText();
    if (FAILED(hr)) return hr;
    xmlNodePtr element = NewElement(state_, nullptr, name.localName);
    hr = Add(element);
    if (FAILED(hr)) return hr;

    // Declarations first, remembering where they stood among the attributes.
    size_t attributesBefore = 0;
    for (size_t i = 0; i < count; ++i) {
        const XmlAttribute& attribute = attributes[i];
        if (!attribute.isNamespaceDeclaration) {
            ++attributesBefore;
            continue;
        }
        bool isDefault = attribute.name.prefix.empty();
        if (!isDefault && attribute.name.localName == "xml") continue;  // predefined, never stored
        std::string prefix(attribute.name.localName);
        std::string uri(attribute.value);
        xmlNsPtr declaration = xmlNewNs(element, Chars(uri.c_str()), isDefault ? nullptr : Chars(prefix.c_str()));
        if (declaration == nullptr) return E_OUTOFMEMORY;
        SetDeclarationPosition(declaration, attributesBefore);
    }
    element->ns = Resolve(element, name.prefix, name.namespaceUri);

    bool preserve = !preserveSpace_.empty() && preserveSpace_.back();
    for (size_t i = 0; i < count; ++i) {
        const XmlAttribute& attribute = attributes[i];
        if (attribute.isNamespaceDeclaration) continue;
        xmlNsPtr ns = Resolve(element, attribute.name.prefix, attribute.name.namespaceUri);
        if (AppendNewAttribute(state_, element, ns, attribute.name.localName, attribute.value) == nullptr)
            return E_OUTOFMEMORY;
        if (attribute.name.prefix == "xml" && attribute.name.localName == "space")
            preserve = attribute.value == "preserve";
    }
    preserveSpace_.push_back(preserve);
    current_ = element;
    return S_OK;
}

HRESULT DomBuilder::EndElement(const XmlName&)
{
    HRESULT hr = FlushText();
    current_ = current_->parent;
    preserveSpace_.pop_back();
    return hr;
}

HRESULT DomBuilder::Characters(std::string_view text)
{
    text_.append(text);
    return S_OK;
}

HRESULT DomBuilder::CDataSection(std::string_view text)
{
    HRESULT hr = FlushText();
    if (FAILED(hr)) return hr;
    return Add(xmlNewCDataBlock(state_.Doc(), Chars(text), static_cast<int>(text.size())));
}

HRESULT DomBuilder::Comment(std::string_view text)
{
    HRESULT hr = FlushText();
    if (FAILED(hr)) return hr;
    return Add(xmlNewDocComment(state_.Doc(), Chars(std::string(text).c_str())));
}

HRESULT DomBuilder::ProcessingInstruction(std::string_view target, std::string_view data)
{
    HRESULT hr = FlushText();
    if (FAILED(hr)) return hr;
    return Add(xmlNewDocPI(state_.Doc(), Chars(std::string(target).c_str()), Chars(std::string(data).c_str())));
}

HRESULT DomBuilder::FlushText()
{
    if (text_.empty()) return S_OK;
    bool keep = (!preserveSpace_.empty() && preserveSpace_.back()) || !IsWhitespace(text_);
    HRESULT hr = S_OK;
    if (keep) hr = Add(xmlNewDocTextLen(state_.Doc(), Chars(text_), static_cast<int>(text_.size())));
    text_.clear();
    return hr;
}

}  // namespace tav::xml
