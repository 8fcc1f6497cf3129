// Operations on the libxml2 tree behind the DOM. They keep two invariants:
// every node refers to a namespace that is either declared in its scope or
// pooled by the state (detached nodes only), so that attached markup is
// always namespace-well-formed; and every detached tree top is an orphan of
// the state. libxml2's own linking functions are not used because they merge
// and free adjacent text nodes that wrappers may refer to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document_state.h"

namespace tav::xml {

inline const xmlChar* Chars(std::string_view text) { return reinterpret_cast<const xmlChar*>(text.data()); }
inline std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

xmlNodePtr TopOf(xmlNodePtr node);
inline xmlNodePtr AsNode(xmlAttrPtr attribute) { return reinterpret_cast<xmlNodePtr>(attribute); }
inline xmlAttrPtr AsAttribute(xmlNodePtr node) { return reinterpret_cast<xmlAttrPtr>(node); }

// The next node after node in document order inside the subtree of top,
// not entering attributes; null at the end.
xmlNodePtr NextInSubtree(xmlNodePtr node, xmlNodePtr top);

// "prefix:name" or "name".
std::string QualifiedName(xmlNodePtr node);
// The prefix of a qualified name (empty without colon) and its local part.
void SplitName(std::string_view name, std::string_view* prefix, std::string_view* local);

// The declaration of prefix (null: the default namespace) in scope at
// element, walking up through its ancestors; null when none.
xmlNsPtr FindDeclaration(xmlNodePtr element, const xmlChar* prefix);

// An element's attributes and namespace declarations in document order.
struct AttributeItem {
    xmlAttrPtr attribute;  // null for a declaration
    xmlNsPtr declaration;  // null for an attribute
};
std::vector<AttributeItem> AttributeItems(xmlNodePtr element);
// The position hint of a declaration: how many attributes precede it.
void SetDeclarationPosition(xmlNsPtr declaration, size_t attributesBefore);
// Declares prefix for href on element (first among its attributes); null
// without memory or when element already declares that prefix.
xmlNsPtr AddDeclaration(xmlNodePtr element, const xmlChar* prefix, const xmlChar* href);

// New nodes of the state's document, not linked and not yet orphans.
xmlNodePtr NewElement(DocumentState& state, xmlNsPtr ns, std::string_view localName);
xmlAttrPtr NewAttribute(DocumentState& state, xmlNsPtr ns, std::string_view localName, std::string_view value);
// Appends a new attribute to element (used while building a tree).
xmlAttrPtr AppendNewAttribute(DocumentState& state, xmlNodePtr element, xmlNsPtr ns, std::string_view localName,
                              std::string_view value);

// Links a detached node as a child before `before` (null: at the end).
void LinkChild(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before);

// Unlinks node from its parent, repoints its namespaces to pooled ones and
// makes it an orphan of the state. The detached tree it leaves is freed if
// nothing refers into it any more.
void DetachNode(DocumentState& state, xmlNodePtr node);
// Detaches node and frees it at once unless something refers into it.
void RemoveNode(DocumentState& state, xmlNodePtr node);
// Links an orphan child, or an orphan attribute (replacing none), and
// declares the namespaces it needs when it lands in the document. False
// without memory (the node stays linked; declarations may be missing).
bool AttachChild(DocumentState& state, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before);
bool AttachAttribute(DocumentState& state, xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr before);
// Puts replacement (an orphan) in the place of existing, which becomes an
// orphan; false without memory as above.
bool ReplaceAttribute(DocumentState& state, xmlAttrPtr existing, xmlAttrPtr replacement);
// Makes the subtree of top namespace-well-formed in its place.
bool ReconcileNamespaces(DocumentState& state, xmlNodePtr top);

// A detached copy of source (deep: with its descendants) owned by target as
// an orphan; null without memory.
xmlNodePtr CopyNode(DocumentState& target, xmlNodePtr source, bool deep);

// The text content: concatenated text and CDATA of an element or document,
// the value of an attribute, the content of other nodes.
std::string NodeText(xmlNodePtr node);
// Replaces the text content: an element's children become one text node.
HRESULT SetNodeText(DocumentState& state, xmlNodePtr node, std::string_view text);

// The attribute of element with the qualified name, or null.
xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view qualifiedName);
// The attribute of element with the namespace and local name, or null.
xmlAttrPtr FindAttributeNs(xmlNodePtr element, const xmlNs* ns, const xmlChar* localName);
// Removes an attribute from its element, keeping the positions of the
// declarations that follow it.
void DetachAttribute(DocumentState& state, xmlAttrPtr attribute);

}  // namespace tav::xml

namespace tav::xml {

// Moves all children of from to the end of to (no namespace work: used for
// top-level nodes, which carry their own declarations).
void MoveChildren(xmlNodePtr from, xmlNodePtr to);

}  // namespace tav::xml
