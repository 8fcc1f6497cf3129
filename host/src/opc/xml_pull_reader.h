// A secure pull parser for the package's own markup (content types,
// relationships, FixedDocumentSequence, FixedDocument and the root of
// FixedPage parts): libxml2's text reader with the network off, no DTD
// loaded, a document with a DOCTYPE refused, and bounded input size,
// nesting and attributes per element. Failures throw PackageError naming the part.
#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "content/byte_reader.h"
#include "platform/start_tag_scanner.h"

namespace tav::host {

class XmlPullReader {
public:
    static constexpr uint64_t kDefaultMaxBytes = 64u << 20;
    static constexpr int kMaxDepth = 256;

    XmlPullReader(std::unique_ptr<ByteReader> source, std::string partName, uint64_t maxBytes = kDefaultMaxBytes);
    ~XmlPullReader();
    XmlPullReader(const XmlPullReader&) = delete;
    XmlPullReader& operator=(const XmlPullReader&) = delete;

    // Moves to the next element start tag; false at the end of the document.
    bool NextElement();
    // Nesting depth of the current element (the root is 0).
    int Depth() const;
    std::string LocalName() const;
    std::string NamespaceUri() const;
    // An attribute without namespace, by its local name.
    std::optional<std::string> Attribute(const char* name) const;
    struct NamedAttribute {
        std::string localName;
        std::string namespaceUri;  // "" for none
        std::string value;
    };
    // Every attribute of the current element, namespace declarations left out.
    std::vector<NamedAttribute> Attributes() const;
    // The namespace a prefix is bound to at the current element.
    std::optional<std::string> LookupNamespace(const std::string& prefix) const;

    // Throws a PackageError about this part.
    [[noreturn]] void Fail(const std::string& reason) const;

private:
    static int ReadCallback(void* context, char* buffer, int length);
    void ThrowParseError();

    std::unique_ptr<ByteReader> source_;
    std::string partName_;
    uint64_t maxBytes_;
    uint64_t bytesRead_ = 0;
    tav::xml::StartTagScanner startTags_;
    std::exception_ptr sourceError_;
    std::string firstError_;
    bool encodingChecked_ = false;
    void* reader_ = nullptr;  // xmlTextReaderPtr
};

// XPS markup is UTF-8 or UTF-16: true for those declared encodings and for
// none (null) declared.
bool IsPackageEncoding(const char* declared);

}  // namespace tav::host
