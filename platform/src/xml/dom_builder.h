// Builds the DOM tree from the parser's events. Whitespace-only text between
// markup is dropped unless xml:space="preserve" is in scope, as a DOM that
// does not preserve white space does.
#pragma once

#include <string>
#include <vector>

#include "document_state.h"
#include "xml_parser.h"

namespace tav::xml {

// Bounds for documents loaded into a DOM (XML_E_LIMIT_EXCEEDED beyond):
// tickets and capabilities are far smaller.
constexpr uint64_t kMaxDomInputBytes = 32ull << 20;
constexpr size_t kMaxDomNodes = 2u << 20;

class DomBuilder final : public XmlEventSink {
public:
    // Builds below holder, an element of the state's document.
    DomBuilder(DocumentState& state, xmlNodePtr holder) : state_(state), current_(holder) {}

    HRESULT StartDocument() override { return S_OK; }
    HRESULT EndDocument() override { return S_OK; }
    HRESULT StartPrefixMapping(std::string_view, std::string_view) override { return S_OK; }
    HRESULT EndPrefixMapping(std::string_view) override { return S_OK; }
    HRESULT StartElement(const XmlName& name, const XmlAttribute* attributes, size_t count) override;
    HRESULT EndElement(const XmlName& name) override;
    HRESULT Characters(std::string_view text) override;
    HRESULT CDataSection(std::string_view text) override;
    HRESULT Comment(std::string_view text) override;
    HRESULT ProcessingInstruction(std::string_view target, std::string_view data) override;

private:
    HRESULT FlushText();
    HRESULT Add(xmlNodePtr node);
    xmlNsPtr Resolve(xmlNodePtr element, std::string_view prefix, std::string_view uri);

    DocumentState& state_;
    xmlNodePtr current_;
    std::string text_;
    std::vector<bool> preserveSpace_;
    size_t nodes_ = 0;
};

}  // namespace tav::xml
