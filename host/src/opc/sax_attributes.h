// The attributes of a start tag as libxml2's namespace-aware SAX handler
// hands them over: five pointers each (local name, prefix, namespace URI,
// value start, value end), the value not terminated.
#pragma once

#include <libxml/xmlstring.h>

#include <string_view>

namespace tav::host {

class SaxAttributes {
public:
    SaxAttributes(int count, const xmlChar** attributes) : count_(count), attributes_(attributes) {}

    int Count() const { return count_; }
    // The local name, NUL-terminated.
    const char* LocalName(int i) const { return reinterpret_cast<const char*>(attributes_[5 * i]); }
    std::string_view Local(int i) const { return LocalName(i); }
    // Whether the attribute's name has a namespace (a prefixed name).
    bool HasNamespace(int i) const { return attributes_[5 * i + 2] != nullptr; }
    // The namespace URI; empty for a name without prefix.
    std::string_view Namespace(int i) const
    {
        const xmlChar* uri = attributes_[5 * i + 2];
        return uri == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(uri));
    }
    std::string_view Value(int i) const
    {
        const xmlChar* const* attribute = attributes_ + 5 * i;
        return std::string_view(reinterpret_cast<const char*>(attribute[3]),
                                static_cast<size_t>(attribute[4] - attribute[3]));
    }

private:
    int count_;
    const xmlChar** attributes_;
};

}  // namespace tav::host
