// The markup of a FixedPage as a consumer of the XPS vocabulary sees it
// (opc/compatible_markup_writer.h), produced by a pass over the original
// each time it is read.
#pragma once

#include <memory>
#include <string>

#include "content/byte_reader.h"

namespace tav::host {

std::shared_ptr<const PartContent> CompatibleMarkupContent(std::shared_ptr<const PartContent> original,
                                                           std::string partName);

}  // namespace tav::host
