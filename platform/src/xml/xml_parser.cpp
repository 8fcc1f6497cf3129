#include "xml_parser.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "platform/start_tag_scanner.h"

namespace tav::xml {

namespace {

constexpr ULONG kBlockSize = 64 * 1024;

std::string_view View(const unsigned char* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

// Splits a qualified name at its colon; false unless it is prefix:local or
// local with non-empty parts and at most one colon.
bool SplitQualifiedName(std::string_view name, std::string_view* prefix, std::string_view* local)
{
    size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        *prefix = {};
        *local = name;
        return !name.empty();
    }
    *prefix = name.substr(0, colon);
    *local = name.substr(colon + 1);
    return !prefix->empty() && !local->empty() && local->find(':') == std::string_view::npos;
}

XmlEventParser* ParserOf(void* context) { return static_cast<XmlEventParser*>(context); }

// Some errors (encoding conversion, I/O) are reported by libxml2 without a
// parser context, through the calling thread's generic or structured error
// handler. While a parse runs, this thread's handlers point at the parser;
// libxml2 keeps them per thread, so other threads are not affected.
class ThreadErrorHandlers {
public:
    ThreadErrorHandlers(void* context, xmlGenericErrorFunc handler)
        : genericContext_(xmlGenericErrorContext),
          generic_(xmlGenericError),
          structuredContext_(xmlStructuredErrorContext),
          structured_(xmlStructuredError)
    {
        xmlSetGenericErrorFunc(context, handler);
        xmlSetStructuredErrorFunc(nullptr, nullptr);
    }
    ~ThreadErrorHandlers()
    {
        xmlSetGenericErrorFunc(genericContext_, generic_);
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
    }
    ThreadErrorHandlers(const ThreadErrorHandlers&) = delete;
    ThreadErrorHandlers& operator=(const ThreadErrorHandlers&) = delete;

private:
    void* genericContext_;
    xmlGenericErrorFunc generic_;
    void* structuredContext_;
    xmlStructuredErrorFunc structured_;
};

}  // namespace

void InitializeLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

XmlEventParser::XmlEventParser(XmlEventSink& sink, uint64_t maxInputBytes, size_t maxDepth)
    : sink_(sink), maxInputBytes_(maxInputBytes), maxDepth_(maxDepth)
{
}

int XmlEventParser::LineNumber() const { return context_ == nullptr ? 0 : xmlSAX2GetLineNumber(context_); }

int XmlEventParser::ColumnNumber() const { return context_ == nullptr ? 0 : xmlSAX2GetColumnNumber(context_); }

HRESULT XmlEventParser::Parse(ByteSource& source)
{
    InitializeLibxml();
    // The SAX1 element callbacks keep the namespace declarations among the
    // attributes in document order; namespaces are resolved here. The
    // handler is marked as an old-style one so that libxml2 uses them.
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = 1;
    handler.internalSubset = &OnDoctype;
    handler.externalSubset = &OnDoctype;
    handler.startDocument = &OnStartDocument;
    handler.startElement = &OnStartElement;
    handler.endElement = &OnEndElement;
    handler.characters = &OnCharacters;
    handler.ignorableWhitespace = &OnCharacters;
    handler.cdataBlock = &OnCData;
    handler.comment = &OnComment;
    handler.processingInstruction = &OnProcessingInstruction;
    handler.warning = &OnWarning;
    handler.error = &OnError;
    handler.fatalError = &OnError;

    ThreadErrorHandlers errorHandlers(this, &OnError);
    failure_ = S_OK;
    libxmlError_ = false;
    bindingCount_ = 0;
    depth_ = 0;
    context_ = xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr);
    if (context_ == nullptr) return E_OUTOFMEMORY;
    // Entity replacement only ever meets the predefined entities and
    // character references (a DOCTYPE is refused before it is read), and it
    // makes libxml2 hand over attribute values fully unescaped.
    int options = XML_PARSE_NONET | XML_PARSE_NOENT;
    if (source.IsConvertedText()) options |= XML_PARSE_IGNORE_ENC;
    xmlCtxtUseOptions(context_, options);
    if (source.IsConvertedText()) xmlSwitchEncoding(context_, XML_CHAR_ENCODING_UTF8);

