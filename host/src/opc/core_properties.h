// The package's core properties part: checked as OPC asks of a consumer
// before it is passed on. It may hold only the core properties, Dublin Core
// and Dublin Core terms vocabulary: no markup compatibility, no xml:lang,
// no Dublin Core refinements but created and modified, and xsi:type only on
// those two, as "dcterms:W3CDTF".
#pragma once

#include <memory>
#include <string>

#include "content/byte_reader.h"

namespace tav::host {

// Throws PackageError naming partName for the first rule broken.
void CheckCoreProperties(std::unique_ptr<ByteReader> source, const std::string& partName);

}  // namespace tav::host
