#include "xml_input.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <memory>

namespace tavoptions {

namespace {

struct DoctypeGuard {
    bool found = false;
};

// Called for "<!DOCTYPE": remembers it and stops the parser at once, so that
// no entity declared there is ever defined or expanded.
void RefuseDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    static_cast<DoctypeGuard*>(parser->_private)->found = true;
    xmlStopParser(parser);
}

// Failures are reported through the parser's last error, never printed.
void IgnoreMessage(void*, xmlErrorPtr) {}

std::string ParseFailure(xmlParserCtxtPtr parser)
{
    const xmlError* failure = xmlCtxtGetLastError(parser);
    if (!failure || !failure->message)
        return "the ticket is not well-formed XML";
    std::string message = failure->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return "the ticket is not well-formed XML (line " + std::to_string(failure->line) + ": " + message + ")";
}

}  // namespace

xmlDocPtr ParseXmlSafely(std::string_view text, std::string* error)
{
    if (text.size() > kMaxTicketBytes) {
        *error = "the ticket is larger than " + std::to_string(kMaxTicketBytes >> 20) + " MiB";
        return nullptr;
    }
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> parser(xmlNewParserCtxt(), &xmlFreeParserCtxt);
    if (!parser) {
        *error = "out of memory";
        return nullptr;
    }
    DoctypeGuard guard;
    parser->_private = &guard;
    parser->sax->internalSubset = RefuseDoctype;
    parser->sax->serror = IgnoreMessage;
    constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS;
    xmlDocPtr document = xmlCtxtReadMemory(parser.get(), text.data(), static_cast<int>(text.size()), nullptr,
                                           nullptr, kOptions);
    if (guard.found || (document && (document->intSubset || document->extSubset))) {
        xmlFreeDoc(document);
        *error = "the ticket has a DOCTYPE, which a PrintTicket must not have";
        return nullptr;
    }
    if (!document || !parser->wellFormed) {
        xmlFreeDoc(document);
        *error = ParseFailure(parser.get());
        return nullptr;
    }
    return document;
}

}  // namespace tavoptions
