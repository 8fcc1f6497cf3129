// Navigation of Print Schema documents (tickets, capabilities, device
// defaults) held as libxml2 trees: elements of the framework namespace, their
// qualified names resolved in the scope of the element that holds them, and
// the values of options, scored properties and parameters.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/print_schema.h"

namespace tav::printticket {

// True for an element of the framework namespace with this local name.
bool IsSchemaElement(const xmlNode* node, std::string_view localName);
// The first child element of the framework namespace with this local name.
xmlNode* FirstSchemaChild(const xmlNode* parent, std::string_view localName);
// The next element sibling, or null.
xmlNode* NextElement(const xmlNode* node);
xmlNode* FirstElement(const xmlNode* parent);

// The value of an attribute in no namespace, or of one in namespaceUri.
std::optional<std::string> AttributeText(const xmlNode* element, const char* name);
std::optional<std::string> AttributeText(const xmlNode* element, const char* name, const char* namespaceUri);
// All text below the node, concatenated.
std::string TextContent(const xmlNode* node);
// Text without surrounding XML white space.
std::string_view Trim(std::string_view text);

// Resolves a QName written as text ("prefix:local", white space around it
// allowed) against the declarations in scope at context; a name without
// prefix takes the default namespace (or none). Null when the text is no
// QName or its prefix is not declared.
std::optional<QualifiedName> ResolveQName(const xmlNode* context, std::string_view text);
// The element's resolved "name" attribute.
std::optional<QualifiedName> NameOf(const xmlNode* element);

// The first child of parent that is a framework element of this kind
// ("Feature", "Property", ...) with this name.
xmlNode* FindNamed(const xmlNode* parent, std::string_view kind, const QualifiedName& name);

// An xsd:integer in its lexical form (sign and digits, white space around);
// null for anything else or a value outside 64 bits.
std::optional<int64_t> ParseInteger(std::string_view text);

// The first Option of a feature.
xmlNode* OptionOf(const xmlNode* feature);
// An option's name: its "name" attribute, or, for an option given only by
// its scored properties, the QName in its "OptionName" ScoredProperty.
std::optional<QualifiedName> OptionName(const xmlNode* option);
// The feature's option name; null without feature, option or name.
std::optional<QualifiedName> FeatureOptionName(const xmlNode* root, const QualifiedName& feature);

// The integer of a ScoredProperty of an option: its Value, or the Value of
// the root's ParameterInit that its ParameterRef names.
std::optional<int64_t> ScoredPropertyInteger(const xmlNode* root, const xmlNode* option, const QualifiedName& property);
// The integer Value of the root's ParameterInit of this name.
std::optional<int64_t> ParameterInteger(const xmlNode* root, const QualifiedName& parameter);

}  // namespace tav::printticket