    HRESULT readResult = S_OK;
    std::unique_ptr<char[]> block(new (std::nothrow) char[kBlockSize]);
    if (block == nullptr) readResult = E_OUTOFMEMORY;
    uint64_t total = 0;
    StartTagScanner scanner;
    auto stopped = [this] {
        return FAILED(failure_) || libxmlError_ || context_->disableSAX != 0 || !context_->wellFormed;
    };
    while (SUCCEEDED(readResult) && !stopped()) {
        ULONG got = 0;
        readResult = source.Read(block.get(), kBlockSize, &got);
        if (FAILED(readResult) || got == 0) break;
        total += got;
        if (total > maxInputBytes_ || !scanner.Scan(reinterpret_cast<unsigned char*>(block.get()), got)) {
            Fail(XML_E_LIMIT_EXCEEDED);
            break;
        }
        // A failed encoding conversion halts the parser without marking
        // the document as not well-formed: the result tells.
        if (xmlParseChunk(context_, block.get(), static_cast<int>(got), 0) != XML_ERR_OK) libxmlError_ = true;
    }
    if (SUCCEEDED(readResult) && !stopped() && !libxmlError_ && xmlParseChunk(context_, nullptr, 0, 1) != XML_ERR_OK)
        libxmlError_ = true;

    HRESULT result = S_OK;
    if (FAILED(failure_)) {
        result = failure_;
    } else if (FAILED(readResult)) {
        result = readResult;
    } else if (libxmlError_ || !context_->wellFormed) {
        result = context_->errNo == XML_ERR_NO_MEMORY ? E_OUTOFMEMORY : XML_E_PARSE_FAILED;
    }
    if (SUCCEEDED(result)) result = sink_.EndDocument();
    failureLine_ = 0;
    if (FAILED(result)) {
        const xmlError* error = xmlCtxtGetLastError(context_);
        failureLine_ = error != nullptr && error->line > 0 ? error->line : xmlSAX2GetLineNumber(context_);
    }
    xmlFreeParserCtxt(context_);
    context_ = nullptr;
    return result;
}

void XmlEventParser::Deliver(HRESULT hr)
{
    if (FAILED(hr)) Fail(hr);
}

void XmlEventParser::Fail(HRESULT hr)
{
    if (SUCCEEDED(failure_)) failure_ = hr;
    xmlStopParser(context_);
}

void XmlEventParser::OnStartDocument(void* context)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_)) return;
    parser->Deliver(parser->sink_.StartDocument());
}

void XmlEventParser::OnDoctype(void* context, const unsigned char*, const unsigned char*, const unsigned char*)
{
    ParserOf(context)->Fail(XML_E_DTD_PROHIBITED);
}

void XmlEventParser::OnError(void* context, const char*, ...) { ParserOf(context)->libxmlError_ = true; }

void XmlEventParser::OnWarning(void*, const char*, ...) {}

void XmlEventParser::OnStartElement(void* context, const unsigned char* name, const unsigned char** attributes)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_)) return;
    parser->StartElement(View(name), attributes);
}

void XmlEventParser::OnEndElement(void* context, const unsigned char*)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_) || parser->depth_ == 0) return;
    parser->EndElement();
}

void XmlEventParser::OnCharacters(void* context, const unsigned char* text, int length)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_) || length <= 0) return;
    parser->Deliver(parser->sink_.Characters(std::string_view(reinterpret_cast<const char*>(text), length)));
}

void XmlEventParser::OnCData(void* context, const unsigned char* text, int length)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_) || length < 0) return;
    parser->Deliver(parser->sink_.CDataSection(std::string_view(reinterpret_cast<const char*>(text), length)));
}

void XmlEventParser::OnComment(void* context, const unsigned char* text)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_)) return;
    parser->Deliver(parser->sink_.Comment(View(text)));
}

void XmlEventParser::OnProcessingInstruction(void* context, const unsigned char* target, const unsigned char* data)
{
    XmlEventParser* parser = ParserOf(context);
    if (FAILED(parser->failure_)) return;
    parser->Deliver(parser->sink_.ProcessingInstruction(View(target), View(data)));
}

bool XmlEventParser::DeclarePrefix(std::string_view prefix, std::string_view uri)
{
    // The xml prefix may only be declared with its own namespace, and
    // neither namespace may be bound to anything else; xmlns is reserved;
    // a prefix cannot be undeclared.
    bool xmlPrefix = prefix == "xml";
    if (xmlPrefix != (uri == kXmlNamespace) || prefix == "xmlns" || uri == kXmlnsNamespace) return false;
    if (!prefix.empty() && uri.empty()) return false;
    if (xmlPrefix) return true;  // always bound; nothing to record
    if (bindingCount_ == bindings_.size()) bindings_.emplace_back();
    Binding& binding = bindings_[bindingCount_++];
    binding.prefix.assign(prefix);
    binding.uri.assign(uri);
    return true;
}

size_t XmlEventParser::Resolve(std::string_view prefix) const
{
    if (prefix == "xml") return kXmlBinding;
    for (size_t i = bindingCount_; i > 0; --i) {
        if (bindings_[i - 1].prefix == prefix) return i - 1;
    }
    return kNoBinding;
}

std::string_view XmlEventParser::UriOf(size_t bindingIndex) const
{
    if (bindingIndex == kXmlBinding) return kXmlNamespace;
    if (bindingIndex == kNoBinding) return {};
    return bindings_[bindingIndex].uri;
}

