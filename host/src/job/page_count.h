// How many pages a package holds, from the PageContent entries of its
// FixedDocuments, read before the job runs (for the progress line and
// page-ranges). Page markup is not read.
#pragma once

#include <cstdint>
#include <optional>

#include "package/package.h"

namespace tav::host {

// Nothing when the documents cannot be read; the job then reports why.
std::optional<uint64_t> CountPages(const Package& package);

}  // namespace tav::host
