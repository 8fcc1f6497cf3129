#include "platform/secure_xml.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <mutex>
#include <new>

#include "platform/start_tag_scanner.h"

namespace tav::securexml {
namespace {

struct ContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

// Set on the parser's context through its private pointer while a document
// with a DOCTYPE is being refused.
struct ParseState {
    bool sawDoctype = false;
};

// Called by the parser as soon as it reads "<!DOCTYPE", before any
// declaration of the internal subset: parsing stops there, so no entity
// declared in it is ever seen.
void RefuseDoctype(void* parserContext, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* context = static_cast<xmlParserCtxt*>(parserContext);
    static_cast<ParseState*>(context->_private)->sawDoctype = true;
    xmlStopParser(context);
}

std::string DescribeError(xmlParserCtxt* context)
{
    const xmlError* error = xmlCtxtGetLastError(context);
    if (error == nullptr || error->message == nullptr) return "the document is not well-formed XML";
    std::string message = error->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    for (char& c : message) {
        if (c == '\n') c = ' ';
    }
    if (error->line > 0) message = "line " + std::to_string(error->line) + ": " + message;
    return "the document is not well-formed XML (" + message + ")";
}

}  // namespace

DocumentPtr Parse(const char* data, size_t size, const ParseOptions& options, std::string* error)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });

    if (size > kMaximumDocumentBytes || size > static_cast<size_t>(INT_MAX)) {
        *error = "the document is larger than " + std::to_string(kMaximumDocumentBytes >> 20) + " MiB";
        return nullptr;
    }
    if (data == nullptr || size == 0) {
        *error = "the document is empty";
        return nullptr;
    }
    tav::xml::StartTagScanner scanner;
    if (!scanner.Scan(reinterpret_cast<const unsigned char*>(data), size)) {
        *error = "an element has more than " + std::to_string(tav::xml::kMaxAttributesPerElement) + " attributes";
        return nullptr;
    }
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(Check(xmlNewParserCtxt()));
    ParseState state;
    context->_private = &state;
    context->sax->internalSubset = RefuseDoctype;
    context->sax->externalSubset = nullptr;

    int flags = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
    if (options.dropBlankText) flags |= XML_PARSE_NOBLANKS;
    DocumentPtr document(xmlCtxtReadMemory(context.get(), data, static_cast<int>(size), nullptr, nullptr, flags));
    if (state.sawDoctype) {
        *error = "the document has a DOCTYPE, which is not allowed";
        return nullptr;
    }
    if (document == nullptr || !context->wellFormed || !context->nsWellFormed) {
        *error = DescribeError(context.get());
        return nullptr;
    }
    if (xmlDocGetRootElement(document.get()) == nullptr) {
        *error = "the document has no root element";
        return nullptr;
    }
    return document;
}

std::string Serialize(xmlDoc* document)
{
    xmlChar* bytes = nullptr;
    int length = 0;
    xmlDocDumpFormatMemoryEnc(document, &bytes, &length, "UTF-8", 1);
    if (bytes == nullptr) throw std::bad_alloc();
    std::string result(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    xmlFree(bytes);
    return result;
}

}  // namespace tav::securexml
