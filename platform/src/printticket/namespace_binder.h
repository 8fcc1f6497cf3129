// The namespace declarations on a document's root element, found by URI and
// added when missing, so that names written into the document use the
// document's own prefixes.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "platform/print_schema.h"

namespace tav::printticket {

class NamespaceBinder {
public:
    explicit NamespaceBinder(xmlNode* root) : root_(root) {}

    xmlNode* Root() const { return root_; }
    xmlDoc* Document() const { return root_->doc; }

    // A prefixed declaration of the URI on the root: the first one there, or
    // a new one. A new one takes the preferred prefix when the root does not
    // declare that prefix yet (empty: the provider's usual prefix for the
    // URI), else the first free one of ns0000, ns0001, ...
    xmlNs* Prefixed(std::string_view uri, std::string_view preferredPrefix = {});
    // For element names: the root's default namespace serves as well. Null
    // for the empty URI.
    xmlNs* ForElement(std::string_view uri, std::string_view preferredPrefix = {});
    // The name as "prefix:local" with the root's prefix for its namespace
    // (the local name alone for a name in no namespace).
    std::string Qualify(const QualifiedName& name, std::string_view preferredPrefix = {});

private:
    bool PrefixDeclared(std::string_view prefix) const;
    std::string FreePrefix(std::string_view uri, std::string_view preferredPrefix) const;

    xmlNode* root_;
};

}  // namespace tav::printticket
