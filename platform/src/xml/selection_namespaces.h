// The "SelectionNamespaces" property: blank-separated declarations
// xmlns:prefix='uri' or xmlns:prefix="uri" (a default xmlns='uri' is
// accepted but binds nothing in XPath 1.0).
#pragma once

#include <string_view>
#include <vector>

#include "document_state.h"

namespace tav::xml {

// False for malformed text: a missing quote, a prefix that is empty or has
// a colon, an empty URI for a prefix, the reserved prefix xmlns, anything
// but white space between declarations.
bool ParseSelectionNamespaces(std::string_view text, std::vector<NamespaceBinding>* bindings);

}  // namespace tav::xml
