// Reading untrusted XML safely with libxml2: bounded size, no network, no
// DTD, and a document with a DOCTYPE is refused before anything in it is
// read.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tavoptions {

inline constexpr size_t kMaxTicketBytes = 16u << 20;

// The parsed document (free it with xmlFreeDoc), or null and *error.
xmlDocPtr ParseXmlSafely(std::string_view text, std::string* error);

}  // namespace tavoptions
