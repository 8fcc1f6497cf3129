// XPath 1.0 selection with the document's "SelectionNamespaces".
#pragma once

#include <string_view>
#include <vector>

#include "document_state.h"

namespace tav::xml {

// The nodes that expression selects from context, in document order.
// XPATH_E_INVALID for a malformed expression, a prefix the selection
// namespaces do not bind, or an expression that gives no node-set;
// E_NOTIMPL when namespace nodes are selected.
HRESULT SelectNodes(DocumentState& state, xmlNodePtr context, std::string_view expression,
                    std::vector<xmlNodePtr>* nodes);

}  // namespace tav::xml
