#include "testsupport/ticket_markup.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <utility>

namespace testsupport {

namespace {

const xmlChar* Chars(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

struct XPathResult {
    xmlXPathContext* context = nullptr;
    xmlXPathObject* object = nullptr;
    ~XPathResult()
    {
        xmlXPathFreeObject(object);
        xmlXPathFreeContext(context);
    }
};

void Evaluate(xmlDoc* document, const std::string& xpath, XPathResult* result)
{
    result->context = xmlXPathNewContext(document);
    if (result->context == nullptr) return;
    const std::pair<const char*, const char*> prefixes[] = {{"psf", kFrameworkUri},
                                                            {"psk", kKeywordsUri},
                                                            {"priv", kPrivateUri},
                                                            {"xsi", kSchemaInstanceUri},
                                                            {"xsd", kSchemaUri}};
    for (auto [prefix, uri] : prefixes) xmlXPathRegisterNs(result->context, Chars(prefix), Chars(uri));
    result->object = xmlXPathEvalExpression(Chars(xpath.c_str()), result->context);
}

}  // namespace

TicketMarkup::TicketMarkup(const std::string& text)
{
    document_ = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
}

TicketMarkup::~TicketMarkup() { xmlFreeDoc(document_); }

int TicketMarkup::Count(const std::string& xpath) const
{
    if (document_ == nullptr) return -1;
    XPathResult result;
    Evaluate(document_, xpath, &result);
    if (result.object == nullptr || result.object->type != XPATH_NODESET) return -1;
    return result.object->nodesetval == nullptr ? 0 : result.object->nodesetval->nodeNr;
}

std::string TicketMarkup::Text(const std::string& xpath) const
{
    if (document_ == nullptr) return {};
    XPathResult result;
    Evaluate(document_, xpath, &result);
    if (result.object == nullptr) return {};
    xmlChar* text = xmlXPathCastToString(result.object);
    std::string value = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return value;
}

std::string TicketMarkup::RootPrefix(const char* uri) const
{
    xmlNode* root = document_ == nullptr ? nullptr : xmlDocGetRootElement(document_);
    if (root == nullptr) return {};
    for (xmlNs* ns = root->nsDef; ns != nullptr; ns = ns->next)
        if (ns->prefix != nullptr && std::string(reinterpret_cast<const char*>(ns->href)) == uri)
            return reinterpret_cast<const char*>(ns->prefix);
    return {};
}

}  // namespace testsupport
