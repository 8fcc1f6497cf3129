// The output's zip directory kept in a spill buffer: one record per part
// written, so that a job of very many pages does not hold it in memory.
#pragma once

#include <memory>

#include "tavzip/directory_buffer.h"

namespace tav::host {

std::unique_ptr<zip::DirectoryBuffer> SpilledDirectory();

}  // namespace tav::host
