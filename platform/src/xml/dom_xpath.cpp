#include "dom_xpath.h"

#include <libxml/xpathInternals.h>

#include "dom_tree.h"
#include "platform/xml.h"

namespace tav::xml {

namespace {

// Errors are only counted; the per-context handler keeps libxml2 from
// reporting them through its global channel.
void CountXPathError(void* userData, xmlErrorPtr) { ++*static_cast<int*>(userData); }

}  // namespace

HRESULT SelectNodes(DocumentState& state, xmlNodePtr context, std::string_view expression,
                    std::vector<xmlNodePtr>* nodes)
{
    nodes->clear();
    xmlXPathContextPtr xpath = state.XPathContext();
    if (xpath == nullptr) return E_OUTOFMEMORY;
    int errors = 0;
    xpath->error = &CountXPathError;
    xpath->userData = &errors;
    xpath->doc = state.Doc();
    xpath->node = context;

    std::string text(expression);
    xmlXPathCompExprPtr compiled = xmlXPathCtxtCompile(xpath, Chars(text.c_str()));
    xmlXPathObjectPtr result = compiled == nullptr ? nullptr : xmlXPathCompiledEval(compiled, xpath);
    if (compiled != nullptr) xmlXPathFreeCompExpr(compiled);
    xpath->node = nullptr;
    xpath->userData = nullptr;

    HRESULT hr = S_OK;
    if (result == nullptr || errors != 0 || result->type != XPATH_NODESET) {
        hr = XPATH_E_INVALID;
    } else if (xmlNodeSetPtr set = result->nodesetval; set != nullptr && set->nodeNr > 0) {
        xmlXPathNodeSetSort(set);
        for (int i = 0; i < set->nodeNr; ++i) {
            if (set->nodeTab[i]->type == XML_NAMESPACE_DECL) {
                hr = E_NOTIMPL;
                nodes->clear();
                break;
            }
            nodes->push_back(set->nodeTab[i]);
        }
    }
    if (result != nullptr) xmlXPathFreeObject(result);
    return hr;
}

}  // namespace tav::xml
