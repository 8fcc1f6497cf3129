#include "ticket_query.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>

namespace {

constexpr char kFramework[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
constexpr char kKeywords[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
constexpr char kPrivate[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";
constexpr char kXsi[] = "http://www.w3.org/2001/XMLSchema-instance";
constexpr char kXsd[] = "http://www.w3.org/2001/XMLSchema";

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

std::string Text(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

bool IsFramework(xmlNodePtr node, const char* name)
{
    return node && node->type == XML_ELEMENT_NODE && node->ns && Text(node->ns->href) == kFramework &&
           Text(node->name) == name;
}

xmlNodePtr FrameworkChild(xmlNodePtr node, const char* name)
{
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (IsFramework(child, name)) return child;
    }
    return nullptr;
}

std::string Attribute(xmlNodePtr node, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(node, Xml(name));
    std::string text = Text(value);
    xmlFree(value);
    return text;
}

std::string Content(xmlNodePtr node)
{
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = Text(content);
    xmlFree(content);
    return text;
}

}  // namespace

TicketQuery::TicketQuery(const std::string& xml)
{
    document_ =
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS);
    if (!document_) return;
    keywords_ = Prefix(kKeywords);
    private_ = Prefix(kPrivate);
}

TicketQuery::~TicketQuery() { xmlFreeDoc(document_); }

std::string TicketQuery::Prefix(const char* uri) const
{
    xmlNodePtr root = xmlDocGetRootElement(document_);
    for (xmlNsPtr ns = root ? root->nsDef : nullptr; ns; ns = ns->next) {
        if (Text(ns->href) == uri) return ns->prefix ? Text(ns->prefix) + ":" : "(default)";
    }
    return "(undeclared)";
}

std::string TicketQuery::Expand(std::string_view text) const
{
    std::string expanded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 3) == "{k}") {
            expanded += keywords_;
            i += 2;
        } else if (text.substr(i, 3) == "{p}") {
            expanded += private_;
            i += 2;
        } else {
            expanded += text[i];
        }
    }
    return expanded;
}

TicketQuery::XPathResult TicketQuery::Evaluate(std::string_view expression) const
{
    XPathResult result(nullptr, &xmlXPathFreeObject);
    if (!document_) return result;
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(xmlXPathNewContext(document_),
                                                                             &xmlXPathFreeContext);
    xmlXPathRegisterNs(context.get(), Xml("psf"), Xml(kFramework));
    std::string expanded = Expand(expression);
    result.reset(xmlXPathEvalExpression(Xml(expanded.c_str()), context.get()));
    if (result && result->type != XPATH_NODESET) result.reset();
    return result;
}

int TicketQuery::Count(std::string_view expression) const
{
    XPathResult result = Evaluate(expression);
    return result ? xmlXPathNodeSetGetLength(result->nodesetval) : -1;
}

xmlNodePtr TicketQuery::First(std::string_view expression) const
{
    XPathResult result = Evaluate(expression);
    if (!result || xmlXPathNodeSetGetLength(result->nodesetval) == 0) return nullptr;
    return xmlXPathNodeSetItem(result->nodesetval, 0);
}

xmlNodePtr TicketQuery::ValueElement(xmlNodePtr node) const
{
    if (xmlNodePtr value = FrameworkChild(node, "Value")) return value;
    xmlNodePtr reference = FrameworkChild(node, "ParameterRef");
    if (!reference) return nullptr;
    std::string name = Attribute(reference, "name");
    for (xmlNodePtr child = xmlDocGetRootElement(document_)->children; child; child = child->next) {
        if (IsFramework(child, "ParameterInit") && Attribute(child, "name") == name)
            return FrameworkChild(child, "Value");
    }
    return nullptr;
}

std::optional<std::string> TicketQuery::Read(std::string_view expression) const
{
    xmlNodePtr node = First(expression);
    if (!node) return std::nullopt;
    if (node->type == XML_ATTRIBUTE_NODE) return Content(node);
    xmlNodePtr value = ValueElement(node);
    if (!value) return std::nullopt;
    return Content(value);
}

std::string TicketQuery::ValueType(std::string_view expression) const
{
    xmlNodePtr node = First(expression);
    xmlNodePtr value = node ? ValueElement(node) : nullptr;
    if (!value) return "";
    xmlChar* type = xmlGetNsProp(value, Xml("type"), Xml(kXsi));
    std::string qualified = Text(type);
    xmlFree(type);
    size_t colon = qualified.find(':');
    if (colon == std::string::npos) return "";
    xmlNsPtr ns = xmlSearchNs(document_, value, Xml(qualified.substr(0, colon).c_str()));
    if (!ns || Text(ns->href) != kXsd) return "";
    return qualified.substr(colon + 1);
}

std::string TicketQuery::NameUri(std::string_view expression) const
{
    xmlNodePtr node = First(expression);
    if (!node || node->type != XML_ELEMENT_NODE) return "";
    std::string name = Attribute(node, "name");
    size_t colon = name.find(':');
    if (colon == std::string::npos) return "";
    xmlNsPtr ns = xmlSearchNs(document_, node, Xml(name.substr(0, colon).c_str()));
    return ns ? Text(ns->href) : "";
}
