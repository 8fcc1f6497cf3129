// Creation of Print Schema elements (Feature, Option, Property,
// ScoredProperty, ParameterDef, ParameterInit, Value) in a document, named
// with the prefixes its root declares.
#pragma once

#include <libxml/tree.h>

#include <cstdint>
#include <string_view>

#include "namespace_binder.h"

namespace tav::printticket {

// A framework element of this kind, appended to parent; named when name is
// given.
xmlNode* AppendSchemaElement(NamespaceBinder& binder, xmlNode* parent, const char* kind,
                             const QualifiedName* name = nullptr);
xmlNode* AppendNamed(NamespaceBinder& binder, xmlNode* parent, const char* kind, const QualifiedName& name);

// A Value of the given XML Schema type ("integer", "string", "QName").
xmlNode* AppendValue(NamespaceBinder& binder, xmlNode* parent, const char* schemaType, std::string_view text);
xmlNode* AppendIntegerValue(NamespaceBinder& binder, xmlNode* parent, int64_t value);
xmlNode* AppendQNameValue(NamespaceBinder& binder, xmlNode* parent, const QualifiedName& value);

// kind ("Property" or "ScoredProperty") named name, holding one integer Value.
xmlNode* AppendIntegerProperty(NamespaceBinder& binder, xmlNode* parent, const char* kind, const QualifiedName& name,
                               int64_t value);

// Replaces the element's text content.
void SetText(xmlNode* element, std::string_view text);

}  // namespace tav::printticket
