// Names of part objects, whoever made them.
#pragma once

#include <string>

#include "platform/unknown.h"

namespace tav::host {

// The canonical name the part gives for itself (GetUri of IPartBase,
// IFixedDocument or IFixedDocumentSequence). Throws PackageError or
// std::runtime_error when it gives none or an invalid one.
std::string PartNameOf(IUnknown* part);
// The same for messages: "/" for the XPS document, "" when there is none.
std::string DescribePart(IUnknown* part);

}  // namespace tav::host
