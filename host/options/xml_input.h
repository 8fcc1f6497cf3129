// Reading untrusted XML safely with libxml2: bounded size, no network, no
// DTD, and a document with a DOCTYPE is refused before anything in it is
// read.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/secure_xml.h"

namespace tav::options {

inline constexpr size_t kMaxTicketBytes = tav::securexml::kMaximumDocumentBytes;

// The parsed document (free it with xmlFreeDoc), or null and *error: the
// platform's secure parser, with the options' own wording.
xmlDocPtr ParseXmlSafely(std::string_view text, std::string* error);

}  // namespace tav::options
