// Markup of DOM nodes. An element carries exactly the namespace declarations
// it holds itself, among its attributes in document order; nothing is added
// for namespaces declared on ancestors, so a nested node's markup is the
// fragment as it stands in its document.
#pragma once

#include <string>

#include <libxml/tree.h>

namespace tav::xml {

// The markup of one node (an attribute gives name="value").
void SerializeNode(xmlNodePtr node, std::string& out);
// The markup of a namespace declaration as an attribute.
void SerializeDeclaration(const xmlNs* declaration, std::string& out);
// The top-level nodes of a document, each followed by a line break.
void SerializeDocumentContent(xmlDocPtr doc, std::string& out);
// What save writes: the XML declaration and the document content, UTF-8.
void SerializeDocument(xmlDocPtr doc, std::string& out);

}  // namespace tav::xml
