// Copying an element from one Print Schema document into another, written
// with the target's prefixes.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>

#include "namespace_binder.h"

namespace tav::printticket {

struct NodeDeleter {
    void operator()(xmlNode* node) const { xmlFreeNode(node); }
};
using NodePtr = std::unique_ptr<xmlNode, NodeDeleter>;

// A deep copy of source (an element of another document) for the binder's
// document, not yet attached. Element and attribute namespaces are bound to
// the declarations on the target's root, and the qualified names held as
// text (the "name" attribute of framework elements, xsi:type, and the Value
// of a ScoredProperty OptionName or of type xsd:QName) are rewritten to the
// target's prefixes; namespaces the root lacks are declared on it, keeping
// the source's prefix where it is free there. Null, with a reason in *error,
// when a name uses a prefix that the source does not declare.
NodePtr ImportElement(NamespaceBinder& binder, const xmlNode* source, std::string* error);

}  // namespace tav::printticket
