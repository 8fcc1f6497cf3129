// Reads a ticket the way the filters' readers do: the prefixes of the
// keywords and private namespaces are taken from the root's first
// declaration of each URI and names are compared as text built from them;
// a value is the text of the element's Value, or of the ParameterInit its
// ParameterRef names. Elements are selected with XPath in which psf is bound
// to the framework namespace by URI.
#pragma once

#include <libxml/tree.h>
#include <libxml/xpath.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class TicketQuery {
public:
    explicit TicketQuery(const std::string& xml);
    ~TicketQuery();
    TicketQuery(const TicketQuery&) = delete;
    TicketQuery& operator=(const TicketQuery&) = delete;

    bool Parsed() const { return document_ != nullptr; }

    // {k} and {p} become the keywords and private prefixes with their colon.
    std::string Expand(std::string_view text) const;
    // Number of nodes the expression selects.
    int Count(std::string_view expression) const;
    // The value of the first node selected: an attribute's text, or an
    // element's value as above; nothing when there is none.
    std::optional<std::string> Read(std::string_view expression) const;
    // The XML Schema type ("integer", "string") of the Value that Read
    // takes, its xsi:type resolved by namespace URI; empty when it has none.
    std::string ValueType(std::string_view expression) const;
    // The namespace URI of the prefix of the qualified name in the first
    // selected element's name attribute.
    std::string NameUri(std::string_view expression) const;

private:
    using XPathResult = std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)>;
    XPathResult Evaluate(std::string_view expression) const;
    xmlNodePtr First(std::string_view expression) const;
    xmlNodePtr ValueElement(xmlNodePtr node) const;
    std::string Prefix(const char* uri) const;

    xmlDocPtr document_ = nullptr;
    std::string keywords_;
    std::string private_;
};
