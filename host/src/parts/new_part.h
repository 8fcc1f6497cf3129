// GetNewEmptyPart for every consumer of the chain: a new part of the role
// the requested interface names, with no content yet, and the stream that
// writes its content.
#pragma once

#include "parts/part_data.h"

namespace tav::host {

HRESULT CreateEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream,
                        const std::shared_ptr<FailureLog>& log);

}  // namespace tav::host
