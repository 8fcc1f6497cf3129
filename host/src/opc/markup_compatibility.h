// Markup compatibility as a consumer that understands only the XPS
// vocabulary applies it, one tag at a time: an AlternateContent yields its
// first Choice whose required namespaces are all understood, else its
// Fallback; elements and attributes of ignorable namespaces are left out
// (an element named by ProcessContent gives up only its own tag); a
// MustUnderstand namespace that is not understood, content of a namespace
// that is neither understood nor ignorable, and malformed compatibility
// markup are refused.
#pragma once

#include <libxml/xmlstring.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "opc/sax_attributes.h"

namespace tav::host {

class MarkupCompatibility {
public:
    // What the consumer makes of an element, or of text.
    enum class Treatment {
        Written,           // read as it stands
        Unwrapped,         // its tag left out, its content read: a Choice or Fallback taken, a processed element
        AlternateContent,  // holds only Choice and Fallback
        Skipped,           // left out with all it holds
        Refused,           // breaks a rule: Reason() says which
    };

    // A start tag: the namespaces it declares (libxml2's prefix and URI
    // pairs), the element's local name and namespace, and its attributes.
    Treatment Start(std::string_view local, std::string_view uri, int namespaceCount, const xmlChar** namespaces,
                    const SaxAttributes& attributes);
    // The end tag of the innermost element: how its start was treated
    // (Refused for an AlternateContent without Choice).
    Treatment End();
    // Text in the innermost element: Written when it is read, Refused for
    // text in an AlternateContent.
    Treatment Text(std::string_view text);

    // Inside content left out.
    bool Skipping() const { return skipDepth_ > 0; }
    // The elements open and not left out.
    size_t Depth() const { return frames_.size(); }
    // The markup held compatibility markup or ignorable content so far.
    bool Used() const { return used_; }
    const std::string& Reason() const { return reason_; }

private:
    struct Frame {
        Treatment treatment;
        size_t bindings;
        size_t ignorable;
        size_t processed;
        bool selected = false;  // AlternateContent: a Choice or the Fallback was taken
        bool sawChoice = false;
        bool sawFallback = false;
    };

    Treatment Refuse(std::string reason);
    const std::string* Resolve(std::string_view prefix) const;
    bool IsIgnorable(std::string_view uri) const;
    bool IsProcessed(std::string_view uri, std::string_view local) const;
    // Applies the compatibility attributes of an element; false once refused.
    bool ReadCompatibilityAttributes(const SaxAttributes& attributes);
    // The namespace URI and local name of a "prefix:local" token of a
    // ProcessContent or Preserve* attribute, whose namespace must be ignorable.
    bool ResolveIgnorableName(std::string_view attribute, std::string_view token, std::string* uri, std::string* local);
    // AlternateContent, Choice or Fallback.
    Treatment StartCompatibilityElement(std::string_view local, const SaxAttributes& attributes);
    // Whether the attributes of a written element are of namespaces read or ignorable.
    bool CheckAttributeNamespaces(const SaxAttributes& attributes);
    void EndScope(const Frame& frame);

    std::vector<std::pair<std::string, std::string>> bindings_;  // prefix, URI
    std::vector<std::string> ignorable_;
    std::vector<std::pair<std::string, std::string>> processed_;  // URI, local name or "*"
    std::vector<Frame> frames_;
    int skipDepth_ = 0;
    bool used_ = false;
    std::string reason_;
};

// Namespaces whose elements or attributes this consumer understands.
bool UnderstoodNamespace(std::string_view uri);

}  // namespace tav::host
