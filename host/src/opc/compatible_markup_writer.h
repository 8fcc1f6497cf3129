// Writes markup as a consumer of the XPS vocabulary reads it, in UTF-8:
// the elements it reads, every one in the XPS namespace, with their
// attributes of no namespace, xml: and x:Key; no compatibility markup and
// nothing of other namespaces, so that markup rewritten from it stays valid
// without the original's namespace declarations.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "opc/sax_attributes.h"

namespace tav::host {

class CompatibleMarkupWriter {
public:
    // Appends to *output, which the caller may empty between calls.
    explicit CompatibleMarkupWriter(std::string* output) : output_(output) {}

    // The first start tag written declares the namespaces.
    void StartTag(std::string_view local, const SaxAttributes& attributes);
    void EndTag();
    void Text(std::string_view text);

private:
    // Ends a start tag that is still open: content follows.
    void CloseStartTag();

    std::string* output_;
    std::vector<std::string> open_;  // the local names of the elements written and not yet closed
    bool tagOpen_ = false;
    bool rootWritten_ = false;
};

}  // namespace tav::host
