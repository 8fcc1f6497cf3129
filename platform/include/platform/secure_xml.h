// Secure parsing of untrusted XML with libxml2, and serialisation of the
// result: the one safe way into libxml2's tree for the platform's own
// PrintTicket provider and for the host's tools. A document is refused when it is larger than the bound, not
// well-formed (namespaces included) or has a DOCTYPE; no DTD is ever loaded,
// no entity other than the predefined ones and character references is known,
// and the network is never touched.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>

namespace tav::securexml {

inline constexpr size_t kMaximumDocumentBytes = size_t{16} << 20;

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
using DocumentPtr = std::unique_ptr<xmlDoc, DocumentDeleter>;

struct ParseOptions {
    // Drops text nodes that hold only white space between elements, so that
    // a document can be written back indented.
    bool dropBlankText = false;
};

// The document, or null with a one-line reason in *error ("line 3: ...").
DocumentPtr Parse(const char* data, size_t size, const ParseOptions& options, std::string* error);

// The document as UTF-8 with an XML declaration, indented where the content
// allows. Throws std::bad_alloc when libxml2 runs out of memory.
std::string Serialize(xmlDoc* document);

// libxml2's allocation failures as std::bad_alloc: returns the pointer when
// it is not null.
template <class T>
T* Check(T* pointer)
{
    if (pointer == nullptr) throw std::bad_alloc();
    return pointer;
}

}  // namespace tav::securexml