void XmlEventParser::StartElement(std::string_view name, const unsigned char** attributes)
{
    if (depth_ >= maxDepth_) return Fail(XML_E_LIMIT_EXCEEDED);
    size_t bindingsBefore = bindingCount_;

    // Filled in place: the attributes are many, and a copy of each built
    // aside costs more than the filling.
    size_t attributeCount = 0;
    for (const unsigned char** a = attributes; a != nullptr && a[0] != nullptr; a += 2) ++attributeCount;
    attributes_.resize(attributeCount);

    // First the declarations: they apply to the element's own name and
    // attributes wherever they stand among them.
    for (size_t i = 0; i < attributeCount; ++i) {
        XmlAttribute& attribute = attributes_[i];
        std::string_view attributeName = View(attributes[2 * i]);
        attribute.name.qualifiedName = attributeName;
        attribute.value = View(attributes[2 * i + 1]);
        attribute.isNamespaceDeclaration = attributeName == "xmlns" || attributeName.substr(0, 6) == "xmlns:";
        if (!attribute.isNamespaceDeclaration) continue;
        std::string_view declared = attributeName.size() > 5 ? attributeName.substr(6) : std::string_view();
        if (attributeName.size() > 5 && (declared.empty() || declared.find(':') != std::string_view::npos))
            return Fail(XML_E_PARSE_FAILED);
        if (!DeclarePrefix(declared, attribute.value)) return Fail(XML_E_PARSE_FAILED);
    }

    std::string_view prefix, local;
    if (!SplitQualifiedName(name, &prefix, &local) || prefix == "xmlns") return Fail(XML_E_PARSE_FAILED);
    size_t elementBinding = Resolve(prefix);
    if (!prefix.empty() && elementBinding == kNoBinding) return Fail(XML_E_PARSE_FAILED);

    for (size_t i = 0; i < attributeCount; ++i) {
        XmlAttribute& attribute = attributes_[i];
        std::string_view attributeName = attribute.name.qualifiedName;
        if (attribute.isNamespaceDeclaration) {
            bool prefixed = attributeName.size() > 5;
            attribute.name.prefix = prefixed ? attributeName.substr(0, 5) : std::string_view();
            attribute.name.localName = prefixed ? attributeName.substr(6) : attributeName;
            attribute.name.namespaceUri = kXmlnsNamespace;
            continue;
        }
        if (!SplitQualifiedName(attributeName, &attribute.name.prefix, &attribute.name.localName))
            return Fail(XML_E_PARSE_FAILED);
        // Unprefixed attributes are in no namespace.
        attribute.name.namespaceUri = {};
        if (attribute.name.prefix.empty()) continue;
        size_t binding = Resolve(attribute.name.prefix);
        if (binding == kNoBinding) return Fail(XML_E_PARSE_FAILED);
        attribute.name.namespaceUri = UriOf(binding);
        // Two prefixes for one namespace do not make two attributes.
        for (size_t j = 0; j < i; ++j) {
            const XmlAttribute& earlier = attributes_[j];
            if (!earlier.isNamespaceDeclaration && earlier.name.namespaceUri == attribute.name.namespaceUri &&
                earlier.name.localName == attribute.name.localName)
                return Fail(XML_E_PARSE_FAILED);
        }
    }

    if (depth_ == open_.size()) open_.emplace_back();
    OpenElement& element = open_[depth_++];
    element.qualifiedName.assign(name);
    element.prefixLength = prefix.size();
    element.bindingIndex = elementBinding;
    element.bindingsBefore = bindingsBefore;

    for (size_t i = bindingsBefore; i < bindingCount_; ++i) {
        HRESULT hr = sink_.StartPrefixMapping(bindings_[i].prefix, bindings_[i].uri);
        if (FAILED(hr)) return Fail(hr);
    }
    XmlName elementName{name, prefix, local, UriOf(elementBinding)};
    Deliver(sink_.StartElement(elementName, attributes_.data(), attributes_.size()));
}

void XmlEventParser::EndElement()
{
    OpenElement& element = open_[depth_ - 1];
    std::string_view name = element.qualifiedName;
    size_t localStart = element.prefixLength == 0 ? 0 : element.prefixLength + 1;
    XmlName elementName{name, name.substr(0, element.prefixLength), name.substr(localStart),
                        UriOf(element.bindingIndex)};
    HRESULT hr = sink_.EndElement(elementName);
    if (FAILED(hr)) return Fail(hr);
    for (size_t i = element.bindingsBefore; i < bindingCount_; ++i) {
        hr = sink_.EndPrefixMapping(bindings_[i].prefix);
        if (FAILED(hr)) return Fail(hr);
    }
    bindingCount_ = element.bindingsBefore;
    --depth_;
}

}  // namespace tav::xml
