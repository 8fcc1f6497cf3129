// The one XML parser of the platform: libxml2's push parser with secure
// options, turned into namespace-resolved events with the attributes (and
// the namespace declarations among them) in document order. The DOM builder
// and the SAX reader both consume these events.
//
// Security: a DOCTYPE stops the parse with XML_E_DTD_PROHIBITED before any
// of it is read, so no DTD, external entity or entity expansion can happen;
// only the predefined entities and character references are replaced.
// Nothing touches the network. Element nesting is bounded (XML_E_LIMIT_EXCEEDED);
// libxml2's own bounds on names, values and look-ahead apply (no huge mode).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_source.h"
#include "platform/xml.h"

typedef struct _xmlParserCtxt xmlParserCtxt;

namespace tav::xml {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
// The namespace of the xmlns and xmlns:p declaration attributes.
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// Open elements at once, the root counting as one.
constexpr size_t kMaxElementDepth = 256;

// What the SAX reader allows beyond kMaxElementDepth. The filters read pages
// with it, and each filter that rewrites a page may wrap its content in a
// few Canvas elements of its own (a transform, a clip, the resources' own
// Canvas): a page as deep as the package reader allows must still pass every
// filter of a chain.
constexpr size_t kSaxNestingHeadroom = 64;

// Initialises libxml2 once per process; safe to call from any thread.
void InitializeLibxml();

struct XmlName {
    std::string_view qualifiedName;
    std::string_view prefix;  // empty without prefix
    std::string_view localName;
    std::string_view namespaceUri;  // empty for no namespace
};

// A namespace declaration xmlns:p="uri" has prefix "xmlns", local name "p"
// and the xmlns namespace; xmlns="uri" has no prefix and the local name
// "xmlns". The value is fully unescaped.
struct XmlAttribute {
    XmlName name;
    std::string_view value;
    bool isNamespaceDeclaration;
};

// Receives the events. Views are valid during the call only. A failure
// returned by any method stops the parse and becomes its result.
class XmlEventSink {
public:
    virtual HRESULT StartDocument() = 0;
    // Called only when the whole document was well-formed.
    virtual HRESULT EndDocument() = 0;
    virtual HRESULT StartPrefixMapping(std::string_view prefix, std::string_view uri) = 0;
    virtual HRESULT EndPrefixMapping(std::string_view prefix) = 0;
    virtual HRESULT StartElement(const XmlName& name, const XmlAttribute* attributes, size_t count) = 0;
    virtual HRESULT EndElement(const XmlName& name) = 0;
    virtual HRESULT Characters(std::string_view text) = 0;
    virtual HRESULT CDataSection(std::string_view text) = 0;
    virtual HRESULT Comment(std::string_view text) = 0;
    virtual HRESULT ProcessingInstruction(std::string_view target, std::string_view data) = 0;

protected:
    ~XmlEventSink() = default;
};

class XmlEventParser {
public:
    // maxInputBytes bounds the markup read, maxDepth the elements open at
    // once (XML_E_LIMIT_EXCEEDED beyond either).
    explicit XmlEventParser(XmlEventSink& sink, uint64_t maxInputBytes = UINT64_MAX,
                            size_t maxDepth = kMaxElementDepth);
    XmlEventParser(const XmlEventParser&) = delete;
    XmlEventParser& operator=(const XmlEventParser&) = delete;

    // Reads the source in blocks and delivers the events. S_OK for a
    // well-formed document; XML_E_PARSE_FAILED, XML_E_DTD_PROHIBITED,
    // XML_E_LIMIT_EXCEEDED, a read failure or a sink failure otherwise.
    HRESULT Parse(ByteSource& source);

    // Position of the parser in the input, during a parse (1-based).
    int LineNumber() const;
    // After a failed parse: the line where the markup went wrong (1-based).
    int FailureLine() const { return failureLine_; }
    int ColumnNumber() const;

private:
    struct Binding {
        std::string prefix;
        std::string uri;
    };
    struct OpenElement {
        std::string qualifiedName;
        size_t prefixLength;    // 0 without prefix
        size_t bindingIndex;    // the binding of its namespace, or kNoBinding
        size_t bindingsBefore;  // bindings in scope before its own declarations
    };
    static constexpr size_t kNoBinding = static_cast<size_t>(-1);
    static constexpr size_t kXmlBinding = static_cast<size_t>(-2);

    static void OnStartDocument(void* context);
    static void OnStartElement(void* context, const unsigned char* name, const unsigned char** attributes);
    static void OnEndElement(void* context, const unsigned char* name);
    static void OnCharacters(void* context, const unsigned char* text, int length);
    static void OnCData(void* context, const unsigned char* text, int length);
    static void OnComment(void* context, const unsigned char* text);
    static void OnProcessingInstruction(void* context, const unsigned char* target, const unsigned char* data);
    static void OnDoctype(void* context, const unsigned char* name, const unsigned char* externalId,
                          const unsigned char* systemId);
    static void OnError(void* context, const char* message, ...);
    static void OnWarning(void* context, const char* message, ...);

    void StartElement(std::string_view name, const unsigned char** attributes);
    void EndElement();
    bool DeclarePrefix(std::string_view prefix, std::string_view uri);
    // The binding index for a prefix ("" is the default namespace), or kNoBinding.
    size_t Resolve(std::string_view prefix) const;
    std::string_view UriOf(size_t bindingIndex) const;
    void Deliver(HRESULT hr);
    void Fail(HRESULT hr);

    XmlEventSink& sink_;
    uint64_t maxInputBytes_;
    size_t maxDepth_;
    xmlParserCtxt* context_ = nullptr;
    HRESULT failure_ = S_OK;
    bool libxmlError_ = false;
    int failureLine_ = 0;
    // Scope stacks; slots are reused so that steady parsing does not allocate.
    std::vector<Binding> bindings_;
    size_t bindingCount_ = 0;
    std::vector<OpenElement> open_;
    size_t depth_ = 0;
    std::vector<XmlAttribute> attributes_;
};

}  // namespace tav::xml
