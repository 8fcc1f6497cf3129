// GetNewEmptyPart for every consumer of the chain: a new part of the role
// the requested interface names, with no content yet, and the stream that
// writes its content.
#pragma once

#include "parts/part_data.h"
#include "parts/part_name_registry.h"

namespace tav::host {

// With a registry, a name the job already has is refused with
// HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS), so the filter can pick another.
HRESULT CreateEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream,
                        const std::shared_ptr<FailureLog>& log, PartNameRegistry* names = nullptr);

}  // namespace tav::host
